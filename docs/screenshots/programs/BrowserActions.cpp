// Draws the browser's actions for the documentation inside the app's root tab bar: a folder of
// tagged songs with cover art and a video (ffmpeg), three songs chosen in edit mode with the
// import destinations offered, then a song's share sheet, into the folder
// TARNIK_BROWSER_ACTION_SHOTS names (docs/screenshots/take-browser-actions.sh runs it).

#include "Browser/EntryCell.h"
#include "Platform/UI/AlertController.h"
#include "Platform/UI/AlertControllerAction.h"
#include "Platform/UI/BarButtonItem.h"
#include "PlayerViews/BrowserInTabsSupport.h"
#include "Support/AppWindow.h"
#include "Support/MediaFixtures.h"
#include "PictureSongs.h"

#include <QAbstractButton>
#include <QToolButton>
#include <QDir>
#include <QTemporaryDir>

using namespace tarnik;
using namespace tarnik::test;

namespace {

class BrowserActionsShot : public BrowserInTabsTest
{
public:
    static void SetUpTestSuite() { windowAsTheAppOpensIt() = true; }
    void shoot(const QString &name)
    {
        wait(1.0);
        EXPECT_TRUE(window->grab().save(QDir(qEnvironmentVariable("TARNIK_BROWSER_ACTION_SHOTS")).filePath(name)));
    }
};

TEST_F(BrowserActionsShot, Take)
{
    if (qEnvironmentVariableIsEmpty("TARNIK_BROWSER_ACTION_SHOTS"))
        FAIL() << "set TARNIK_BROWSER_ACTION_SHOTS to the output folder";
    QTemporaryDir dir;
    const QString music = dir.filePath(QStringLiteral("Music"));
    ASSERT_TRUE(QDir().mkpath(music + QStringLiteral("/Live Sessions")));
    ASSERT_TRUE(makePictureSongs(music, 4));
    ASSERT_TRUE(media::makeVideo(
        music + QStringLiteral("/Street Clip.mp4"), 1.0, true, media::args({ "-metadata", "title=Street Clip" })));

    DirectoryViewController *level = showFolder(music);
    ASSERT_NE(level, nullptr);
    waitForDetails(level, 6);

    // Edit mode with three songs chosen, and the destinations offered for them.
    level->toggleEditMode();
    wait(0.6);
    for (int row : { 0, 2, 3 }) // three songs; row 1 is a folder
        tapItem(level, row);
    wait(0.6);
    level->importBarButtonItem()->trigger();
    shoot(QStringLiteral("browser-select.png"));
    auto *sheet = qobject_cast<AlertController *>(level->presentedViewController());
    if (!sheet)
        sheet = qobject_cast<AlertController *>(host->presentedViewController());
    ASSERT_NE(sheet, nullptr);
    sheet->tapAction(sheet->actions().last()); // Cancel
    wait(1.0);
    level->toggleEditMode();
    wait(1.0);

    // The share sheet of a song, from its row's accessory button.
    auto *cell = dynamic_cast<EntryCell *>(level->collectionView()->cellForItem(IndexPath { 0, 0 }));
    ASSERT_NE(cell, nullptr);
    cell->accessory()->click();
    waitUntil([&] {
        settle();
        return host->presentedViewController() || level->presentedViewController();
    });
    shoot(QStringLiteral("share-sheet.png"));
}

} // namespace
