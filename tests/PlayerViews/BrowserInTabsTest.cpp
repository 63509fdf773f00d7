// The browser inside the app's root tab bar: the full player's share button reaches the
// browser's share sheet.

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
#include "PlayerViews/BrowserInTabsSupport.h"

#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>

using namespace tarnik;
using namespace tarnik::test;

namespace {

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

} // namespace
