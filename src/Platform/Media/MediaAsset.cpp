#include "Platform/Media/MediaAsset.h"

#include "Platform/Media/FFmpegInput.h"
#include "Platform/Media/MpegAudioHeader.h"

#include <cmath>
#include <mutex>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

namespace tarnik {

struct MediaAsset::Probe
{
    QString path;
    bool isMedia = false;
    QString containerName;
    std::vector<MediaTrack> tracks;
    bool hasCoverArt = false;
    std::optional<double> duration;
    std::optional<QString> audioFileFormat;
};

struct MediaAsset::State
{
    QString path;
    // The headers settled the kind: an exportable audio file without video (see
    // withDetailsOnDemand). The probe is then made when a detail is first asked for.
    bool kindFromHeaders = false;
    std::once_flag probed;
    std::shared_ptr<const Probe> probe;
};

namespace {

constexpr std::chrono::milliseconds kStillTimeLimit { 20000 };
// A still never needs more than a GOP or two; this bounds the work on
// streams whose key frames are far apart or whose timestamps are broken.
constexpr int kMaxDecodedFrames = 1500;
// Consecutive frames an MP3 shows before its kind counts as settled by the headers.
constexpr int kMp3FramesThatSettle = 3;

bool isAttachedPicture(const AVStream *stream)
{
    return (stream->disposition & AV_DISPOSITION_ATTACHED_PIC) != 0;
}

MediaTrack trackOf(const AVStream *stream)
{
    const AVCodecParameters *parameters = stream->codecpar;
    MediaTrack track;
    track.streamIndex = stream->index;
    track.codecName = QString::fromLatin1(avcodec_get_name(parameters->codec_id));
    track.bitRate = parameters->bit_rate;
    const bool hasDecoder
        = parameters->codec_id != AV_CODEC_ID_NONE && avcodec_find_decoder(parameters->codec_id) != nullptr;
    switch (parameters->codec_type) {
    case AVMEDIA_TYPE_AUDIO:
        track.mediaType = MediaType::audio;
        track.sampleRate = parameters->sample_rate;
        track.channelCount = parameters->ch_layout.nb_channels;
        track.isDecodable = hasDecoder && track.sampleRate > 0 && track.channelCount > 0;
        break;
    case AVMEDIA_TYPE_VIDEO:
        track.mediaType = MediaType::video;
        track.width = parameters->width;
        track.height = parameters->height;
        track.isDecodable = hasDecoder && track.width > 0 && track.height > 0;
        break;
    case AVMEDIA_TYPE_SUBTITLE:
        track.mediaType = MediaType::subtitle;
        track.isDecodable = hasDecoder;
        break;
    default:
        track.mediaType = MediaType::other;
        break;
    }
    return track;
}

std::optional<double> durationOf(const AVFormatContext *context)
{
    if (context->duration != AV_NOPTS_VALUE && context->duration > 0)
        return double(context->duration) / AV_TIME_BASE;
    double longest = 0;
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        const AVStream *stream = context->streams[i];
        if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
            longest = std::max(longest, stream->duration * av_q2d(stream->time_base));
    }
    if (longest > 0)
        return longest;
    return std::nullopt;
}

// The code the platform's audio-file service reports for the containers it
// reads; every other container is not a readable audio file.
std::optional<QString> audioFileFormatOf(const FFmpegInput &input, const std::vector<MediaTrack> &tracks)
{
    const MediaTrack *audio = nullptr;
    for (const MediaTrack &track : tracks) {
        if (track.mediaType == MediaType::audio && track.isDecodable) {
            audio = &track;
            break;
        }
    }
    if (!audio)
        return std::nullopt;
    const QString container = input.containerName();
    const auto code = [](const char *text) { return std::optional<QString>(QString::fromLatin1(text)); };
    if (container == QLatin1String("mp3")) {
        if (audio->codecName == QLatin1String("mp1"))
            return code("MPG1");
        if (audio->codecName == QLatin1String("mp2"))
            return code("MPG2");
        return code("MPG3");
    }
    if (container.startsWith(QLatin1String("mov,mp4,m4a")))
        return code("m4af");
    if (container == QLatin1String("aac"))
        return code("adts");
    if (container == QLatin1String("wav"))
        return input.head(4) == "RF64" ? code("RF64") : code("WAVE");
    if (container == QLatin1String("aiff"))
        return input.head(12).mid(8) == "AIFC" ? code("AIFC") : code("AIFF");
    if (container == QLatin1String("caf"))
        return code("caff");
    if (container == QLatin1String("ac3"))
        return code("ac-3");
    if (container == QLatin1String("eac3"))
        return code("ec-3");
    if (container == QLatin1String("amr") || container == QLatin1String("amrnb") || container == QLatin1String("amrwb"))
        return code("amrf");
    if (container == QLatin1String("flac"))
        return code("flac");
    return std::nullopt;
}

// An AAC AudioSpecificConfig the decoder always opens with: AAC-LC (object type 2), a
// sampling-frequency index of the table, a channel configuration of one to seven, the plain
// GASpecificConfig (1024-sample frames, no core coder, no extension flag) and nothing after it
// but, optionally, the explicit "SBR absent" extension (sync word 0x2b7, object type 5, flag 0).
bool isPlainAacLcConfig(const uint8_t *bytes, int size)
{
    if (!bytes || (size != 2 && size != 5))
        return false;
    const int objectType = bytes[0] >> 3;
    const int frequencyIndex = ((bytes[0] & 7) << 1) | (bytes[1] >> 7);
    const int channelConfiguration = (bytes[1] >> 3) & 0xF;
    const int gaFlags = bytes[1] & 7;
    if (objectType != 2 || frequencyIndex > 12 || channelConfiguration < 1 || channelConfiguration > 7 || gaFlags != 0)
        return false;
    if (size == 2)
        return true;
    const uint32_t extension = (uint32_t(bytes[2]) << 16) | (uint32_t(bytes[3]) << 8) | bytes[4];
    return extension == ((0x2b7u << 13) | (5u << 8));
}

// Whether the headers alone settle what the full probe answers for the kind of the file: an
// MP4-family container FFmpeg is sure of, whose streams are only cover art and AAC-LC audio with
// a plain configuration, a sample rate the decoder takes and a valid channel layout. The stream
// information step opens every audio decoder before it reads a packet; the AAC decoder cannot fail
// to open on such a stream, so the step succeeds and every such track stays decodable (a first
// frame may still double the rate or the channels, which only the details show). The answer is
// then "exportable, audio, no video". Anything else, or anything odd, is left to the full probe.
bool headersSettlePlainAac(const FFmpegInput &input)
{
    if (!input.isOpen() || input.isWeakGuess() || input.isPseudoFormat())
        return false;
    if (!input.containerName().startsWith(QLatin1String("mov,mp4,m4a")))
        return false;
    const AVFormatContext *context = input.context();
    if (context->ctx_flags & AVFMTCTX_NOHEADER)
        return false;
    bool audio = false;
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        const AVStream *stream = context->streams[i];
        if (isAttachedPicture(stream))
            continue;
        const AVCodecParameters *parameters = stream->codecpar;
        if (parameters->codec_type != AVMEDIA_TYPE_AUDIO || parameters->codec_id != AV_CODEC_ID_AAC)
            return false;
        if (parameters->sample_rate <= 0 || parameters->sample_rate > 96000 || parameters->ch_layout.nb_channels <= 0
            || parameters->ch_layout.nb_channels > 8 || !av_channel_layout_check(&parameters->ch_layout))
            return false;
        if (!isPlainAacLcConfig(parameters->extradata, parameters->extradata_size))
            return false;
        audio = true;
    }
    return audio && avcodec_find_decoder(AV_CODEC_ID_AAC) != nullptr;
}


