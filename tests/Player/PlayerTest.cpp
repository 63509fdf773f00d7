// The shared player's rules, on the fake backend.

#include "Import/Metadata.h"
#include "MediaFixtures.h"
#include "PlayerTestSupport.h"

#include <gtest/gtest.h>

namespace tarnik {
namespace {

using test::PlayerRig;
using Kind = RemoteCommandEvent::Kind;
using Status = RemoteCommandHandlerStatus;
using State = NowPlayingInfoCenter::PlaybackState;

constexpr qint64 kSecond = 1'000'000;

class PlayerTest : public ::testing::Test
{
protected:
    void load(int count, qint64 index)
    {
        player().setQueue(PlayerRig::entries(count));
        player().play(index);
        rig.delegate.calls.clear();
    }
    Player &player() { return *rig.player; }
    int loads() const { return static_cast<int>(rig.fake->loadedSources().size()); }
    QString source() const { return rig.fake->source(); }
    QString pathOf(int index) { return player().playerItems().at(index)->path(); }

    PlayerRig rig;
};

TEST_F(PlayerTest, PlayAtLoadsTheItemAndTellsTheDelegateInOrder)
{
    const auto entries = PlayerRig::entries(3);
    player().setQueue(entries);
    ASSERT_EQ(player().playerItems().size(), 3);
    EXPECT_FALSE(player().audioSessionIsActive());

    player().play(1);

    EXPECT_EQ(player().currentIndex(), 1);
    EXPECT_EQ(player().currentEntry(), entries[1]);
    EXPECT_EQ(source(), entries[1]->path());
    EXPECT_TRUE(player().isPlaying());
    EXPECT_TRUE(rig.fake->isPlaying());
    EXPECT_TRUE(player().audioSessionIsActive());
    EXPECT_TRUE(rig.audioSession.isActive());
    EXPECT_EQ(player().currentURL(), entries[1]->url());
    EXPECT_EQ(rig.nowPlaying.playbackState(), State::playing);
    EXPECT_EQ(rig.delegate.calls,
        QStringList({ QStringLiteral("load audio"), QStringLiteral("state"), QStringLiteral("refresh"),
            QStringLiteral("marker ") + entries[1]->identifier() + QStringLiteral(" playing"),
            QStringLiteral("item") }));

    rig.delegate.calls.clear();
    player().pause();
    EXPECT_FALSE(player().isPlaying());
    EXPECT_FALSE(rig.fake->isPlaying());
    EXPECT_EQ(rig.nowPlaying.playbackState(), State::paused);
    EXPECT_EQ(rig.delegate.calls,
        QStringList({ QStringLiteral("state"), QStringLiteral("refresh"),
            QStringLiteral("marker ") + entries[1]->identifier() + QStringLiteral(" paused") }));
}

TEST_F(PlayerTest, TheSameIndexWithoutForceOnlyResumes)
{
    load(3, 0);
    rig.fake->advance(3 * kSecond);
    player().pause();
    const int loadsBefore = loads();

    player().play(0);
    EXPECT_EQ(loads(), loadsBefore);
    EXPECT_TRUE(player().isPlaying());
    EXPECT_EQ(rig.fake->position(), 3 * kSecond);
    EXPECT_EQ(rig.delegate.count(QStringLiteral("item")), 0);

    // Forced, the item starts over as if loaded anew.
    rig.delegate.calls.clear();
    player().play(0, true);
    PlayerRig::settle();
    EXPECT_EQ(rig.fake->position(), 0);
    EXPECT_EQ(rig.delegate.count(QStringLiteral("load audio")), 1);
    EXPECT_EQ(rig.delegate.count(QStringLiteral("item")), 1);

    // The browser's -1 makes a tap on the playing item start it over.
    rig.fake->advance(3 * kSecond);
    rig.delegate.calls.clear();
    player().setCurrentIndex(-1);
    player().play(0);
    PlayerRig::settle();
    EXPECT_EQ(rig.fake->position(), 0);
    EXPECT_EQ(rig.delegate.count(QStringLiteral("item")), 1);
    EXPECT_EQ(player().currentIndex(), 0);

    // A queue set anew makes new items: the same index loads the new queue's item.
    player().setQueue(PlayerRig::entries(3));
    player().play(0);
    EXPECT_EQ(loads(), loadsBefore + 1);
}

TEST_F(PlayerTest, PlayAtTakesOnlyPositionsOfTheQueue)
{
    struct Row
    {
        const char *name;
        int queueLength;
        qint64 currentIndexBefore;
        qint64 index;
        bool loads;
    };
    const Row rows[] = {
        { "negative index", 3, -1, -1, false },
        { "index past the end", 3, -1, 3, false },
        { "empty queue", 0, -1, 0, false },
        // An index left from a longer queue must not stand in the way.
        { "stale index from a longer queue", 2, 5, 1, true },
        { "stale index equal to the length", 2, 2, 0, true },
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        PlayerRig fresh;
        fresh.player->setQueue(PlayerRig::entries(row.queueLength));
        fresh.player->setCurrentIndex(row.currentIndexBefore);
        fresh.player->play(row.index);
        EXPECT_EQ(fresh.fake->loadedSources().size(), row.loads ? 1 : 0);
        EXPECT_EQ(fresh.player->currentIndex(), row.loads ? row.index : row.currentIndexBefore);
        EXPECT_EQ(fresh.player->isPlaying(), row.loads);
    }
}

TEST_F(PlayerTest, PreviousRestartsAfterTwoSecondsAndOtherwiseGoesBack)
{
    struct Row
    {
        const char *name;
        qint64 index;
        qint64 playedUs;
        qint64 expectedIndex;
    };
    const Row rows[] = {
        { "2.5 s into the second item restarts it", 1, 2'500'000, 1 },
        { "1.5 s into the second item goes to the first", 1, 1'500'000, 0 },
        { "exactly 2 s goes back", 1, 2'000'000, 0 },
        { "the first item within 2 s restarts it", 0, 1'500'000, 0 },
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        PlayerRig fresh;
        fresh.player->setQueue(PlayerRig::entries(3));
        fresh.player->play(row.index);
        fresh.fake->advance(row.playedUs);
        fresh.delegate.calls.clear();
        fresh.player->previous();
        PlayerRig::settle();
        EXPECT_EQ(fresh.player->currentIndex(), row.expectedIndex);
        EXPECT_EQ(fresh.fake->source(), fresh.player->playerItems().at(row.expectedIndex)->path());
        EXPECT_EQ(fresh.delegate.count(QStringLiteral("item")), 1) << "previous always starts an item over";
        EXPECT_EQ(fresh.fake->position(), 0);
        EXPECT_TRUE(fresh.player->isPlaying());
    }
}

TEST_F(PlayerTest, NextMovesOnButNotPastTheLastItem)
{
    load(2, 0);
    player().next();
    EXPECT_EQ(player().currentIndex(), 1);
    EXPECT_EQ(source(), pathOf(1));
    const int loadsBefore = loads();
    player().next();
    EXPECT_EQ(player().currentIndex(), 1);
    EXPECT_EQ(loads(), loadsBefore);
}

TEST_F(PlayerTest, EndOfItem)
{
    struct Row
    {
        const char *name;
        bool repeat;
        int queueLength;
        qint64 index;
        qint64 expectedIndex;
        bool expectReload;
        bool expectPlaying;
    };
    const Row rows[] = {
        { "a middle item advances", false, 3, 1, 2, true, true },
        { "the last item rewinds and pauses", false, 3, 2, 2, false, false },
        { "repeat replays the item", true, 3, 1, 1, true, true },
        { "repeat replays the last item", true, 3, 2, 2, true, true },
        { "repeat replays the only item", true, 1, 0, 0, true, true },
        { "a single item rewinds and pauses", false, 1, 0, 0, false, false },
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        PlayerRig fresh;
        fresh.shouldRepeat = row.repeat;
        fresh.player->setQueue(PlayerRig::entries(row.queueLength));
        fresh.player->play(row.index);
        fresh.delegate.calls.clear();
        fresh.fake->playToEnd();
        PlayerRig::settle();
        EXPECT_EQ(fresh.player->currentIndex(), row.expectedIndex);
        EXPECT_EQ(fresh.fake->source(), fresh.player->playerItems().at(row.expectedIndex)->path());
        EXPECT_EQ(fresh.delegate.count(QStringLiteral("item")), row.expectReload ? 1 : 0);
        EXPECT_EQ(fresh.player->isPlaying(), row.expectPlaying);
        EXPECT_EQ(fresh.fake->isPlaying(), row.expectPlaying);
        EXPECT_EQ(fresh.fake->position(), 0);
        EXPECT_EQ(fresh.nowPlaying.playbackState(), row.expectPlaying ? State::playing : State::paused);
    }
}

TEST_F(PlayerTest, AnEmptiedQueueStopsEverything)
{
    load(3, 1);
    player().setQueue(std::nullopt);
    EXPECT_EQ(player().playerItems().size(), 3) << "none keeps the items";
    player().setQueue(Player::EntryList {});
    EXPECT_TRUE(player().playerItems().isEmpty());
    const int loadsBefore = loads();
    player().play(0);
    player().next();
    rig.fake->playToEnd();
    PlayerRig::settle();
    EXPECT_EQ(loads(), loadsBefore);
    EXPECT_FALSE(player().currentEntry());
    EXPECT_FALSE(player().isVideo());
}

TEST_F(PlayerTest, SwitchingEndOfItemHandlingOffAndOnIsIdempotentAndKeepsInterruptions)
{
    load(3, 0);
    player().removeEndOfItemObserver();
    player().removeEndOfItemObserver();
    rig.fake->playToEnd();
    PlayerRig::settle();
    EXPECT_EQ(player().currentIndex(), 0) << "the queue must not move while switched off";
    EXPECT_EQ(rig.nowPlaying.playbackState(), State::paused) << "stopped at the end is not playing";

    // Interruptions are still handled meanwhile.
    player().play(0, true);
    rig.audioSession.postInterruption({ { AudioSession::interruptionTypeKey, 1u } });
    EXPECT_FALSE(player().isPlaying());
    EXPECT_TRUE(player().playerWasPlayingBeforeInterruption());

    player().addEndOfItemObserver();
    player().addEndOfItemObserver();
    player().play();
    rig.fake->playToEnd();
    PlayerRig::settle();
    EXPECT_EQ(player().currentIndex(), 1) << "one end moves the queue once";
    // Later items are covered too.
    rig.fake->playToEnd();
    PlayerRig::settle();
    EXPECT_EQ(player().currentIndex(), 2);

    rig.audioSession.postInterruption(
        { { AudioSession::interruptionTypeKey, 0u }, { AudioSession::interruptionOptionKey, 1u } });
    EXPECT_TRUE(player().isPlaying());
}

TEST_F(PlayerTest, Interruptions)
{
    struct Row
    {
        const char *name;
        bool playingBefore;
        QVariant endOption; // invalid: no option key
        bool applicationActive;
        bool expectResumed;
    };
    const Row rows[] = {
        { "should-resume option", true, 1u, false, true },
        { "active application", true, QVariant(), true, true },
        { "option without the resume bit, inactive", true, 2u, false, false },
        { "no option, inactive", true, QVariant(), false, false },
        // Even a paused player is marked when an interruption begins.
        { "paused before, should-resume option", false, 1u, false, true },
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        PlayerRig fresh;
        fresh.applicationActive = row.applicationActive;
        fresh.player->setQueue(PlayerRig::entries(2));
        fresh.player->play(0);
        if (!row.playingBefore)
            fresh.player->pause();
        fresh.audioSession.postInterruption({ { AudioSession::interruptionTypeKey, 1u } });
        EXPECT_FALSE(fresh.player->isPlaying());
        EXPECT_TRUE(fresh.player->playerWasPlayingBeforeInterruption());
        QVariantMap ended { { AudioSession::interruptionTypeKey, 0u } };
        if (row.endOption.isValid())
            ended.insert(AudioSession::interruptionOptionKey, row.endOption);
        fresh.audioSession.postInterruption(ended);
        EXPECT_EQ(fresh.player->isPlaying(), row.expectResumed);
        EXPECT_EQ(fresh.player->playerWasPlayingBeforeInterruption(), !row.expectResumed);
    }
}

TEST_F(PlayerTest, MalformedInterruptionsAreIgnored)
{
    load(2, 0);
    const QVariantMap notices[] = {
        {},
        { { QStringLiteral("other"), 1u } },
        { { AudioSession::interruptionTypeKey, QStringLiteral("1") } },
        { { AudioSession::interruptionTypeKey, -1 } },
        { { AudioSession::interruptionTypeKey, 1.0 } },
        { { AudioSession::interruptionTypeKey, 7u } },
    };
    for (const auto &notice : notices)
        rig.audioSession.postInterruption(notice);
    EXPECT_TRUE(player().isPlaying());
    EXPECT_FALSE(player().playerWasPlayingBeforeInterruption());
}

TEST_F(PlayerTest, AnInterruptionEndingWithNoCurrentItemDoesNothing)
{
    player().setQueue(PlayerRig::entries(2));
    rig.audioSession.postInterruption({ { AudioSession::interruptionTypeKey, 1u } });
    rig.delegate.calls.clear();
    rig.audioSession.postInterruption(
        { { AudioSession::interruptionTypeKey, 0u }, { AudioSession::interruptionOptionKey, 1u } });
    EXPECT_FALSE(player().isPlaying());
    EXPECT_TRUE(rig.delegate.calls.isEmpty());
}

TEST_F(PlayerTest, RemoteCommands)
{
    load(3, 0);
    EXPECT_EQ(rig.remoteCommands.send({ Kind::togglePlayPause, 0 }), Status::success);
    EXPECT_FALSE(player().isPlaying());
    EXPECT_EQ(rig.remoteCommands.send({ Kind::pause, 0 }), Status::commandFailed) << "pausing a paused player fails";
    EXPECT_EQ(rig.remoteCommands.send({ Kind::togglePlayPause, 0 }), Status::success);
    EXPECT_TRUE(player().isPlaying());
    EXPECT_EQ(rig.remoteCommands.send({ Kind::pause, 0 }), Status::success);
    EXPECT_FALSE(player().isPlaying());
    EXPECT_EQ(rig.remoteCommands.send({ Kind::play, 0 }), Status::success);
    EXPECT_TRUE(player().isPlaying());

    // Other rates than 1.0 do not count as playing.
    player().setRate(2.0);
    EXPECT_EQ(rig.remoteCommands.send({ Kind::pause, 0 }), Status::commandFailed);
    EXPECT_EQ(rig.remoteCommands.send({ Kind::togglePlayPause, 0 }), Status::success);
    EXPECT_EQ(player().rate(), 0.0);

    // A paused player stays paused on the next item, and on the previous one.
    EXPECT_EQ(rig.remoteCommands.send({ Kind::nextTrack, 0 }), Status::success);
    EXPECT_EQ(player().currentIndex(), 1);
    EXPECT_EQ(source(), pathOf(1));
    EXPECT_FALSE(player().isPlaying());
    EXPECT_FALSE(rig.fake->isPlaying());
    EXPECT_EQ(rig.remoteCommands.send({ Kind::previousTrack, 0 }), Status::success);
    EXPECT_EQ(player().currentIndex(), 0);
    EXPECT_FALSE(player().isPlaying());

    // A playing player plays on.
    player().play();
    EXPECT_EQ(rig.remoteCommands.send({ Kind::nextTrack, 0 }), Status::success);
    EXPECT_EQ(player().currentIndex(), 1);
    EXPECT_TRUE(player().isPlaying());
}

TEST_F(PlayerTest, ChangePositionCommandSeeksAndRefreshes)
{
    load(2, 0);
    EXPECT_EQ(rig.remoteCommands.send({ Kind::changePlaybackPosition, 4.25 }), Status::success);
    EXPECT_EQ(rig.fake->position(), 4'250'000);
    EXPECT_EQ(player().currentTime().seconds(), 4.25);
    EXPECT_TRUE(player().isPlaying());
    EXPECT_EQ(rig.delegate.calls.last(), QStringLiteral("refresh"));

    player().pause();
    rig.delegate.calls.clear();
    EXPECT_EQ(rig.remoteCommands.send({ Kind::changePlaybackPosition, 1.0 }), Status::success);
    EXPECT_FALSE(player().isPlaying()) << "a seek while paused does not start playback";
    EXPECT_EQ(rig.delegate.calls, QStringList { QStringLiteral("refresh") });
}

TEST_F(PlayerTest, RemoteCommandsWithNoCurrentItemDoNothing)
{
    struct Row
    {
        const char *name;
        std::function<void(Player &)> arrange;
    };
    const Row rows[] = {
        { "no queue", [](Player &) {} },
        { "a queue but nothing loaded", [](Player &player) { player.setQueue(PlayerRig::entries(2)); } },
        { "the index reset by the browser",
            [](Player &player) {
                player.setQueue(PlayerRig::entries(2));
                player.play(0);
                player.pause();
                player.setCurrentIndex(-1);
            } },
        { "a stale index from a longer queue",
            [](Player &player) {
                player.setQueue(PlayerRig::entries(3));
                player.play(2);
                player.pause();
                player.setQueue(PlayerRig::entries(1));
            } },
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        PlayerRig fresh;
        row.arrange(*fresh.player);
        fresh.delegate.calls.clear();
        const auto loadsBefore = fresh.fake->loadedSources().size();
        for (const Kind kind : { Kind::togglePlayPause, Kind::play, Kind::pause, Kind::changePlaybackPosition,
                 Kind::nextTrack, Kind::previousTrack }) {
            EXPECT_EQ(fresh.remoteCommands.send({ kind, 1.0 }), Status::noActionableNowPlayingItem);
        }
        EXPECT_FALSE(fresh.player->isPlaying());
        EXPECT_EQ(fresh.fake->loadedSources().size(), loadsBefore);
        EXPECT_TRUE(fresh.delegate.calls.isEmpty());
    }
}

TEST_F(PlayerTest, OnePeriodicTimeCallbackAcrossItems)
{
    rig.fake->setLoadsImmediately(false);
    player().setQueue(PlayerRig::entries(3));
    player().play(0);
    player().play(1);
    player().play(2);
    EXPECT_EQ(player().timeObserverCount(), 1);
    rig.fake->finishLoading(true);
    rig.delegate.calls.clear();

    rig.fake->advance(kSecond);
    rig.fake->advance(kSecond / 2);
    rig.fake->advance(kSecond / 2);
    EXPECT_EQ(rig.delegate.calls, QStringList({ QStringLiteral("time 1.0"), QStringLiteral("time 2.0") }));
}

TEST_F(PlayerTest, MetadataOfTheCurrentEntry)
{
    auto entries = PlayerRig::entries(2);
    Metadata known(QStringLiteral("Known title"));
    entries[0]->setMetadata(known);
    player().setQueue(entries);
    EXPECT_FALSE(player().metadata()) << "no current entry";

    player().play(0);
    ASSERT_TRUE(player().metadata());
    EXPECT_EQ(player().metadata()->title, QStringLiteral("Known title"));
    EXPECT_TRUE(player().retrievedMetadata());
    player().play(1);
    EXPECT_FALSE(player().retrievedMetadata()) << "cleared on every change of item";
}

TEST_F(PlayerTest, MetadataArrivingAfterTheItemChangedIsNotShown)
{
    player().setQueue(PlayerRig::entries(2));
    player().play(0);
    // The first entry has no metadata yet: asking starts its load.
    const auto first = player().metadata();
    ASSERT_TRUE(first);
    rig.delegate.calls.clear();

    // The item changes before the load's report reaches the delegate.
    player().play(1);
    PlayerRig::settle();
    EXPECT_EQ(rig.delegate.count(QStringLiteral("item")), 1) << rig.delegate.calls.join(u',').toStdString();
    EXPECT_FALSE(player().retrievedMetadata());

    // Without a change of item, the report comes after the caller is done.
    rig.delegate.calls.clear();
    ASSERT_TRUE(player().metadata());
    EXPECT_TRUE(rig.delegate.calls.isEmpty());
    PlayerRig::settle();
    EXPECT_EQ(rig.delegate.calls, QStringList({ QStringLiteral("item"), QStringLiteral("refresh") }));
}

TEST_F(PlayerTest, ADelegateThatWentIsDropped)
{
    auto transient = std::make_unique<test::RecordingPlayerDelegate>();
    player().setDelegate(transient.get());
    EXPECT_EQ(player().delegate(), transient.get());
    transient.reset();
    EXPECT_EQ(player().delegate(), nullptr);
    player().setQueue(PlayerRig::entries(1));
    player().play(0);
    player().pause();
    EXPECT_FALSE(player().isPlaying());
}

TEST_F(PlayerTest, KindAndDurationOfRealFiles)
{
    test::MediaFixtures fixtures;
    const QString video = fixtures.file(test::MediaFixtures::Kind::mp4, 1.5);
    const QString audio = fixtures.file(test::MediaFixtures::Kind::mp3WithCover, 1.5);
    ASSERT_FALSE(video.isEmpty());
    ASSERT_FALSE(audio.isEmpty());
    player().setQueue(Player::EntryList { PlayerRig::entry(video), PlayerRig::entry(audio) });
    EXPECT_EQ(player().duration(), MediaTime::zero()) << "no current item";

    player().play(0);
    EXPECT_TRUE(player().isVideo());
    EXPECT_EQ(rig.delegate.calls.first(), QStringLiteral("load video"));
    EXPECT_NEAR(player().duration().seconds(), 1.5, 0.2);
    rig.fake->advance(kSecond / 2);
    EXPECT_NEAR(player().remainingTime().seconds(), 1.0, 0.2);

    rig.delegate.calls.clear();
    player().next();
    EXPECT_FALSE(player().isVideo()) << "cover art is no video";
    EXPECT_EQ(rig.delegate.calls.first(), QStringLiteral("load audio"));
}

} // namespace
} // namespace tarnik
