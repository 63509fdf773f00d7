#include "Tools/VolumeEditorViewController.h"

#include "Controls/CircularSlider/CircularSlider.h"
#include "Platform/UI/AlertController.h"
#include "Platform/UI/NavigationBar.h"
#include "Tools/ToolsTestSupport.h"

#include <QPushButton>

namespace tarnik::test {
namespace {

class RecordingVolumeDelegate : public VolumeEditorViewControllerDelegate
{
public:
    void volumeEditorViewControllerDidFinish(float volume) override { volumes.append(volume); }
    QList<float> volumes;
};

class VolumeEditorTest : public ToolsScreenTest
{
protected:
    VolumeEditorViewController *open(float level = 0.8f, const QString &path = QStringLiteral("/music/song.mp3"))
    {
        editor = VolumeEditorViewController::initialize(path, level, &delegate);
        editor->setSharedPlayer(sharedPlayer.get());
        present(editor);
        return editor;
    }
    // A turn of the level knob as the user's drag delivers it.
    void turnLevel(float fraction)
    {
        CircularSlider *knob = editor->volumeLevelKnob();
        knob->touchesBegan({ QPointF(0, 0) });
        knob->setNormalizedValue(fraction);
    }
    void releaseLevel() { editor->volumeLevelKnob()->touchesEnded({}); }

