#include "Entries/EntryImages.h"

#include <gtest/gtest.h>

using namespace tarnik;

TEST(ArtworkSearchIconsTest, TheBundleHasEveryIconTheScreensDraw)
{
    for (const char *name : { "magnifierSmall", "viewerClose", "viewerSelect" }) {
        const QImage icon = EntryImages::named(QString::fromLatin1(name), 32);
        ASSERT_FALSE(icon.isNull()) << name;
        bool drawn = false;
        for (int y = 0; y < icon.height() && !drawn; ++y)
            for (int x = 0; x < icon.width() && !drawn; ++x)
                drawn = icon.pixelColor(x, y).alpha() > 0;
        EXPECT_TRUE(drawn) << name;
    }
}
