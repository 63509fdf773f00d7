#include "Platform/Media/FFmpegInput.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <mutex>

extern "C" {
#include <libavutil/dict.h>
#include <libavutil/log.h>
#include <libavutil/mem.h>
}

namespace tarnik {

namespace {

constexpr int kIoBufferSize = 64 * 1024;
constexpr std::chrono::milliseconds kOpenTimeLimit { 15000 };
// Above FFmpeg's own probe size (5 MB of packets), so no stream of a real file
// loses information it would otherwise have found.
constexpr int64_t kScanLimit = 6 * 1024 * 1024;
// Frames that must decode cleanly before a weakly guessed file counts as media:
// noise can hold a frame header or two, seldom a run of decodable frames.
constexpr int kConfirmingFrames = 8;

// Demuxers that accept files which are not media containers: single images and
// image sequences, text art, and files that only point at other files.
bool isPseudoFormatName(const QString &name)
{
    static const char *const kNames[] = {
        "image2",
        "image2pipe",
        "gif",
        "apng",
        "mjpeg",
        "mpjpeg",
        "fits",
        "ico",
        "alias_pix",
        "brender_pix",
        "txd",
        "tty",
        "bin",
        "xbin",
        "adf",
        "idf",
        // A text script that synthesises endless tones; a ".txt" may hold one.
        "sbg",
        "ffmetadata",
        "concat",
        "hls",
        "dash",
        "sdp",
        "rtsp",
        "rtp",
        "data",
        "lavfi",
    };
    if (name.endsWith(QLatin1String("_pipe")))
        return true;
    for (const char *pseudo : kNames) {
        if (name == QLatin1String(pseudo))
            return true;
    }
    return false;
}

// Nested opens would let a playlist or reference movie read arbitrary paths.
int refuseNestedOpen(AVFormatContext *, AVIOContext **, const char *, int, AVDictionary **)
{
    return AVERROR(EPERM);
}

// FFmpeg's format guess: the first round's bytes, and its default largest guess (which also
// bounds how long an ID3v2 tag it waits past).
constexpr int kProbeBytesFirst = 2048;
constexpr int kProbeBytesMax = 1 << 20;
constexpr int kId3v2HeaderSize = 10;

// An ID3v2 header as FFmpeg's guess recognises one, and the length of the tag it starts.
bool isId3v2Header(const uint8_t *bytes)
{
    return bytes[0] == 'I' && bytes[1] == 'D' && bytes[2] == '3' && bytes[3] != 0xff && bytes[4] != 0xff
        && (bytes[6] & 0x80) == 0 && (bytes[7] & 0x80) == 0 && (bytes[8] & 0x80) == 0 && (bytes[9] & 0x80) == 0;
}

int id3v2TagLength(const uint8_t *bytes)
{
    int length = ((bytes[6] & 0x7f) << 21) + ((bytes[7] & 0x7f) << 14) + ((bytes[8] & 0x7f) << 7) + (bytes[9] & 0x7f)
        + kId3v2HeaderSize;
    if (bytes[5] & 0x10) // a footer
        length += kId3v2HeaderSize;
    return length;
}

// A round of the guess over the first `size` bytes that cannot decide while more bytes may
// follow: they end within a leading ID3v2 tag (one shorter than the largest guess), and FFmpeg
// then caps every demuxer's score below the "retry" score a guess must beat.
bool roundCannotDecide(const uint8_t *bytes, int size)
{
    if (size <= kId3v2HeaderSize || !isId3v2Header(bytes))
        return false;
    const int tag = id3v2TagLength(bytes);
    return size <= tag + 16 && tag < kProbeBytesMax;
}

// Hands the bytes the guess read back to the reader, so the demuxer starts at the top without a
// seek and the rest of the open reads exactly as after FFmpeg's own guess: the reader's buffer
// becomes the guessed bytes followed by whatever it held beyond them. Takes `probe` (an
// av_malloc'ed block) on success.
bool rewindWithProbedBytes(AVIOContext *io, uint8_t *&probe, int probed)
{
    const int held = int(io->buf_end - io->buffer);
    const int64_t heldStart = io->pos - held;
    if (io->write_flag || heldStart > probed)
        return false;
    const int overlap = int(probed - heldStart);
    const int combined = probed + held - overlap;
    const int allocation = std::max(io->buffer_size, combined);
    if (allocation > probed && av_reallocp(&probe, size_t(allocation)) < 0)
        return false;
    if (combined > probed) {
        std::memcpy(probe + probed, io->buffer + overlap, size_t(held - overlap));
        probed = combined;
    }
    av_free(io->buffer);
    io->buf_ptr = io->buffer = probe;
    io->buffer_size = allocation;
    io->pos = probed;
    io->buf_end = io->buf_ptr + probed;
    io->eof_reached = 0;
    probe = nullptr;
    return true;
}

} // namespace

int FFmpegInput::guessFormatPastTag(AVFormatContext *context, const char *name, const AVInputFormat **format)
{
    *format = nullptr;
    AVIOContext *io = context->pb;
    const int largest = context->format_probesize > 0 ? int(context->format_probesize) : kProbeBytesMax;
    // The reader has no options (no MIME type to weigh) and the guess starts at the top.
    if (io->av_class || largest < kProbeBytesFirst)
        return kNotGuessed;
    uint8_t head[kId3v2HeaderSize];
    if (m_file.readAt(0, head, kId3v2HeaderSize) != kId3v2HeaderSize || !isId3v2Header(head)
        || !roundCannotDecide(head, kProbeBytesFirst))
        return kNotGuessed;

    // FFmpeg's rounds: the same sizes, read through the same reader in the same calls, and the
    // same threshold (the last round, or one at the end of the file, takes any score).
    uint8_t *bytes = nullptr;
    int probed = 0;
    int score = 0;
    bool atEnd = false;
    int status = 0;
    for (int size = kProbeBytesFirst; size <= largest && !*format && !atEnd;
         size = std::min(size << 1, std::max(largest, size + 1))) {
        score = size < largest ? AVPROBE_SCORE_RETRY : 0;
        if ((status = av_reallocp(&bytes, size_t(size) + AVPROBE_PADDING_SIZE)) < 0)
            break;
        status = avio_read(io, bytes + probed, size - probed);
        if (status < 0) {
            if (status != AVERROR_EOF)
                break;
            score = 0;
            status = 0;
            atEnd = true;
        }
        probed += status;
        std::memset(bytes + probed, 0, AVPROBE_PADDING_SIZE);
        if (score == AVPROBE_SCORE_RETRY && roundCannotDecide(bytes, probed))
            continue;
        AVProbeData probe {};
        probe.filename = name;
        probe.buf = bytes;
        probe.buf_size = probed;
        *format = av_probe_input_format2(&probe, 1, &score);
    }
    if (status >= 0 && !*format)
        status = AVERROR_INVALIDDATA;
    if (status >= 0 && !rewindWithProbedBytes(io, bytes, probed))
        status = AVERROR(ENOMEM);
    av_free(bytes);
    if (status < 0) {
        *format = nullptr;
        return status;
    }
    return score;
}

void FFmpegInput::configureLogging()
{
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_FATAL); });
}

