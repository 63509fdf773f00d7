#include "Platform/Media/ExportSession.h"

#include "Platform/Media/FrameResampler.h"
#include "Platform/Media/FFmpegInput.h"
#include "Platform/Media/Mp4TagWriter.h"
#include "Platform/PartialFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThreadPool>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libavutil/samplefmt.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tarnik {

namespace {

constexpr int64_t kAacBitRate = 256000;

QString avError(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromUtf8(text);
}

// FFmpeg reads a name with a colon as a protocol ("http:..."); the prefix
// keeps every path a plain local file.
QByteArray fileUrl(const QString &path)
{
    return QByteArrayLiteral("file:") + QFile::encodeName(path);
}

std::optional<struct stat> statOf(const QString &path)
{
    struct stat info = {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    return info;
}

bool isAudioTrack(const AVStream *stream)
{
    return stream->codecpar->codec_type == AVMEDIA_TYPE_AUDIO && !(stream->disposition & AV_DISPOSITION_ATTACHED_PIC);
}

// The AAC encoder's supported rate nearest to the source's.
int encoderSampleRate(const AVCodec *encoder, int sourceRate)
{
    if (!encoder->supported_samplerates)
        return sourceRate;
    int best = 0;
    for (const int *rate = encoder->supported_samplerates; *rate; ++rate) {
        if (*rate == sourceRate)
            return sourceRate;
        if (best == 0 || std::abs(*rate - sourceRate) < std::abs(best - sourceRate))
            best = *rate;
    }
    return best;
}

} // namespace

struct ExportSession::Input
{
    AVFormatContext *format = nullptr;
    // The source file, opened by us; the demuxer reads only through it.
    AVIOContext *io = nullptr;
    int streamIndex = -1;
    off_t initialSize = 0;

    ~Input()
    {
        avformat_close_input(&format);
        avio_closep(&io);
    }
    AVStream *stream() const { return format->streams[streamIndex]; }

    // Where the stream's first sample lies, in seconds (an MP3's encoder delay, for one). A time
    // range counts from it, as the players and the previews count their positions, so the export
    // holds what the user heard between the handles.
    double startSeconds() const { return streamStartSeconds(stream()); }

    // Where the stream ends by the container's own index or header, in
    // seconds; infinity when the container only estimates it. MP3 is left
    // out: its frame-count headers are often stale in files that play fine.
    double declaredEnd() const
    {
        const AVStream *s = stream();
        if (format->duration_estimation_method != AVFMT_DURATION_FROM_STREAM || s->duration == AV_NOPTS_VALUE
            || s->duration <= 0 || std::strcmp(format->iformat->name, "mp3") == 0)
            return std::numeric_limits<double>::infinity();
        const int64_t startTime = s->start_time == AV_NOPTS_VALUE ? 0 : s->start_time;
        return double(startTime + s->duration) * av_q2d(s->time_base);
    }
};

struct ExportSession::Output
{
    QString path;
    AVFormatContext *format = nullptr;
    AVCodecContext *decoder = nullptr;
    AVCodecContext *encoder = nullptr;
    // Follows the decoder's output; a stream that changes format midway gets a new resampler.
    FrameResampler resampler;
    AVAudioFifo *fifo = nullptr;
    AVPacket *packet = av_packet_alloc();
    AVFrame *frame = av_frame_alloc();

