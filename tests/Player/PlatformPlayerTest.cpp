// The platform player on Qt Multimedia, playing real files through the test's PulseAudio null sink.

#include "Platform/Playback/PlatformPlayer.h"

#include "MediaFixtures.h"
#include "Platform/Playback/PlayerLayer.h"
#include "Platform/Playback/QtPlaybackBackend.h"

#include <QTest>
#include <QVideoFrame>
#include <QVideoSink>
#include <algorithm>
#include <gtest/gtest.h>

namespace tarnik {
namespace {

using test::MediaFixtures;
using Kind = MediaFixtures::Kind;

constexpr int kLoadTimeoutMs = 15'000;

MediaFixtures &fixtures()
{
    static MediaFixtures made;
    return made;
}

struct FormatRow
{
    Kind kind;
    bool hasVideo;
};

class RealPlaybackTest : public ::testing::TestWithParam<FormatRow>
{
};

TEST_P(RealPlaybackTest, PlaysFromStartToEndOfItem)
{
    const FormatRow row = GetParam();
    const QString path = fixtures().file(row.kind, 1.5);
    ASSERT_FALSE(path.isEmpty()) << "ffmpeg could not make the fixture";

    auto item = std::make_shared<PlayerItem>(path);
    EXPECT_EQ(item->hasVideoTrack(), row.hasVideo);
    EXPECT_NEAR(item->duration().seconds(), 1.5, 0.2);
    EXPECT_EQ(item->status(), PlayerItem::Status::unknown);

    PlatformPlayer player(std::make_unique<QtPlaybackBackend>());
    QList<double> ticks;
    player.addPeriodicTimeObserver(
        MediaTime::fromSeconds(0.25), [&](const MediaTime &time) { ticks.append(time.seconds()); });
    int ends = 0;
    QObject::connect(&player, &PlatformPlayer::itemDidPlayToEndTime, [&](PlayerItem *ended) {
        EXPECT_EQ(ended, item.get());
        ++ends;
    });
    QVideoSink sink;
    int frames = 0;
    QObject::connect(&sink, &QVideoSink::videoFrameChanged, [&](const QVideoFrame &frame) {
        if (frame.isValid())
            ++frames;
    });
    player.setVideoOutput(&sink);

    player.replaceCurrentItem(item);
    player.play();
    EXPECT_TRUE(player.isPlaying());
    ASSERT_TRUE(QTest::qWaitFor([&] { return item->status() == PlayerItem::Status::readyToPlay; }, kLoadTimeoutMs));
    EXPECT_TRUE(QTest::qWaitFor([&] { return player.currentTime().seconds() > 0.3; }, kLoadTimeoutMs))
        << "the position did not advance";
    ASSERT_TRUE(QTest::qWaitFor([&] { return ends > 0; }, kLoadTimeoutMs)) << "no end of item";
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(player.rate(), 0.0);
    EXPECT_FALSE(player.isPlaying());
    EXPECT_GE(ticks.size(), 2);
    EXPECT_EQ(frames > 0, row.hasVideo);
}

INSTANTIATE_TEST_SUITE_P(Formats, RealPlaybackTest,
    ::testing::Values(FormatRow { Kind::mp3, false }, FormatRow { Kind::m4a, false }, FormatRow { Kind::ogg, false },
        FormatRow { Kind::mp4, true },
        // Cover art is a picture, not a video track.
        FormatRow { Kind::mp3WithCover, false }),
    [](const auto &row) { return MediaFixtures::name(row.param.kind).toStdString(); });

TEST(RealPlayback, VideoOutputAttachesAndDetaches)
{
    const QString path = fixtures().file(Kind::mp4, 3.0);
    ASSERT_FALSE(path.isEmpty());
    PlatformPlayer player(std::make_unique<QtPlaybackBackend>());
    auto item = std::make_shared<PlayerItem>(path);
    int frames = 0;
    auto sink = std::make_unique<QVideoSink>();
    QObject::connect(sink.get(), &QVideoSink::videoFrameChanged, [&](const QVideoFrame &frame) {
        if (frame.isValid())
            ++frames;
    });

    player.replaceCurrentItem(item);
    player.setVideoOutput(sink.get());
    EXPECT_EQ(player.videoOutput(), sink.get());
    player.play();
    ASSERT_TRUE(QTest::qWaitFor([&] { return frames > 0; }, kLoadTimeoutMs)) << "no frame reached the output";

    // Detached, the picture stops while the sound goes on.
    player.setVideoOutput(nullptr);
    EXPECT_EQ(player.videoOutput(), nullptr);
    const int framesWhenDetached = frames;
    const double detachedAt = player.currentTime().seconds();
    ASSERT_TRUE(QTest::qWaitFor([&] { return player.currentTime().seconds() > detachedAt + 0.5; }, kLoadTimeoutMs));
    EXPECT_LE(frames, framesWhenDetached + 1);

    // Attached again, frames flow again; a destroyed output detaches itself.
    player.setVideoOutput(sink.get());
    ASSERT_TRUE(QTest::qWaitFor([&] { return frames > framesWhenDetached + 1; }, kLoadTimeoutMs));
    sink.reset();
    EXPECT_EQ(player.videoOutput(), nullptr);
    player.pause();
}

TEST(RealPlayback, APlayerLayerShowsThePictureOfItsPlayer)
{
    const QString path = fixtures().file(Kind::mp4, 3.0);
    ASSERT_FALSE(path.isEmpty());
    PlatformPlayer player(std::make_unique<QtPlaybackBackend>());
    player.replaceCurrentItem(std::make_shared<PlayerItem>(path));
    PlayerLayer layer;
    layer.resize(128, 96);
    layer.setBackgroundColor(Qt::black);

    layer.setPlayer(&player);
    EXPECT_EQ(player.videoOutput(), layer.videoSink());
    player.play();
    ASSERT_TRUE(QTest::qWaitFor([&] { return layer.currentFrame().isValid(); }, kLoadTimeoutMs));
    // The test picture is colourful: the fitted frame covers the middle of the black layer.
    const QImage shown = layer.grab().toImage();
    EXPECT_NE(shown.pixelColor(64, 48), QColor(Qt::black));

    // Taking the player away detaches the output and leaves the background.
    layer.setPlayer(nullptr);
    EXPECT_EQ(player.videoOutput(), nullptr);
    EXPECT_FALSE(layer.currentFrame().isValid());
    EXPECT_EQ(layer.grab().toImage().pixelColor(64, 48), QColor(Qt::black));
    player.pause();
}

TEST(RealPlayback, SeekMovesThePositionAndCompletes)
{
    const QString path = fixtures().file(Kind::m4a, 3.0);
    ASSERT_FALSE(path.isEmpty());
    PlatformPlayer player(std::make_unique<QtPlaybackBackend>());
    auto item = std::make_shared<PlayerItem>(path);
    // Sought before it is current, the item starts there.
    item->seek(MediaTime::fromSeconds(1.0));
    player.replaceCurrentItem(item);
    ASSERT_TRUE(QTest::qWaitFor([&] { return item->status() == PlayerItem::Status::readyToPlay; }, kLoadTimeoutMs));
    EXPECT_TRUE(QTest::qWaitFor([&] { return player.currentTime().seconds() >= 0.9; }, kLoadTimeoutMs));

    std::optional<bool> finished;
    player.seek(MediaTime::fromSeconds(2.0), [&](bool done) { finished = done; });
    EXPECT_NEAR(player.currentTime().seconds(), 2.0, 0.001);
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.has_value(); }, kLoadTimeoutMs));
    EXPECT_TRUE(*finished);
    EXPECT_NEAR(player.currentTime().seconds(), 2.0, 0.15);
}