FFmpegInput::FFmpegInput(const QString &path, bool findStreamInfo)
    : m_file(path)
{
    if (!m_file.isOpen() || m_file.size() <= 0)
        return;
    configureLogging();
    m_deadline = std::chrono::steady_clock::now() + kOpenTimeLimit;

    auto *buffer = static_cast<unsigned char *>(av_malloc(kIoBufferSize));
    if (!buffer)
        return;
    m_io = avio_alloc_context(buffer, kIoBufferSize, 0, this, &FFmpegInput::readPacket, nullptr, &FFmpegInput::seek);
    if (!m_io) {
        av_free(buffer);
        return;
    }
    AVFormatContext *context = avformat_alloc_context();
    if (!context)
        return;
    context->pb = m_io;
    context->flags |= AVFMT_FLAG_CUSTOM_IO;
    context->io_open = &refuseNestedOpen;
    context->interrupt_callback.callback = &FFmpegInput::interrupt;
    context->interrupt_callback.opaque = this;

    // The path is handed over only as a name: demuxers weigh its extension
    // when they guess the format, as the platform's media framework does.
    const QByteArray name = QFile::encodeName(path);
    // Demuxers that open the files they name by themselves (a concatenation
    // list) get no protocol to do it with; io_open refuses the rest.
    AVDictionary *options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "none", 0);
    const AVInputFormat *format = nullptr;
    const int guessed = guessFormatPastTag(context, name.constData(), &format);
    if (guessed < 0 && guessed != kNotGuessed) {
        av_dict_free(&options);
        avformat_free_context(context);
        return;
    }
    const int opened = avformat_open_input(&context, name.constData(), format, &options);
    av_dict_free(&options);
    if (opened < 0)
        return; // avformat_open_input frees the context on failure
    m_context = context;
    // What FFmpeg's own guess would have recorded.
    if (format)
        m_context->probe_score = guessed;
    if (findStreamInfo)
        this->findStreamInfo();
}

