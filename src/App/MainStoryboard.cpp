#include "App/MainStoryboard.h"

#include "Platform/Bundle.h"
#include "ImportEditor/ImageQueryController.h"
#include "ImportEditor/ImageViewerController.h"

#include "Browser/DirectoryNavigationController.h"
#include "Browser/DirectoryViewController.h"

#include "ImportEditor/ImportViewController.h"
#include "Platform/UI/NavigationController.h"
#include "Platform/UI/Storyboard.h"
#include "Platform/UI/TabBarController.h"
#include "Platform/UI/TabBarItem.h"
#include "Player/CustomTabBarController.h"
#include "Player/PlayerViewController.h"
#include "Player/StandalonePlayerViewController.h"
#include "Player/VideoPlayerViewController.h"
#include "Settings/FirstViewController.h"
#include "Settings/GuideViewController.h"
#include "Settings/PagingViewController.h"
#include "Settings/PreferenceViewController.h"
#include "Tools/RingtoneViewController.h"

#include "Tools/TrimmerViewController.h"
#include "Tools/VolumeEditorViewController.h"

#include <QStringList>

namespace tarnik::MainStoryboard {

namespace {

// The tab's drawing from the bundle: grey, or in the tint colour when selected.
QIcon tabIcon(int index, bool selected)
{
    static const char *const kNames[] = { "tabHome", "tabFiles", "tabRingtones", "tabSettings" };
    const QString name = QString::fromLatin1(kNames[qBound(0, index, 3)])
        + (selected ? QStringLiteral("Selected") : QString());
    const auto path = Bundle::main().pathForResource(name, QStringLiteral("svg"), QStringLiteral("images"));
    return path ? QIcon(*path) : QIcon();
}

ViewController *makeRoot()
{
    auto *root = new CustomTabBarController;
    QList<ViewController *> tabs;
    const QStringList titles = tabTitles();
    const Storyboard storyboard(kName);
    for (int i = 0; i < titles.size(); ++i) {
        // Each tab holds its screen. Every one of them is registered above: a missing
        // registration is a programming error, and instantiating reports it at start.
        ViewController *nav = nullptr;
        if (i == 1) {
            nav = storyboard.instantiateViewController(QStringLiteral("DirectoryNavigationController"));
        } else {
            static const char *const kScreens[] = { "PagingViewController", nullptr, "RingtoneViewController",
                "PreferenceViewController" };
            ViewController *screen = storyboard.instantiateViewController(QLatin1String(kScreens[qBound(0, i, 3)]));
            auto *navigation = new NavigationController(screen);
            if (i == 0)
                navigation->setNavigationBarHidden(true, false); // the guide's slides fill the tab
            nav = navigation;
        }
        nav->tabBarItem()->setTitle(titles[i]);
        nav->tabBarItem()->setImage(tabIcon(i, false));
        nav->tabBarItem()->setSelectedImage(tabIcon(i, true));
        nav->tabBarItem()->setTag(i);
        tabs.append(nav);
    }
    root->setViewControllers(tabs);
    return root;
}

} // namespace

QStringList tabTitles()
{
    return { QStringLiteral("Home"), QStringLiteral("Files"), QStringLiteral("Ringtones"), QStringLiteral("Settings") };
}

void registerScreens()
{
    Storyboard::registerClass<RingtoneViewController>(kName);
    Storyboard::registerClass<PreferenceViewController>(kName);
    Storyboard::registerClass<GuideViewController>(kName);
    Storyboard::registerClass<FirstViewController>(kName);
    Storyboard::registerClass<PagingViewController>(kName);

    Storyboard::registerClass<DirectoryNavigationController>(kName);
    Storyboard::registerClass<DirectoryViewController>(kName);
    Storyboard::registerFactory(kName, QStringLiteral("RootTabBarController"), &makeRoot);
    Storyboard::setInitialIdentifier(kName, QStringLiteral("RootTabBarController"));
    Storyboard::registerClass<ImageViewerController>(kName);
    Storyboard::registerClass<ImageQueryController>(kName);
    Storyboard::registerClass<PlayerViewController>(kName);
    Storyboard::registerClass<VideoPlayerViewController>(kName);
    Storyboard::registerClass<StandalonePlayerViewController>(kName);

    Storyboard::registerClass<TrimmerViewController>(kName);
    Storyboard::registerClass<VolumeEditorViewController>(kName);

    Storyboard::registerClass<ImportViewController>(kName);
}

} // namespace tarnik::MainStoryboard
