#include "App/MainStoryboard.h"

#include "App/PlaceholderViewController.h"
#include "Platform/UI/NavigationController.h"
#include "Platform/UI/Storyboard.h"
#include "Platform/UI/TabBarController.h"
#include "Platform/UI/TabBarItem.h"
#include "Settings/FirstViewController.h"
#include "Settings/GuideViewController.h"
#include "Settings/PagingViewController.h"
#include "Settings/PreferenceViewController.h"
#include "Tools/RingtoneViewController.h"

#include <QApplication>
#include <QStringList>
#include <QStyle>

namespace tarnik::MainStoryboard {

namespace {

QIcon tabIcon(int index)
{
    QStyle *style = QApplication::style();
    switch (index) {
    case 0:
        return style->standardIcon(QStyle::SP_MediaPlay);
    case 1:
        return style->standardIcon(QStyle::SP_DirIcon);
    case 2:
        return style->standardIcon(QStyle::SP_MediaVolume);
    default:
        return style->standardIcon(QStyle::SP_FileDialogDetailedView);
    }
}

ViewController *makeRoot()
{
    auto *root = new TabBarController;
    QList<ViewController *> tabs;
    const QStringList titles = tabTitles();
    for (int i = 0; i < titles.size(); ++i) {
        // The Home, Ringtones and Settings tabs hold their screens; Files waits for its own.
        ViewController *screen = nullptr;
        if (i == 0)
            screen = Storyboard(kName).instantiateViewController(QStringLiteral("PagingViewController"));
        else if (i == 2)
            screen = Storyboard(kName).instantiateViewController(QStringLiteral("RingtoneViewController"));
        else if (i == 3)
            screen = Storyboard(kName).instantiateViewController(QStringLiteral("PreferenceViewController"));
        else
            screen = new PlaceholderViewController(titles[i]);
        auto *nav = new NavigationController(screen);
        if (i == 0)
            nav->setNavigationBarHidden(true, false); // the guide's slides fill the tab
        nav->tabBarItem()->setTitle(titles[i]);
        nav->tabBarItem()->setImage(tabIcon(i));
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
    Storyboard::registerFactory(kName, QStringLiteral("RootTabBarController"), &makeRoot);
    Storyboard::setInitialIdentifier(kName, QStringLiteral("RootTabBarController"));
}

} // namespace tarnik::MainStoryboard
