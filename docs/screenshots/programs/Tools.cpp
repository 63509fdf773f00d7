// Draws the trimmer and the volume editor for the documentation, on the real
// audio file TARNIK_SCREENSHOT_AUDIO names, in the window as the app opens it,
// into the folder TARNIK_SCREENSHOT_DIR names: the volume editor once with the
// system volume at its maximum and once below it, where its two circular
// sliders show two numbers (docs/screenshots/take-tools.sh runs it).
#include "Controls/CircularSlider/CircularSlider.h"
#include "Support/AppWindow.h"
#include "Tools/ToolsTestSupport.h"
#include "Tools/TrimmerNavigationController.h"
#include "Tools/TrimmerViewController.h"
#include "Tools/VolumeEditorViewController.h"

#include <QDir>

namespace tarnik::test {
namespace {

class ToolsScreenshot : public ToolsScreenTest
{
protected:
    void SetUp() override
    {
        folder = qEnvironmentVariable("TARNIK_SCREENSHOT_DIR");
        audio = qEnvironmentVariable("TARNIK_SCREENSHOT_AUDIO");
        if (folder.isEmpty() || audio.isEmpty())
            FAIL() << "TARNIK_SCREENSHOT_DIR or TARNIK_SCREENSHOT_AUDIO not set";
        ToolsScreenTest::SetUp();
        // The tools over the window as the app opens it, not the fixture's phone-sized one.
        window = openWindowAsTheApp();
        root = new ViewController;
        window->setRootViewController(root);
        AudioPlayer::setFactory({}); // the real preview player
    }
    void save(const QString &name)
    {
        settle();
        drain();
        EXPECT_TRUE(window->grab().save(QDir(folder).filePath(name)));
    }
    QString folder;
    QString audio;
};

TEST_F(ToolsScreenshot, Trimmer)
{
    auto *trimmer
        = TrimmerViewController::initialize(audio, MediaTime::fromSeconds(0), MediaTime::fromSeconds(1), nullptr);
    trimmer->setSharedPlayer(sharedPlayer.get());
    root->present(new TrimmerNavigationController(trimmer), false);
    settle();
    drain();
    trimmer->moveEnd(0.72f);
    trimmer->moveStart(0.18f);
    trimmer->updatePlayhead(0.41f, false);
    trimmer->pan(1, GestureRecognizer::State::began, 0);
    save(QStringLiteral("trimmer.png"));
}

TEST_F(ToolsScreenshot, VolumeEditor)
{
    systemVolume.set(1.0, false);
    auto *editor = VolumeEditorViewController::initialize(audio, 0.8f, nullptr);
    editor->setSharedPlayer(sharedPlayer.get());
    root->present(new TransparentNavigationController(editor), false);
    save(QStringLiteral("volume-editor.png"));
}

TEST_F(ToolsScreenshot, CircularSliders)
{
    systemVolume.set(0.35, false);
    auto *editor = VolumeEditorViewController::initialize(audio, 0.88f, nullptr);
    editor->setSharedPlayer(sharedPlayer.get());
    root->present(new TransparentNavigationController(editor), false);
    save(QStringLiteral("circular-slider.png"));
}

} // namespace
} // namespace tarnik::test
