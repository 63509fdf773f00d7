#include "Entries/ObjectCache.h"

#include <gtest/gtest.h>

using namespace tarnik;

namespace {

struct Item
{
    qint64 bytes = 0;
};

std::shared_ptr<Item> item(qint64 bytes)
{
    return std::make_shared<Item>(Item { bytes });
}

} // namespace

TEST(ObjectCacheTest, DropsTheLeastRecentlyUsedPastTheCostLimit)
{
    ObjectCache<Item> objects([](const Item &each) { return each.bytes; }, 100);
    objects.setObject(QStringLiteral("a"), item(40));
    objects.setObject(QStringLiteral("b"), item(40));
    ASSERT_TRUE(objects.object(QStringLiteral("a"))); // "a" is now the most recently used
    objects.setObject(QStringLiteral("c"), item(40));
    EXPECT_TRUE(objects.object(QStringLiteral("a")));
    EXPECT_FALSE(objects.object(QStringLiteral("b")));
    EXPECT_TRUE(objects.object(QStringLiteral("c")));
    EXPECT_EQ(objects.totalCost(), 80);

    // Replacing a key replaces its cost; an object above the whole limit still stays, alone.
    objects.setObject(QStringLiteral("a"), item(10));
    EXPECT_EQ(objects.totalCost(), 50);
    objects.setObject(QStringLiteral("huge"), item(500));
    EXPECT_EQ(objects.count(), 1);
    EXPECT_TRUE(objects.object(QStringLiteral("huge")));
    objects.removeObject(QStringLiteral("huge"));
    EXPECT_EQ(objects.totalCost(), 0);
}

TEST(ObjectCacheTest, CountLimitAndUnboundedCaches)
{
    ObjectCache<Item> counted([](const Item &) { return qint64(0); }, 0, 3);
    for (int i = 0; i < 10; ++i)
        counted.setObject(QString::number(i), item(1));
    EXPECT_EQ(counted.count(), 3);
    EXPECT_TRUE(counted.object(QStringLiteral("9")));
    EXPECT_FALSE(counted.object(QStringLiteral("6")));

    ObjectCache<Item> unbounded;
    for (int i = 0; i < 1000; ++i)
        unbounded.setObject(QString::number(i), item(1000));
    EXPECT_EQ(unbounded.count(), 1000);
    unbounded.setObject(QStringLiteral("0"), nullptr);
    EXPECT_EQ(unbounded.count(), 999);
    unbounded.removeAllObjects();
    EXPECT_EQ(unbounded.count(), 0);
}

TEST(ObjectCacheTest, HandedOutObjectsOutliveTheirEviction)
{
    ObjectCache<Item> objects([](const Item &each) { return each.bytes; }, 10);
    objects.setObject(QStringLiteral("a"), item(10));
    const std::shared_ptr<Item> held = objects.object(QStringLiteral("a"));
    objects.setObject(QStringLiteral("b"), item(10));
    EXPECT_FALSE(objects.object(QStringLiteral("a")));
    EXPECT_EQ(held->bytes, 10);
}
