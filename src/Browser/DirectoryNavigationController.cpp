#include "Browser/DirectoryNavigationController.h"

#include "App/MainStoryboard.h"
#include "App/Preferences.h"
#include "Browser/DirectoryViewController.h"
#include "Platform/UI/Storyboard.h"

#include <QFileInfo>

#include <sys/stat.h>

namespace tarnik {

namespace {

// Exists as a file or directory (a dangling link does not).
bool exists(const QString &path, bool *isDirectory)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return false;
    *isDirectory = S_ISDIR(st.st_mode);
    return true;
}

} // namespace

DirectoryNavigationController::DirectoryNavigationController(QObject *parent)
    : NavigationController(nullptr, parent)
{
    setTitle(QStringLiteral("Files"));
}

QStringList DirectoryNavigationController::levels(const QString &directory)
{
    QStringList result;
    QString path = directory;
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    while (path.size() > 1) {
        result.prepend(path);
        const int slash = path.lastIndexOf(QLatin1Char('/'));
        path = slash <= 0 ? QString() : path.left(slash);
    }
    result.prepend(QStringLiteral("/"));
    return result;
}

void DirectoryNavigationController::viewDidLoad()
{
    NavigationController::viewDidLoad();
    browseToFile(Preferences::rootDircetory());
}

void DirectoryNavigationController::viewWillAppear(bool animated)
{
    NavigationController::viewWillAppear(animated);
    if (TabBarController *tabs = tabBarController())
        tabs->setDelegate(this);
}

void DirectoryNavigationController::browseToFile(const QString &path)
{
    bool isDirectory = false;
    if (path.isEmpty() || !exists(path, &isDirectory))
        return;
    popToRootViewController(false);
    QString target = path;
    while (target.startsWith(QLatin1String("private")))
        target.remove(0, 7);
    std::optional<QString> reveal;
    bool targetIsDirectory = false;
    if (!exists(target, &targetIsDirectory) || !targetIsDirectory) {
        target = QFileInfo(target).path();
        reveal = path;
    }
    QList<ViewController *> stack;
    for (const QString &level : levels(target)) {
        DirectoryViewController *screen = DirectoryViewController::makeLevel();
        screen->setDirectory(level);
        screen->setFilePath(reveal);
        stack.append(screen);
    }
    // One change of the whole stack: levels that are replaced go, the new ones come without
    // animation and only the top one appears.
    setViewControllers(stack, false);
}

bool DirectoryNavigationController::shouldSelect(TabBarController *tabBarController, ViewController *viewController)
{
    auto *top = qobject_cast<DirectoryViewController *>(topViewController());
    if (!top)
        return true;
    return top->tabBarShouldSelect(tabBarController, viewController);
}

} // namespace tarnik
