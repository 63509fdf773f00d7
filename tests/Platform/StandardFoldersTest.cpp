#include "Platform/StandardFolders.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace tarnik {

TEST(StandardFolders, LiveUnderTheXdgFoldersAndExist)
{
    const QString data = qEnvironmentVariable("XDG_DATA_HOME");
    const QString cache = qEnvironmentVariable("XDG_CACHE_HOME");
    EXPECT_EQ(StandardFolders::documentsDirectory(), data + QStringLiteral("/tarnik/Documents"));
    EXPECT_EQ(StandardFolders::temporaryDirectory(), cache + QStringLiteral("/tarnik/tmp/"));
    EXPECT_TRUE(QFileInfo(StandardFolders::documentsDirectory()).isDir());
    EXPECT_TRUE(QFileInfo(StandardFolders::temporaryDirectory()).isDir());
}

} // namespace tarnik
