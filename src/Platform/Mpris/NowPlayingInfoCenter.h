#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QVariantMap>

namespace tarnik {

// What the system's media controls show about the item that plays: a dictionary handed over whole
// (title, artist, album, artwork, duration, elapsed time, rate) and the playback state. The desktop
// reads it over MPRIS (MprisService). Lives on the GUI thread.
class NowPlayingInfoCenter : public QObject
{
    Q_OBJECT
public:
    // Keys of the dictionary and the types of their values.
    static const QString mediaItemPropertyTitle; // QString
    static const QString mediaItemPropertyArtist; // QString
    static const QString mediaItemPropertyAlbumTitle; // QString
    static const QString mediaItemPropertyArtwork; // QImage
    static const QString mediaItemPropertyPlaybackDuration; // double, seconds
    static const QString nowPlayingInfoPropertyElapsedPlaybackTime; // double, seconds
    static const QString nowPlayingInfoPropertyPlaybackRate; // double

    enum class PlaybackState { unknown, playing, paused, stopped };
    Q_ENUM(PlaybackState)

    explicit NowPlayingInfoCenter(QObject *parent = nullptr);

    // The center of the process, made on first use and kept for its life.
    static NowPlayingInfoCenter &shared();

    QVariantMap nowPlayingInfo() const { return m_info; }
    // Replaces the dictionary whole; the elapsed time in it counts from this moment.
    void setNowPlayingInfo(const QVariantMap &info);

    PlaybackState playbackState() const { return m_state; }
    void setPlaybackState(PlaybackState state);

    // The elapsed time now, in seconds: the dictionary's elapsed time, moved on by its rate for the
    // time since it was set while the state is playing, kept within the duration when there is one.
    double currentElapsedTime() const;

Q_SIGNALS:
    void nowPlayingInfoChanged();
    void playbackStateChanged();

private:
    QVariantMap m_info;
    PlaybackState m_state = PlaybackState::unknown;
    // Started when the dictionary or the state last changed.
    QElapsedTimer m_since;
    double m_elapsedAtMark = 0.0;
};

} // namespace tarnik
