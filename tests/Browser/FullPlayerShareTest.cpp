// The full player's share button opens the share sheet of the playing entry over the full
// player, from whichever browser level is on top.

#include "App/MainStoryboard.h"
#include "BrowserSupport.h"
#include "ImportEditor/ImportActivity.h"
#include "ImportEditor/ImportViewController.h"
#include "Platform/UI/Activity.h"
#include "Platform/UI/ActivityViewController.h"
#include "Platform/UI/NavigationController.h"
#include "Platform/UI/Storyboard.h"
#include "Browser/EntryImageView.h"
#include "Entries/EntryViewModel.h"
#include "Import/ImportItem.h"
#include "Platform/UI/AlertControllerAction.h"
#include "Support/MediaFixtures.h"
#include "Support/MediaTagFixtures.h"

#include <QFile>
#include <QLabel>

#include <QToolButton>

namespace tarnik::test {
namespace {

class FullPlayerShareTest : public BrowserTest
{
protected:
    void SetUp() override
    {
        BrowserTest::SetUp();
        host.shareButton = &shareButton;
        // The import actions show only when the editor they open exists.
        Storyboard::registerFactory(
            MainStoryboard::kName, ImportActivity::editorIdentifier, [] { return new ImportViewController; });
    }
    void TearDown() override
    {
        Storyboard::unregisterFactory(MainStoryboard::kName, ImportActivity::editorIdentifier);
        host.current.reset();
        BrowserTest::TearDown();
    }
    // Shows the browser, then a stand-in for the full player over it.
    DirectoryViewController *showBrowserAndPlayer()
    {
        DirectoryNavigationController *nav = showBrowser(dir.path());
        auto *player = new ViewController;
        nav->present(player, false);
        settle();
        host.player = player;
        return top(nav);
    }
    std::shared_ptr<Entry> entryNamed(DirectoryViewController *level, const QString &name)
    {
        for (const auto &entry : level->entryViewModelController().exportableEntries())
            if (entry->name() == name)
                return entry;
        return nullptr;
    }
    // Clicks the share button and lets the entry's metadata load.
    ViewController *clickShare(std::chrono::milliseconds wait = std::chrono::seconds(5))
    {
        shareButton.click();
        waitUntil([&] { return host.player && host.player->presentedViewController(); }, wait);
        drainMainQueue();
        settle();
        return host.player ? host.player->presentedViewController() : nullptr;
    }

    QToolButton shareButton;
};

TEST_F(FullPlayerShareTest, ThePlayingSongGetsItsSheetOverThePlayer)
{
    ASSERT_TRUE(media::makeTone(path(QStringLiteral("song.mp3")), 0.3, media::args({ "-metadata", "title=Tune" })));
    DirectoryViewController *level = showBrowserAndPlayer();
    host.current = entryNamed(level, QStringLiteral("song.mp3"));
    ASSERT_NE(host.current, nullptr);

    auto *sheet = qobject_cast<ActivityViewController *>(clickShare());
    ASSERT_NE(sheet, nullptr);
    QStringList titles;
    for (Activity *activity : sheet->shownActivities())
        titles << activity->activityTitle();
    const QStringList ours { QStringLiteral("Import to Music"), QStringLiteral("Import as Ringtone"),
        QStringLiteral("Import as Podcast"), QStringLiteral("Preview"), QStringLiteral("Open In...") };
    EXPECT_EQ(titles.mid(0, ours.size()), ours);
}

TEST_F(FullPlayerShareTest, UnreadableAudioGetsTheConversionOfferOverThePlayer)
{
    ASSERT_TRUE(media::makeTone(path(QStringLiteral("song.ogg")), 0.3, media::args({ "-c:a", "libvorbis" })));
    DirectoryViewController *level = showBrowserAndPlayer();
    host.current = entryNamed(level, QStringLiteral("song.ogg"));
    ASSERT_NE(host.current, nullptr);

    auto *offer = qobject_cast<AlertController *>(clickShare());
    ASSERT_NE(offer, nullptr);
    EXPECT_FALSE(qobject_cast<ActivityViewController *>(offer));
    EXPECT_TRUE(offer->message().startsWith(QStringLiteral("The file \"song.ogg\" is malformed")));
}

TEST_F(FullPlayerShareTest, NothingWithoutAPlayingEntryOrFromALevelBelowTheTop)
{
    ASSERT_TRUE(media::makeTone(path(QStringLiteral("song.mp3")), 0.3));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("deeper")));
    DirectoryNavigationController *nav = showBrowser(dir.path());
    DirectoryViewController *first = top(nav);
    const std::shared_ptr<Entry> song = entryNamed(first, QStringLiteral("song.mp3"));
    ASSERT_NE(song, nullptr);
    tapItem(first, 0); // folders come first
    settle();
    DirectoryViewController *second = top(nav);
    ASSERT_NE(second, first);
    ASSERT_EQ(second->directory(), path(QStringLiteral("deeper")));
    waitForListing(second);
    auto *player = new ViewController;
    nav->present(player, false);
    settle();
    host.player = player;