    ~Output()
    {
        if (format) {
            avio_closep(&format->pb);
            avformat_free_context(format);
        }
        avcodec_free_context(&decoder);
        avcodec_free_context(&encoder);
        if (fifo)
            av_audio_fifo_free(fifo);
        av_packet_free(&packet);
        av_frame_free(&frame);
    }
};

ExportSession::ExportSession(const QString &sourcePath, Preset preset)
    : m_sourcePath(sourcePath)
    , m_preset(preset)
{
}

ExportSession::~ExportSession() = default;

std::shared_ptr<ExportSession> ExportSession::create(const QString &sourcePath, Preset preset)
{
    // Only regular files are opened: a FIFO or a device would block the reader.
    const std::optional<struct stat> info = statOf(sourcePath);
    if (!info || !S_ISREG(info->st_mode))
        return nullptr;

    // FFmpeg's own notes (the muxer's warning about the ".m4a" name, the encoder's statistics)
    // are no business of the user's console: failures come back as this session's error.
    FFmpegInput::configureLogging();
    std::shared_ptr<ExportSession> session(new ExportSession(sourcePath, preset));
    auto input = std::make_unique<Input>();
    input->initialSize = info->st_size;
    input->format = avformat_alloc_context();
    if (!input->format)
        return nullptr;
    input->format->interrupt_callback.callback
        = [](void *opaque) { return static_cast<ExportSession *>(opaque)->isCancelled() ? 1 : 0; };
    input->format->interrupt_callback.opaque = session.get();
    AVDictionary *options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    const int ioOpened = avio_open2(
        &input->io, fileUrl(sourcePath).constData(), AVIO_FLAG_READ, &input->format->interrupt_callback, &options);
    av_dict_free(&options);
    if (ioOpened < 0)
        return nullptr;
    // The demuxer reads the one file given. A playlist, a concatenation list
    // or a reference movie inside it must not open any other file: one could
    // be a FIFO that blocks for good, or anything the user never chose.
    input->format->pb = input->io;
    input->format->flags |= AVFMT_FLAG_CUSTOM_IO;
    input->format->io_open = [](AVFormatContext *, AVIOContext **, const char *, int, AVDictionary **) {
        return AVERROR(EPERM);
    };
    // Demuxers that open files of their own (a concatenation list) get no protocol for them.
    av_dict_set(&options, "protocol_whitelist", "none", 0);
    // The name only helps the demuxer guess the format from the extension.
    const int opened = avformat_open_input(&input->format, fileUrl(sourcePath).constData(), nullptr, &options);
    av_dict_free(&options);
    if (opened < 0)
        return nullptr; // avformat_open_input frees the context on failure, the Input closes the file
    if (avformat_find_stream_info(input->format, nullptr) < 0)
        return nullptr;
    for (unsigned i = 0; i < input->format->nb_streams; ++i) {
        if (isAudioTrack(input->format->streams[i])) {
            input->streamIndex = int(i);
            break;
        }
    }
    session->m_input = std::move(input);
    return session;
}

int ExportSession::audioTrackCount() const
{
    if (!m_input)
        return 0;
    int count = 0;
    for (unsigned i = 0; i < m_input->format->nb_streams; ++i)
        count += isAudioTrack(m_input->format->streams[i]) ? 1 : 0;
    return count;
}

double ExportSession::duration() const
{
    if (!m_input)
        return 0.0;
    const int64_t value = m_input->format->duration;
    return value == AV_NOPTS_VALUE || value <= 0 ? 0.0 : double(value) / AV_TIME_BASE;
}

void ExportSession::setTimeRange(double startSeconds, double durationSeconds)
{
    m_timeRange = std::make_pair(startSeconds, durationSeconds);
}

QString ExportSession::errorString() const
{
    std::lock_guard lock(m_errorMutex);
    return m_error;
}

bool ExportSession::fail(const QString &why)
{
    std::lock_guard lock(m_errorMutex);
    if (m_error.isEmpty())
        m_error = why;
    return false;
}

void ExportSession::exportAsynchronously(std::function<void()> handler)
{
    if (m_started.exchange(true))
        return;
    m_status = Status::Waiting;
    // The task holds the session until the handler has run.
    QThreadPool::globalInstance()->start([self = shared_from_this(), handler = std::move(handler)] {
        self->run();
        if (handler)
            handler();
    });
}

ExportSession::Status ExportSession::exportSynchronously()
{
    if (m_started.exchange(true))
        return status();
    run();
    return status();
}

void ExportSession::run()
{
    m_status = Status::Exporting;
    const auto finish = [this](bool ok) {
        m_status = isCancelled() ? Status::Cancelled : ok ? Status::Completed : Status::Failed;
    };
    if (isCancelled())
        return finish(false);
    if (!m_input)
        return finish(fail(QStringLiteral("no source")));
    if (!m_outputFileType.isEmpty() && m_outputFileType != fileTypeAppleM4A())
        return finish(fail(QStringLiteral("unsupported output file type ") + m_outputFileType));
    if (m_input->streamIndex < 0)
        return finish(fail(QStringLiteral("the source has no audio track")));
    if (m_outputPath.isEmpty())
        return finish(fail(QStringLiteral("no output path")));
    // An endless duration reads to the end of the source; a start must be a real time.
    if (m_timeRange && (!std::isfinite(m_timeRange->first) || std::isnan(m_timeRange->second)))
        return finish(fail(QStringLiteral("the time range is not a real time")));

    const QFileInfo target(m_outputPath);
    const QString folder = target.absolutePath();
    if (!QFileInfo(folder).isDir())
        return finish(fail(QStringLiteral("the output folder does not exist")));
    // Hidden, named so that it is never mistaken for the finished file, and recorded so that a
    // killed process leaves nothing behind after the next start. Created with the usual
    // permissions (the umask applies), so the renamed result looks like any other new file.
    const std::optional<QString> temporary = PartialFiles::create(m_outputPath);
    if (!temporary)
        return finish(fail(QStringLiteral("cannot create a file in the output folder: ")
            + QString::fromLocal8Bit(std::strerror(errno))));

    bool ok = false;
    {
        Output output;
        output.path = *temporary;
        ok = m_preset == Preset::Passthrough ? copyStream(*m_input, output) : reencode(*m_input, output);
    }
    if (ok && !isCancelled() && !m_metadata.isEmpty())
        ok = writeMetadata(*temporary);
    if (ok && !isCancelled()) {
        // The source must still hold what was read; a file cut short meanwhile
        // gave a short read that looked like its end.
        const std::optional<struct stat> now = statOf(m_sourcePath);
        if (now && now->st_size < m_input->initialSize)
            ok = fail(QStringLiteral("the source was cut short during the export"));
    }
    if (ok && !isCancelled()) {
        if (::rename(QFile::encodeName(*temporary).constData(), QFile::encodeName(m_outputPath).constData()) != 0)
            ok = fail(
                QStringLiteral("cannot move the export into place: ") + QString::fromLocal8Bit(std::strerror(errno)));
        else {
            PartialFiles::release(*temporary);
            // In place: a cancel that comes now is too late to undo it.
            m_status = Status::Completed;
            return;
        }
    }
    ::unlink(QFile::encodeName(*temporary).constData());
    PartialFiles::release(*temporary);
    finish(ok);
}

namespace {

// Seconds of a stream timestamp.
double secondsOf(int64_t timestamp, AVRational base)
{
    return double(timestamp) * av_q2d(base);
}

int64_t timestampOf(double seconds, AVRational base)
{
    return int64_t(std::floor(seconds / av_q2d(base)));
}

// Follows the packets read from the source to tell a source that ends before
// its container says it does (a cut-off download, a file truncated on disk)
// from one that was read in full.
class ReadTracker
{
public:
    ReadTracker(double declaredEnd, double wantedEnd)
        : m_declaredEnd(declaredEnd)
        , m_wantedEnd(wantedEnd)
    {
    }

