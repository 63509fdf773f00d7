#include "Platform/Playback/PlatformPlayer.h"

#include <QTimer>
#include <QVideoSink>
#include <algorithm>
#include <cmath>

namespace tarnik {

PlatformPlayer::PlatformPlayer(std::unique_ptr<PlaybackBackend> backend, QObject *parent)
    : QObject(parent)
    , m_backend(std::move(backend))
{
    m_backend->setParent(nullptr);
    connect(m_backend.get(), &PlaybackBackend::positionChanged, this, [this](qint64 us) { onPosition(us, false); });
    connect(m_backend.get(), &PlaybackBackend::seekFinished, this, &PlatformPlayer::onSeekFinished);
    connect(m_backend.get(), &PlaybackBackend::statusChanged, this, [this] {
        if (m_backend->status() == PlaybackBackend::Status::failed && m_currentItem)
            setRateInternal(0.0);
        Q_EMIT currentItemStatusChanged();
    });
    connect(m_backend.get(), &PlaybackBackend::endOfMedia, this, [this] {
        if (!m_currentItem)
            return;
        // The player stops at the end of its item, as the platform's player does.
        setRateInternal(0.0);
        // Keep the item alive through the handlers: one of them may replace it.
        const std::shared_ptr<PlayerItem> ended = m_currentItem;
        Q_EMIT itemDidPlayToEndTime(ended.get());
    });
}

PlatformPlayer::~PlatformPlayer()
{
    if (m_currentItem)
        m_currentItem->m_player = nullptr;
    disconnect(m_videoOutputDestroyed);
    m_backend->disconnect(this);
    m_backend->setVideoSink(nullptr);
}

MediaTime PlatformPlayer::timeFromMicroseconds(qint64 us)
{
    return MediaTime::make(us, MediaTime::kDefaultTimescale);
}

qint64 PlatformPlayer::microseconds(const MediaTime &time)
{
    if (!time.isNumeric())
        return 0;
    const double seconds = time.seconds();
    return std::isfinite(seconds) ? std::llround(seconds * 1'000'000.0) : 0;
}

void PlatformPlayer::replaceCurrentItem(const std::shared_ptr<PlayerItem> &item)
{
    if (item == m_currentItem)
        return;
    if (m_currentItem) {
        // The old item remembers where it was, as a player item does when it leaves its player.
        m_currentItem->m_startUs = microseconds(currentTime());
        m_currentItem->m_player = nullptr;
    }
    failPendingSeeks();
    m_seekTargetUs = -1;
    if (item && item->m_player)
        item->m_player->replaceCurrentItem(nullptr);
    m_currentItem = item;
    if (!item) {
        m_backend->setSource(QString());
        return;
    }
    item->m_player = this;
    m_backend->setSource(item->path());
    if (item->m_startUs > 0)
        seekUs(item->m_startUs, {});
    if (m_rate != 0.0) {
        m_backend->setPlaybackRate(m_rate);
        m_backend->play();
    }
    for (auto &[token, observer] : m_timeObservers)
        observer.lastPeriod = -1;
}

void PlatformPlayer::play()
{
    setRate(1.0);
}

void PlatformPlayer::pause()
{
    setRate(0.0);
}

void PlatformPlayer::setRate(double rate)
{
    if (!std::isfinite(rate))
        return;
    if (rate == 0.0) {
        m_backend->pause();
    } else if (m_currentItem && m_backend->status() != PlaybackBackend::Status::failed) {
        m_backend->setPlaybackRate(rate);
        m_backend->play();
    }
    setRateInternal(rate);
}

void PlatformPlayer::setRateInternal(double rate)
{
    if (rate == m_rate)
        return;
    m_rate = rate;
    Q_EMIT rateChanged(rate);
}

MediaTime PlatformPlayer::currentTime() const
{
    if (!m_currentItem)
        return MediaTime::zero();
    return timeFromMicroseconds(m_seekTargetUs >= 0 ? m_seekTargetUs : m_backend->position());
}

void PlatformPlayer::seek(const MediaTime &time, std::function<void(bool finished)> completion)
{
    if (!m_currentItem || !time.isNumeric()) {
        if (completion)
            QTimer::singleShot(0, this, [completion = std::move(completion)] { completion(false); });
        return;
    }
    seekUs(std::max<qint64>(microseconds(time), 0), std::move(completion));
}

void PlatformPlayer::seekUs(qint64 us, std::function<void(bool)> completion)
{
    m_pendingSeeks.push_back({ ++m_seekGeneration, std::move(completion) });
    m_seekTargetUs = us;
    m_backend->seek(us);
}

void PlatformPlayer::onSeekFinished()
{
    if (m_pendingSeeks.empty())
        return;
    PendingSeek done = std::move(m_pendingSeeks.front());
    m_pendingSeeks.pop_front();
    const bool latest = done.generation == m_seekGeneration;
    if (latest)
        m_seekTargetUs = -1;
    if (done.completion)
        done.completion(latest);
    if (latest && m_currentItem)
        onPosition(m_backend->position(), true);
}

void PlatformPlayer::failPendingSeeks()
{
    auto pending = std::exchange(m_pendingSeeks, {});
    for (auto &seek : pending) {
        if (seek.completion)
            QTimer::singleShot(0, this, [completion = std::move(seek.completion)] { completion(false); });
    }
}

void PlatformPlayer::setLoopRange(const std::optional<MediaTimeRange> &range)
{
    if (!range || !range->isValid() || range->isIndefinite()) {
        m_loopRange.reset();
        m_backend->clearLoopRange();
        return;
    }
    m_loopRange = range;
    const qint64 start = std::max<qint64>(microseconds(range->start), 0);
    m_backend->setLoopRange(start, std::max(microseconds(range->end()), start));
}

PlatformPlayer::TimeObserverToken PlatformPlayer::addPeriodicTimeObserver(
    const MediaTime &interval, std::function<void(const MediaTime &)> block)
{
    // An interval below a millisecond would call back on every position report; hold it at one.
    const qint64 intervalUs = std::max<qint64>(microseconds(interval), 1000);
    const TimeObserverToken token = m_nextToken++;
    m_timeObservers.emplace(token, TimeObserver { intervalUs, std::move(block), -1 });
    return token;
}

void PlatformPlayer::removeTimeObserver(TimeObserverToken token)
{
    m_timeObservers.erase(token);
}

void PlatformPlayer::onPosition(qint64 us, bool force)
{
    if (!m_currentItem || m_seekTargetUs >= 0)
        return;
    const MediaTime time = timeFromMicroseconds(us);
    std::vector<TimeObserverToken> tokens;
    tokens.reserve(m_timeObservers.size());
    for (const auto &[token, observer] : m_timeObservers)
        tokens.push_back(token);
    for (const TimeObserverToken token : tokens) {
        // A block may remove observers, itself included.
        const auto found = m_timeObservers.find(token);
        if (found == m_timeObservers.end())
            continue;
        const qint64 period = us / found->second.intervalUs;
        if (!force && period == found->second.lastPeriod)
            continue;
        found->second.lastPeriod = period;
        const auto block = found->second.block;
        block(time);
    }
}

PlayerItem::Status PlatformPlayer::currentItemStatus() const
{
    switch (m_backend->status()) {
    case PlaybackBackend::Status::readyToPlay:
        return PlayerItem::Status::readyToPlay;
    case PlaybackBackend::Status::failed:
        return PlayerItem::Status::failed;
    case PlaybackBackend::Status::unknown:
        break;
    }
    return PlayerItem::Status::unknown;
}

void PlatformPlayer::setVideoOutput(QVideoSink *sink)
{
    if (sink == m_videoOutput)
        return;
    disconnect(m_videoOutputDestroyed);
    m_videoOutput = sink;
    m_backend->setVideoSink(sink);
    if (sink) {
        m_videoOutputDestroyed = connect(sink, &QObject::destroyed, this, [this] {
            m_videoOutput = nullptr;
            m_backend->setVideoSink(nullptr);
        });
    }
}

} // namespace tarnik