// Whether the headers alone settle the kind of an MP3 file: FFmpeg is sure of the "mp3" container,
// its streams are one MP3 audio stream and cover art, and where the demuxer has placed its reader
// (past the tags, the encoder's information frame and any junk) stand Layer III frames that agree
// on version, layer, rate and channels, as many as FFmpeg's parser wants before it gives the stream
// its rate and channels. The stream information step then finds them, so the track is decodable and
// the file exportable audio without video, whatever its later frames hold.
bool headersSettlePlainMp3(const FFmpegInput &input)
{
    if (!input.isOpen() || input.isWeakGuess() || input.isPseudoFormat())
        return false;
    if (input.containerName() != QLatin1String("mp3"))
        return false;
    const AVFormatContext *context = input.context();
    int audio = 0;
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        const AVStream *stream = context->streams[i];
        if (isAttachedPicture(stream))
            continue;
        if (stream->codecpar->codec_type != AVMEDIA_TYPE_AUDIO || stream->codecpar->codec_id != AV_CODEC_ID_MP3)
            return false;
        ++audio;
    }
    if (audio != 1 || !context->pb || avcodec_find_decoder(AV_CODEC_ID_MP3) == nullptr)
        return false;
    // The fields FFmpeg's MP3 reader compares between frames (sync, version, layer, rate, channel
    // mode, copyright, original, emphasis).
    constexpr uint32_t kSameFields = 0xfffe0ccfu;
    int64_t position = avio_tell(context->pb);
    uint32_t first = 0;
    for (int frame = 0; frame < kMp3FramesThatSettle; ++frame) {
        const QByteArray bytes = input.bytesAt(position, 4);
        if (bytes.size() != 4)
            return false;
        const MpegAudioHeader header = MpegAudioHeader::of(reinterpret_cast<const unsigned char *>(bytes.constData()));
        const int length = header.layer3Length();
        if (length < 4)
            return false;
        if (frame == 0)
            first = header.bits;
        else if ((header.bits & kSameFields) != (first & kSameFields))
            return false;
        position += length;
    }
    return true;
}

} // namespace

