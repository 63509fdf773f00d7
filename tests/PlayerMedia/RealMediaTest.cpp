// The player views with real media through Qt Multimedia and the test
// runner's null-sink sound server.

#include "Platform/Playback/PlayerLayer.h"
#include "Platform/UI/GestureRecognizer.h"
#include "Player/ArtworkView.h"
#include "Player/SlidingLabel.h"
#include "Player/VideoPlayerViewController.h"
#include "Support/MediaFixtures.h"
#include "Support/PlayerScreenSupport.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QVideoSink>

using namespace tarnik;
using namespace tarnik::test;
using Phase = GestureRecognizer::Phase;

class RealMediaTest : public PlayerScreenTest
{
public:
    static void SetUpTestSuite() { realBackend = true; }
    std::shared_ptr<Entry> entryFor(const QString &path)
    {
        return std::make_shared<Entry>(path, path.section(QLatin1Char('/'), -1), EntryType::exportable, IndexPath {});
    }
    QTemporaryDir dir;
};

TEST_F(RealMediaTest, TheMiniPlayerShowsARealSong)
{
    const QString cover = dir.filePath(QStringLiteral("cover.png"));
    const QString song = dir.filePath(QStringLiteral("song.mp3"));
    ASSERT_TRUE(media::makePicture(cover, 64, 64, QStringLiteral("blue")));
    ASSERT_TRUE(media::makeToneWithCover(song, cover, 3.0,
        { QStringLiteral("-metadata"), QStringLiteral("title=Night Drive"), QStringLiteral("-metadata"),
            QStringLiteral("artist=The Examples"), QStringLiteral("-metadata"), QStringLiteral("album=Fixtures") }));

    mini()->play(Player::EntryList { entryFor(song) }, 0);
    wait(0.3);
    EXPECT_TRUE(mini()->isVisible());
    EXPECT_EQ(mini()->title()->text(), QStringLiteral("Night Drive"));
    EXPECT_EQ(mini()->artist()->text(), QStringLiteral("The Examples \u2014 Fixtures"));
    const QImage art = mini()->imageView()->image();
    ASSERT_FALSE(art.isNull());
    const QColor centre = art.pixelColor(art.width() / 2, art.height() / 2);
    EXPECT_GT(centre.blue(), 200);
    EXPECT_LT(centre.red(), 60);

    // Time passes on the real player and reaches the bar.
    Player &player = Player::shared();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            QCoreApplication::processEvents();
            return player.currentTime().seconds() >= 1.0 && mini()->elapsedLabel()->text() != QStringLiteral("0:00");
        },
        10000));
    EXPECT_TRUE(player.isPlaying());
    EXPECT_EQ(mini()->remainingLabel()->text().left(1), QStringLiteral("-"));
}

TEST_F(RealMediaTest, AVideoPlaysInTheVideoScreen)
{
    const QString path = dir.filePath(QStringLiteral("clip.mp4"));
    ASSERT_TRUE(media::makeVideo(path, 3.0, true));
    mini()->play(Player::EntryList { entryFor(path) }, 0);
    wait(0.3);
    ASSERT_TRUE(Player::shared().isVideo());
    host->miniPlayerViewTapped();
    wait(0.4);
    PlayerViewController *full = host->playerViewController();
    full->playerView()->tapGesture()->feed(Phase::began, { 5, 5 }, 50.0);
    full->playerView()->tapGesture()->feed(Phase::ended, { 5, 5 }, 50.05);
    wait(0.4);
    auto *video = qobject_cast<VideoPlayerViewController *>(full->presentedViewController());
    ASSERT_NE(video, nullptr);
    QSignalSpy frames(video->videoView()->videoSink(), &QVideoSink::videoFrameChanged);
    EXPECT_TRUE(QTest::qWaitFor([&] { return frames.count() >= 3; }, 10000));
    EXPECT_TRUE(video->videoView()->currentFrame().isValid());
    video->close();
    wait(0.4);
    EXPECT_EQ(Player::shared().videoOutput(), full->playerView()->playerLayer()->videoSink());
}
