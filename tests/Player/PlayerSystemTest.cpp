// The player end to end: the shared player driven by a real MPRIS client, and a player on Qt
// Multimedia moving through a real queue.

#include "App/SharedPlayerLink.h"
#include "Import/Metadata.h"
#include "MediaFixtures.h"
#include "Platform/Mpris/MprisService.h"
#include "Platform/Playback/QtPlaybackBackend.h"
#include "PlayerTestSupport.h"
#include "PlayerctlClient.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImage>
#include <QProcess>
#include <QTest>
#include <gtest/gtest.h>

namespace tarnik {
namespace {

using test::playerctl;

// Fills the now-playing information the way the player view does.
class NowPlayingDelegate : public test::RecordingPlayerDelegate
{
public:
    explicit NowPlayingDelegate(Player &player)
        : m_player(player)
    {
    }

    void playerShouldRefreshNowPlaying() override
    {
        RecordingPlayerDelegate::playerShouldRefreshNowPlaying();
        const auto metadata = m_player.metadata();
        if (!metadata)
            return;
        QVariantMap info;
        if (metadata->title)
            info.insert(NowPlayingInfoCenter::mediaItemPropertyTitle, *metadata->title);
        if (metadata->artist)
            info.insert(NowPlayingInfoCenter::mediaItemPropertyArtist, *metadata->artist);
        if (metadata->albumName)
            info.insert(NowPlayingInfoCenter::mediaItemPropertyAlbumTitle, *metadata->albumName);
        if (metadata->artwork) {
            const QImage image = QImage::fromData(*metadata->artwork);
            if (!image.isNull())
                info.insert(NowPlayingInfoCenter::mediaItemPropertyArtwork, image);
        }
        if (m_player.currentItem()) {
            info.insert(
                NowPlayingInfoCenter::nowPlayingInfoPropertyElapsedPlaybackTime, m_player.currentTime().seconds());
            info.insert(NowPlayingInfoCenter::mediaItemPropertyPlaybackDuration, m_player.duration().seconds());
        }
        info.insert(NowPlayingInfoCenter::nowPlayingInfoPropertyPlaybackRate, 1.0);
        NowPlayingInfoCenter::shared().setNowPlayingInfo(info);
    }

private:
    Player &m_player;
};

QByteArray pngOfSize(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

TEST(SharedPlayer, ARealMprisClientDrivesItAndReadsItBack)
{
    FakePlaybackBackend *fake = nullptr;
    PlaybackBackend::setFactory([&fake] {
        auto backend = std::make_unique<FakePlaybackBackend>();
        fake = backend.get();
        return backend;
    });
    Player &player = Player::shared();
    PlaybackBackend::setFactory({});
    ASSERT_EQ(&player.backend(), fake) << "the shared player was made before this test";
    EXPECT_EQ(&Player::shared(), &player);
    const MprisService &service = MprisService::shared();
    ASSERT_TRUE(service.isRegistered());
    const auto run = [&](const QStringList &arguments) { return playerctl(service.busName(), arguments).output; };

    NowPlayingDelegate delegate(player);
    player.setDelegate(&delegate);
    auto entries = test::PlayerRig::entries(3);
    const char *titles[] = { "One", "Two", "Three" };
    for (int i = 0; i < 3; ++i) {
        Metadata metadata(QString::fromLatin1(titles[i]));
        metadata.artist = QStringLiteral("The Artist");
        metadata.albumName = QStringLiteral("The Album");
        metadata.artwork = pngOfSize(10 + i, 10);
        entries[i]->setMetadata(metadata);
    }
    player.setQueue(entries);
    player.play(0);

    EXPECT_EQ(run({ QStringLiteral("status") }), QStringLiteral("Playing"));
    EXPECT_EQ(run({ QStringLiteral("metadata"), QStringLiteral("--format"),
                  QStringLiteral("{{title}}|{{artist}}|{{album}}|{{mpris:length}}") }),
        QStringLiteral("One|The Artist|The Album|10000000"));
    const QUrl artUrl(run({ QStringLiteral("metadata"), QStringLiteral("mpris:artUrl") }));
    EXPECT_EQ(QImage(artUrl.toLocalFile()).size(), QSize(10, 10));

    run({ QStringLiteral("pause") });
    EXPECT_FALSE(player.isPlaying());
    EXPECT_EQ(run({ QStringLiteral("status") }), QStringLiteral("Paused"));
    run({ QStringLiteral("play") });
    EXPECT_TRUE(player.isPlaying());
    run({ QStringLiteral("play-pause") });
    EXPECT_FALSE(player.isPlaying());
    run({ QStringLiteral("play-pause") });
    EXPECT_TRUE(player.isPlaying());

    run({ QStringLiteral("position"), QStringLiteral("3") });
    EXPECT_EQ(fake->position(), 3'000'000);
    EXPECT_TRUE(player.isPlaying());
    EXPECT_NEAR(run({ QStringLiteral("position") }).toDouble(), 3.0, 0.5);

    run({ QStringLiteral("next") });
    EXPECT_EQ(player.currentIndex(), 1);
    EXPECT_TRUE(player.isPlaying());
    EXPECT_EQ(run({ QStringLiteral("metadata"), QStringLiteral("title") }), QStringLiteral("Two"));

    // Paused, skipping keeps it paused, and the controls say so.
    run({ QStringLiteral("pause") });
    run({ QStringLiteral("next") });
    EXPECT_EQ(player.currentIndex(), 2);
    EXPECT_FALSE(player.isPlaying());
    EXPECT_EQ(run({ QStringLiteral("status") }), QStringLiteral("Paused"));
    EXPECT_EQ(run({ QStringLiteral("metadata"), QStringLiteral("title") }), QStringLiteral("Three"));
    run({ QStringLiteral("previous") });
    EXPECT_EQ(player.currentIndex(), 1);
    EXPECT_FALSE(player.isPlaying());

    // The app delegate reaches the player's delegate through its link.
    const auto link = Player::makeSharedPlayerLink();
    delegate.calls.clear();
    link->delegatePlayerDidChangeItem();
    link->delegatePlayerShouldRefreshNowPlaying();
    EXPECT_EQ(delegate.calls, QStringList({ QStringLiteral("item"), QStringLiteral("refresh") }));

    // Leave the shared player with nothing to play for the other tests.
    player.setDelegate(nullptr);
    link->delegatePlayerDidChangeItem();
    player.pause();
    player.setQueue(Player::EntryList {});
    player.replaceCurrentItem(nullptr);
}

// Runs in a child process of this test program whose session bus cannot be reached.
TEST(SharedPlayer, PlaysOnWithoutASessionBus)
{
    if (qEnvironmentVariableIsSet("TARNIK_TEST_WITHOUT_BUS")) {
        PlaybackBackend::setFactory([] { return std::make_unique<FakePlaybackBackend>(); });
        Player &player = Player::shared();
        EXPECT_FALSE(MprisService::shared().isRegistered());
        player.setQueue(test::PlayerRig::entries(2));
        player.play(0);
        EXPECT_TRUE(player.isPlaying());
        player.next();
        EXPECT_EQ(player.currentIndex(), 1);
        return;
    }
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TARNIK_TEST_WITHOUT_BUS"), QStringLiteral("1"));
    environment.insert(
        QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=/nonexistent/tarnik-test-bus"));
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(),
        { QStringLiteral("--gtest_filter=SharedPlayer.PlaysOnWithoutASessionBus") });
    ASSERT_TRUE(child.waitForFinished(60'000));
    const QString errors = QString::fromUtf8(child.readAllStandardError());
    EXPECT_EQ(child.exitCode(), 0) << child.readAllStandardOutput().toStdString() << errors.toStdString();
    EXPECT_TRUE(errors.contains(QStringLiteral("Media controls are off"))) << errors.toStdString();
}

TEST(PlayerOnQtMultimedia, MovesThroughARealQueueAndRepeats)
{
    test::MediaFixtures fixtures;
    const QString first = fixtures.file(test::MediaFixtures::Kind::mp3, 1.0);
    const QString last = fixtures.file(test::MediaFixtures::Kind::ogg, 1.0);
    ASSERT_FALSE(first.isEmpty());
    ASSERT_FALSE(last.isEmpty());

    AudioSession session;
    RemoteCommandCenter commands;
    NowPlayingInfoCenter nowPlaying;
    bool repeat = false;
    PlayerEnvironment environment;
    environment.audioSession = &session;
    environment.remoteCommands = &commands;
    environment.nowPlaying = &nowPlaying;
    environment.shouldRepeat = [&] { return repeat; };
    environment.isApplicationActive = [] { return false; };
    Player player(std::make_unique<QtPlaybackBackend>(), environment);
    test::RecordingPlayerDelegate delegate;
    player.setDelegate(&delegate);
    int ends = 0;
    QObject::connect(&player, &PlatformPlayer::itemDidPlayToEndTime, [&] { ++ends; });

    player.setQueue(Player::EntryList { test::PlayerRig::entry(first), test::PlayerRig::entry(last) });
    player.play(0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return player.currentIndex() == 1; }, 15'000)) << "the end did not advance";
    EXPECT_TRUE(player.isPlaying());

    // The end of the last item rewinds it and pauses.
    ASSERT_TRUE(QTest::qWaitFor([&] { return ends == 2 && !player.isPlaying(); }, 15'000));
    const QString pausedMarker
        = QStringLiteral("marker ") + player.currentEntry()->identifier() + QStringLiteral(" paused");
    ASSERT_TRUE(QTest::qWaitFor([&] { return delegate.calls.contains(pausedMarker); }, 15'000));
    EXPECT_EQ(player.currentIndex(), 1);
    EXPECT_LT(player.currentTime().seconds(), 0.1);
    EXPECT_EQ(nowPlaying.playbackState(), NowPlayingInfoCenter::PlaybackState::paused);
    EXPECT_FALSE(delegate.calls.filter(QStringLiteral("time ")).isEmpty()) << "no time updates";

    // With repeat on, the end plays the same item again from its start.
    repeat = true;
    player.play();
    ASSERT_TRUE(QTest::qWaitFor([&] { return ends == 3; }, 15'000));
    EXPECT_EQ(player.currentIndex(), 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return player.isPlaying() && player.currentTime().seconds() > 0.3; }, 15'000))
        << "the repeated item did not play";
    player.pause();
}

} // namespace
} // namespace tarnik
