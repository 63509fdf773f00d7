#include "Platform/Playback/PlayerLayer.h"
#include "Platform/UI/GestureRecognizer.h"
#include "Player/ArtworkView.h"
#include "Player/SlidingLabel.h"
#include "Player/StandalonePlayerViewController.h"
#include "Player/VideoPlayerViewController.h"
#include "Support/MediaFixtures.h"
#include "Support/PlayerScreenSupport.h"

#include <QTemporaryDir>
#include <QToolButton>

using namespace tarnik;
using namespace tarnik::test;
using Phase = GestureRecognizer::Phase;

class PlayerScreensTest : public PlayerScreenTest
{
public:
    PlayerViewController *full() const { return host->playerViewController(); }
    void presentFullPlayer()
    {
        host->miniPlayerViewTapped();
        wait(0.4);
    }
    void tapPicture(PlayerView *view)
    {
        view->tapGesture()->feed(Phase::began, { 5, 5 }, m_t += 1.0);
        view->tapGesture()->feed(Phase::ended, { 5, 5 }, m_t + 0.05);
    }

private:
    double m_t = 1000.0;
};

TEST_F(PlayerScreensTest, TheVideoScreenTakesTheVideoOutputAndGivesItBack)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("clip.mp4"));
    ASSERT_TRUE(media::makeVideo(path, 1.0, false));
    auto clip = std::make_shared<Entry>(path, QStringLiteral("clip.mp4"), EntryType::exportable, IndexPath {});
    Metadata metadata;
    metadata.title = QStringLiteral("Clip");
    metadata.artwork = entry(1)->metadata()->artwork;
    clip->setMetadata(metadata);

    mini()->play(Player::EntryList { clip }, 0);
    wait(0.3);
    Player &player = Player::shared();
    ASSERT_TRUE(player.isVideo());
    PlayerLayer *layer = full()->playerView()->playerLayer();
    EXPECT_EQ(layer->player(), &player);
    EXPECT_EQ(player.videoOutput(), layer->videoSink());
    // The mini bar, the shared player's delegate, keeps a video's artwork; only the full player,
    // which shows the picture itself, puts "blank" there when it takes the player's callbacks.
    EXPECT_EQ(mini()->imageView()->imageName(), QString());
    EXPECT_FALSE(mini()->imageView()->image().isNull());
    full()->playerView()->playerDidChangeItem();
    settle();
    EXPECT_EQ(full()->playerView()->imageView()->imageName(), QStringLiteral("blank"));
    mini()->playerDidChangeItem();
    settle();

    presentFullPlayer();
    // A tap on the mini bar's picture would play or pause; on the full player's it opens the video.
    tapPicture(full()->playerView());
    wait(0.4);
    auto *video = qobject_cast<VideoPlayerViewController *>(full()->presentedViewController());
    ASSERT_NE(video, nullptr);
    EXPECT_EQ(video->player(), &player);
    EXPECT_EQ(player.videoOutput(), video->videoView()->videoSink());
    EXPECT_EQ(layer->player(), nullptr);
    EXPECT_EQ(app->videoPlayer(), static_cast<PlayerSurface *>(video));
    EXPECT_TRUE(player.isPlaying());

    video->togglePlayback();
    EXPECT_FALSE(player.isPlaying());
    video->togglePlayback();
    EXPECT_TRUE(player.isPlaying());

    video->closeButton()->click();
    wait(0.4);
    EXPECT_EQ(full()->presentedViewController(), nullptr);
    EXPECT_EQ(layer->player(), &player);
    EXPECT_EQ(player.videoOutput(), layer->videoSink());
    EXPECT_EQ(app->videoPlayer(), nullptr);

    // A second video opens the same screen again.
    tapPicture(full()->playerView());
    wait(0.4);
    EXPECT_EQ(full()->presentedViewController(), video);
}

TEST_F(PlayerScreensTest, TheStandalonePlayerBorrowsTheSharedPlayerAndGivesItBack)
{
    struct Row
    {
        const char *name;
        bool queue;
        qint64 index;
        bool playing;
    };
    const Row rows[] = {
        { "playing item 2", true, 2, true },
        { "paused on item 2", true, 2, false },
        { "playing item 0", true, 0, true },
        { "paused on item 0", true, 0, false },
        { "never used", false, -1, false },
    };
    for (const Row &row : rows) {
        TearDown();
        SetUp();
        Player &player = Player::shared();
        Player::EntryList queue = entries(3);
        if (row.queue) {
            mini()->play(queue, row.index);
            if (!row.playing)
                player.pause();
            wait(0.3);
        }
        auto single = entry(9);
        auto *screen = StandalonePlayerViewController::make(single);
        host->present(screen, true);
        wait(0.5);
        EXPECT_TRUE(player.isPlaying()) << row.name;
        EXPECT_EQ(player.currentEntry(), single) << row.name;
        EXPECT_EQ(player.delegate(), screen->playerView()) << row.name;
        EXPECT_TRUE(screen->fakeMiniPlayer()->isHidden()) << row.name;
        EXPECT_EQ(screen->playerView()->playerLayer(), nullptr) << row.name;
        settle();
        EXPECT_EQ(screen->playerView()->title()->text(), QStringLiteral("Title 9")) << row.name;

        // A reappearance plays the entry again but keeps what was saved first.
        screen->beginAppearanceTransition(false, false);
        screen->endAppearanceTransition();
        screen->beginAppearanceTransition(true, false);
        screen->endAppearanceTransition();
        EXPECT_EQ(screen->savedQueue().has_value(), row.queue) << row.name;

        screen->playerView()->closeButton()->click();
        wait(0.5);
        EXPECT_EQ(host->presentedViewController(), nullptr) << row.name;
        if (row.queue) {
            EXPECT_EQ(player.queue(), queue) << row.name;
            EXPECT_EQ(player.currentIndex(), row.index) << row.name;
            EXPECT_EQ(player.currentItem(), player.playerItems().at(row.index)) << row.name;
            EXPECT_EQ(player.isPlaying(), row.playing) << row.name;
            EXPECT_EQ(player.delegate(), mini()) << row.name;
            settle();
            EXPECT_EQ(mini()->title()->text(), QStringLiteral("Title %1").arg(row.index)) << row.name;
        } else {
            EXPECT_EQ(player.queue(), Player::EntryList { single }) << row.name;
            EXPECT_FALSE(player.isPlaying()) << row.name;
        }
    }
}

TEST_F(PlayerScreensTest, TheStandalonePlayerDoesNotWaitOnAnEntryLoadingElsewhere)
{
    auto single = entry(4);
    single->setMetadata(std::nullopt);
    single->setState(UpdateState::updating);
    auto *screen = StandalonePlayerViewController::make(single);
    host->present(screen, true);
    wait(0.5);
    EXPECT_EQ(Player::shared().currentEntry(), single);
    EXPECT_TRUE(Player::shared().isPlaying());
    screen->closePlayerViewController();
    wait(0.5);
}
