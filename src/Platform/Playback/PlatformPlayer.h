#pragma once

#include "Platform/MediaTime.h"
#include "Platform/Playback/PlaybackBackend.h"
#include "Platform/Playback/PlayerItem.h"

#include <QObject>
#include <QPointer>
#include <QVideoSink>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>

namespace tarnik {

// The platform's media player: one current item, a rate, a position, periodic time observers, the
// end-of-item notice and one video output. Playback itself is done by a PlaybackBackend (Qt
// Multimedia, or a fake in tests).
//
// The rate is the player's own: play() makes it 1.0, pause() 0.0, setRate() anything; it drops to
// 0.0 when the item plays to its end or fails. Replacing the item keeps the rate, so a playing
// player plays the new item. Times are media times at a timescale of 1,000,000.
//
// Lives on the GUI thread; every member is called there and every callback runs there.
class PlatformPlayer : public QObject
{
    Q_OBJECT
public:
    using TimeObserverToken = quint64;

    explicit PlatformPlayer(
        std::unique_ptr<PlaybackBackend> backend = PlaybackBackend::make(), QObject *parent = nullptr);
    ~PlatformPlayer() override;

    std::shared_ptr<PlayerItem> currentItem() const { return m_currentItem; }
    // Makes item current (none unloads); it starts at the position it was last sought to.
    virtual void replaceCurrentItem(const std::shared_ptr<PlayerItem> &item);

    virtual void play();
    virtual void pause();
    double rate() const { return m_rate; }
    void setRate(double rate);
    // The rate is exactly 1.0; 2.0 and 0.5 do not count.
    bool isPlaying() const { return m_rate == 1.0; }

    // The current item's position; zero without an item. While a seek is under way, its target.
    MediaTime currentTime() const;
    // Seeks the current item; see PlayerItem::seek. Without an item, completion(false).
    void seek(const MediaTime &time, std::function<void(bool finished)> completion = {});

    // Plays the range over and over, as a player looper does: at its end (or the item's) playback
    // goes on at its start without a gap, until paused. An empty range plays silence at its start;
    // none (or an invalid range) plays the item through. Kept across seeks and items.
    void setLoopRange(const std::optional<MediaTimeRange> &range);
    std::optional<MediaTimeRange> loopRange() const { return m_loopRange; }

    // Calls block with the current time each time playback crosses a multiple of interval and after
    // a seek, on the GUI thread, until the token is removed.
    TimeObserverToken addPeriodicTimeObserver(const MediaTime &interval, std::function<void(const MediaTime &)> block);
    void removeTimeObserver(TimeObserverToken token);
    int timeObserverCount() const { return static_cast<int>(m_timeObservers.size()); }

    // Where video frames go: one sink at a time; null detaches. A sink that is destroyed detaches itself.
    void setVideoOutput(QVideoSink *sink);
    QVideoSink *videoOutput() const { return m_videoOutput; }

    PlaybackBackend &backend() const { return *m_backend; }

    static MediaTime timeFromMicroseconds(qint64 us);
    // Microseconds of a numeric time; 0 for any other.
    static qint64 microseconds(const MediaTime &time);

Q_SIGNALS:
    // The item played to its end; the rate is already 0.0.
    void itemDidPlayToEndTime(PlayerItem *item);
    void rateChanged(double rate);
    void currentItemStatusChanged();

private:
    friend class PlayerItem;

    struct TimeObserver
    {
        qint64 intervalUs;
        std::function<void(const MediaTime &)> block;
        qint64 lastPeriod;
    };
    struct PendingSeek
    {
        quint64 generation;
        std::function<void(bool)> completion;
    };

    void setRateInternal(double rate);
    void seekUs(qint64 us, std::function<void(bool)> completion);
    void onSeekFinished();
    void failPendingSeeks();
    void onPosition(qint64 us, bool force);
    PlayerItem::Status currentItemStatus() const;

    std::unique_ptr<PlaybackBackend> m_backend;
    std::shared_ptr<PlayerItem> m_currentItem;
    double m_rate = 0.0;
    std::map<TimeObserverToken, TimeObserver> m_timeObservers;
    TimeObserverToken m_nextToken = 1;
    std::deque<PendingSeek> m_pendingSeeks;
    quint64 m_seekGeneration = 0;
    qint64 m_seekTargetUs = -1;
    QPointer<QVideoSink> m_videoOutput;
    QMetaObject::Connection m_videoOutputDestroyed;
    std::optional<MediaTimeRange> m_loopRange;
};

} // namespace tarnik
