#include "BrowserSupport.h"

#include "Entries/EntryViewModel.h"
#include "Platform/UI/NavigationItem.h"
#include "Platform/UI/TabBarController.h"

#include <QFile>

#include <unistd.h>

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

// A launch of the browser tab with a home folder of its own and no remembered folder unless the
// test stores one.
class BrowserLaunchTest : public BrowserTest
{
protected:
    void SetUp() override
    {
        BrowserTest::SetUp();
        savedHome = qgetenv("HOME");
        Preferences::setValue(std::nullopt, Preferences::Key::lastDirectory);
    }
    void TearDown() override
    {
        if (!home.isEmpty())
            QFile::setPermissions(home, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("HOME", savedHome);
        BrowserTest::TearDown();
    }
    void useHome(const QString &folder)
    {
        home = folder;
        ASSERT_TRUE(QDir().mkpath(home));
        qputenv("HOME", QFile::encodeName(home));
    }
    DirectoryNavigationController *launch()
    {
        makeWindow();
        auto *nav = new DirectoryNavigationController;
        window->setRootViewController(nav);
        waitForListing(top(nav));
        return nav;
    }
    static QStringList listed(DirectoryViewController *level)
    {
        QStringList names;
        EntryViewModelController &model = level->entryViewModelController();
        for (int row : model.viewModelIndices())
            names.append(QFileInfo(model.viewModel(row)->url()).fileName());
        return names;
    }

    QByteArray savedHome;
    QString home;
};

TEST_F(BrowserLaunchTest, AFirstLaunchListsTheHomeFolder)
{
    const bool root = ::geteuid() == 0; // root lists a folder whatever its permissions
    const struct
    {
        const char *name;
        QStringList files;
        bool unreadable;
    } rows[] = {
        { "with files", { QStringLiteral("Music/"), QStringLiteral("notes.txt") }, false },
        { "empty", {}, false },
        { "unreadable", { QStringLiteral("secret.txt") }, true },
    };
    for (const auto &row : rows) {
        if (row.unreadable && root)
            continue;
        SCOPED_TRACE(row.name);
        useHome(path(QLatin1String(row.name)));
        for (const QString &file : row.files)
            ASSERT_TRUE(file.endsWith(QLatin1Char('/')) ? QDir().mkpath(home + QLatin1Char('/') + file)
                                                         : touch(home + QLatin1Char('/') + file));
        if (row.unreadable)
            ASSERT_TRUE(QFile::setPermissions(home, QFileDevice::Permissions()));

        DirectoryNavigationController *nav = launch();
        EXPECT_EQ(directories(nav), DirectoryNavigationController::levels(home));
        AlertController *alert = presentedAlert(window->rootViewController());
        if (row.unreadable) {
            ASSERT_NE(alert, nullptr);
            EXPECT_EQ(alert->alertTitle(), QStringLiteral("Error Occurred"));
            EXPECT_EQ(alert->message(),
                QStringLiteral("Failed to populate a list of files in the directory: ") + home
                    + QStringLiteral(".\nError: Permission denied"));
            EXPECT_EQ(top(nav)->collectionView()->numberOfItems(0), 0);
            alert->tapAction(alert->actions().first());
            settle();
        } else {
            EXPECT_EQ(alert, nullptr);
            QStringList expected;
            for (const QString &file : row.files)
                expected.append(file.endsWith(QLatin1Char('/')) ? file.chopped(1) : file);
            EXPECT_EQ(listed(top(nav)), expected);
        }
        window.reset();
        drainMainQueue();
        Preferences::setValue(std::nullopt, Preferences::Key::lastDirectory);
    }
}

TEST_F(BrowserLaunchTest, ARememberedFolderWinsUntilItIsGone)
{
    useHome(path(QStringLiteral("home")));
    const QString remembered = path(QStringLiteral("elsewhere/deeper"));
    ASSERT_TRUE(QDir().mkpath(remembered));
    ASSERT_TRUE(touch(remembered + QStringLiteral("/song.txt")));
    Preferences::setRootDircetory(remembered);
    DirectoryNavigationController *nav = launch();
    EXPECT_EQ(directories(nav), DirectoryNavigationController::levels(remembered));
    EXPECT_EQ(listed(top(nav)), QStringList { QStringLiteral("song.txt") });
    window.reset();
    drainMainQueue();

    ASSERT_TRUE(QDir(path(QStringLiteral("elsewhere"))).removeRecursively());
    nav = launch();
    EXPECT_EQ(directories(nav), DirectoryNavigationController::levels(home));
    EXPECT_EQ(presentedAlert(window->rootViewController()), nullptr);
    EXPECT_EQ(Preferences::rootDircetory(), home) << "the home level, once shown, is remembered";
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
    const QString home = Preferences::browserHomeDirectory();
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
