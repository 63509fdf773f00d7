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
        {"/a/b.MP3", "MP3", "/a/b", "/a", "b.MP3"},
        {"/a/b", "", "/a/b", "/a", "b"},
        {"/a/b.tar.gz", "gz", "/a/b.tar", "/a", "b.tar.gz"},
        {"/a/b.mp3/", "mp3", "/a/b", "/a", "b.mp3"},
        {"//a///b.m4a", "m4a", "/a/b", "/a", "b.m4a"},
        {"/a/.profile", "", "/a/.profile", "/a", ".profile"},
        {"/a/..", "", "/a/..", "/a", ".."},
        {"/a.d/b", "", "/a.d/b", "/a.d", "b"},
        {"/a/b.", "", "/a/b", "/a", "b."},
        {"/a", "", "/a", "/", "a"},
        {"/", "", "/", "/", "/"},
        {"", "", "", "", ""},
        {"b.wav", "wav", "b", "", "b.wav"},
        {"/x/\xc3\xa9t\xc3\xa9.flac", "flac", "/x/\xc3\xa9t\xc3\xa9", "/x", "\xc3\xa9t\xc3\xa9.flac"},
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
        {"/a", "b", "/a/b", "/a.b"},
        {"/a/", "b.mp3", "/a/b.mp3", "/a.b.mp3"},
        {"/", "b", "/b", "/"},
        {"", "b", "b", ""},
        {"/a", "/b/", "/a/b", "/a"},
        {"/a", "", "/a", "/a"},
        {"/a/x.m4a", "mp3", "/a/x.m4a/mp3", "/a/x.m4a.mp3"},
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
