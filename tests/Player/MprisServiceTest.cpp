// The app's media controls as the desktop sees them: a real MPRIS client (playerctl) on the private bus.

#include "Platform/Mpris/MprisService.h"

#include "Platform/Mpris/NowPlayingInfoCenter.h"
#include "Platform/Mpris/RemoteCommandCenter.h"
#include "Platform/StandardFolders.h"
#include "PlayerctlClient.h"

#include <QCoreApplication>
#include <QImage>
#include <QProcess>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

namespace tarnik {
namespace {

using test::playerctl;
using Kind = RemoteCommandEvent::Kind;
using State = NowPlayingInfoCenter::PlaybackState;

class MprisServiceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(service().isRegistered()) << "the player did not get onto the session bus";
        for (const Kind kind : { Kind::togglePlayPause, Kind::play, Kind::pause, Kind::changePlaybackPosition,
                 Kind::nextTrack, Kind::previousTrack }) {
            m_tokens.push_back(RemoteCommandCenter::shared().addTarget(kind, [this](const RemoteCommandEvent &event) {
                m_events.push_back(event);
                return RemoteCommandHandlerStatus::success;
            }));
        }
        NowPlayingInfoCenter::shared().setPlaybackState(State::paused);
        setInfo(QStringLiteral("Tone"), 10.0, 4.0);
    }

    void TearDown() override
    {
        for (const auto token : m_tokens)
            RemoteCommandCenter::shared().removeTarget(token);
        NowPlayingInfoCenter::shared().setNowPlayingInfo({});
        NowPlayingInfoCenter::shared().setPlaybackState(State::unknown);
    }

    static MprisService &service() { return MprisService::shared(); }

    static void setInfo(const QString &title, double duration, double elapsed, const QImage &artwork = {})
    {
        QVariantMap info { { NowPlayingInfoCenter::mediaItemPropertyTitle, title },
            { NowPlayingInfoCenter::mediaItemPropertyPlaybackDuration, duration },
            { NowPlayingInfoCenter::nowPlayingInfoPropertyElapsedPlaybackTime, elapsed },
            { NowPlayingInfoCenter::nowPlayingInfoPropertyPlaybackRate, 1.0 } };
        if (!artwork.isNull())
            info.insert(NowPlayingInfoCenter::mediaItemPropertyArtwork, artwork);
        NowPlayingInfoCenter::shared().setNowPlayingInfo(info);
    }

    test::PlayerctlResult run(const QStringList &arguments) { return playerctl(service().busName(), arguments); }

    std::vector<RemoteCommandCenter::Token> m_tokens;
    std::vector<RemoteCommandEvent> m_events;
};

TEST_F(MprisServiceTest, TakesAnInstanceNameWhileTheSharedOneIsTaken)
{
    // The test program holds the shared name itself (PlayerctlClient.cpp), as an app already running would.
    EXPECT_EQ(service().busName(),
        MprisService::serviceName + QStringLiteral(".instance") + QString::number(QCoreApplication::applicationPid()));
}

TEST_F(MprisServiceTest, ClientCommandsBecomeRemoteCommands)
{
    struct Row
    {
        QStringList arguments;
        Kind kind;
        double position; // for position changes
    };
    const Row rows[] = {
        { { QStringLiteral("play") }, Kind::play, 0 },
        { { QStringLiteral("pause") }, Kind::pause, 0 },
        { { QStringLiteral("play-pause") }, Kind::togglePlayPause, 0 },
        { { QStringLiteral("next") }, Kind::nextTrack, 0 },
        { { QStringLiteral("previous") }, Kind::previousTrack, 0 },
        // There is no stopped state: stopping pauses.
        { { QStringLiteral("stop") }, Kind::pause, 0 },
        { { QStringLiteral("position"), QStringLiteral("7.5") }, Kind::changePlaybackPosition, 7.5 },
        // Relative seeks start from the elapsed time (paused at 4 s).
        { { QStringLiteral("position"), QStringLiteral("2+") }, Kind::changePlaybackPosition, 6.0 },
        { { QStringLiteral("position"), QStringLiteral("9-") }, Kind::changePlaybackPosition, 0.0 },
        // Past the end goes to the next track.
        { { QStringLiteral("position"), QStringLiteral("30+") }, Kind::nextTrack, 0 },
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.arguments.join(QLatin1Char(' ')).toStdString());
        m_events.clear();
        const auto result = run(row.arguments);
        ASSERT_TRUE(result.finished);
        EXPECT_EQ(result.exitCode, 0);
        ASSERT_EQ(m_events.size(), 1u);
        EXPECT_EQ(m_events[0].kind, row.kind);
        if (row.kind == Kind::changePlaybackPosition) {
            EXPECT_NEAR(m_events[0].positionTime, row.position, 1e-6);
        }
    }
}

TEST_F(MprisServiceTest, PositionsOutsideTheTrackAreIgnored)
{
    m_events.clear();
    EXPECT_TRUE(run({ QStringLiteral("position"), QStringLiteral("11") }).finished);
    EXPECT_TRUE(m_events.empty());
}

