#include "App/MainStoryboard.h"
#include "Platform/UI/Storyboard.h"
#include "Platform/UI/TabBarController.h"
#include "Platform/UI/TabBarItem.h"
#include "Support/UiTestSupport.h"

#include <gtest/gtest.h>

#include <memory>

using namespace tarnik;
using namespace tarnik::test;

// The root's tabs carry their titles and both of their drawings, so no tab is an empty square in
// either state (the drawings come from the bundle and fail quietly when one is missing).
TEST_F(ScreenTest, RootTabsHaveTitlesAndDrawingsInBothStates)
{
    MainStoryboard::registerScreens();
    std::unique_ptr<ViewController> root(Storyboard(MainStoryboard::kName).instantiateInitialViewController());
    auto *tabs = qobject_cast<TabBarController *>(root.get());
    ASSERT_NE(tabs, nullptr);
    const QStringList titles = MainStoryboard::tabTitles();
    ASSERT_EQ(tabs->viewControllers().size(), titles.size());
    for (int i = 0; i < titles.size(); ++i) {
        TabBarItem *item = tabs->viewControllers()[i]->tabBarItem();
        EXPECT_EQ(item->title(), titles[i]);
        EXPECT_FALSE(item->image().isNull()) << i;
        EXPECT_FALSE(item->selectedImage().isNull()) << i;
        EXPECT_NE(item->image().cacheKey(), item->selectedImage().cacheKey()) << i;
    }
}
