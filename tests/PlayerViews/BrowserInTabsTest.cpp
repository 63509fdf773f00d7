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
#include "Platform/UI/TabBar.h"
#include "Platform/UI/View.h"
#include "Platform/UI/Window.h"
#include "Support/EntriesSupport.h"
#include "Support/MediaFixtures.h"
#include "PlayerViews/BrowserInTabsSupport.h"

#include <QDir>
#include <QFile>
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

TEST_F(BrowserInTabsTest, ASizeChangeInEditModePutsTheMiniPlayerBackWithoutItsSlide)
{
    QTemporaryDir dir;
    QFile(dir.filePath(QStringLiteral("notes.txt"))).open(QIODevice::WriteOnly);
    DirectoryViewController *level = showFolder(dir.path());
    ASSERT_NE(level, nullptr);
    mini()->play(entries(1), 0);
    wait(0.3);
    const QTransform raised = QTransform::fromTranslate(0, -miniPlayerHeight);
    ASSERT_EQ(View::transform(mini()), raised);

    // Outside edit mode a new size leaves the raised player where it is.
    level->viewWillTransition(QSizeF(500, 700));
    EXPECT_EQ(View::transform(mini()), raised);

    // Edit mode slides it away; a new size halfway puts it back at rest at once.
    level->setEditMode(true);
    settle();
    wait(0.1);
    ASSERT_NE(View::transform(mini()), QTransform());
    ASSERT_NE(View::transform(mini()), raised);
    level->viewWillTransition(QSizeF(500, 700));
    EXPECT_EQ(View::transform(mini()), QTransform());
    EXPECT_EQ(mini()->y(), host->tabBar()->y());
    wait(0.3);
    EXPECT_EQ(mini()->animate(), PlayerViewAnimation::none);
    EXPECT_TRUE(mini()->isHidden());
    EXPECT_EQ(View::transform(mini()), QTransform());
}

} // namespace
