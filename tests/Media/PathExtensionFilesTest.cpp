#include "App/PathExtension.h"
#include "Platform/Media/PlaybackRate.h"
#include "Support/MediaFixtures.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace tarnik;
using namespace tarnik::test::media;

namespace {

TEST(PathExtensionFilesTest, IsDirectoryFollowsLinksAndNeedsAnItem)
{
    QTemporaryDir folder;
    const QString directory = folder.filePath(QStringLiteral("dir"));
    ASSERT_TRUE(QDir().mkpath(directory));
    const QString link = folder.filePath(QStringLiteral("link"));
    ASSERT_TRUE(QFile::link(directory, link));
    const QString dangling = folder.filePath(QStringLiteral("dangling"));
    ASSERT_TRUE(QFile::link(folder.filePath(QStringLiteral("nowhere")), dangling));
    const QString plain = folder.filePath(QStringLiteral("plain.txt"));
    ASSERT_TRUE(writeFile(plain, "x"));

    EXPECT_TRUE(PathExtension(directory).isDirectory());
    EXPECT_TRUE(PathExtension(link).isDirectory());
    EXPECT_TRUE(PathExtension(QStringLiteral("/")).isDirectory());
    EXPECT_FALSE(PathExtension(dangling).isDirectory());
    EXPECT_FALSE(PathExtension(plain).isDirectory());
    EXPECT_FALSE(PathExtension(folder.filePath(QStringLiteral("missing"))).isDirectory());
    EXPECT_FALSE(PathExtension(QString()).isDirectory());
}

TEST(PathExtensionFilesTest, ImageTestReadsOnlyTheExtension)
{
    QTemporaryDir folder;
    const QString jpegNamedDat = folder.filePath(QStringLiteral("x.dat"));
    ASSERT_TRUE(makePicture(folder.filePath(QStringLiteral("x.jpg")), 8, 8));
    ASSERT_TRUE(QFile::copy(folder.filePath(QStringLiteral("x.jpg")), jpegNamedDat));

    const struct
    {
        const char *path;
        bool image;
    } cases[] = {
        { "/a/photo.jpg", true },
        { "/a/photo.JPEG", true },
        { "/a/shot.png", true },
        { "/a/anim.gif", true },
        { "/a/scan.tiff", true },
        { "/a/logo.svg", true },
        { "/a/pic.heic", true },
        { "/a/song.mp3", false },
        { "/a/clip.mp4", false },
        { "/a/readme.txt", false },
        { "/a/noext", false },
        { "/a/.png", false },
        { "/a/x.unknownext", false },
    };
    for (const auto &row : cases) {
        SCOPED_TRACE(row.path);
        EXPECT_EQ(PathExtension(QString::fromLatin1(row.path)).isImage(), row.image);
    }
    EXPECT_FALSE(PathExtension(jpegNamedDat).isImage());
}

TEST(PathExtensionFilesTest, TypeIdentifierByExtension)
{
    EXPECT_EQ(PathExtension(QStringLiteral("/a/b.png")).typeIdentifier(), QStringLiteral("image/png"));
    EXPECT_EQ(PathExtension(QStringLiteral("/a/b.MP3")).typeIdentifier(), QStringLiteral("audio/mpeg"));
    EXPECT_FALSE(PathExtension(QStringLiteral("/a/b")).typeIdentifier().has_value());
    EXPECT_FALSE(PathExtension(QStringLiteral("/a/b.qqqzz")).typeIdentifier().has_value());
}

TEST(PathExtensionFilesTest, MediaQuestionsAskTheFile)
{
    QTemporaryDir folder;
    const QString song = folder.filePath(QStringLiteral("song.mp3"));
    const QString ogg = folder.filePath(QStringLiteral("song.ogg"));
    const QString video = folder.filePath(QStringLiteral("clip.mp4"));
    const QString fifo = folder.filePath(QStringLiteral("fifo.mp3"));
    ASSERT_TRUE(makeTone(song, 1.0));
    ASSERT_TRUE(makeTone(ogg, 1.0, { QStringLiteral("-c:a"), QStringLiteral("libvorbis") }));
    ASSERT_TRUE(makeVideo(video, 3.0, false, { QStringLiteral("-c:v"), QStringLiteral("mpeg4") }));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);

    const PathExtension songPath(song);
    EXPECT_TRUE(songPath.isExportable());
    EXPECT_TRUE(songPath.hasAudioTrack());
    EXPECT_FALSE(songPath.hasVideoTrack());
    EXPECT_TRUE(songPath.isReadableAudioFile());
    EXPECT_FALSE(songPath.videoThumbnailData().has_value());

    EXPECT_TRUE(PathExtension(ogg).isExportable());
    EXPECT_FALSE(PathExtension(ogg).isReadableAudioFile());

    const PathExtension videoPath(video);
    EXPECT_TRUE(videoPath.hasVideoTrack());
    EXPECT_FALSE(videoPath.hasAudioTrack());
    const auto still = videoPath.videoThumbnail();
    ASSERT_TRUE(still.has_value());
    EXPECT_EQ(still->size(), QSize(64, 48));
    const auto data = videoPath.videoThumbnailData();
    ASSERT_TRUE(data.has_value());
    EXPECT_TRUE(data->startsWith("\xFF\xD8"));
    EXPECT_EQ(QImage::fromData(*data).size(), QSize(64, 48));
    EXPECT_EQ(videoPath.extractArtworkFromVideo(), data);
    EXPECT_FALSE(songPath.extractArtworkFromVideo().has_value());

    // Nothing at all behind the path, or something that is no file.
    for (const QString &path : { folder.filePath(QStringLiteral("missing.mp3")), fifo, folder.path() }) {
        const PathExtension missing(path);
        EXPECT_FALSE(missing.isExportable());
        EXPECT_FALSE(missing.hasAudioTrack());
        EXPECT_FALSE(missing.hasVideoTrack());
        EXPECT_FALSE(missing.isReadableAudioFile());
        EXPECT_FALSE(missing.videoThumbnail().has_value());
    }
}

TEST(PathExtensionFilesTest, PlayingMeansTheNormalRate)
{
    EXPECT_TRUE(isPlayingAtRate(1.0));
    for (double rate : { 0.0, 0.5, 2.0, -1.0 })
        EXPECT_FALSE(isPlayingAtRate(rate)) << rate;
}

} // namespace
