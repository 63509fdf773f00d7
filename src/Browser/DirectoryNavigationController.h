#pragma once

#include "App/BrowserServices.h"
#include "Platform/UI/NavigationController.h"
#include "Platform/UI/TabBarController.h"

#include <QStringList>

namespace tarnik {

// The navigation controller of the browser tab: one DirectoryViewController per directory level,
// from "/" down to the directory shown. It rebuilds that stack for any path: at start for the
// folder where the user left off, and when the app is asked to show ("locate") a path.
//
// It is the tab bar's delegate for the browser (a stable owner, unlike the levels that come and
// go) and hands each question to the level on top. GUI thread only.
class DirectoryNavigationController : public NavigationController,
                                      public BrowserNavigation,
                                      public TabBarControllerDelegate
{
    Q_OBJECT
public:
    explicit DirectoryNavigationController(QObject *parent = nullptr);

    // Rebuilds the stack for path; nothing when no file or directory exists there.
    void browseToFile(const QString &path) override;
    // The levels browseToFile makes for a directory: "/" first, the directory last.
    static QStringList levels(const QString &directory);

    bool shouldSelect(TabBarController *tabBarController, ViewController *viewController) override;

protected:
    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
};

} // namespace tarnik