    EXPECT_EQ(clickShare(std::chrono::milliseconds(300)), nullptr) << "no playing entry";
    host.current = song;
    first->showShareOptions();
    waitUntil([&] { return player->presentedViewController() != nullptr; }, std::chrono::milliseconds(300));
    EXPECT_EQ(player->presentedViewController(), nullptr) << "a level below the top stays quiet";
    EXPECT_TRUE(qobject_cast<ActivityViewController *>(clickShare())) << "the top level answers";
}


TEST_F(FullPlayerShareTest, AfterAPullARetaggedFilesRowAndImportEditorShowItsNewTags)
{
    const QString song = path(QStringLiteral("song.mp3"));
    const QString cover = path(QStringLiteral(".cover.png"));
    ASSERT_TRUE(media::makePicture(cover, 40, 40, QStringLiteral("red")));
    ASSERT_TRUE(media::makeToneWithCover(song, cover, 0.3, media::args({ "-metadata", "title=Before" })));
    DirectoryNavigationController *nav = showBrowser(dir.path());
    DirectoryViewController *level = top(nav);
    const auto rowShown = [&](const QString &title) {
        return waitUntil([&] {
            settle();
            auto *cell = dynamic_cast<EntryCell *>(level->collectionView()->cellForItem(IndexPath { 0, 0 }));
            return cell && cell->title()->text() == title;
        });
    };
    ASSERT_TRUE(rowShown(QStringLiteral("Before")));
    // Its metadata loaded too, as the share sheet loads them.
    entryNamed(level, QStringLiteral("song.mp3"))->updateMetadata([](const std::shared_ptr<Entry> &) {});

    const QByteArray newCover = [&] {
        const QString file = path(QStringLiteral(".new.jpg"));
        media::makePicture(file, 60, 30, QStringLiteral("blue"));
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    ASSERT_FALSE(newCover.isEmpty());
    ASSERT_TRUE(media::writeId3Frames(song, { { "TIT2", QStringLiteral("After") }, { "APIC", newCover } }));

    const int listings = level->appliedListings();
    level->refresh();
    tick(1.0);
    ASSERT_TRUE(waitForListing(level, listings));
    ASSERT_TRUE(rowShown(QStringLiteral("After")));
    auto *cell = dynamic_cast<EntryCell *>(level->collectionView()->cellForItem(IndexPath { 0, 0 }));
    EXPECT_EQ(level->entryViewModelController().viewModel(0)->image().size(), QSize(128, 64)) << "the new cover";

    level->accessoryButtonTapped(level->entryViewModelController().viewModel(0)->identifier(), cell);
    ASSERT_TRUE(waitUntil([&] {
        settle();
        return qobject_cast<ActivityViewController *>(level->presentedViewController()) != nullptr;
    }));
    auto *sheet = qobject_cast<ActivityViewController *>(level->presentedViewController());
    ASSERT_FALSE(sheet->shownActivities().isEmpty());
    AlertControllerAction *importToMusic = nullptr;
    for (AlertControllerAction *action : sheet->actions())
        if (action->title() == QStringLiteral("Import to Music"))
            importToMusic = action;
    ASSERT_NE(importToMusic, nullptr);
    sheet->tapAction(importToMusic);
    ImportViewController *editor = nullptr;
    ASSERT_TRUE(waitUntil([&] {
        tick(0.1);
        auto *navigation = qobject_cast<NavigationController *>(level->presentedViewController());
        editor = navigation && !navigation->viewControllers().isEmpty()
            ? qobject_cast<ImportViewController *>(navigation->viewControllers().first())
            : nullptr;
        return editor != nullptr;
    }));
    // The editor's presentation runs to its end, which ends the sheet's import activity too.
    tick(0.5);
    ASSERT_TRUE(editor->importItem().has_value());
    ASSERT_TRUE(editor->importItem()->metadata.has_value());
    EXPECT_EQ(editor->importItem()->metadata->title, QStringLiteral("After"));
    EXPECT_EQ(editor->importItem()->metadata->artworkImage().size(), QSize(60, 30));
}

} // namespace
} // namespace tarnik::test
