#include "Platform/Media/AudioDecoder.h"

#include "Platform/Media/FrameResampler.h"
#include "Platform/Media/FFmpegInput.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <vector>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

namespace tarnik {

namespace {

// Each step of decoding may read for this long before FFmpeg is interrupted.
constexpr std::chrono::milliseconds kStepTimeLimit { 5000 };
// A seek starts decoding this long before its position: decoders that carry state from frame to
// frame (MP3's bit reservoir, AAC's overlap) give silence or noise for their first frame.
constexpr double kPrerollSeconds = 0.2;
constexpr AVChannelLayout kStereo = AV_CHANNEL_LAYOUT_STEREO;

} // namespace

struct AudioDecoder::State
{
    explicit State(const QString &path)
        : input(path)
    {
    }

    FFmpegInput input;
    int streamIndex = -1;
    AVStream *stream = nullptr;
    std::unique_ptr<AVCodecContext, CodecContextDeleter> decoder;
    std::unique_ptr<AVFrame, FrameDeleter> frame { av_frame_alloc() };
    std::unique_ptr<AVPacket, PacketDeleter> packet { av_packet_alloc() };
    FrameResampler resampler;
    int rate = 0;
    // Decoded samples not read yet, from `pendingOffset` on (in samples, not frames).
    std::vector<qint16> pending;
    size_t pendingOffset = 0;
    // After a seek: the position whose earlier samples are dropped, in seconds.
    double dropBefore = -1;
    // Where the next frame starts when it carries no time stamp.
    double nextTime = 0;
    // The time stamp of the stream's first sample (an MP3's encoder delay): positions count from it.
    double startTime = 0;
    bool flushed = false; // the decoder was told the stream ended
    bool ended = false; // and gave all it had
};

AudioDecoder::AudioDecoder(const QString &path)
    : d(std::make_unique<State>(path))
{
    if (!d->input.isOpen() || !d->frame || !d->packet)
        return;
    AVFormatContext *context = d->input.context();
    const int index = av_find_best_stream(context, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (index < 0)
        return;
    AVStream *stream = context->streams[index];
    const AVCodec *codec = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!codec)
        return;
    std::unique_ptr<AVCodecContext, CodecContextDeleter> decoder(avcodec_alloc_context3(codec));
    if (!decoder || avcodec_parameters_to_context(decoder.get(), stream->codecpar) < 0)
        return;
    decoder->pkt_timebase = stream->time_base;
    if (avcodec_open2(decoder.get(), codec, nullptr) < 0)
        return;
    const int rate = decoder->sample_rate > 0 ? decoder->sample_rate : stream->codecpar->sample_rate;
    if (rate <= 0)
        return;
    d->streamIndex = index;
    d->stream = stream;
    d->decoder = std::move(decoder);
    d->rate = rate;
    d->startTime = streamStartSeconds(stream);
    // Packets of other streams (cover art, video) are not even read.
    for (unsigned i = 0; i < context->nb_streams; ++i)
        context->streams[i]->discard = int(i) == index ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
}

AudioDecoder::~AudioDecoder() = default;

bool AudioDecoder::isOpen() const
{
    return d->decoder != nullptr;
}

int AudioDecoder::sampleRate() const
{
    return d->rate;
}

qint64 AudioDecoder::durationUs() const
{
    if (!isOpen())
        return 0;
    if (d->stream->duration != AV_NOPTS_VALUE && d->stream->duration > 0)
        return qint64(std::llround(double(d->stream->duration) * av_q2d(d->stream->time_base) * 1e6));
    const AVFormatContext *context = d->input.context();
    if (context->duration != AV_NOPTS_VALUE && context->duration > 0)
        return qint64(av_rescale(context->duration, 1'000'000, AV_TIME_BASE));
    return 0;
}

bool AudioDecoder::seek(qint64 positionUs)
{
    if (!isOpen())
        return false;
    const double seconds = double(std::max<qint64>(positionUs, 0)) / 1e6 + d->startTime;
    d->input.extendTimeLimit(kStepTimeLimit);
    const auto stamp = int64_t(std::floor(std::max(seconds - kPrerollSeconds, 0.0) / av_q2d(d->stream->time_base)));
    if (av_seek_frame(d->input.context(), d->streamIndex, stamp, AVSEEK_FLAG_BACKWARD) < 0
        && av_seek_frame(d->input.context(), d->streamIndex, stamp, AVSEEK_FLAG_BACKWARD | AVSEEK_FLAG_ANY) < 0)
        return false;
    avcodec_flush_buffers(d->decoder.get());
    d->pending.clear();
    d->pendingOffset = 0;
    d->dropBefore = seconds;
    d->nextTime = seconds;
    d->flushed = false;
    d->ended = false;
    return true;
}

qint64 AudioDecoder::read(qint16 *out, qint64 frames)
{
    qint64 done = 0;
    while (done < frames && isOpen()) {
        const size_t available = d->pending.size() - d->pendingOffset;
        if (available == 0) {
            if (!decodeMore())
                break;
            continue;
        }
        const size_t wanted = size_t(frames - done) * kChannels;
        const size_t take = std::min(available, wanted);
        std::memcpy(out + done * kChannels, d->pending.data() + d->pendingOffset, take * sizeof(qint16));
        d->pendingOffset += take;
        done += qint64(take / kChannels);
    }
    return done;
}

// Decodes the next frame into `pending`; false at the end of the audio or on a read error.
bool AudioDecoder::decodeMore()
{
    State &s = *d;
    s.pending.clear();
    s.pendingOffset = 0;
    int failures = 0;
    while (!s.ended) {
        const int received = avcodec_receive_frame(s.decoder.get(), s.frame.get());
        if (received == AVERROR_EOF) {
            s.ended = true;
            break;
        }
        if (received == 0) {
            AVFrame *frame = s.frame.get();
            const int rate = frame->sample_rate > 0 ? frame->sample_rate : s.rate;
            const double at = frame->best_effort_timestamp != AV_NOPTS_VALUE
                ? double(frame->best_effort_timestamp) * av_q2d(s.stream->time_base)
                : s.nextTime;
            s.nextTime = at + double(frame->nb_samples) / rate;
            int first = 0;
            if (s.dropBefore >= 0) {
                first = int(std::clamp<double>(std::llround((s.dropBefore - at) * rate), 0, frame->nb_samples));
                if (first < frame->nb_samples)
                    s.dropBefore = -1;
            }
            const int count = frame->nb_samples - first;
            bool converted = false;
            if (count > 0) {
                // Output at the stream's first rate, so the sink keeps one format.
                if (!s.resampler.follow(frame, rate, 1, kStereo, AV_SAMPLE_FMT_S16, s.rate)) {
                    av_frame_unref(frame);
                    return false;
                }
                const uint8_t *planes[AV_NUM_DATA_POINTERS] = {};
                const int capacity = swr_get_out_samples(s.resampler.context(), count);
                if (FrameResampler::planesFrom(frame, first, planes) && capacity > 0) {
                    s.pending.resize(size_t(capacity) * kChannels);
                    auto *target = reinterpret_cast<uint8_t *>(s.pending.data());
                    const int produced = swr_convert(s.resampler.context(), &target, capacity, planes, count);
                    s.pending.resize(size_t(std::max(produced, 0)) * kChannels);
                    converted = produced > 0;
                }
            }
            av_frame_unref(frame);
            if (converted)
                return true;
            continue;
        }
        if (received != AVERROR(EAGAIN)) {
            // A damaged frame: go on, as players do, unless the decoder has nothing else to say.
            if (++failures > 1000)
                s.ended = true;
            continue;
        }
        if (s.flushed) {
            s.ended = true;
            break;
        }
        s.input.extendTimeLimit(kStepTimeLimit);
        const int read = av_read_frame(s.input.context(), s.packet.get());
        if (read < 0) {
            // The end of the file, or one that cannot be read further: what the decoder holds still plays.
            avcodec_send_packet(s.decoder.get(), nullptr);
            s.flushed = true;
            continue;
        }
        if (s.packet->stream_index == s.streamIndex)
            avcodec_send_packet(s.decoder.get(), s.packet.get()); // a damaged packet is skipped
        av_packet_unref(s.packet.get());
    }
    return false;
}

} // namespace tarnik