std::shared_ptr<const MediaAsset::Probe> MediaAsset::load(const QString &path)
{
    const FFmpegInput input(path);
    return load(path, input);
}

std::shared_ptr<const MediaAsset::Probe> MediaAsset::load(const QString &path, const FFmpegInput &input)
{
    auto result = std::make_shared<MediaAsset::Probe>();
    result->path = path;
    if (!input.isOpen() || input.isPseudoFormat())
        return result;
    const AVFormatContext *context = input.context();
    result->isMedia = true;
    result->containerName = input.containerName();
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        const AVStream *stream = context->streams[i];
        if (isAttachedPicture(stream)) {
            result->hasCoverArt = true;
            continue;
        }
        result->tracks.push_back(trackOf(stream));
    }
    result->duration = durationOf(context);
    result->audioFileFormat = audioFileFormatOf(input, result->tracks);
    return result;
}

namespace {

struct SwsDeleter
{
    void operator()(SwsContext *context) const { sws_freeContext(context); }
};

std::optional<QImage> imageOf(const AVFrame *frame, AVRational sampleAspectRatio)
{
    if (frame->width <= 0 || frame->height <= 0)
        return std::nullopt;
    int width = frame->width;
    const int height = frame->height;
    if (sampleAspectRatio.num > 0 && sampleAspectRatio.den > 0 && sampleAspectRatio.num != sampleAspectRatio.den) {
        width = std::max(1, int(std::lround(width * av_q2d(sampleAspectRatio))));
    }
    if (width > 16384 || height > 16384)
        return std::nullopt;
    std::unique_ptr<SwsContext, SwsDeleter> scaler(sws_getContext(frame->width, frame->height,
        AVPixelFormat(frame->format), width, height, AV_PIX_FMT_RGB32, SWS_BICUBIC, nullptr, nullptr, nullptr));
    if (!scaler)
        return std::nullopt;
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull())
        return std::nullopt;
    uint8_t *destination[4] = { image.bits(), nullptr, nullptr, nullptr };
    int destinationStride[4] = { int(image.bytesPerLine()), 0, 0, 0 };
    if (sws_scale(scaler.get(), frame->data, frame->linesize, 0, frame->height, destination, destinationStride)
        != height)
        return std::nullopt;
    return image;
}

} // namespace

MediaAsset::MediaAsset(const QString &path)
    : m_state(std::make_shared<State>())
{
    m_state->path = path;
    probe();
}

MediaAsset MediaAsset::withDetailsOnDemand(const QString &path)
{
    MediaAsset asset;
    asset.m_state = std::make_shared<State>();
    asset.m_state->path = path;
    FFmpegInput input(path, false);
    if (headersSettlePlainAac(input) || headersSettlePlainMp3(input)) {
        asset.m_state->kindFromHeaders = true;
        return asset;
    }
    // The headers do not settle it: the probe goes on from what they read.
    input.findStreamInfo();
    State &state = *asset.m_state;
    std::call_once(state.probed, [&] { state.probe = load(path, input); });
    return asset;
}

const MediaAsset::Probe &MediaAsset::probe() const
{
    State &state = *m_state;
    std::call_once(state.probed, [&state] { state.probe = load(state.path); });
    return *state.probe;
}

bool MediaAsset::kindIsFromHeaders() const
{
    return m_state->kindFromHeaders;
}

const QString &MediaAsset::path() const
{
    return m_state->path;
}

bool MediaAsset::isMedia() const
{
    return probe().isMedia;
}

QString MediaAsset::containerName() const
{
    return probe().containerName;
}

const std::vector<MediaTrack> &MediaAsset::tracks() const
{
    return probe().tracks;
}

bool MediaAsset::hasTrack(MediaType type) const
{
    if (m_state->kindFromHeaders && (type == MediaType::audio || type == MediaType::video))
        return type == MediaType::audio;
    for (const MediaTrack &track : probe().tracks) {
        if (track.mediaType == type)
            return true;
    }
    return false;
}

bool MediaAsset::hasCoverArt() const
{
    return probe().hasCoverArt;
}

std::optional<double> MediaAsset::duration() const
{
    return probe().duration;
}

bool MediaAsset::isExportable() const
{
    if (m_state->kindFromHeaders)
        return true;
    for (const MediaTrack &track : probe().tracks) {
        if ((track.mediaType == MediaType::audio || track.mediaType == MediaType::video) && track.isDecodable)
            return true;
    }
    return false;
}

std::optional<QString> MediaAsset::audioFileFormat() const
{
    return probe().audioFileFormat;
}

