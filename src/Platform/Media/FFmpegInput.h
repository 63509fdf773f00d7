#pragma once

// Internal to src/Platform/Media/: the one place that opens a file with FFmpeg.
// Other folders use MediaAsset instead.

#include "Platform/Media/RegularFile.h"

#include <QString>
#include <chrono>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace tarnik {

// Owners of FFmpeg's decoding objects, for std::unique_ptr.
struct CodecContextDeleter
{
    void operator()(AVCodecContext *context) const { avcodec_free_context(&context); }
};
struct FrameDeleter
{
    void operator()(AVFrame *frame) const { av_frame_free(&frame); }
};
struct PacketDeleter
{
    void operator()(AVPacket *packet) const { av_packet_free(&packet); }
};

// Where a stream's first sample lies, in seconds (an MP3's encoder delay, for one); 0 when the
// stream does not say. Positions in a file count from it, so that the previews and the export
// agree on what a time means.
inline double streamStartSeconds(const AVStream *stream)
{
    return stream->start_time != AV_NOPTS_VALUE && stream->start_time > 0
        ? double(stream->start_time) * av_q2d(stream->time_base)
        : 0.0;
}

// An FFmpeg demuxer over a RegularFile. FFmpeg reads through our own I/O
// callbacks on the descriptor, never by path, so it cannot be steered to a
// device, a FIFO or another file (playlists and references are refused), and a
// time limit interrupts a demuxer that spins on hostile input. While the file
// is classified, a run of reads without a seek stops after a few MiB: a file
// whose first frames are not found by then is no media, and the raw formats'
// parsers would otherwise scan a huge file of zeros to its end.
//
// Not copyable. Any thread, one at a time.
class FFmpegInput
{
public:
    // Opens `path` and, when `findStreamInfo` is set, reads enough packets to
    // know every stream's codec parameters and the duration.
    explicit FFmpegInput(const QString &path, bool findStreamInfo = true);
    ~FFmpegInput();
    FFmpegInput(const FFmpegInput &) = delete;
    FFmpegInput &operator=(const FFmpegInput &) = delete;

    // For an input opened without it: reads the packets the stream information needs, as the
    // constructor does with `findStreamInfo`. Closes the input when that fails; returns isOpen().
    bool findStreamInfo();

    bool isOpen() const { return m_context != nullptr; }
    AVFormatContext *context() const { return m_context; }

    // FFmpeg's short name of the demuxer ("mp3", "mov,mp4,m4a,3gp,3g2,mj2", …).
    QString containerName() const;

    // Images, text art, playlists and the like that FFmpeg can open but that
    // are no media container of their own, and noise FFmpeg guesses a format
    // for. A weak guess counts as media only when the file's extension names
    // the format found and its audio decodes (an MP3 whose tag header is
    // damaged is still an MP3).
    bool isPseudoFormat() const;

    // FFmpeg's guess of the format was weak: without the stream information,
    // isPseudoFormat() cannot tell such a file from noise.
    bool isWeakGuess() const;

    // The first bytes of the file (fewer when it is shorter).
    QByteArray head(int length) const { return bytesAt(0, length); }
    // The bytes at `offset` (fewer near the end), read beside FFmpeg's reader without moving it.
    QByteArray bytesAt(int64_t offset, int length) const;

    // Restarts the time limit for a further long step (decoding a still).
    void extendTimeLimit(std::chrono::milliseconds limit);

    // Quietens FFmpeg's console log once per process; damaged files are
    // expected here and are reported as values, not as log lines.
    static void configureLogging();

private:
    bool decodesAudio();

    // FFmpeg's own guess of the format, made cheaply for a file that starts with a large ID3v2
    // tag (an MP3 with a cover): the rounds of the guess whose bytes end within the tag cannot
    // decide, so their demuxer probes are skipped. Gives the score and `format` exactly as
    // FFmpeg's guess does, with the reader left as it leaves it; a negative FFmpeg error when
    // the guess fails; kNotGuessed (and no format) for any other file, which FFmpeg guesses.
    static constexpr int kNotGuessed = -0x7fff;
    int guessFormatPastTag(AVFormatContext *context, const char *name, const AVInputFormat **format);

    static int readPacket(void *opaque, uint8_t *buffer, int size);
    static int64_t seek(void *opaque, int64_t offset, int whence);
    static int interrupt(void *opaque);

    RegularFile m_file;
    int64_t m_position = 0;
    // While the file is being classified: bytes read since the last seek, and
    // whether that run is bounded at all (see kScanLimit).
    int64_t m_scanned = 0;
    bool m_scanIsBounded = false;
    // A weak probe of a file whose extension names the format found, made good
    // by audio that decodes.
    bool m_audioConfirmed = false;
    bool m_streamInfoFound = false;
    AVIOContext *m_io = nullptr;
    AVFormatContext *m_context = nullptr;
    std::chrono::steady_clock::time_point m_deadline;
};

} // namespace tarnik
