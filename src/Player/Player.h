#pragma once

#include "Import/Metadata.h"
#include "Platform/MediaTime.h"
#include "Platform/Mpris/RemoteCommandCenter.h"
#include "Platform/Playback/PlatformPlayer.h"

#include <QList>
#include <QString>
#include <QUrl>
#include <QVariantMap>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace tarnik {

class AudioSession;
class Entry;
class SharedPlayerLink;
class NowPlayingInfoCenter;
class Player;

// What the shared player tells the screen that shows it (the player view). Calls come on the GUI
// thread, in the order the player's operations say. The player holds its delegate weakly: a
// delegate that is destroyed is dropped.
class PlayerDelegate
{
public:
    PlayerDelegate();
    virtual ~PlayerDelegate();
    PlayerDelegate(const PlayerDelegate &) = delete;
    PlayerDelegate &operator=(const PlayerDelegate &) = delete;

    // About once a second while the current item is ready to play, with its time.
    virtual void playerDidUpdateTime(const MediaTime &time) = 0;
    // At the end of play(index, force), after play(); and when metadata that was loading arrives.
    virtual void playerDidChangeItem() = 0;
    // In play() and pause(), after the player started or paused.
    virtual void playerDidChangePlaybackState() = 0;
    // In play(index, force), once the item is current and before it starts: true without video.
    virtual void playerDidLoadItem(bool isAudioOnly) = 0;
    // After each state change, a position change from the media controls and arrived metadata.
    virtual void playerShouldRefreshNowPlaying() = 0;

    // At the end of play() and pause(), with the identifier of the queue's current entry and
    // whether it now plays. The player view hands it on to its own delegate (the browser marks
    // the row); other delegates need not answer it.
    virtual void playerDidChangePlayingState(const QString &identifier, bool isPlaying);

private:
    friend class Player;
    // Cleared when the delegate goes, so the player's weak reference sees it.
    std::shared_ptr<PlayerDelegate *> m_self;
};

// What a Player talks to; anything left empty is the process's shared one.
struct PlayerEnvironment
{
    AudioSession *audioSession = nullptr;
    RemoteCommandCenter *remoteCommands = nullptr;
    NowPlayingInfoCenter *nowPlaying = nullptr;
    // Preferences::playerShouldRepeat by default.
    std::function<bool()> shouldRepeat;
    // Whether the application is active (the GUI application's state by default).
    std::function<bool()> isApplicationActive;
};

// The one media player of the app: a queue of entries with one player item each, the index of the
// current one, and the glue to the audio session (activation, interruptions), the end of an item,
// the system's media controls (remote commands) and a delegate.
//
// Player::shared() is made on first use and lives for the process; it publishes the media controls
// on the session bus. Tests make their own Player with a fake backend and their own centers.
//
// Lives on the GUI thread; every member is called there.
class Player : public PlatformPlayer
{
    Q_OBJECT
public:
    using EntryList = QList<std::shared_ptr<Entry>>;

    using Environment = PlayerEnvironment;

    explicit Player(std::unique_ptr<PlaybackBackend> backend = PlaybackBackend::make(), Environment environment = {});
    ~Player() override;

    static Player &shared();
    // What the app delegate uses to reach the shared player's delegate (made on first call).
    static std::shared_ptr<SharedPlayerLink> makeSharedPlayerLink();

    PlayerDelegate *delegate() const;
    void setDelegate(PlayerDelegate *delegate);

    // True once this player activated the audio session; stays true.
    bool audioSessionIsActive() const { return m_audioSessionIsActive; }

    // Position of the current item in the queue; -1 for none. Callers may set it (-1 makes the next
    // play(index) load its item from the start even when the index is the same).
    qint64 currentIndex() const { return m_currentIndex; }
    void setCurrentIndex(qint64 index) { m_currentIndex = index; }

    const std::optional<EntryList> &queue() const { return m_queue; }
    // A list rebuilds the player items, one per entry; none keeps the items as they are.
    void setQueue(const std::optional<EntryList> &queue);

    // The queue's entry at the current index, none outside the queue.
    std::shared_ptr<Entry> currentEntry() const;
    bool playerWasPlayingBeforeInterruption() const { return m_playerWasPlayingBeforeInterruption; }
    const QList<std::shared_ptr<PlayerItem>> &playerItems() const { return m_playerItems; }
    const std::optional<Metadata> &retrievedMetadata() const { return m_retrievedMetadata; }

    // The current entry's file URL; none without a queue or outside it.
    std::optional<QUrl> currentURL() const;
    MediaTime remainingTime() const;
    // The current item's duration; zero without an item.
    MediaTime duration() const;
    // The current entry's metadata; starts loading it when the entry has none yet (the delegate
    // hears playerDidChangeItem when it arrives).
    std::optional<Metadata> metadata();
    // The current item has a video track; false outside the queue.
    bool isVideo() const;

    // Makes the item at index current and plays it; with the same index and not force, only resumes.
    void play(qint64 index, bool force = false);
    // Starts the current item and reports it.
    void play() override;
    void pause() override;
    void next();
    void previous();

    // The end of an item moves the queue only while observed (the default). Both calls are
    // idempotent and leave the interruption handling alone.
    void addEndOfItemObserver();
    void removeEndOfItemObserver();
    bool isObservingEndOfItem() const { return m_observesEndOfItem; }

    // Replaces the item and keeps one periodic time observer that reports to the delegate.
    void replaceCurrentItem(const std::shared_ptr<PlayerItem> &item) override;

    // The end-of-item and interruption handlers.
    void playerDidFinishPlaying();
    void audioSessionInterrupted(const QVariantMap &userInfo);

private:
    void activateAudioSession(bool status);
    void reportPlayingState(bool isPlaying);
    bool hasCurrentQueueItem() const;
    void updateNowPlayingState();
    void addRemoteCommandTargets();
    RemoteCommandHandlerStatus handleRemoteCommand(const RemoteCommandEvent &event);

    std::weak_ptr<PlayerDelegate *> m_delegate;
    bool m_audioSessionIsActive = false;
    qint64 m_currentIndex = -1;
    std::optional<EntryList> m_queue;
    bool m_playerWasPlayingBeforeInterruption = false;
    QList<std::shared_ptr<PlayerItem>> m_playerItems;
    std::optional<Metadata> m_retrievedMetadata;

    Environment m_environment;
    bool m_observesEndOfItem = false;
    std::optional<TimeObserverToken> m_timeObserver;
    // Counts changes of item, so that metadata arriving for an earlier item is dropped.
    quint64 m_itemGeneration = 0;
    std::vector<RemoteCommandCenter::Token> m_remoteTargets;
};

} // namespace tarnik