    RecordingVolumeDelegate delegate;
    VolumeEditorViewController *editor = nullptr;
};

TEST_F(VolumeEditorTest, OpeningPlaysNothingAndShowsBothLevels)
{
    systemVolume.set(0.6, false);
    open(0.8f);
    ASSERT_TRUE(lastAudioPlayer);
    EXPECT_FLOAT_EQ(lastAudioPlayer->volume(), 0.8f);
    EXPECT_EQ(lastAudioPlayer->numberOfLoops(), -1);
    EXPECT_EQ(lastAudioPlayer->playCount, 0);
    EXPECT_FALSE(editor->doneButton()->isEnabled());
    EXPECT_FLOAT_EQ(editor->systemVolumeKnob()->normalizedValue(), 0.6f);
    EXPECT_FLOAT_EQ(editor->volumeLevelKnob()->normalizedValue(), 0.8f);
    EXPECT_FLOAT_EQ(editor->volumeLevel(), 0.8f);
    EXPECT_EQ(systemVolume.setCount, 0); // showing the system volume does not write it
}

TEST_F(VolumeEditorTest, AtMaximumTheLevelIsTakenAndPreviewed)
{
    systemVolume.set(1.0, false);
    sharedPlayer->setQueue(QList<std::shared_ptr<Entry>> {});
    open(0.8f);
    sharedPlayer->setRate(1.0);
    turnLevel(0.3f);
    EXPECT_TRUE(editor->doneButton()->isEnabled());
    EXPECT_FLOAT_EQ(editor->volumeLevel(), 0.3f);
    EXPECT_FLOAT_EQ(lastAudioPlayer->volume(), 0.3f);
    EXPECT_TRUE(lastAudioPlayer->isPlaying());
    EXPECT_FALSE(sharedPlayer->isPlaying());
    EXPECT_EQ(editor->previewButton()->text(), QStringLiteral("Pause"));
    // A second event while the preview plays only changes the volume.
    editor->volumeLevelKnob()->setNormalizedValue(0.4f);
    EXPECT_FLOAT_EQ(lastAudioPlayer->volume(), 0.4f);
    EXPECT_EQ(lastAudioPlayer->playCount, 1);
    // The preview button pauses and plays again.
    editor->previewButton()->click();
    EXPECT_FALSE(lastAudioPlayer->isPlaying());
    EXPECT_EQ(editor->previewButton()->text(), QStringLiteral("Preview"));
    editor->previewButton()->click();
    EXPECT_TRUE(lastAudioPlayer->isPlaying());
}

TEST_F(VolumeEditorTest, BelowMaximumTheLevelSnapsBackWithAWarning)
{
    systemVolume.set(0.99, false);
    open(0.8f);
    turnLevel(0.3f);
    EXPECT_FLOAT_EQ(editor->volumeLevel(), 0.8f);
    EXPECT_EQ(lastAudioPlayer->playCount, 0);
    EXPECT_FALSE(editor->doneButton()->isEnabled());
    EXPECT_NEAR(editor->systemVolumeKnob()->normalizedValue(), 0.99f, 1e-6);

    releaseLevel();
    drain();
    settle();
    EXPECT_FLOAT_EQ(editor->volumeLevelKnob()->normalizedValue(), 0.8f);
    auto *alert = qobject_cast<AlertController *>(editor->presentedViewController());
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->alertTitle(), QStringLiteral("Warning!"));
    EXPECT_EQ(alert->message(),
        QStringLiteral(
            "For best results, first set `System Volume` to MAX, then adjust this control to your desired level."));
    // While the alert is up, level events are ignored, even at the maximum.
    systemVolume.set(1.0, false);
    editor->volumeLevelKnob()->setNormalizedValue(0.5f);
    EXPECT_FLOAT_EQ(editor->volumeLevel(), 0.8f);
    EXPECT_EQ(lastAudioPlayer->playCount, 0);
}

TEST_F(VolumeEditorTest, SystemVolumeKnobFollowsAndSetsTheSystemVolume)
{
    systemVolume.set(0.5, false);
    // The app's own session is process-wide: an earlier test may have left it active.
    ASSERT_TRUE(AudioSession::shared().setActive(false));
    open();
    systemVolume.set(0.7, false); // the volume changed elsewhere
    EXPECT_FLOAT_EQ(editor->systemVolumeKnob()->normalizedValue(), 0.7f);

    QPointer<CircularSlider> knob = editor->systemVolumeKnob();
    knob->touchesBegan({ QPointF(0, 0) });
    knob->setNormalizedValue(0.25f);
    knob->touchesEnded({});
    EXPECT_FLOAT_EQ(float(systemVolume.volume()), 0.25f);
    // The shared player has no session of its own while it plays nothing, so turning the knob
    // activates the app's.
    EXPECT_FALSE(audioSession.isActive());
    EXPECT_FALSE(editor->audioSessionIsActive());
    EXPECT_TRUE(AudioSession::shared().isActive());

    // Once the screen goes, outside changes no longer reach it.
    editor->dismiss(false);
    settle();
    ASSERT_TRUE(knob);
    systemVolume.set(0.9, false);
    EXPECT_FLOAT_EQ(knob->normalizedValue(), 0.25f);
}

TEST_F(VolumeEditorTest, DoneReportsTheLastTakenLevelOnceAndCancelNever)
{
    systemVolume.set(1.0, false);
    open(0.8f);
    turnLevel(0.3f);
    turnLevel(0.45f);
    FakeAudioPlayer *preview = lastAudioPlayer;
    editor->doneButton()->trigger();
    settle();
    EXPECT_EQ(delegate.volumes, QList<float> { 0.45f });
    EXPECT_EQ(preview->stopCount, 1);
    EXPECT_EQ(root->presentedViewController(), nullptr);

    open(0.8f);
    turnLevel(0.3f);
    editor->cancelButton()->trigger();
    settle();
    EXPECT_EQ(delegate.volumes.size(), 1);
    EXPECT_EQ(root->presentedViewController(), nullptr);
}

TEST_F(VolumeEditorTest, WorksWithoutAPreviewPlayer)
{
    systemVolume.set(1.0, false);
    open(0.8f, QStringLiteral("/music/unplayable.txt"));
    EXPECT_EQ(editor->player(), nullptr);
    EXPECT_FALSE(editor->previewButton()->isEnabled());
    turnLevel(0.6f);
    EXPECT_TRUE(editor->doneButton()->isEnabled());
    editor->didTapPreviewButton();
    editor->doneButton()->trigger();
    settle();
    EXPECT_EQ(delegate.volumes, QList<float> { 0.6f });
}

TEST_F(VolumeEditorTest, PadLayoutSwitchesAxis)
{
    window.reset();
    makeWindow(UserInterfaceIdiom::pad);
    root = new ViewController;
    window->setRootViewController(root);
    open();
    editor->updateKnobLayout();
    EXPECT_EQ(editor->topStackView()->direction(), QBoxLayout::TopToBottom);
    EXPECT_TRUE(editor->knobHeightConstraint().isActive);
    EXPECT_FALSE(editor->knobWidthConstraint().isActive);

    DeviceProfile::setOverride(DeviceProfile::Override { UserInterfaceIdiom::pad, QSizeF(1024, 768) });
    window->resize(1024, 768);
    settle();
    editor->updateKnobLayout();
    EXPECT_EQ(editor->topStackView()->direction(), QBoxLayout::LeftToRight);
    EXPECT_FALSE(editor->knobHeightConstraint().isActive);
    EXPECT_TRUE(editor->knobWidthConstraint().isActive);
}

TEST_F(VolumeEditorTest, PhoneLayoutKeepsItsAxis)
{
    open();
    DeviceProfile::setOverride(DeviceProfile::Override { UserInterfaceIdiom::phone, QSizeF(667, 375) });
    editor->updateKnobLayout();
    EXPECT_EQ(editor->topStackView()->direction(), QBoxLayout::TopToBottom);
    EXPECT_FALSE(editor->knobHeightConstraint().isActive);
    EXPECT_FALSE(editor->knobWidthConstraint().isActive);
}

TEST_F(VolumeEditorTest, NavigationIsTransparent)
{
    auto *navigation = present(VolumeEditorViewController::initialize(QStringLiteral("/a.mp3"), 1.0f, nullptr));
    EXPECT_EQ(navigation->preferredStatusBarStyle(), StatusBarStyle::lightContent);
    ASSERT_TRUE(navigation->navigationBar()->backgroundImage());
    EXPECT_TRUE(navigation->navigationBar()->backgroundImage()->isNull());
    ASSERT_TRUE(navigation->navigationBar()->shadowImage());
    EXPECT_TRUE(navigation->navigationBar()->isTranslucent());
}

} // namespace
} // namespace tarnik::test
