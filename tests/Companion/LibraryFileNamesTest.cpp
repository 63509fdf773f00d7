#include "LibraryFileNames.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace tarnik {
namespace {

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeText(const QString &path, const QByteArray &text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

TEST(LibraryFileNamesTest, TitlesBecomeNamesThatStayInTheirFolder)
{
    struct Case
    {
        QString title;
        QString fallback;
        QString expected;
    };
    const Case cases[] = {
        { QStringLiteral("My Song"), {}, QStringLiteral("My Song") },
        { QStringLiteral("AC/DC: Back"), {}, QStringLiteral("AC_DC: Back") },
        { QStringLiteral("../../etc/passwd"), {}, QStringLiteral("___etc_passwd") },
        { QStringLiteral(".hidden"), {}, QStringLiteral("hidden") },
        { QStringLiteral(" . .. ... "), QStringLiteral("source"), QStringLiteral("source") },
        { QStringLiteral(".."), {}, QStringLiteral("Untitled") },
        { QStringLiteral("a..b"), {}, QStringLiteral("a_b") },
        { QStringLiteral("line\nbreak\ttab"), {}, QStringLiteral("line_break_tab") },
        { QString(), QStringLiteral("track 01"), QStringLiteral("track 01") },
        { QString(), QString(), QStringLiteral("Untitled") },
        { QStringLiteral("Grüße 🎵"), {}, QStringLiteral("Grüße 🎵") },
    };
    for (const Case &c : cases) {
        const QString name = LibraryFileNames::safeBaseName(c.title, c.fallback);
        EXPECT_EQ(name, c.expected) << c.title.toStdString();
        EXPECT_FALSE(name.contains(QLatin1Char('/')));
        EXPECT_FALSE(name.startsWith(QLatin1Char('.')));
    }

    // Long titles are cut to a name the file system takes, never inside a character.
    const QString longName = LibraryFileNames::safeBaseName(QString(300, QChar(0x00E9)) + QStringLiteral("🎵"));
    EXPECT_LE(longName.toUtf8().size(), 160);
    EXPECT_EQ(QString::fromUtf8(longName.toUtf8()), longName);
    // A character that does not fit is dropped whole, surrogate pair and all.
    EXPECT_EQ(LibraryFileNames::safeBaseName(QString(158, QLatin1Char('a')) + QStringLiteral("🎵")),
        QString(158, QLatin1Char('a')));
}

TEST(LibraryFileNamesTest, ExtensionsAreShortAndPlain)
{
    EXPECT_EQ(LibraryFileNames::safeExtension(QStringLiteral("MP4")), QStringLiteral("mp4"));
    EXPECT_EQ(LibraryFileNames::safeExtension(QStringLiteral("m4v")), QStringLiteral("m4v"));
    EXPECT_EQ(LibraryFileNames::safeExtension(QStringLiteral("tar.gz")), QString());
    EXPECT_EQ(LibraryFileNames::safeExtension(QStringLiteral("verylongext")), QString());
    EXPECT_EQ(LibraryFileNames::safeExtension(QStringLiteral("mp/4")), QString());
    EXPECT_EQ(LibraryFileNames::safeExtension(QString()), QString());
}

TEST(LibraryFileNamesTest, AFinishedFileNeverReplacesOneAlreadyThere)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    ASSERT_TRUE(writeText(folder.filePath(QStringLiteral("Song.m4a")), "first"));
    ASSERT_TRUE(writeText(folder.filePath(QStringLiteral("Song 2.m4a")), "second"));

    const QString temporary = folder.filePath(QStringLiteral(".saltrig-1.m4a"));
    ASSERT_TRUE(writeText(temporary, "third"));
    const auto placed
        = LibraryFileNames::moveIntoPlace(temporary, folder.path(), QStringLiteral("Song"), QStringLiteral("m4a"));
    ASSERT_TRUE(placed);
    EXPECT_EQ(*placed, folder.filePath(QStringLiteral("Song 3.m4a")));
    EXPECT_EQ(contentOf(*placed), "third");
    EXPECT_EQ(contentOf(folder.filePath(QStringLiteral("Song.m4a"))), "first");
    EXPECT_EQ(contentOf(folder.filePath(QStringLiteral("Song 2.m4a"))), "second");
    EXPECT_FALSE(QFile::exists(temporary));

    // Without an extension the number still goes at the end.
    ASSERT_TRUE(writeText(temporary, "fourth"));
    ASSERT_TRUE(writeText(folder.filePath(QStringLiteral("Clip")), "clip"));
    EXPECT_EQ(LibraryFileNames::moveIntoPlace(temporary, folder.path(), QStringLiteral("Clip"), QString()),
        folder.filePath(QStringLiteral("Clip 2")));
}

} // namespace
} // namespace tarnik