    // False for a packet the demuxer could only read in part.
    bool add(const AVPacket *packet, AVRational base)
    {
        if (packet->flags & AV_PKT_FLAG_CORRUPT)
            return false;
        const int64_t stamp = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
        if (stamp != AV_NOPTS_VALUE)
            m_end = std::max(m_end, double(stamp + std::max<int64_t>(packet->duration, 0)) * av_q2d(base));
        return true;
    }

    // At the end of the file: whether everything wanted was there.
    bool isComplete() const
    {
        const double needed = std::min(m_declaredEnd, m_wantedEnd);
        return !std::isfinite(needed) || m_end >= needed - 0.25;
    }

private:
    double m_declaredEnd;
    double m_wantedEnd;
    double m_end = -std::numeric_limits<double>::infinity();
};

bool openOutputFile(AVFormatContext *format, const QString &path)
{
    AVDictionary *options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    const int result = avio_open2(&format->pb, fileUrl(path).constData(), AVIO_FLAG_WRITE, nullptr, &options);
    av_dict_free(&options);
    return result >= 0;
}

} // namespace

bool ExportSession::copyStream(Input &input, Output &output)
{
    AVStream *source = input.stream();
    if (avformat_alloc_output_context2(&output.format, nullptr, "ipod", nullptr) < 0)
        return fail(QStringLiteral("no M4A muxer"));
    AVStream *stream = avformat_new_stream(output.format, nullptr);
    if (!stream || avcodec_parameters_copy(stream->codecpar, source->codecpar) < 0)
        return fail(QStringLiteral("cannot set up the output stream"));
    stream->codecpar->codec_tag = 0;
    stream->time_base = source->time_base;
    if (!openOutputFile(output.format, output.path))
        return fail(QStringLiteral("cannot open the output file"));
    if (const int result = avformat_write_header(output.format, nullptr); result < 0)
        return fail(QStringLiteral("the M4A container cannot hold this stream: ") + avError(result));

    const double start = m_timeRange ? std::max(0.0, m_timeRange->first) : 0.0;
    const double end = m_timeRange ? start + m_timeRange->second : std::numeric_limits<double>::infinity();
    const double zero = input.startSeconds(); // the range's origin in the stream's own time
    if (start > 0.0
        && av_seek_frame(input.format, input.streamIndex, timestampOf(zero + start, source->time_base),
               AVSEEK_FLAG_BACKWARD)
            < 0)
        return fail(QStringLiteral("cannot seek in the source"));

    int64_t offset = AV_NOPTS_VALUE;
    int64_t written = 0;
    AVPacket *packet = output.packet;
    ReadTracker tracker(input.declaredEnd(), zero + end);
    bool reachedEnd = false;
    for (;;) {
        if (isCancelled())
            return false;
        const int result = av_read_frame(input.format, packet);
        if (result == AVERROR_EOF)
            break;
        if (result < 0)
            return fail(QStringLiteral("cannot read the source: ") + avError(result));
        if (packet->stream_index != input.streamIndex) {
            av_packet_unref(packet);
            continue;
        }
        if (!tracker.add(packet, source->time_base)) {
            av_packet_unref(packet);
            return fail(QStringLiteral("the source is damaged or cut short"));
        }
        const int64_t stamp = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
        if (m_timeRange && stamp != AV_NOPTS_VALUE) {
            const double at = secondsOf(stamp, source->time_base) - zero;
            if (at >= end) {
                av_packet_unref(packet);
                reachedEnd = true;
                break;
            }
            if (at + secondsOf(packet->duration, source->time_base) <= start) {
                av_packet_unref(packet);
                continue;
            }
        }
        // A trimmed copy starts at time zero.
        if (m_timeRange && offset == AV_NOPTS_VALUE)
            offset = packet->dts != AV_NOPTS_VALUE ? packet->dts : stamp;
        if (offset != AV_NOPTS_VALUE) {
            if (packet->pts != AV_NOPTS_VALUE)
                packet->pts -= offset;
            if (packet->dts != AV_NOPTS_VALUE)
                packet->dts -= offset;
        }
        packet->stream_index = 0;
        packet->pos = -1;
        av_packet_rescale_ts(packet, source->time_base, stream->time_base);
        if (const int wrote = av_interleaved_write_frame(output.format, packet); wrote < 0)
            return fail(QStringLiteral("cannot write the output: ") + avError(wrote));
        ++written;
    }
    if (!reachedEnd && !tracker.isComplete())
        return fail(QStringLiteral("the source is cut short"));
    if (written == 0)
        return fail(QStringLiteral("nothing to write in the time range"));
    if (const int result = av_write_trailer(output.format); result < 0)
        return fail(QStringLiteral("cannot finish the output: ") + avError(result));
    if (avio_closep(&output.format->pb) < 0)
        return fail(QStringLiteral("cannot close the output"));
    return true;
}

bool ExportSession::reencode(Input &input, Output &output)
{
    AVStream *source = input.stream();
    const AVCodec *decoderCodec = avcodec_find_decoder(source->codecpar->codec_id);
    if (!decoderCodec)
        return fail(QStringLiteral("no decoder for the source's audio"));
    output.decoder = avcodec_alloc_context3(decoderCodec);
    if (!output.decoder || avcodec_parameters_to_context(output.decoder, source->codecpar) < 0)
        return fail(QStringLiteral("cannot set up the decoder"));
    output.decoder->pkt_timebase = source->time_base;
    if (avcodec_open2(output.decoder, decoderCodec, nullptr) < 0)
        return fail(QStringLiteral("cannot open the decoder"));
    const int sourceRate
        = output.decoder->sample_rate > 0 ? output.decoder->sample_rate : source->codecpar->sample_rate;
    if (sourceRate <= 0)
        return fail(QStringLiteral("the source has no sample rate"));

    const AVCodec *encoderCodec = avcodec_find_encoder_by_name("aac");
    if (!encoderCodec)
        return fail(QStringLiteral("no AAC encoder"));
    if (avformat_alloc_output_context2(&output.format, nullptr, "ipod", nullptr) < 0)
        return fail(QStringLiteral("no M4A muxer"));
    AVCodecContext *encoder = output.encoder = avcodec_alloc_context3(encoderCodec);
    if (!encoder)
        return fail(QStringLiteral("cannot set up the encoder"));
    encoder->sample_fmt = AV_SAMPLE_FMT_FLTP;
    encoder->sample_rate = encoderSampleRate(encoderCodec, sourceRate);
    const int sourceChannels = output.decoder->ch_layout.nb_channels;
    if (sourceChannels == 1)
        encoder->ch_layout = AV_CHANNEL_LAYOUT_MONO;
    else
        encoder->ch_layout = AV_CHANNEL_LAYOUT_STEREO;
    encoder->bit_rate = kAacBitRate;
    encoder->time_base = AVRational { 1, encoder->sample_rate };
    if (output.format->oformat->flags & AVFMT_GLOBALHEADER)
        encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (const int result = avcodec_open2(encoder, encoderCodec, nullptr); result < 0)
        return fail(QStringLiteral("cannot open the AAC encoder: ") + avError(result));
    AVStream *stream = avformat_new_stream(output.format, nullptr);
    if (!stream || avcodec_parameters_from_context(stream->codecpar, encoder) < 0)
        return fail(QStringLiteral("cannot set up the output stream"));
    stream->time_base = encoder->time_base;
    if (!openOutputFile(output.format, output.path))
        return fail(QStringLiteral("cannot open the output file"));
    if (const int result = avformat_write_header(output.format, nullptr); result < 0)
        return fail(QStringLiteral("cannot start the output: ") + avError(result));
    output.fifo = av_audio_fifo_alloc(encoder->sample_fmt, encoder->ch_layout.nb_channels, 4096);
    if (!output.fifo)
        return fail(QStringLiteral("out of memory"));

    const double start = m_timeRange ? std::max(0.0, m_timeRange->first) : 0.0;
    const double end = m_timeRange ? start + m_timeRange->second : std::numeric_limits<double>::infinity();
    // Times below count from the stream's first sample, as the range and the mix do.
    const double zero = input.startSeconds();
    if (start > 0.0) {
        if (av_seek_frame(input.format, input.streamIndex, timestampOf(zero + start, source->time_base),
                AVSEEK_FLAG_BACKWARD)
            < 0)
            return fail(QStringLiteral("cannot seek in the source"));
    }

    const int outputRate = encoder->sample_rate;
    const int outputChannels = encoder->ch_layout.nb_channels;
    const int frameSize = encoder->frame_size > 0 ? encoder->frame_size : 1024;
    const bool applyMix = m_audioMix && !m_audioMix->isNeutral();
    std::vector<float> gains;
    double origin = std::numeric_limits<double>::quiet_NaN(); // time of the first output sample
    int64_t samplesOut = 0; // samples handed to the encoder
    double nextFrameTime = start; // expected time of the next decoded frame when it carries none

    uint8_t **converted = nullptr;
    int convertedCapacity = 0;
    struct BufferGuard
    {
        uint8_t ***buffer;
        ~BufferGuard()
        {
            if (*buffer)
                av_freep(&(*buffer)[0]);
            av_freep(buffer);
        }
    } convertedGuard { &converted };

    const auto writePackets = [&]() -> bool {
        for (;;) {
            const int result = avcodec_receive_packet(encoder, output.packet);
            if (result == AVERROR(EAGAIN) || result == AVERROR_EOF)
                return true;
            if (result < 0)
                return fail(QStringLiteral("the AAC encoder failed: ") + avError(result));
            output.packet->stream_index = 0;
            av_packet_rescale_ts(output.packet, encoder->time_base, stream->time_base);
            if (const int wrote = av_interleaved_write_frame(output.format, output.packet); wrote < 0)
                return fail(QStringLiteral("cannot write the output: ") + avError(wrote));
        }
    };

    // Hands `count` samples from the FIFO to the encoder, with the mix applied.
    const auto encodeFromFifo = [&](int count) -> bool {
        AVFrame *frame = av_frame_alloc();
        if (!frame)
            return fail(QStringLiteral("out of memory"));
        struct FrameGuard
        {
            AVFrame *f;
            ~FrameGuard() { av_frame_free(&f); }
        } guard { frame };
        frame->nb_samples = count;
        frame->format = encoder->sample_fmt;
        frame->sample_rate = outputRate;
        if (av_channel_layout_copy(&frame->ch_layout, &encoder->ch_layout) < 0 || av_frame_get_buffer(frame, 0) < 0)
            return fail(QStringLiteral("out of memory"));
        if (av_audio_fifo_read(output.fifo, reinterpret_cast<void **>(frame->data), count) != count)
            return fail(QStringLiteral("lost samples"));
        if (applyMix) {
            gains.resize(size_t(count));
            m_audioMix->fillGains(origin + double(samplesOut) / outputRate, 1.0 / outputRate, gains.data(), count);
            for (int channel = 0; channel < outputChannels; ++channel) {
                float *samples = reinterpret_cast<float *>(frame->data[channel]);
                for (int i = 0; i < count; ++i)
                    samples[i] *= gains[size_t(i)];
            }
        }
        frame->pts = samplesOut;
        samplesOut += count;
        if (const int result = avcodec_send_frame(encoder, frame); result < 0)
            return fail(QStringLiteral("the AAC encoder refused a frame: ") + avError(result));
        return writePackets();
    };

    const auto convert = [&](const uint8_t **in, int inCount) -> bool {
        const int capacity = swr_get_out_samples(output.resampler.context(), inCount);
        if (capacity < 0)
            return fail(QStringLiteral("the resampler failed"));
        if (capacity > convertedCapacity) {
            if (converted)
                av_freep(&converted[0]);
            av_freep(&converted);
            if (av_samples_alloc_array_and_samples(
                    &converted, nullptr, outputChannels, capacity, encoder->sample_fmt, 0)
                < 0)
                return fail(QStringLiteral("out of memory"));
            convertedCapacity = capacity;
        }
        const int produced = swr_convert(output.resampler.context(), converted, capacity, in, inCount);
        if (produced < 0)
            return fail(QStringLiteral("the resampler failed: ") + avError(produced));
        if (produced > 0 && av_audio_fifo_write(output.fifo, reinterpret_cast<void **>(converted), produced) < produced)
            return fail(QStringLiteral("out of memory"));
        while (av_audio_fifo_size(output.fifo) >= frameSize) {
            if (!encodeFromFifo(frameSize))
                return false;
        }
        return true;
    };

    bool reachedEnd = false;
    // Takes the part of a decoded frame that lies in the time range.
    const auto takeFrame = [&](AVFrame *frame) -> bool {
        const int rate = frame->sample_rate > 0 ? frame->sample_rate : sourceRate;
        const int64_t stamp = frame->best_effort_timestamp;
        const double at = stamp != AV_NOPTS_VALUE ? secondsOf(stamp, source->time_base) - zero : nextFrameTime;
        nextFrameTime = at + double(frame->nb_samples) / rate;
        int first = 0;
        int last = frame->nb_samples;
        if (m_timeRange) {
            if (at >= end) {
                reachedEnd = true;
                return true;
            }
            first = int(std::clamp<double>(std::llround((start - at) * rate), 0, frame->nb_samples));
            last = int(std::clamp<double>(std::llround((end - at) * rate), 0, frame->nb_samples));
        }
        if (last <= first)
            return true;
        if (!output.resampler.follow(
                frame, frame->sample_rate, sourceChannels, encoder->ch_layout, encoder->sample_fmt, outputRate))
            return fail(QStringLiteral("cannot set up the resampler"));
        if (std::isnan(origin))
            origin = at + double(first) / rate;
        const uint8_t *planes[AV_NUM_DATA_POINTERS] = {};
        if (!FrameResampler::planesFrom(frame, first, planes))
            return fail(QStringLiteral("too many channels"));
        return convert(planes, last - first);
    };

    const auto drainDecoder = [&]() -> bool {
        for (;;) {
            const int result = avcodec_receive_frame(output.decoder, output.frame);
            if (result == AVERROR(EAGAIN) || result == AVERROR_EOF)
                return true;
            if (result < 0) // a damaged frame: keep going, as players do
                return true;
            const bool ok = takeFrame(output.frame);
            av_frame_unref(output.frame);
            if (!ok)
                return false;
        }
    };

    ReadTracker tracker(input.declaredEnd(), zero + end);
    while (!reachedEnd) {
        if (isCancelled())
            return false;
        const int result = av_read_frame(input.format, output.packet);
        if (result == AVERROR_EOF)
            break;
        if (result < 0)
            return fail(QStringLiteral("cannot read the source: ") + avError(result));
        if (output.packet->stream_index != input.streamIndex) {
            av_packet_unref(output.packet);
            continue;
        }
        if (!tracker.add(output.packet, source->time_base)) {
            av_packet_unref(output.packet);
            return fail(QStringLiteral("the source is damaged or cut short"));
        }
        const int sent = avcodec_send_packet(output.decoder, output.packet);
        av_packet_unref(output.packet);
        // A damaged packet is skipped, as players do; the rest of the stream still counts.
        if (sent < 0 && sent != AVERROR_INVALIDDATA && sent != AVERROR(EAGAIN))
            return fail(QStringLiteral("the decoder failed: ") + avError(sent));
        if (!drainDecoder())
            return false;
    }
    if (isCancelled())
        return false;
    if (!reachedEnd && !tracker.isComplete())
        return fail(QStringLiteral("the source is cut short"));
    if (!reachedEnd) {
        avcodec_send_packet(output.decoder, nullptr);
        if (!drainDecoder())
            return false;
    }
    if (!output.resampler.context())
        return fail(QStringLiteral("no audio in the time range"));
    if (!convert(nullptr, 0))
        return false;
    if (const int rest = av_audio_fifo_size(output.fifo); rest > 0 && !encodeFromFifo(rest))
        return false;
    if (samplesOut == 0)
        return fail(QStringLiteral("no audio in the time range"));
    avcodec_send_frame(encoder, nullptr);
    if (!writePackets())
        return false;
    if (const int result = av_write_trailer(output.format); result < 0)
        return fail(QStringLiteral("cannot finish the output: ") + avError(result));
    if (avio_closep(&output.format->pb) < 0)
        return fail(QStringLiteral("cannot close the output"));
    return true;
}

bool ExportSession::writeMetadata(const QString &path)
{
    switch (Mp4TagWriter::writeItems(path, m_metadata)) {
    case Mp4TagWriter::Result::Written:
        return true;
    case Mp4TagWriter::Result::NotTaggable:
        return fail(QStringLiteral("cannot open the output for tagging"));
    case Mp4TagWriter::Result::NotSaved:
        break;
    }
    return fail(QStringLiteral("cannot write the metadata"));
}

} // namespace tarnik
