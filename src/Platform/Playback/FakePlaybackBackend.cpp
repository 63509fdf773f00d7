#include "Platform/Playback/FakePlaybackBackend.h"

#include <QTimer>
#include <algorithm>
#include <cmath>

namespace tarnik {

FakePlaybackBackend::FakePlaybackBackend(QObject *parent)
    : PlaybackBackend(parent)
{
}

void FakePlaybackBackend::setSource(const QString &path)
{
    m_source = path;
    ++m_sourceSerial;
    m_loadedSources.append(path);
    m_playing = false;
    m_position = 0;
    m_duration = 0;
    m_errorString.clear();
    m_status = Status::unknown;
    Q_EMIT statusChanged();
    if (!path.isEmpty() && m_loadsImmediately)
        finishLoading(true);
}

void FakePlaybackBackend::finishLoading(bool ok)
{
    if (ok) {
        m_duration = m_nextDuration;
        m_status = Status::readyToPlay;
        Q_EMIT durationChanged(m_duration);
    } else {
        m_status = Status::failed;
        m_errorString = QStringLiteral("The file could not be decoded.");
    }
    Q_EMIT statusChanged();
}

void FakePlaybackBackend::play()
{
    ++m_playCount;
    if (m_status == Status::failed)
        return;
    m_playing = true;
}

void FakePlaybackBackend::pause()
{
    ++m_pauseCount;
    m_playing = false;
}

void FakePlaybackBackend::seek(qint64 positionUs)
{
    m_position = std::clamp<qint64>(positionUs, 0, std::max<qint64>(m_duration, 0));
    Q_EMIT positionChanged(m_position);
    QTimer::singleShot(0, this, [this, serial = m_sourceSerial] {
        if (serial == m_sourceSerial)
            Q_EMIT seekFinished();
    });
}

void FakePlaybackBackend::advance(qint64 elapsedUs)
{
    if (!m_playing || m_status != Status::readyToPlay)
        return;
    const qint64 moved = std::llround(static_cast<double>(elapsedUs) * m_rate);
    const qint64 loopEnd = std::min(m_loopEnd, m_duration);
    if (loopEnd > m_loopStart && m_position < loopEnd && m_position + moved >= loopEnd) {
        m_position = m_loopStart + (m_position + moved - loopEnd) % (loopEnd - m_loopStart);
        Q_EMIT positionChanged(m_position);
        return;
    }
    m_position = std::min(m_position + moved, m_duration);
    Q_EMIT positionChanged(m_position);
    if (m_position >= m_duration) {
        m_playing = false;
        Q_EMIT endOfMedia();
    }
}

void FakePlaybackBackend::playToEnd()
{
    if (m_status != Status::readyToPlay)
        return;
    m_playing = true;
    advance(m_duration - m_position);
}

} // namespace tarnik