TEST_F(MprisServiceTest, MetadataStatusAndPositionReadBack)
{
    QImage artwork(24, 16, QImage::Format_RGB32);
    artwork.fill(Qt::blue);
    NowPlayingInfoCenter::shared().setNowPlayingInfo({
        { NowPlayingInfoCenter::mediaItemPropertyTitle, QStringLiteral("Süd – Tone") },
        { NowPlayingInfoCenter::mediaItemPropertyArtist, QStringLiteral("An Artist") },
        { NowPlayingInfoCenter::mediaItemPropertyAlbumTitle, QStringLiteral("An Album") },
        { NowPlayingInfoCenter::mediaItemPropertyArtwork, artwork },
        { NowPlayingInfoCenter::mediaItemPropertyPlaybackDuration, 125.25 },
        { NowPlayingInfoCenter::nowPlayingInfoPropertyElapsedPlaybackTime, 61.0 },
        { NowPlayingInfoCenter::nowPlayingInfoPropertyPlaybackRate, 1.0 },
    });

    const auto metadata = run({ QStringLiteral("metadata"), QStringLiteral("--format"),
        QStringLiteral("{{title}}|{{artist}}|{{album}}|{{mpris:length}}|{{mpris:artUrl}}") });
    ASSERT_TRUE(metadata.finished);
    const QStringList fields = metadata.output.split(QLatin1Char('|'));
    ASSERT_EQ(fields.size(), 5) << metadata.output.toStdString();
    EXPECT_EQ(fields[0], QStringLiteral("Süd – Tone"));
    EXPECT_EQ(fields[1], QStringLiteral("An Artist"));
    EXPECT_EQ(fields[2], QStringLiteral("An Album"));
    EXPECT_EQ(fields[3], QStringLiteral("125250000"));
    const QUrl artUrl(fields[4]);
    ASSERT_TRUE(artUrl.isLocalFile());
    EXPECT_TRUE(artUrl.toLocalFile().startsWith(StandardFolders::temporaryDirectory()));
    EXPECT_EQ(QImage(artUrl.toLocalFile()).size(), artwork.size());

    // Paused, the position stays where the information put it.
    EXPECT_EQ(run({ QStringLiteral("status") }).output, QStringLiteral("Paused"));
    EXPECT_EQ(run({ QStringLiteral("position") }).output.toDouble(), 61.0);

    NowPlayingInfoCenter::shared().setPlaybackState(State::playing);
    EXPECT_EQ(run({ QStringLiteral("status") }).output, QStringLiteral("Playing"));
    EXPECT_GE(run({ QStringLiteral("position") }).output.toDouble(), 61.0);
    NowPlayingInfoCenter::shared().setPlaybackState(State::unknown);
    EXPECT_EQ(run({ QStringLiteral("status") }).output, QStringLiteral("Stopped"));

    // Without artwork the file goes away with the URL.
    setInfo(QStringLiteral("No picture"), 3.0, 0.0);
    EXPECT_FALSE(QFile::exists(artUrl.toLocalFile()));
    EXPECT_EQ(run({ QStringLiteral("metadata"), QStringLiteral("mpris:artUrl") }).output, QString());
}

TEST_F(MprisServiceTest, ClientsFollowingTheStatusAreTold)
{
    // playerctl --follow prints the status on start and again on each PropertiesChanged.
    QProcess follower;
    const QString player = service().busName().mid(QStringLiteral("org.mpris.MediaPlayer2.").size());
    follower.start(QStringLiteral("playerctl"),
        { QStringLiteral("-p"), player, QStringLiteral("--follow"), QStringLiteral("status") });
    ASSERT_TRUE(follower.waitForStarted(10'000));
    QStringList lines;
    const auto readLines = [&] {
        while (follower.canReadLine())
            lines.append(QString::fromUtf8(follower.readLine()).trimmed());
    };
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            readLines();
            return lines.contains(QStringLiteral("Paused"));
        },
        20'000));

    NowPlayingInfoCenter::shared().setPlaybackState(State::playing);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            readLines();
            return lines.contains(QStringLiteral("Playing"));
        },
        20'000));
    lines.clear();
    NowPlayingInfoCenter::shared().setPlaybackState(State::paused);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            readLines();
            return lines.contains(QStringLiteral("Paused"));
        },
        20'000));

    follower.terminate();
    follower.waitForFinished(10'000);
}

TEST_F(MprisServiceTest, ASecondPlayerThatCannotRegisterStillTakesCommands)
{
    // The object path is the shared service's; this one logs the failure and works on without the bus.
    RemoteCommandCenter commands;
    NowPlayingInfoCenter nowPlaying;
    MprisService second(commands, nowPlaying);
    EXPECT_FALSE(second.isRegistered());
    int plays = 0;
    commands.addTarget(Kind::play, [&](const RemoteCommandEvent &) {
        ++plays;
        return RemoteCommandHandlerStatus::success;
    });
    EXPECT_EQ(commands.send({ Kind::play, 0 }), RemoteCommandHandlerStatus::success);
    EXPECT_EQ(commands.send({ Kind::pause, 0 }), RemoteCommandHandlerStatus::commandFailed);
    EXPECT_EQ(plays, 1);
    EXPECT_EQ(second.playbackStatus(), QStringLiteral("Stopped"));
}

} // namespace
} // namespace tarnik
