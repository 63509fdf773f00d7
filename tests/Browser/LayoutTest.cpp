#include "BrowserSupport.h"

#include "Platform/UI/Window.h"

#include <QToolButton>

namespace tarnik::test {
namespace {

class LayoutTest : public BrowserTest
{
protected:
    DirectoryViewController *levelOn(UserInterfaceIdiom idiom, QSize size)
    {
        DeviceProfile::setOverride(DeviceProfile::Override { idiom, QSizeF(size) });
        window = std::make_unique<Window>();
        window->resize(size);
        window->makeKeyAndVisible();
        auto *nav = new DirectoryNavigationController;
        window->setRootViewController(nav);
        nav->browseToFile(dir.path());
        waitForListing(top(nav));
        return top(nav);
    }
};

TEST_F(LayoutTest, ItemsFollowTheDeviceTheOrientationAndTheChoice)
{
    const struct
    {
        UserInterfaceIdiom idiom;
        QSize screen;
        bool list;
        double perRow;
        double width;
        double height;
    } rows[] = {
        { UserInterfaceIdiom::phone, { 375, 667 }, false, 3, 115.67, 180 },
        { UserInterfaceIdiom::phone, { 375, 667 }, true, 1, 361, 88 },
        { UserInterfaceIdiom::phone, { 320, 568 }, true, 1, 306, 77 },
        { UserInterfaceIdiom::phone, { 568, 320 }, false, 4, 133.25, 170 },
        { UserInterfaceIdiom::phone, { 414, 736 }, false, 3, 128.67, 190 },
        { UserInterfaceIdiom::phone, { 812, 375 }, true, 2, 395.5, 98 },
        { UserInterfaceIdiom::pad, { 768, 1024 }, false, 4, 183.25, 220 },
        { UserInterfaceIdiom::pad, { 768, 1024 }, true, 2, 373.5, 120 },
    };
    for (const auto &row : rows) {
        Preferences::setIsListView(row.list);
        DirectoryViewController *level = levelOn(row.idiom, row.screen);
        const QString where = QStringLiteral("%1x%2 %3")
                                  .arg(row.screen.width())
                                  .arg(row.screen.height())
                                  .arg(row.list ? QStringLiteral("list") : QStringLiteral("grid"));
        EXPECT_EQ(level->itemsPerRow(), row.perRow) << where.toStdString();
        EXPECT_NEAR(level->itemSize().width(), row.width, 0.01) << where.toStdString();
        EXPECT_NEAR(level->itemSize().height(), row.height, 0.01) << where.toStdString();
        EXPECT_EQ(*level->minimumLineSpacing(nullptr, 0), row.list ? 4.0 : 7.0);
        EXPECT_EQ(level->referenceSizeForFooter(nullptr, 0)->height(), 50.0);
        EXPECT_EQ(level->cellReuseIdentifier(), row.list ? EntryCell::kListIdentifier : EntryCell::kGridIdentifier);
        window.reset();
        drainMainQueue();
    }
}

TEST_F(LayoutTest, GridRowsHoldTheirItemsWithoutWrappingEarly)
{
    for (int i = 0; i < 7; ++i)
        ASSERT_TRUE(touch(path(QStringLiteral("f%1.txt").arg(i))));
    Preferences::setIsListView(false);
    DirectoryViewController *level = levelOn(UserInterfaceIdiom::phone, { 375, 667 });
    level->collectionView()->layoutIfNeeded();
    const double top0 = level->collectionView()->frameForItem(IndexPath { 0, 0 })->top();
    EXPECT_EQ(level->collectionView()->frameForItem(IndexPath { 2, 0 })->top(), top0);
    EXPECT_GT(level->collectionView()->frameForItem(IndexPath { 3, 0 })->top(), top0);
}

TEST_F(LayoutTest, SwitchingOnADeepLevelSwitchesTheLevelsBelow)
{
    QDir().mkpath(path(QStringLiteral("deeper")));
    ASSERT_TRUE(touch(path(QStringLiteral("a.txt"))));
    DirectoryViewController *level = levelOn(UserInterfaceIdiom::phone, { 375, 667 });
    EXPECT_EQ(level->layoutButton()->property("imageName").toString(), QStringLiteral("grid")) << "list by default";
    auto *nav = level->navigationController();
    auto *deeper = new DirectoryViewController;
    deeper->setDirectory(path(QStringLiteral("deeper")));
    nav->pushViewController(deeper, false);
    waitForListing(deeper);

    deeper->layoutButton()->click();
    EXPECT_FALSE(Preferences::isListView());
    EXPECT_EQ(deeper->layoutButton()->property("imageName").toString(), QStringLiteral("list"));
    EXPECT_EQ(level->layoutButton()->property("imageName").toString(), QStringLiteral("list"));

    nav->popViewController(false);
    drainMainQueue();
    level->collectionView()->layoutIfNeeded();
    auto *cell = dynamic_cast<EntryCell *>(level->collectionView()->visibleCells().value(0));
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->design(), Layout::grid);
}

TEST(DirectoryNormalisation, LeadingSlashRunsBecomeOne)
{
    const struct
    {
        QString in;
        QString out;
    } rows[] = {
        { QStringLiteral("///"), QStringLiteral("/") },
        { QStringLiteral("//var//mobile"), QStringLiteral("/var//mobile") },
        { QStringLiteral("/var"), QStringLiteral("/var") },
        { QStringLiteral("relative"), QStringLiteral("relative") },
    };
    for (const auto &row : rows) {
        DirectoryViewController level;
        level.setDirectory(row.in);
        EXPECT_EQ(level.directory(), row.out);
    }
}

} // namespace
} // namespace tarnik::test
