// Draws the player's screens for the documentation through the real player
// (docs/screenshots/take-player.sh runs it: TARNIK_SHOTS names the output
// folder, TARNIK_SHOT_SONG and TARNIK_SHOT_VIDEO the media it made).

#include "Browser/DirectoryNavigationController.h"
#include "Platform/UI/GestureRecognizer.h"
#include "Platform/UI/Window.h"
#include "Player/VideoPlayerViewController.h"
#include "Support/AppWindow.h"
#include "Support/PlayerScreenSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

using namespace tarnik;
using namespace tarnik::test;

class ScreenshotTest : public PlayerScreenTest
{
public:
    static void SetUpTestSuite()
    {
        realBackend = true;
        windowAsTheAppOpensIt() = true;
    }
    void shoot(const QString &name)
    {
        settle();
        window->grab().save(QDir(qEnvironmentVariable("TARNIK_SHOTS")).filePath(name));
    }
    // Lets real playback run for a while, the animations included.
    void run(double seconds)
    {
        for (int i = 0; i < int(seconds * 20); ++i) {
            QTest::qWait(50);
            wait(0.05);
        }
    }
};

TEST_F(ScreenshotTest, PlayerScreens)
{
    if (qEnvironmentVariableIsEmpty("TARNIK_SHOTS"))
        FAIL() << "set TARNIK_SHOTS to the output folder";
    const QString song = qEnvironmentVariable("TARNIK_SHOT_SONG");
    const QString clip = qEnvironmentVariable("TARNIK_SHOT_VIDEO");
    auto entryFor = [](const QString &path) {
        return std::make_shared<Entry>(path, path.section(QLatin1Char('/'), -1), EntryType::exportable, IndexPath {});
    };
    host->setSelectedIndex(1);
    // The browser behind the mini player shows the song's folder.
    if (auto *browser = qobject_cast<DirectoryNavigationController *>(host->viewControllers().value(1)))
        browser->browseToFile(QFileInfo(song).absolutePath());
    mini()->play(Player::EntryList { entryFor(song) }, 0);
    run(2.5);
    shoot(QStringLiteral("mini-player.png"));

    host->miniPlayerViewTapped();
    run(1.5);
    shoot(QStringLiteral("full-player.png"));

    mini()->play(Player::EntryList { entryFor(clip) }, 0);
    run(0.5);
    PlayerView *full = host->playerViewController()->playerView();
    full->tapGesture()->feed(GestureRecognizer::Phase::began, { 5, 5 }, 900.0);
    full->tapGesture()->feed(GestureRecognizer::Phase::ended, { 5, 5 }, 900.05);
    run(2.0);
    shoot(QStringLiteral("video-player.png"));
}
