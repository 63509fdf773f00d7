#include "Platform/UI/Storyboard.h"

#include "Platform/UI/NavigationController.h"
#include "Platform/UI/TabBarController.h"

#include <gtest/gtest.h>
#include <memory>

using namespace tarnik;

TEST(StoryboardTest, MakesScreensByClassNameAndStopsOnAWrongClass)
{
    Storyboard::registerClass<NavigationController>(QStringLiteral("Test"));
    Storyboard::registerFactory(
        QStringLiteral("Test"), QStringLiteral("PlayerViewController"), [] { return new ViewController; });
    Storyboard::setInitialIdentifier(QStringLiteral("Test"), QStringLiteral("NavigationController"));
    const Storyboard board(QStringLiteral("Test"));

    std::unique_ptr<NavigationController> nav(
        board.instantiate<NavigationController>(QStringLiteral("NavigationController")));
    ASSERT_TRUE(nav);
    EXPECT_EQ(nav->className(), QStringLiteral("NavigationController"));
    std::unique_ptr<ViewController> initial(board.instantiateInitialViewController());
    EXPECT_TRUE(qobject_cast<NavigationController *>(initial.get()));
    EXPECT_EQ(board.instantiateIfType<TabBarController>(QStringLiteral("PlayerViewController")), nullptr);
    EXPECT_FALSE(Storyboard(QStringLiteral("Other")).contains(QStringLiteral("NavigationController")));

    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(board.instantiate<TabBarController>(QStringLiteral("PlayerViewController")),
        "Expected `TabBarController` type for reuseIdentifier PlayerViewController\\. Check the "
        "configuration in Main\\.storyboard\\.");
    EXPECT_DEATH(board.instantiateViewController(QStringLiteral("Missing")), "Missing");
}
