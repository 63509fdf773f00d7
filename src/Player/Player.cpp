#include "Player/Player.h"

#include "App/Globals.h"
#include "App/Preferences.h"
#include "App/SharedPlayerLink.h"
#include "Entries/Entry.h"
#include "Platform/Dispatch.h"
#include "Platform/Mpris/MprisService.h"
#include "Platform/Mpris/NowPlayingInfoCenter.h"
#include "Platform/Playback/AudioSession.h"

#include <QGuiApplication>
#include <QPointer>
#include <algorithm>
#include <cmath>

namespace tarnik {

namespace {

// An unsigned integer of an interruption's user info; none when missing or of another type.
std::optional<quint64> unsignedValue(const QVariantMap &userInfo, const QString &key)
{
    const auto found = userInfo.constFind(key);
    if (found == userInfo.constEnd())
        return std::nullopt;
    switch (found->typeId()) {
    case QMetaType::UInt:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
    case QMetaType::UShort:
    case QMetaType::UChar:
        return found->toULongLong();
    case QMetaType::Int:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Short:
        if (found->toLongLong() >= 0)
            return found->toULongLong();
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

// The app delegate's way to the shared player's delegate.
class SharedPlayerDelegateLink final : public SharedPlayerLink
{
public:
    void delegatePlayerDidChangeItem() override
    {
        if (auto *delegate = Player::shared().delegate())
            delegate->playerDidChangeItem();
    }
    void delegatePlayerShouldRefreshNowPlaying() override
    {
        if (auto *delegate = Player::shared().delegate())
            delegate->playerShouldRefreshNowPlaying();
    }
};

} // namespace

PlayerDelegate::PlayerDelegate()
    : m_self(std::make_shared<PlayerDelegate *>(this))
{
}

PlayerDelegate::~PlayerDelegate()
{
    *m_self = nullptr;
}

void PlayerDelegate::playerDidChangePlayingState(const QString &, bool) { }

Player::Player(std::unique_ptr<PlaybackBackend> backend, Environment environment)
    : PlatformPlayer(std::move(backend))
    , m_environment(std::move(environment))
{
    if (!m_environment.audioSession)
        m_environment.audioSession = &AudioSession::shared();
    if (!m_environment.remoteCommands)
        m_environment.remoteCommands = &RemoteCommandCenter::shared();
    if (!m_environment.nowPlaying)
        m_environment.nowPlaying = &NowPlayingInfoCenter::shared();
    if (!m_environment.shouldRepeat)
        m_environment.shouldRepeat = [] { return Preferences::playerShouldRepeat(); };
    if (!m_environment.isApplicationActive)
        m_environment.isApplicationActive = [] { return QGuiApplication::applicationState() == Qt::ApplicationActive; };

    // The end of an item and interruptions are observed for the player's whole life; switching the
    // end-of-item handling off only stops it from moving the queue.
    connect(this, &PlatformPlayer::itemDidPlayToEndTime, this, [this] {
        if (m_observesEndOfItem)
            playerDidFinishPlaying();
    });
    addEndOfItemObserver();
    connect(m_environment.audioSession, &AudioSession::interrupted, this, &Player::audioSessionInterrupted);
    connect(this, &PlatformPlayer::rateChanged, this, &Player::updateNowPlayingState);
    addRemoteCommandTargets();
}

Player::~Player()
{
    for (const auto token : m_remoteTargets)
        m_environment.remoteCommands->removeTarget(token);
}

Player &Player::shared()
{
    static Player *player = [] {
        auto *made = new Player;
        MprisService::shared();
        return made;
    }();
    return *player;
}

std::shared_ptr<SharedPlayerLink> Player::makeSharedPlayerLink()
{
    return std::make_shared<SharedPlayerDelegateLink>();
}

PlayerDelegate *Player::delegate() const
{
    const auto self = m_delegate.lock();
    return self ? *self : nullptr;
}

void Player::setDelegate(PlayerDelegate *delegate)
{
    m_delegate = delegate ? std::weak_ptr<PlayerDelegate *>(delegate->m_self) : std::weak_ptr<PlayerDelegate *>();
}

void Player::setQueue(const std::optional<EntryList> &queue)
{
    if (!queue) {
        m_queue.reset();
        return;
    }
    m_queue = queue;
    m_playerItems.clear();
    m_playerItems.reserve(queue->size());
    for (const auto &entry : *queue)
        m_playerItems.append(std::make_shared<PlayerItem>(entry ? entry->path() : QString()));
}

std::shared_ptr<Entry> Player::currentEntry() const
{
    if (!m_queue || m_currentIndex < 0 || m_currentIndex >= m_queue->size())
        return nullptr;
    return m_queue->at(m_currentIndex);
}

std::optional<QUrl> Player::currentURL() const
{
    const auto entry = currentEntry();
    if (!entry)
        return std::nullopt;
    return entry->url();
}

MediaTime Player::duration() const
{
    const auto item = currentItem();
    return item ? item->duration() : MediaTime::zero();
}

MediaTime Player::remainingTime() const
{
    return duration() - currentTime();
}

bool Player::isVideo() const
{
    if (m_currentIndex < 0 || m_currentIndex >= m_playerItems.size())
        return false;
    return m_playerItems.at(m_currentIndex)->hasVideoTrack();
}

std::optional<Metadata> Player::metadata()
{
    if (m_retrievedMetadata)
        return m_retrievedMetadata;
    const auto entry = currentEntry();
    if (!entry)
        return std::nullopt;
    if (auto metadata = entry->metadata()) {
        m_retrievedMetadata = metadata;
        return metadata;
    }
    const quint64 generation = m_itemGeneration;
    const QPointer<Player> self(this);
    const std::weak_ptr<Entry> requested = entry;
    entry->updateMetadata([self, generation, requested](const std::shared_ptr<Entry> &loaded) {
        // Metadata of an item that is no longer current is not shown for the new one.
        const auto isStale
            = [&] { return !self || self->m_itemGeneration != generation || self->currentEntry() != requested.lock(); };
        if (isStale() || !loaded)
            return;
        self->m_retrievedMetadata = loaded->metadata();
        // The load may complete inside metadata() itself; tell the delegate once its caller is done.
        Dispatch::main([self, generation] {
            if (!self || self->m_itemGeneration != generation)
                return;
            if (auto *delegate = self->delegate())
                delegate->playerDidChangeItem();
            if (auto *delegate = self->delegate())
                delegate->playerShouldRefreshNowPlaying();
        });
    });
    return entry->metadata();
}

void Player::activateAudioSession(bool status)
{
    QString error;
    if (m_environment.audioSession->setActive(status, &error)) {
        m_audioSessionIsActive = status;
        _print(QStringLiteral("\naudio session activation: ")
            + (status ? QStringLiteral("true") : QStringLiteral("false")));
    } else {
        m_audioSessionIsActive = false;
        _print(QStringLiteral("Failed to ") + (status ? QStringLiteral("activate") : QStringLiteral("deactivate"))
            + QStringLiteral(" audio session.\nError: ") + error);
    }
}

void Player::play(qint64 index, bool force)
{
    const qint64 count = m_playerItems.size();
    if (count == 0)
        return;
    // Only positions of the queue load; an index left from a longer queue does not stand in the way.
    if (index < 0 || index >= count) {
        _print(QStringLiteral("No item at index ") + QString::number(index));
        return;
    }
    const auto &item = m_playerItems.at(index);
    if (m_currentIndex == index && !force && currentItem() == item) {
        play();
        return;
    }
    if (!m_audioSessionIsActive)
        activateAudioSession(true);

    m_currentIndex = index;
    m_retrievedMetadata.reset();
    ++m_itemGeneration;
    item->seek(MediaTime::zero());
    replaceCurrentItem(item);
    if (auto *delegate = this->delegate())
        delegate->playerDidLoadItem(!isVideo());
    play();
    if (auto *delegate = this->delegate())
        delegate->playerDidChangeItem();
}

void Player::play()
{
    if (!isPlaying())
        PlatformPlayer::play();
    reportPlayingState(true);
}

void Player::pause()
{
    PlatformPlayer::pause();
    reportPlayingState(false);
}

void Player::reportPlayingState(bool isPlaying)
{
    if (auto *delegate = this->delegate())
        delegate->playerDidChangePlaybackState();
    if (auto *delegate = this->delegate())
        delegate->playerShouldRefreshNowPlaying();
    if (!m_queue)
        return;
    // Outside the queue there is no entry to mark.
    if (const auto entry = currentEntry()) {
        if (auto *delegate = this->delegate())
            delegate->playerDidChangePlayingState(entry->identifier(), isPlaying);
    }
}

void Player::next()
{
    const qint64 count = m_playerItems.size();
    if (count == 0 || m_currentIndex == count - 1)
        return;
    play(std::min(m_currentIndex + 1, count - 1), false);
}

void Player::previous()
{
    const double seconds = currentTime().seconds();
    // A time that is no number restarts nothing: it counts as the first two seconds.
    const qint64 target = seconds > 2.0 ? m_currentIndex : m_currentIndex - 1;
    play(std::max<qint64>(target, 0), true);
}

void Player::addEndOfItemObserver()
{
    m_observesEndOfItem = true;
}

void Player::removeEndOfItemObserver()
{
    m_observesEndOfItem = false;
}

void Player::replaceCurrentItem(const std::shared_ptr<PlayerItem> &item)
{
    PlatformPlayer::replaceCurrentItem(item);
    // One observer for the player, not one more per item.
    if (m_timeObserver)
        removeTimeObserver(*m_timeObserver);
    const QPointer<Player> self(this);
    m_timeObserver = addPeriodicTimeObserver(
        MediaTime::fromSeconds(1.0, MediaTime::kDefaultTimescale), [self](const MediaTime &time) {
            if (!self)
                return;
            const auto current = self->currentItem();
            if (!current || current->status() != PlayerItem::Status::readyToPlay)
                return;
            if (auto *delegate = self->delegate())
                delegate->playerDidUpdateTime(time);
        });
    updateNowPlayingState();
}

void Player::playerDidFinishPlaying()
{
    const qint64 count = m_playerItems.size();
    if (count == 0)
        return;
    // An item outside the queue ended (the queue changed under it): nothing to move.
    if (m_currentIndex < 0 || m_currentIndex >= count)
        return;
    if (m_environment.shouldRepeat())
        --m_currentIndex;
    if (m_currentIndex == count - 1) {
        const QPointer<Player> self(this);
        m_playerItems.at(m_currentIndex)->seek(MediaTime::zero(), [self](bool) {
            if (self)
                self->pause();
        });
        return;
    }
    next();
}

void Player::audioSessionInterrupted(const QVariantMap &userInfo)
{
    const auto type = unsignedValue(userInfo, AudioSession::interruptionTypeKey);
    if (!type)
        return;
    if (*type == AudioSession::interruptionBegan) {
        pause();
        m_playerWasPlayingBeforeInterruption = true;
    } else if (*type == AudioSession::interruptionEnded) {
        const quint64 options = unsignedValue(userInfo, AudioSession::interruptionOptionKey).value_or(0);
        const bool shouldResume = options & AudioSession::interruptionOptionShouldResume;
        // With nothing current there is nothing to resume; the mark waits for the next interruption's end.
        if (m_playerWasPlayingBeforeInterruption && (shouldResume || m_environment.isApplicationActive())
            && currentItem()) {
            m_playerWasPlayingBeforeInterruption = false;
            play();
        }
    } else {
        _print(QStringLiteral("Inknown AVAudioSession.InterruptionType"));
    }
}

bool Player::hasCurrentQueueItem() const
{
    return currentItem() && m_currentIndex >= 0 && m_currentIndex < m_playerItems.size()
        && m_playerItems.at(m_currentIndex) == currentItem();
}

void Player::updateNowPlayingState()
{
    using State = NowPlayingInfoCenter::PlaybackState;
    // The state follows the real rate, so the controls say paused whenever playback is paused.
    m_environment.nowPlaying->setPlaybackState(!currentItem() ? State::stopped
            : rate() != 0.0                                   ? State::playing
                                                              : State::paused);
}

void Player::addRemoteCommandTargets()
{
    using Kind = RemoteCommandEvent::Kind;
    for (const Kind kind : { Kind::togglePlayPause, Kind::play, Kind::pause, Kind::changePlaybackPosition,
             Kind::nextTrack, Kind::previousTrack }) {
        const QPointer<Player> self(this);
        m_remoteTargets.push_back(
            m_environment.remoteCommands->addTarget(kind, [self](const RemoteCommandEvent &event) {
                return self ? self->handleRemoteCommand(event) : RemoteCommandHandlerStatus::commandFailed;
            }));
    }
}

RemoteCommandHandlerStatus Player::handleRemoteCommand(const RemoteCommandEvent &event)
{
    using Kind = RemoteCommandEvent::Kind;
    // Commands act on the queue's current item; without one they do nothing.
    if (!hasCurrentQueueItem())
        return RemoteCommandHandlerStatus::noActionableNowPlayingItem;
    switch (event.kind) {
    case Kind::togglePlayPause:
        if (rate() == 0.0)
            play();
        else
            pause();
        return RemoteCommandHandlerStatus::success;
    case Kind::play:
        play();
        return RemoteCommandHandlerStatus::success;
    case Kind::pause:
        if (rate() != 1.0)
            return RemoteCommandHandlerStatus::commandFailed;
        pause();
        return RemoteCommandHandlerStatus::success;
    case Kind::changePlaybackPosition:
        if (!std::isfinite(event.positionTime))
            return RemoteCommandHandlerStatus::commandFailed;
        seek(MediaTime::fromSeconds(event.positionTime, MediaTime::kDefaultTimescale));
        if (isPlaying())
            play();
        if (auto *delegate = this->delegate())
            delegate->playerShouldRefreshNowPlaying();
        return RemoteCommandHandlerStatus::success;
    case Kind::nextTrack:
    case Kind::previousTrack: {
        const bool wasPaused = rate() == 0.0;
        if (event.kind == Kind::nextTrack)
            next();
        else
            previous();
        // A paused player stays paused on the new item.
        if (wasPaused)
            pause();
        return RemoteCommandHandlerStatus::success;
    }
    }
    return RemoteCommandHandlerStatus::commandFailed;
}

} // namespace tarnik
