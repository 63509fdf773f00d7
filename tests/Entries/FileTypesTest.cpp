#include "Entries/FileTypes.h"

#include "App/Preferences.h"
#include "Entries/EntryImages.h"
#include "Platform/PropertyList.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tarnik;

TEST(FileTypes, ShippedTableListsEachExtensionOnceInLowerCaseWithIconsThatExist)
{
    const std::optional<QVariantMap> table = PropertyList::readDictionary(Preferences::fileTypesPath());
    ASSERT_TRUE(table.has_value()) << Preferences::fileTypesPath().toStdString();
    QSet<QString> seen;
    for (auto it = table->cbegin(); it != table->cend(); ++it) {
        const QVariantMap group = it.value().toMap();
        const QString icon = group.value(QStringLiteral("icon")).toString();
        EXPECT_FALSE(EntryImages::named(icon).isNull()) << it.key().toStdString() << " names " << icon.toStdString();
        const QVariantList extensions = group.value(QStringLiteral("extensions")).toList();
        EXPECT_FALSE(extensions.isEmpty()) << it.key().toStdString();
        for (const QVariant &value : extensions) {
            const QString extension = value.toString();
            EXPECT_EQ(extension, extension.toLower()) << extension.toStdString();
            EXPECT_FALSE(seen.contains(extension)) << extension.toStdString() << " is listed twice";
            seen.insert(extension);
        }
    }
    for (const char *common : { "mp3", "m4a", "flac", "ogg", "mp4", "mkv", "jpg", "png", "pdf", "docx", "zip", "cpp" })
        EXPECT_TRUE(seen.contains(QLatin1String(common))) << common;
}

TEST(FileTypes, RowImagesExistAndRenderAtAnySize)
{
    for (const char *name : { "folder", "unknown", "category-audio", "category-video", "category-raster-image",
             "accessoryMore", "accessoryArrow", "placeholder" }) {
        for (int size : { 16, 128, 512 }) {
            const QImage image = EntryImages::named(QLatin1String(name), size);
            ASSERT_FALSE(image.isNull()) << name;
            EXPECT_EQ(image.size(), QSize(size, size)) << name;
        }
    }
    EXPECT_TRUE(EntryImages::named(QStringLiteral("no-such-image")).isNull());
    EXPECT_TRUE(EntryImages::named(QStringLiteral("../FileTypes")).isNull());
    EXPECT_TRUE(EntryImages::path(QStringLiteral("../images/folder")).isEmpty());
}

TEST(FileTypes, IconNamesAndStrippedExtensionsFollowTheTable)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString table = dir.filePath(QStringLiteral("FileTypes.plist"));
    QVariantMap groups;
    groups.insert(QStringLiteral("audio"),
        QVariantMap { { QStringLiteral("extensions"), QVariantList { QStringLiteral("mp3"), QStringLiteral("m4a") } },
            { QStringLiteral("icon"), QStringLiteral("filetype-audio") } });
    groups.insert(QStringLiteral("upper"),
        QVariantMap { { QStringLiteral("extensions"), QVariantList { QStringLiteral("WAV") } },
            { QStringLiteral("icon"), QStringLiteral("filetype-audio") } });
    groups.insert(QStringLiteral("missing-icon"),
        QVariantMap { { QStringLiteral("extensions"), QVariantList { QStringLiteral("xyz") } },
            { QStringLiteral("icon"), QStringLiteral("no-such-image") } });
    groups.insert(QStringLiteral("empty-icon"),
        QVariantMap { { QStringLiteral("extensions"), QVariantList { QStringLiteral("qqq") } },
            { QStringLiteral("icon"), QString() } });
    groups.insert(QStringLiteral("not-a-group"), QStringLiteral("text"));
    groups.insert(QStringLiteral("no-list"),
        QVariantMap { { QStringLiteral("extensions"), QStringLiteral("abc") },
            { QStringLiteral("icon"), QStringLiteral("folder") } });
    ASSERT_TRUE(PropertyList::write(table, groups));

    struct Case
    {
        QString path;
        QString icon;
        QString stripped;
    };
    const Case cases[] = {
        { QStringLiteral("/a/Song.mp3"), QStringLiteral("filetype-audio"), QStringLiteral("/a/Song") },
        { QStringLiteral("/a/Song.MP3"), QStringLiteral("filetype-audio"), QStringLiteral("/a/Song") },
        { QStringLiteral("My.Song.m4a"), QStringLiteral("filetype-audio"), QStringLiteral("My.Song") },
        // Only the file's extension is lower-cased: an upper-case table entry never matches.
        { QStringLiteral("/a/b.wav"), QStringLiteral("unknown"), QStringLiteral("/a/b.wav") },
        { QStringLiteral("/a/README"), QStringLiteral("unknown"), QStringLiteral("/a/README") },
        { QStringLiteral("/a/b.abc"), QStringLiteral("unknown"), QStringLiteral("/a/b.abc") },
        // Listed with an empty icon: unknown icon, but still a supported extension.
        { QStringLiteral("/a/b.qqq"), QStringLiteral("unknown"), QStringLiteral("/a/b") },
        { QStringLiteral("/a/b.xyz"), QStringLiteral("no-such-image"), QStringLiteral("/a/b") },
    };
    for (const Case &c : cases) {
        EXPECT_EQ(FileTypes::iconName(c.path, table), c.icon) << c.path.toStdString();
        EXPECT_EQ(FileTypes::deletingSupportedPathExtension(c.path, table), c.stripped) << c.path.toStdString();
    }
    // An icon the app does not have falls back to "unknown".
    EXPECT_EQ(
        FileTypes::icon(QStringLiteral("/a/b.xyz"), table, 64), EntryImages::named(QStringLiteral("unknown"), 64));

    // A table edited while the app runs is seen at the next call.
    groups.remove(QStringLiteral("audio"));
    ASSERT_TRUE(PropertyList::write(table, groups));
    EXPECT_EQ(FileTypes::iconName(QStringLiteral("/a/Song.mp3"), table), QStringLiteral("unknown"));
    EXPECT_EQ(
        FileTypes::deletingSupportedPathExtension(QStringLiteral("/a/Song.mp3"), table), QStringLiteral("/a/Song.mp3"));

    // A table that cannot be read: every file is unknown and keeps its extension.
    const QString broken = dir.filePath(QStringLiteral("broken.plist"));
    QFile file(broken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<plist><dict><key>x</key>");
    file.close();
    EXPECT_EQ(FileTypes::iconName(QStringLiteral("/a/Song.mp3"), broken), QStringLiteral("unknown"));
    EXPECT_EQ(FileTypes::deletingSupportedPathExtension(QStringLiteral("/a/Song.mp3"), broken),
        QStringLiteral("/a/Song.mp3"));
    EXPECT_EQ(FileTypes::iconName(QStringLiteral("/a/Song.mp3"), dir.filePath(QStringLiteral("missing"))),
        QStringLiteral("unknown"));
}

TEST(FileTypes, IconDataIsPng)
{
    const std::optional<QByteArray> data = FileTypes::iconData(QStringLiteral("/a/b.flac"));
    ASSERT_TRUE(data.has_value());
    EXPECT_TRUE(data->startsWith("\x89PNG"));
    EXPECT_EQ(FileTypes::iconName(QStringLiteral("/a/b.flac")), QStringLiteral("filetype-audio"));
}