std::optional<double> MediaAsset::durationOfFile(const QString &path)
{
    {
        const FFmpegInput input(path, false);
        if (!input.isOpen())
            return std::nullopt;
        if (input.isPseudoFormat()) {
            // A weak guess may still be media; only the full probe tells.
            if (!input.isWeakGuess())
                return std::nullopt;
            return MediaAsset(path).duration();
        }
        const AVFormatContext *context = input.context();
        double longest = 0;
        for (unsigned i = 0; i < context->nb_streams; ++i) {
            const AVStream *stream = context->streams[i];
            const AVMediaType type = stream->codecpar->codec_type;
            if (isAttachedPicture(stream) || (type != AVMEDIA_TYPE_AUDIO && type != AVMEDIA_TYPE_VIDEO))
                continue;
            if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
                longest = std::max(longest, stream->duration * av_q2d(stream->time_base));
        }
        if (longest > 0)
            return longest;
    }
    return MediaAsset(path).duration();
}

double MediaAsset::thumbnailTime(std::optional<double> duration)
{
    if (!duration || !std::isfinite(*duration) || *duration <= 0)
        return 0;
    return std::floor(std::min(*duration, 20.0));
}

std::optional<QImage> MediaAsset::videoThumbnail() const
{
    return image(thumbnailTime(duration()));
}

std::optional<QImage> MediaAsset::image(double seconds) const
{
    const MediaTrack *videoTrack = nullptr;
    for (const MediaTrack &track : probe().tracks) {
        if (track.mediaType == MediaType::video && track.isDecodable) {
            videoTrack = &track;
            break;
        }
    }
    if (!videoTrack || !std::isfinite(seconds))
        return std::nullopt;

    FFmpegInput input(m_state->path);
    if (!input.isOpen() || input.isPseudoFormat())
        return std::nullopt;
    input.extendTimeLimit(kStillTimeLimit);
    AVFormatContext *context = input.context();
    const int index = videoTrack->streamIndex;
    if (index < 0 || unsigned(index) >= context->nb_streams)
        return std::nullopt; // the file changed since the probe
    AVStream *stream = context->streams[index];
    if (stream->codecpar->codec_type != AVMEDIA_TYPE_VIDEO || isAttachedPicture(stream))
        return std::nullopt;
    const AVCodec *decoder = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!decoder)
        return std::nullopt;
    std::unique_ptr<AVCodecContext, CodecContextDeleter> codec(avcodec_alloc_context3(decoder));
    if (!codec || avcodec_parameters_to_context(codec.get(), stream->codecpar) < 0)
        return std::nullopt;
    codec->thread_count = 1;
    if (avcodec_open2(codec.get(), decoder, nullptr) < 0)
        return std::nullopt;
    for (unsigned i = 0; i < context->nb_streams; ++i)
        context->streams[i]->discard = (int(i) == index) ? AVDISCARD_DEFAULT : AVDISCARD_ALL;

    const double timeBase = av_q2d(stream->time_base);
    if (timeBase <= 0)
        return std::nullopt;
    const int64_t start = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
    const int64_t target = start + int64_t(std::max(0.0, seconds) / timeBase);
    if (target > start)
        av_seek_frame(context, index, target, AVSEEK_FLAG_BACKWARD);

    std::unique_ptr<AVPacket, PacketDeleter> packet(av_packet_alloc());
    std::unique_ptr<AVFrame, FrameDeleter> frame(av_frame_alloc());
    std::unique_ptr<AVFrame, FrameDeleter> kept(av_frame_alloc());
    if (!packet || !frame || !kept)
        return std::nullopt;
    bool haveFrame = false;
    int decoded = 0;
    bool draining = false;
    while (decoded < kMaxDecodedFrames) {
        if (!draining) {
            const int status = av_read_frame(context, packet.get());
            if (status < 0) {
                draining = true;
                avcodec_send_packet(codec.get(), nullptr);
            } else {
                if (packet->stream_index == index)
                    avcodec_send_packet(codec.get(), packet.get());
                av_packet_unref(packet.get());
            }
        }
        bool reached = false;
        int status = 0;
        while ((status = avcodec_receive_frame(codec.get(), frame.get())) == 0) {
            ++decoded;
            av_frame_unref(kept.get());
            av_frame_move_ref(kept.get(), frame.get());
            haveFrame = true;
            const int64_t pts = kept->best_effort_timestamp;
            if (pts == AV_NOPTS_VALUE || pts >= target) {
                reached = true;
                break;
            }
        }
        if (reached || (draining && status != 0))
            break;
    }
    if (!haveFrame)
        return std::nullopt;
    AVRational aspect = kept->sample_aspect_ratio;
    if (aspect.num <= 0)
        aspect = stream->sample_aspect_ratio;
    return imageOf(kept.get(), aspect);
}

} // namespace tarnik
