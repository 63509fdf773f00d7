#pragma once

#include <QImage>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace tarnik {

class FFmpegInput;

// What a stream of a media file carries.
enum class MediaType { audio, video, subtitle, other };

// One stream of a media file as the asset reports it. Cover art is not a track.
struct MediaTrack
{
    int streamIndex = -1;
    MediaType mediaType = MediaType::other;
    QString codecName; // FFmpeg's codec name: "aac", "mp3", "h264", …
    bool isDecodable = false; // a decoder exists and the parameters are complete
    int sampleRate = 0; // audio
    int channelCount = 0; // audio
    int width = 0; // video, in pixels
    int height = 0; // video, in pixels
    std::int64_t bitRate = 0; // bits per second, 0 when unknown
};

// A media file, probed once with FFmpeg when the asset is made: its container,
// its tracks, its duration and the answers derived from them (exportable,
// readable audio file and that file's four-character format code). Stills of
// a video are decoded on request.
//
// Only regular files are probed: a directory, FIFO, socket, device, a file on
// "/proc" or "/sys", an unreadable, empty or vanished file gives an asset that
// answers false and nothing at once. Making an asset blocks while FFmpeg reads
// the file's headers, so callers ask from a background queue where they can.
//
// Copies share the probe. Safe on any thread: an asset made with withDetailsOnDemand
// makes its probe once, the first time a detail is asked for, and the answers never change.
class MediaAsset
{
public:
    explicit MediaAsset(const QString &path);

    // An asset whose kind (isExportable(), hasAudioTrack(), hasVideoTrack()) comes from the
    // container's headers alone where they settle it, and whose other answers are probed the
    // first time one is asked. The headers settle it only for a plain AAC file in an MP4
    // container (only AAC-LC audio with a complete decoder configuration, nothing else but cover
    // art), where the full probe opens the AAC decoder, which cannot fail on such a
    // configuration, and for an MP3 whose first frames are Layer III frames that agree with each
    // other, which the probe's parser always finds; either way the probe gives an exportable file
    // without video. For every other file this is the full probe. Every answer equals the full
    // probe's.
    static MediaAsset withDetailsOnDemand(const QString &path);

    // Whether the kind came from the headers; the details are then probed when first asked for.
    bool kindIsFromHeaders() const;

    const QString &path() const;

    // FFmpeg opened the file as a media container (not an image, a text, a
    // playlist or noise). The other answers are false or nothing when not.
    bool isMedia() const;

    // FFmpeg's demuxer name, "" when the file is no media.
    QString containerName() const;

    // Streams by type; attached pictures (cover art) are left out.
    const std::vector<MediaTrack> &tracks() const;
    bool hasTrack(MediaType type) const;
    bool hasAudioTrack() const { return hasTrack(MediaType::audio); }
    bool hasVideoTrack() const { return hasTrack(MediaType::video); }

    // Whether the file holds cover art (an attached picture stream).
    bool hasCoverArt() const;

    // Length in seconds; nothing when the container does not tell.
    std::optional<double> duration() const;

    // A real media container with an audio track, or a video track, whose codec decodes.
    bool isExportable() const;

    // The four-character code the audio-file service reports for a file it
    // reads ("MPG3", "m4af", "adts", "WAVE", "AIFF", "AIFC", "caff", "ac-3",
    // "ec-3", "amrf", "flac"); nothing for every other file, Ogg, Opus and
    // WMA among them.
    std::optional<QString> audioFileFormat() const;
    bool isReadableAudioFile() const { return audioFileFormat().has_value(); }

    // One decoded frame of the first video track at `seconds` (the first frame
    // at or after that time, or the last frame when the video is shorter), as
    // an RGB image with square pixels. Nothing without a video track or when
    // decoding fails. Opens and decodes the file on every call.
    std::optional<QImage> image(double seconds) const;

    // The still used as a video's thumbnail and artwork: the frame at
    // floor(min(duration, 20)) seconds.
    std::optional<QImage> videoThumbnail() const;

    // The duration of the file at `path` as duration() gives it, read from the
    // container's headers alone where they tell it (MP4, MP3 with an info
    // header, …) and with the full probe otherwise. For readers that want
    // nothing else of the asset.
    static std::optional<double> durationOfFile(const QString &path);

    // The time videoThumbnail() takes its frame at.
    static double thumbnailTime(std::optional<double> duration);

private:
    struct Probe;
    struct State;
    MediaAsset() = default;
    static std::shared_ptr<const Probe> load(const QString &path);
    static std::shared_ptr<const Probe> load(const QString &path, const FFmpegInput &input);
    const Probe &probe() const;

    std::shared_ptr<State> m_state;
};

} // namespace tarnik
