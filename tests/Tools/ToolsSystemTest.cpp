// The audio tools on the real playback backend and the real sound server
// (the tests' null sink).
#include "Controls/CircularSlider/CircularSlider.h"
#include "Entries/EntryImages.h"
#include "Platform/Audio/SystemVolume.h"
#include "Support/MediaFixtures.h"
#include "Tools/ToolsTestSupport.h"
#include "Tools/TrimmerNavigationController.h"
#include "Tools/TrimmerViewController.h"
#include "Tools/VolumeEditorViewController.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace tarnik::test {
namespace {

using namespace media;

class ToolsSystemTest : public ToolsScreenTest
{
protected:
    void SetUp() override
    {
        ToolsScreenTest::SetUp();
        ASSERT_TRUE(folder.isValid());
        song = folder.filePath(QStringLiteral("song.mp3"));
        ASSERT_TRUE(makeTone(song, 20));
    }
    TrimmerViewController *openTrimmer(double start, double end)
    {
        auto *trimmer = TrimmerViewController::initialize(
            song, MediaTime::fromSeconds(start), MediaTime::fromSeconds(end), nullptr);
        trimmer->setSharedPlayer(sharedPlayer.get());
        root->present(new TrimmerNavigationController(trimmer), false);
        settle();
        drain();
        return trimmer;
    }
    QTemporaryDir folder;
    QString song;
};

TEST_F(ToolsSystemTest, PreviewLoopsWithinTheRange)
{
    TrimmerViewController *trimmer = openTrimmer(5.0, 6.0);
    const double duration = trimmer->fullDuration();
    ASSERT_NEAR(duration, 20, 0.2);
    const float start = trimmer->minimumValue();
    const float end = trimmer->maximumValue();
    trimmer->controlButtonTapped(TrimmerViewController::previewTag);
    // The player's position travels through the range and turns back to its start, twice, never
    // past its end.
    const double first = duration * double(start);
    const double last = duration * double(end);
    double highest = 0;
    int turns = 0;
    bool late = false;
    const bool done = QTest::qWaitFor(
        [&] {
            const double time = trimmer->player()->currentTime().seconds();
            const float value = trimmer->sliderValue();
            EXPECT_GE(value, start - 1e-4f);
            EXPECT_LE(value, end + 1e-4f);
            EXPECT_GE(time, first - 0.01);
            EXPECT_LE(time, last + 0.01);
            if (highest > first + 0.6 && time < first + 0.3) {
                ++turns;
                highest = 0;
            }
            highest = std::max(highest, time);
            late = late || (turns == 0 && time > first + 0.1);
            return turns >= 2;
        },
        8000);
    EXPECT_TRUE(done) << "turns " << turns << " highest " << highest << " start " << first << " end " << last
                      << " now " << trimmer->player()->currentTime().seconds() << " playing "
                      << trimmer->player()->isPlaying() << " status "
                      << int(trimmer->player()->currentItem()->status());
    EXPECT_TRUE(late) << "the position never moved";
    EXPECT_TRUE(trimmer->player()->isPlaying());
    trimmer->controlButtonTapped(TrimmerViewController::previewTag);
    EXPECT_FALSE(trimmer->player()->isPlaying());
}

TEST_F(ToolsSystemTest, ASourceDeletedWhileOpen)
{
    TrimmerViewController *trimmer = openTrimmer(1.0, 3.0);
    ASSERT_TRUE(QFile::remove(song));
    trimmer->controlButtonTapped(TrimmerViewController::previewTag);
    trimmer->slider()->setValue(trimmer->slider()->value() + 100);
    trimmer->trackSliderDidEndEditing();
    trimmer->pan(1, GestureRecognizer::State::changed, 20);
    QTest::qWait(300); // let the backend report what it can of the missing file
    trimmer->doneButton()->trigger();
    settle();
    EXPECT_EQ(root->presentedViewController(), nullptr);
}

TEST_F(ToolsSystemTest, VolumeEditorOnTheSoundServer)
{
    std::unique_ptr<SystemVolume> server = SystemVolume::make();
    if (!server->isSystemWide())
        GTEST_SKIP() << "no sound server";
    SystemVolume::setShared(server.get());
    server->setVolume(1.0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return server->volume() > 0.999; }, 3000));
    auto *editor = VolumeEditorViewController::initialize(song, 0.5f, nullptr);
    editor->setSharedPlayer(sharedPlayer.get());
    root->present(new TransparentNavigationController(editor), false);
    settle();
    EXPECT_NEAR(editor->systemVolumeKnob()->normalizedValue(), 1.0f, 1e-3);
    // At the maximum a level is taken and previewed with the real player.
    editor->volumeLevelKnob()->setNormalizedValue(0.3f);
    EXPECT_FLOAT_EQ(editor->volumeLevel(), 0.3f);
    ASSERT_TRUE(editor->player());
    EXPECT_TRUE(editor->player()->isPlaying());
    // Turning the system knob sets the sink's volume.
    editor->systemVolumeKnob()->setNormalizedValue(0.4f);
    EXPECT_TRUE(QTest::qWaitFor([&] { return std::abs(server->volume() - 0.4) < 0.02; }, 3000));
    server->setVolume(1.0);
    editor->cancel();
    settle();
    SystemVolume::setShared(&systemVolume);
}

TEST(ToolsImagesTest, TheBundleHasEveryImage)
{
    for (const char *name : { "playSmall", "pauseSmall", "trimmerPlay", "trimmerPause", "trimmerStartHere",
             "trimmerEndHere", "trimmerReset", "trimmerHelp" })
        EXPECT_FALSE(EntryImages::named(QString::fromLatin1(name), 32).isNull()) << name;
}

} // namespace
} // namespace tarnik::test
