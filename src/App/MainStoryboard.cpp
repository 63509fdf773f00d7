#include "App/MainStoryboard.h"

#include "App/PlaceholderViewController.h"
#include "ImportEditor/ImportViewController.h"
#include "Platform/UI/NavigationController.h"
#include "Platform/UI/Storyboard.h"
#include "Platform/UI/TabBarController.h"
#include "Platform/UI/TabBarItem.h"

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
        auto *nav = new NavigationController(new PlaceholderViewController(titles[i]));
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
    Storyboard::registerFactory(kName, QStringLiteral("RootTabBarController"), &makeRoot);
    Storyboard::setInitialIdentifier(kName, QStringLiteral("RootTabBarController"));
    Storyboard::registerClass<ImportViewController>(kName);
}

} // namespace tarnik::MainStoryboard
