#include "BrowserSupport.h"

#include "Platform/UI/NavigationItem.h"
#include "Platform/UI/TabBarController.h"

#include <QFile>

namespace tarnik::test {
namespace {

TEST(DirectoryNavigationLevels, RunFromRootDownToTheDirectory)
{
    const struct
    {
        QString directory;
        QStringList levels;
    } rows[] = {
        { QStringLiteral("/"), { QStringLiteral("/") } },
        { QStringLiteral("/var/mobile"), { QStringLiteral("/"), QStringLiteral("/var"), QStringLiteral("/var/mobile") } },
        { QStringLiteral("/var/"), { QStringLiteral("/"), QStringLiteral("/var") } },
        { QStringLiteral("/a/b/c"),
            { QStringLiteral("/"), QStringLiteral("/a"), QStringLiteral("/a/b"), QStringLiteral("/a/b/c") } },
    };
    for (const auto &row : rows)
        EXPECT_EQ(DirectoryNavigationController::levels(row.directory), row.levels) << row.directory.toStdString();
}

QStringList directories(NavigationController *nav)
{
    QStringList result;
    for (ViewController *vc : nav->viewControllers())
        if (auto *level = qobject_cast<DirectoryViewController *>(vc))
            result.append(level->directory());
    return result;
}

TEST_F(BrowserTest, AFolderGivesOneLevelPerComponentAndOnlyRootHidesBack)
{
    QDir().mkpath(path(QStringLiteral("a/b")));
    auto *nav = showBrowser(path(QStringLiteral("a/b")));
    EXPECT_EQ(directories(nav), DirectoryNavigationController::levels(path(QStringLiteral("a/b"))));
    EXPECT_FALSE(top(nav)->navigationItem()->hidesBackButton());
    EXPECT_EQ(top(nav)->filePath(), std::nullopt);
    EXPECT_EQ(Preferences::rootDircetory(), path(QStringLiteral("a/b")));

    nav->browseToFile(QStringLiteral("/"));
    ASSERT_EQ(nav->viewControllers().size(), 1);
    ASSERT_TRUE(waitForListing(top(nav)));
    EXPECT_TRUE(top(nav)->navigationItem()->hidesBackButton());
}

TEST_F(BrowserTest, AFilePathListsItsFolderAndSelectsItsRow)
{
    for (char c = 'a'; c <= 'z'; ++c)
        ASSERT_TRUE(touch(path(QString(QLatin1Char(c)) + QStringLiteral(".txt"))));
    auto *nav = showBrowser(path(QStringLiteral("h.txt")));
    DirectoryViewController *level = top(nav);
    EXPECT_EQ(level->directory(), dir.path());
    EXPECT_EQ(level->filePath(), path(QStringLiteral("h.txt")));
    tick(1.5);
    const QList<IndexPath> selected = level->collectionView()->indexPathsForSelectedItems();
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(selected.first().item, 7);
    EXPECT_NEAR(level->collectionView()->contentOffsetY(),
        level->collectionView()->frameForItem(IndexPath { 7, 0 })->top(), 8.0);
}

TEST_F(BrowserTest, APathThatDoesNotExistLeavesTheStack)
{
    auto *nav = showBrowser(dir.path());
    const QList<ViewController *> before = nav->viewControllers();
    nav->browseToFile(path(QStringLiteral("missing/file.mp3")));
    QFile::link(path(QStringLiteral("nowhere")), path(QStringLiteral("dangling")));
    nav->browseToFile(path(QStringLiteral("dangling")));
    EXPECT_EQ(nav->viewControllers(), before);
}

class BrowserTabTest : public BrowserTest
{
protected:
    DirectoryNavigationController *showInTabs(const QString &start)
    {
        makeWindow();
        Preferences::setRootDircetory(dir.path());
        tabs = new TabBarController;
        auto *first = new NavigationController(new ViewController);
        first->setTitle(QStringLiteral("Home"));
        auto *nav = new DirectoryNavigationController;
        tabs->setViewControllers({ first, nav });
        window->setRootViewController(tabs);
        tabs->setSelectedIndex(1);
        nav->browseToFile(start);
        waitForListing(top(nav));
        settle();
        return nav;
    }
    TabBarController *tabs = nullptr;
};

TEST_F(BrowserTabTest, TappingTheBrowserTabAgainGoesHomeOrToTheTop)
{
    const QString home = Preferences::homeDirectory();
    QDir().mkpath(home + QStringLiteral("/deep/er"));
    auto *nav = showInTabs(home + QStringLiteral("/deep/er"));
    tabs->tapTab(1);
    settle();
    drainMainQueue();
    EXPECT_EQ(top(nav)->directory(), home);
    const int depth = int(nav->viewControllers().size());
    tabs->tapTab(1);
    settle();
    EXPECT_EQ(int(nav->viewControllers().size()), depth) << "home stays where it is";

    QDir().mkpath(path(QStringLiteral("x/y")));
    nav->browseToFile(path(QStringLiteral("x/y")));
    waitForListing(top(nav));
    tabs->tapTab(1);
    settle();
    drainMainQueue();
    ASSERT_EQ(nav->viewControllers().size(), 1);
    EXPECT_EQ(top(nav)->directory(), QStringLiteral("/"));
    EXPECT_EQ(tabs->selectedIndex(), 1);
}

TEST_F(BrowserTabTest, SwitchingToAnotherTabLeavesEditMode)
{
    auto media = path(QStringLiteral("song.mp3"));
    ASSERT_TRUE(test::touch(media));
    auto *nav = showInTabs(dir.path());
    DirectoryViewController *level = top(nav);
    level->toggleEditMode();
    drainMainQueue();
    ASSERT_TRUE(level->editMode());
    tabs->tapTab(0);
    drainMainQueue();
    EXPECT_FALSE(level->editMode());
    EXPECT_EQ(tabs->selectedIndex(), 0);
}

} // namespace
} // namespace tarnik::test