bool FFmpegInput::findStreamInfo()
{
    if (!m_context || m_streamInfoFound)
        return m_context != nullptr;
    m_streamInfoFound = true;
    const QByteArray name = QFile::encodeName(m_file.path());
    // From here on FFmpeg looks for frames: a run of reads that finds none within the scan
    // limit ends there.
    m_scanned = 0;
    m_scanIsBounded = true;
    if (avformat_find_stream_info(m_context, nullptr) < 0) {
        avformat_close_input(&m_context);
        return false;
    }
    if (m_context->probe_score < AVPROBE_SCORE_RETRY && m_context->iformat && m_context->iformat->extensions
        && av_match_ext(name.constData(), m_context->iformat->extensions)) {
        m_audioConfirmed = decodesAudio();
        // Later readers (stills) start from the top again.
        if (m_audioConfirmed)
            av_seek_frame(m_context, -1, 0, AVSEEK_FLAG_BACKWARD);
    }
    m_scanIsBounded = false;
    return true;
}

bool FFmpegInput::decodesAudio()
{
    const int index = av_find_best_stream(m_context, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (index < 0)
        return false;
    const AVStream *stream = m_context->streams[index];
    const AVCodec *decoder = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!decoder)
        return false;
    std::unique_ptr<AVCodecContext, CodecContextDeleter> codec(avcodec_alloc_context3(decoder));
    if (!codec || avcodec_parameters_to_context(codec.get(), stream->codecpar) < 0)
        return false;
    codec->thread_count = 1;
    // Concealed damage still decodes "successfully"; here it must count as a failure.
    codec->err_recognition |= AV_EF_EXPLODE;
    if (avcodec_open2(codec.get(), decoder, nullptr) < 0)
        return false;
    std::unique_ptr<AVPacket, PacketDeleter> packet(av_packet_alloc());
    std::unique_ptr<AVFrame, FrameDeleter> frame(av_frame_alloc());
    if (!packet || !frame)
        return false;
    // Damage and the bytes of a broken tag come before the audio: skip what fails to decode
    // and look for a run of clean frames, within the scan limit.
    int run = 0;
    while (run < kConfirmingFrames) {
        if (av_read_frame(m_context, packet.get()) < 0)
            break;
        if (packet->stream_index != index) {
            av_packet_unref(packet.get());
            continue;
        }
        const int sent = avcodec_send_packet(codec.get(), packet.get());
        av_packet_unref(packet.get());
        if (sent < 0 && sent != AVERROR(EAGAIN)) {
            run = 0;
            avcodec_flush_buffers(codec.get());
            continue;
        }
        int received = 0;
        while ((received = avcodec_receive_frame(codec.get(), frame.get())) == 0) {
            ++run;
            av_frame_unref(frame.get());
        }
        if (received != AVERROR(EAGAIN) && received != AVERROR_EOF) {
            run = 0;
            avcodec_flush_buffers(codec.get());
        }
    }
    return run >= kConfirmingFrames;
}

