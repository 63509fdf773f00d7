// The browser inside the app's root tab bar: the full player's share button reaches the
// browser's share sheet, and the pictures of the browser's actions for the documentation
// (taken only when TARNIK_BROWSER_ACTION_SHOTS names the output folder).

#include "Browser/DirectoryNavigationController.h"
#include "Browser/DirectoryViewController.h"
#include "Browser/EntryCell.h"
#include "Entries/EntryViewModel.h"
#include "Entries/EntryViewModelController.h"
#include "Platform/UI/ActivityViewController.h"
#include "Platform/UI/AlertControllerAction.h"
#include "Platform/UI/BarButtonItem.h"
#include "Platform/UI/Window.h"
#include "Support/EntriesSupport.h"
#include "Support/MediaFixtures.h"
#include "Support/PlayerScreenSupport.h"

#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>

using namespace tarnik;
using namespace tarnik::test;

namespace {

class BrowserInTabsTest : public PlayerScreenTest
{
public:
    // Selects the Files tab and shows folder in it, its first page listed.
    DirectoryViewController *showFolder(const QString &folder)
    {
        host->setSelectedIndex(1);
        auto *browser = qobject_cast<DirectoryNavigationController *>(host->viewControllers().value(1));
        if (!browser)
            return nullptr;
        browser->browseToFile(folder);
        wait(0.1);
        auto *level = qobject_cast<DirectoryViewController *>(browser->topViewController());
        if (!level || !waitUntil([&] {
                settle();
                return level->appliedListings() > 0;
            }))
            return nullptr;
        wait(0.6);
        return level;
    }
    // Waits until the rows' details (titles, artwork) have arrived.
    void waitForDetails(DirectoryViewController *level, int rows)
    {
        waitUntil([&] {
            settle();
            for (int i = 0; i < rows; ++i) {
                const auto viewModel = level->entryViewModelController().viewModel(i);
                if (viewModel && viewModel->state() != UpdateState::updated)
                    return false;
            }
            return true;
        });
        wait(0.6);
    }
    static void tapItem(DirectoryViewController *level, int item)
    {
        CollectionView *cv = level->collectionView();
        cv->layoutIfNeeded();
        const std::optional<QRectF> frame = cv->frameForItem(IndexPath { item, 0 });
        ASSERT_TRUE(frame.has_value());
        const QPointF point = cv->mapFromContent(frame->center());
        cv->touchBegan(point);
        cv->touchEnded(point);
        settle();
    }
    void shoot(const QString &name)
    {
        wait(1.0);
        window->grab().save(QDir(qEnvironmentVariable("TARNIK_BROWSER_ACTION_SHOTS")).filePath(name));
    }
};

TEST_F(BrowserInTabsTest, TheFullPlayersShareButtonOpensTheSheetOfThePlayingSong)
{
    QTemporaryDir dir;
    const QString song = dir.filePath(QStringLiteral("song.mp3"));
    ASSERT_TRUE(media::makeTone(song, 0.5, media::args({ "-metadata", "title=Tune" })));
    ASSERT_NE(showFolder(dir.path()), nullptr);
    auto entry = std::make_shared<Entry>(song, QStringLiteral("song.mp3"), EntryType::exportable, IndexPath {});
    mini()->play(Player::EntryList { entry }, 0);
    wait(0.3);
    host->miniPlayerViewTapped();
    wait(0.6);

    maxi()->shareButton()->click();
    ASSERT_TRUE(waitUntil([&] {
        settle();
        return host->playerViewController()->presentedViewController() != nullptr;
    }));
    wait(0.6);
    auto *sheet = qobject_cast<ActivityViewController *>(host->playerViewController()->presentedViewController());
    ASSERT_NE(sheet, nullptr);
    ASSERT_FALSE(sheet->shownActivities().isEmpty());
    EXPECT_EQ(sheet->shownActivities().first()->activityTitle(), QStringLiteral("Import to Music"));
}

TEST_F(BrowserInTabsTest, Screenshots)
{
    if (qEnvironmentVariableIsEmpty("TARNIK_BROWSER_ACTION_SHOTS"))
        GTEST_SKIP() << "only for docs/screenshots/take-browser-actions.sh";
    QTemporaryDir dir;
    const QString music = dir.filePath(QStringLiteral("Music"));
    ASSERT_TRUE(QDir().mkpath(music + QStringLiteral("/Live Sessions")));
    const struct
    {
        const char *file;
        const char *title;
        const char *artist;
        const char *cover;
    } songs[] = {
        { "Morning Light.mp3", "Morning Light", "The Lanterns", "gradients=s=300x300:c0=0xff7a45:c1=0x6a1b9a:d=1" },
        { "Harbour Song.mp3", "Harbour Song", "Mira Vale", "gradients=s=300x300:c0=0x1e88e5:c1=0x00bfa5:d=1" },
        { "Long Road.mp3", "Long Road", "North Quarter", "gradients=s=300x300:c0=0xfdd835:c1=0xe53935:d=1" },
        { "Quiet Hours.mp3", "Quiet Hours", "Anna Roe", "gradients=s=300x300:c0=0x8e24aa:c1=0x3949ab:d=1" },
    };
    for (const auto &s : songs) {
        const QString cover = dir.filePath(QString::fromLatin1(s.file) + QStringLiteral(".png"));
        ASSERT_TRUE(media::runFfmpeg({ QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
            QString::fromLatin1(s.cover), QStringLiteral("-frames:v"), QStringLiteral("1"), cover }));
        ASSERT_TRUE(media::makeToneWithCover(music + QLatin1Char('/') + QString::fromLatin1(s.file), cover, 3.0,
            { QStringLiteral("-id3v2_version"), QStringLiteral("3"), QStringLiteral("-metadata"),
                QStringLiteral("title=") + QString::fromLatin1(s.title), QStringLiteral("-metadata"),
                QStringLiteral("artist=") + QString::fromLatin1(s.artist) }));
    }
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
