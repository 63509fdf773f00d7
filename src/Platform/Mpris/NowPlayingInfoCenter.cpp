#include "Platform/Mpris/NowPlayingInfoCenter.h"

#include <algorithm>

namespace tarnik {

const QString NowPlayingInfoCenter::mediaItemPropertyTitle = QStringLiteral("MPMediaItemPropertyTitle");
const QString NowPlayingInfoCenter::mediaItemPropertyArtist = QStringLiteral("MPMediaItemPropertyArtist");
const QString NowPlayingInfoCenter::mediaItemPropertyAlbumTitle = QStringLiteral("MPMediaItemPropertyAlbumTitle");
const QString NowPlayingInfoCenter::mediaItemPropertyArtwork = QStringLiteral("MPMediaItemPropertyArtwork");
const QString NowPlayingInfoCenter::mediaItemPropertyPlaybackDuration
    = QStringLiteral("MPMediaItemPropertyPlaybackDuration");
const QString NowPlayingInfoCenter::nowPlayingInfoPropertyElapsedPlaybackTime
    = QStringLiteral("MPNowPlayingInfoPropertyElapsedPlaybackTime");
const QString NowPlayingInfoCenter::nowPlayingInfoPropertyPlaybackRate
    = QStringLiteral("MPNowPlayingInfoPropertyPlaybackRate");

NowPlayingInfoCenter::NowPlayingInfoCenter(QObject *parent)
    : QObject(parent)
{
    m_since.start();
}

NowPlayingInfoCenter &NowPlayingInfoCenter::shared()
{
    static NowPlayingInfoCenter *center = new NowPlayingInfoCenter;
    return *center;
}

void NowPlayingInfoCenter::setNowPlayingInfo(const QVariantMap &info)
{
    m_info = info;
    m_elapsedAtMark = info.value(nowPlayingInfoPropertyElapsedPlaybackTime).toDouble();
    m_since.restart();
    Q_EMIT nowPlayingInfoChanged();
}

void NowPlayingInfoCenter::setPlaybackState(PlaybackState state)
{
    if (state == m_state)
        return;
    // Freeze the time reached so far, so that a pause does not lose what was played since the last
    // dictionary and a resume does not count the paused time.
    m_elapsedAtMark = currentElapsedTime();
    m_since.restart();
    m_state = state;
    Q_EMIT playbackStateChanged();
}

double NowPlayingInfoCenter::currentElapsedTime() const
{
    double elapsed = m_elapsedAtMark;
    if (m_state == PlaybackState::playing) {
        const QVariant rate = m_info.value(nowPlayingInfoPropertyPlaybackRate);
        elapsed += (rate.isValid() ? rate.toDouble() : 1.0) * static_cast<double>(m_since.elapsed()) / 1000.0;
    }
    const QVariant duration = m_info.value(mediaItemPropertyPlaybackDuration);
    if (duration.isValid() && duration.toDouble() > 0)
        elapsed = std::min(elapsed, duration.toDouble());
    return std::max(elapsed, 0.0);
}

} // namespace tarnik