FFmpegInput::~FFmpegInput()
{
    if (m_context)
        avformat_close_input(&m_context);
    if (m_io) {
        av_freep(&m_io->buffer);
        avio_context_free(&m_io);
    }
}

QString FFmpegInput::containerName() const
{
    if (!m_context || !m_context->iformat)
        return {};
    return QString::fromLatin1(m_context->iformat->name);
}

bool FFmpegInput::isPseudoFormat() const
{
    if (!m_context)
        return true;
    // A guess this weak is what FFmpeg makes of noise that happens to hold a
    // frame header or two; such a file is no media.
    if (m_context->probe_score < AVPROBE_SCORE_RETRY && !m_audioConfirmed)
        return true;
    if (isPseudoFormatName(containerName()))
        return true;
    // Still images and image sequences in the ISO media file format (AVIF,
    // HEIF) open with the MP4 demuxer; their brand tells them apart.
    if (containerName().startsWith(QLatin1String("mov,mp4"))) {
        const AVDictionaryEntry *brand = av_dict_get(m_context->metadata, "major_brand", nullptr, 0);
        static const char *const kImageBrands[]
            = { "avif", "avis", "heic", "heix", "heim", "heis", "hevc", "hevx", "mif1", "msf1", "avci" };
        if (brand && brand->value) {
            for (const char *image : kImageBrands) {
                if (qstrcmp(brand->value, image) == 0)
                    return true;
            }
        }
    }
    return false;
}

bool FFmpegInput::isWeakGuess() const
{
    return m_context && m_context->probe_score < AVPROBE_SCORE_RETRY;
}

QByteArray FFmpegInput::bytesAt(int64_t offset, int length) const
{
    QByteArray bytes(length, '\0');
    const std::int64_t count = offset >= 0 ? m_file.readAt(offset, bytes.data(), length) : -1;
    bytes.resize(count > 0 ? int(count) : 0);
    return bytes;
}

void FFmpegInput::extendTimeLimit(std::chrono::milliseconds limit)
{
    m_deadline = std::chrono::steady_clock::now() + limit;
}

int FFmpegInput::readPacket(void *opaque, uint8_t *buffer, int size)
{
    auto *self = static_cast<FFmpegInput *>(opaque);
    // FFmpeg checks its interrupt callback only between packets; a parser that finds no frame
    // keeps asking for bytes, so the read itself must stop.
    if (std::chrono::steady_clock::now() > self->m_deadline)
        return AVERROR_EXIT;
    if (self->m_scanIsBounded) {
        if (self->m_scanned >= kScanLimit)
            return AVERROR_EOF;
        size = int(std::min<int64_t>(size, kScanLimit - self->m_scanned));
    }
    const std::int64_t count = self->m_file.readAt(self->m_position, buffer, size);
    if (count < 0)
        return AVERROR(EIO);
    if (count == 0)
        return AVERROR_EOF;
    self->m_position += count;
    self->m_scanned += count;
    return int(count);
}

int64_t FFmpegInput::seek(void *opaque, int64_t offset, int whence)
{
    auto *self = static_cast<FFmpegInput *>(opaque);
    const std::int64_t size = self->m_file.size();
    whence &= ~AVSEEK_FORCE;
    std::int64_t target = 0;
    switch (whence) {
    case AVSEEK_SIZE:
        return size;
    case SEEK_SET:
        target = offset;
        break;
    case SEEK_CUR:
        target = self->m_position + offset;
        break;
    case SEEK_END:
        target = size + offset;
        break;
    default:
        return AVERROR(EINVAL);
    }
    if (target < 0)
        return AVERROR(EINVAL);
    self->m_position = target;
    self->m_scanned = 0;
    return target;
}

int FFmpegInput::interrupt(void *opaque)
{
    const auto *self = static_cast<const FFmpegInput *>(opaque);
    return std::chrono::steady_clock::now() > self->m_deadline ? 1 : 0;
}

} // namespace tarnik