TEST(RealPlayback, AnItemPlaysAgainAfterItsEnd)
{
    const QString path = fixtures().file(Kind::ogg, 1.0);
    ASSERT_FALSE(path.isEmpty());
    PlatformPlayer player(std::make_unique<QtPlaybackBackend>());
    auto item = std::make_shared<PlayerItem>(path);
    int ends = 0;
    QObject::connect(&player, &PlatformPlayer::itemDidPlayToEndTime, [&] { ++ends; });
    player.replaceCurrentItem(item);
    player.play();
    ASSERT_TRUE(QTest::qWaitFor([&] { return ends == 1; }, kLoadTimeoutMs));
    const qint64 durationUs = player.backend().duration();
    EXPECT_GT(durationUs, 0);
    // Whatever the player does to start again, the item stays loaded and ready for its users.
    int statusChanges = 0;
    QObject::connect(&player, &PlatformPlayer::currentItemStatusChanged, [&] { ++statusChanges; });

    // Pausing at the end leaves it there.
    player.pause();
    EXPECT_GT(player.currentTime().seconds(), 0.9);

    // Played again as it is, it starts over and reaches the end again.
    double furthest = 0;
    QObject::connect(&player.backend(), &PlaybackBackend::positionChanged,
        [&](qint64 us) { furthest = std::max(furthest, us / 1e6); });
    player.play();
    ASSERT_TRUE(QTest::qWaitFor([&] { return ends == 2; }, kLoadTimeoutMs)) << "stopped at " << furthest << " s";
    EXPECT_FALSE(player.isPlaying());

    // Rewound and paused first, as a repeating queue does, it plays once more.
    std::optional<bool> finished;
    player.seek(MediaTime::zero(), [&](bool done) {
        finished = done;
        player.pause();
    });
    EXPECT_EQ(player.currentTime().seconds(), 0.0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.has_value(); }, kLoadTimeoutMs));
    EXPECT_TRUE(*finished);
    EXPECT_LT(player.currentTime().seconds(), 0.1);
    EXPECT_EQ(player.backend().duration(), durationUs);
    furthest = 0;
    player.play();
    ASSERT_TRUE(QTest::qWaitFor([&] { return ends == 3; }, kLoadTimeoutMs)) << "stopped at " << furthest << " s";
    EXPECT_EQ(statusChanges, 0);
    EXPECT_EQ(item->status(), PlayerItem::Status::readyToPlay);
}

TEST(RealPlayback, AFileThatIsNoMediaFails)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("noise.mp3"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, 'x'));
    file.close();

    PlatformPlayer player(std::make_unique<QtPlaybackBackend>());
    auto item = std::make_shared<PlayerItem>(path);
    player.replaceCurrentItem(item);
    player.play();
    ASSERT_TRUE(QTest::qWaitFor([&] { return item->status() == PlayerItem::Status::failed; }, kLoadTimeoutMs));
    EXPECT_EQ(player.rate(), 0.0);
}

} // namespace
} // namespace tarnik
