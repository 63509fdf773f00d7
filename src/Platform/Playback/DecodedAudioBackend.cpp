#include "Platform/Playback/DecodedAudioBackend.h"

#include "Platform/Audio/ApplicationOutputVolume.h"
#include "Platform/Media/AudioDecoder.h"

#include <QAudioDevice>
#include <QAudioSink>
#include <QMediaDevices>
#include <algorithm>
#include <cmath>

namespace tarnik {

namespace {

// The sink holds about this much ahead of what is heard: enough to ride out a busy GUI thread, short
// enough that a moved loop end is heard soon. A pause or a seek drops it at once.
constexpr int kBufferMs = 300;
constexpr int kFeedIntervalMs = 10;
constexpr qint64 kChunkFrames = 2048;
constexpr int kBytesPerFrame = AudioDecoder::kBytesPerFrame;

} // namespace

DecodedAudioBackend::DecodedAudioBackend(QObject *parent)
    : PlaybackBackend(parent)
{
    m_feedTimer.setTimerType(Qt::PreciseTimer);
    m_feedTimer.setInterval(kFeedIntervalMs);
    connect(&m_feedTimer, &QTimer::timeout, this, &DecodedAudioBackend::feed);
    // The app's own volume applies to every player of the process.
    auto &appVolume = ApplicationOutputVolume::shared();
    connect(&appVolume, &SystemVolume::volumeChanged, this, &DecodedAudioBackend::applyVolume);
    connect(&appVolume, &SystemVolume::mutedChanged, this, &DecodedAudioBackend::applyVolume);
    applyVolume();
}

DecodedAudioBackend::~DecodedAudioBackend()
{
    stopSink();
}

qint64 DecodedAudioBackend::framesOf(qint64 us) const
{
    const int rate = m_format.sampleRate();
    return rate > 0 ? qint64(std::llround(double(us) * rate / 1e6)) : 0;
}

qint64 DecodedAudioBackend::microsecondsOf(qint64 frames) const
{
    const int rate = m_format.sampleRate();
    return rate > 0 ? qint64(std::llround(double(frames) * 1e6 / rate)) : 0;
}

void DecodedAudioBackend::setSource(const QString &path)
{
    stopSink();
    ++m_sourceSerial;
    m_playing = false;
    m_source = path;
    m_decoder.reset();
    m_restingFrame = 0;
    m_decodeFrame = 0;
    m_durationUs = 0;
    m_errorString.clear();
    m_status = Status::unknown;
    if (path.isEmpty()) {
        Q_EMIT statusChanged();
        return;
    }
    auto decoder = std::make_unique<AudioDecoder>(path);
    if (!decoder->isOpen()) {
        m_status = Status::failed;
        m_errorString = QStringLiteral("The file holds no audio that can be decoded.");
        Q_EMIT statusChanged();
        return;
    }
    m_format.setSampleRate(decoder->sampleRate());
    m_format.setChannelCount(AudioDecoder::kChannels);
    m_format.setSampleFormat(QAudioFormat::Int16);
    m_durationUs = decoder->durationUs();
    m_decoder = std::move(decoder);
    m_status = Status::readyToPlay;
    Q_EMIT durationChanged(m_durationUs);
    Q_EMIT statusChanged();
}

void DecodedAudioBackend::play()
{
    if (m_playing || m_status != Status::readyToPlay)
        return;
    m_playing = true;
    startSink();
}

void DecodedAudioBackend::pause()
{
    if (!m_playing)
        return;
    m_restingFrame = heardFrame();
    m_playing = false;
    stopSink();
    Q_EMIT positionChanged(position());
}

qint64 DecodedAudioBackend::position() const
{
    return microsecondsOf(m_sink ? heardFrame() : m_restingFrame);
}

void DecodedAudioBackend::seek(qint64 positionUs)
{
    m_restingFrame = framesOf(std::max<qint64>(positionUs, 0));
    if (m_playing) {
        // What the sink holds is dropped: the new place is heard at once.
        stopSink();
        startSink();
    }
    Q_EMIT positionChanged(position());
    QTimer::singleShot(0, this, [this, serial = m_sourceSerial] {
        if (serial == m_sourceSerial)
            Q_EMIT seekFinished();
    });
}

void DecodedAudioBackend::setLoopRange(qint64 startUs, qint64 endUs)
{
    m_loopStartUs = std::max<qint64>(startUs, 0);
    m_loopEndUs = std::max(endUs, m_loopStartUs);
}

void DecodedAudioBackend::clearLoopRange()
{
    m_loopStartUs = 0;
    m_loopEndUs = -1;
}

void DecodedAudioBackend::setVolume(float volume)
{
    m_volume = std::isfinite(volume) ? std::clamp(volume, 0.0f, 1.0f) : 0.0f;
    applyVolume();
}

void DecodedAudioBackend::applyVolume()
{
    const auto &appVolume = ApplicationOutputVolume::shared();
    m_gain = appVolume.isMuted() ? 0.0f : float(double(m_volume) * std::clamp(appVolume.volume(), 0.0, 1.0));
}

void DecodedAudioBackend::startSink()
{
    if (!m_decoder)
        return;
    if (hasLoop() && m_restingFrame >= framesOf(m_loopEndUs) && m_loopEndUs > m_loopStartUs)
        m_restingFrame = framesOf(m_loopStartUs);
    // The decoder has run ahead by what the last sink held: it starts again where playback stands.
    m_decoder->seek(microsecondsOf(m_restingFrame));
    m_decodeFrame = m_restingFrame;
    m_runs.clear();
    m_written = 0;
    m_unwritten.clear();
    m_draining = false;
    m_sink = new QAudioSink(QMediaDevices::defaultAudioOutput(), m_format, this);
    m_sink->setBufferSize(int(framesOf(kBufferMs * 1000)) * kBytesPerFrame);
    m_device = m_sink->start();
    if (!m_device) {
        // No sound server: nothing is heard, and the position stays where it is.
        qWarning("DecodedAudioBackend: the audio output did not start (error %d)", int(m_sink->error()));
        stopSink();
        return;
    }
    feed();
    m_feedTimer.start();
}

void DecodedAudioBackend::stopSink()
{
    m_feedTimer.stop();
    m_device = nullptr;
    if (QAudioSink *sink = m_sink) {
        m_sink = nullptr;
        sink->disconnect(this);
        sink->stop();
        delete sink;
    }
    m_runs.clear();
    m_written = 0;
    m_unwritten.clear();
    m_draining = false;
}

// How many of the frames given to the sink it has played: those written less those it still holds.
qint64 DecodedAudioBackend::playedFrames() const
{
    const qint64 held = std::max<qint64>(m_sink->bufferSize() - m_sink->bytesFree(), 0) / kBytesPerFrame;
    const qint64 given = m_written - qint64(m_unwritten.size()) / kBytesPerFrame;
    return std::max<qint64>(given - held, 0);
}

// The source frame being heard: the frames written less those the sink still holds.
qint64 DecodedAudioBackend::heardFrame() const
{
    if (!m_sink || m_runs.empty())
        return m_runs.empty() ? m_restingFrame : m_runs.front().source;
    const qint64 played = playedFrames();
    for (const Run &run : m_runs) {
        if (played < run.written + run.frames)
            return run.frames > 0 ? run.source + std::max<qint64>(played - run.written, 0) : run.source;
    }
    const Run &last = m_runs.back();
    return last.source + last.frames;
}

void DecodedAudioBackend::feed()
{
    if (!m_sink || !m_device || !m_decoder)
        return;
    const qint64 loopStart = framesOf(m_loopStartUs);
    const qint64 loopEnd = hasLoop() ? framesOf(m_loopEndUs) : -1;
    std::vector<qint16> samples;
    for (;;) {
        if (!m_unwritten.isEmpty()) {
            const qint64 taken = m_device->write(m_unwritten);
            if (taken > 0)
                m_unwritten.remove(0, taken);
            if (!m_unwritten.isEmpty())
                break;
        }
        if (m_draining)
            break;
        const qint64 room = m_sink->bytesFree() / kBytesPerFrame;
        if (room < 256)
            break;
        const qint64 frames = std::min(room, kChunkFrames);
        samples.assign(size_t(frames) * AudioDecoder::kChannels, 0);
        qint64 produced = 0;
        int wraps = 0;
        while (produced < frames) {
            const qint64 at = m_written + produced;
            if (loopEnd >= 0 && (loopEnd <= loopStart || wraps > 1)) {
                // An empty range, or one where the file has no audio: silence, standing at the start.
                m_runs.push_back({ at, loopStart, 0 });
                produced = frames;
                break;
            }
            if (loopEnd >= 0 && m_decodeFrame >= loopEnd) {
                m_decoder->seek(m_loopStartUs);
                m_decodeFrame = loopStart;
                ++wraps;
                continue;
            }
            const qint64 wanted = loopEnd >= 0 ? std::min(frames - produced, loopEnd - m_decodeFrame) : frames - produced;
            const qint64 got = m_decoder->read(samples.data() + produced * AudioDecoder::kChannels, wanted);
            if (got <= 0) {
                if (loopEnd >= 0) {
                    // The file ends inside the range: its end is the loop's end.
                    m_decoder->seek(m_loopStartUs);
                    m_decodeFrame = loopStart;
                    ++wraps;
                    continue;
                }
                m_draining = true;
                break;
            }
            wraps = 0;
            if (!m_runs.empty()) {
                Run &last = m_runs.back();
                if (last.frames > 0 && last.written + last.frames == at && last.source + last.frames == m_decodeFrame)
                    last.frames += got;
                else
                    m_runs.push_back({ at, m_decodeFrame, got });
            } else {
                m_runs.push_back({ at, m_decodeFrame, got });
            }
            m_decodeFrame += got;
            produced += got;
        }
        if (produced > 0) {
            // The volume is applied here, to what is written from now on: the same on every sink.
            if (m_gain < 1.0f) {
                for (qint64 i = 0; i < produced * AudioDecoder::kChannels; ++i)
                    samples[size_t(i)] = qint16(std::lround(float(samples[size_t(i)]) * m_gain));
            }
            m_unwritten.append(reinterpret_cast<const char *>(samples.data()), produced * kBytesPerFrame);
            m_written += produced;
        }
        if (m_draining && m_unwritten.isEmpty())
            break;
    }
    // Runs wholly heard are forgotten, the one being heard stays.
    const qint64 heard = heardFrame();
    const qint64 played = playedFrames();
    while (m_runs.size() > 1 && m_runs[1].written <= played)
        m_runs.pop_front();
    if (m_draining && m_unwritten.isEmpty() && played >= m_written) {
        // The file played to its end.
        m_restingFrame = heard;
        m_playing = false;
        stopSink();
        Q_EMIT positionChanged(position());
        Q_EMIT endOfMedia();
        return;
    }
    Q_EMIT positionChanged(microsecondsOf(heard));
}

} // namespace tarnik
