#include "App/PathExtension.h"

#include <gtest/gtest.h>

namespace tarnik {
namespace {

struct PathCase
{
    const char *path;
    const char *extension;
    const char *withoutExtension;
    const char *parent;
    const char *last;
};

TEST(PathExtension, PathTextOperations)
{
    const PathCase cases[] = {
        { "/a/b.MP3", "MP3", "/a/b", "/a", "b.MP3" },
        { "/a/b", "", "/a/b", "/a", "b" },
        { "/a/b.tar.gz", "gz", "/a/b.tar", "/a", "b.tar.gz" },
        { "/a/b.mp3/", "mp3", "/a/b", "/a", "b.mp3" },
        { "//a///b.m4a", "m4a", "/a/b", "/a", "b.m4a" },
        { "/a/.profile", "", "/a/.profile", "/a", ".profile" },
        { "/a/..", "", "/a/..", "/a", ".." },
        { "/a.d/b", "", "/a.d/b", "/a.d", "b" },
        { "/a/b.", "", "/a/b", "/a", "b." },
        { "/a", "", "/a", "/", "a" },
        { "/", "", "/", "/", "/" },
        { "", "", "", "", "" },
        { "b.wav", "wav", "b", "", "b.wav" },
        { "/x/\xc3\xa9t\xc3\xa9.flac", "flac", "/x/\xc3\xa9t\xc3\xa9", "/x", "\xc3\xa9t\xc3\xa9.flac" },
    };
    for (const PathCase &c : cases) {
        SCOPED_TRACE(c.path);
        const PathExtension p(QString::fromUtf8(c.path));
        EXPECT_EQ(p.pathExtension(), QString::fromUtf8(c.extension));
        EXPECT_EQ(p.deletingPathExtension(), QString::fromUtf8(c.withoutExtension));
        EXPECT_EQ(p.deletingLastPathComponent(), QString::fromUtf8(c.parent));
        EXPECT_EQ(p.lastPathComponent(), QString::fromUtf8(c.last));
    }
}

TEST(PathExtension, Appending)
{
    struct Case
    {
        const char *path;
        const char *argument;
        const char *component;
        const char *extension;
    };
    const Case cases[] = {
        { "/a", "b", "/a/b", "/a.b" },
        { "/a/", "b.mp3", "/a/b.mp3", "/a.b.mp3" },
        { "/", "b", "/b", "/" },
        { "", "b", "b", "" },
        { "/a", "/b/", "/a/b", "/a" },
        { "/a", "", "/a", "/a" },
        { "/a/x.m4a", "mp3", "/a/x.m4a/mp3", "/a/x.m4a.mp3" },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.path) + " + " + c.argument);
        const PathExtension p(QString::fromUtf8(c.path));
        EXPECT_EQ(p.appendingPathComponent(QString::fromUtf8(c.argument)), QString::fromUtf8(c.component));
        EXPECT_EQ(p.appendingPathExtension(QString::fromUtf8(c.argument)), QString::fromUtf8(c.extension));
    }
}

} // namespace
} // namespace tarnik

namespace tarnik {
namespace {

TEST(PathExtension, Identifier)
{
    EXPECT_EQ(PathExtension(QStringLiteral("/")).identifier(), QStringLiteral("Lw"));
    EXPECT_EQ(PathExtension(QString()).identifier(), QString());
    // "/a?>" encodes to "L2E/Pg==": the URL-safe letters and no padding.
    EXPECT_EQ(PathExtension(QStringLiteral("/a?>")).identifier(), QStringLiteral("L2E_Pg"));
    EXPECT_EQ(PathExtension(QStringLiteral("/~~~")).identifier(), QStringLiteral("L35-fg"));
    // The full path, unresolved and unnormalised.
    EXPECT_NE(PathExtension(QStringLiteral("/a/")).identifier(), PathExtension(QStringLiteral("/a")).identifier());

    for (int length = 0; length <= 200; ++length) {
        SCOPED_TRACE(length);
        const QString path = QStringLiteral("/") + QString(length, QLatin1Char('x'));
        const QString id = PathExtension(path).identifier();
        EXPECT_FALSE(id.contains(QLatin1Char('+')) || id.contains(QLatin1Char('/')) || id.contains(QLatin1Char('=')));
        const QByteArray whole = path.toUtf8().toBase64();
        if (path.toUtf8().size() <= 72) {
            QByteArray unpadded = whole;
            unpadded.replace("=", "");
            EXPECT_EQ(id, QString::fromLatin1(unpadded));
        } else {
            EXPECT_GE(id.size(), 94);
            EXPECT_LE(id.size(), 96);
        }
    }
}

TEST(PathExtension, IdentifierKeepsOnlyTheTail)
{
    // Equal byte length, differing only before the last 24 groups of three bytes.
    const QString tail = QString(72, QLatin1Char('t'));
    const QString a = QStringLiteral("/aaa/") + tail;
    const QString b = QStringLiteral("/bbb/") + tail;
    EXPECT_EQ(PathExtension(a).identifier(), PathExtension(b).identifier());
    // A difference inside the kept part tells them apart.
    EXPECT_NE(PathExtension(a + QStringLiteral("1")).identifier(), PathExtension(a + QStringLiteral("2")).identifier());
}

TEST(PathExtension, NormalizedTitle)
{
    struct Case
    {
        const char *text;
        const char *title;
    };
    const Case cases[] = {
        { "AC%2FDC", "AC-DC" },
        { "AC/DC", "AC-DC" },
        { "A \xe2\x80\x93 B", "A - B" },
        { "100%", "100%" },
        { "100% AC/DC \xe2\x80\x93 x", "100% AC/DC \xe2\x80\x93 x" }, // unchanged, slash and dash kept
        { "%zz", "%zz" },
        { "%4", "%4" },
        { "%C3%A9t%C3%A9", "\xc3\xa9t\xc3\xa9" },
        { "%FF%FE", "%FF%FE" }, // decodes to bytes that are not UTF-8: unchanged
        { "%C3", "%C3" },
        { "", "" },
        { "a%20b", "a b" },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(PathExtension::normalizedTitle(QString::fromUtf8(c.text)), QString::fromUtf8(c.title));
    }
}

TEST(PathExtension, ArtistAndTitle)
{
    struct Case
    {
        const char *text;
        const char *artist;
        const char *title;
    };
    const Case cases[] = {
        { "Artist - Title", "Artist", "Title" },
        { "Title", "", "Title" },
        { "Artist-Title", "", "Artist-Title" },
        { "A - B - C", "A", "B - C" },
        { "  Artist \t - Title ", "Artist", "Title " },
        { "AC%2FDC - Thunder", "AC-DC", "Thunder" },
        { "Artist \xe2\x80\x93 Title", "Artist", "Title" },
        { " - Title", "", "Title" },
        { "", "", "" },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        const auto split = PathExtension::artistAndTitle(QString::fromUtf8(c.text));
        EXPECT_EQ(split.artist, QString::fromUtf8(c.artist));
        EXPECT_EQ(split.title, QString::fromUtf8(c.title));
    }
    EXPECT_EQ(PathExtension(QStringLiteral("/a - b/c - d")).numberOfOccurrences(QStringLiteral(" - ")), 2);
}

} // namespace
} // namespace tarnik
