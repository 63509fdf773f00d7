// The reader over files of every tag format it knows, written by the ffmpeg command and by
// TagLib: one table of format x field, dates written as years, and the choice among several
// pictures.
#include "App/MetadataReader.h"
#include "Import/Metadata.h"
#include "Platform/Media/MediaAsset.h"
#include "Platform/Media/MediaMetadata.h"
#include "Support/MediaFixtures.h"
#include "Support/MediaTagFixtures.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace tarnik;
using namespace tarnik::test::media;

namespace {

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class TagFormats : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_folder = new QTemporaryDir;
        ASSERT_TRUE(s_folder->isValid());
        ASSERT_TRUE(makePicture(file("front.jpg"), 40, 30, QStringLiteral("blue")));
        ASSERT_TRUE(makePicture(file("back.jpg"), 30, 40, QStringLiteral("red")));
        ASSERT_TRUE(makePicture(file("artist.jpg"), 20, 20, QStringLiteral("green")));
    }

    static void TearDownTestSuite()
    {
        delete s_folder;
        s_folder = nullptr;
    }

    static QString file(const QString &name) { return s_folder->filePath(name); }
    static QString file(const char *name) { return file(QString::fromUtf8(name)); }

    static QTemporaryDir *s_folder;
};

QTemporaryDir *TagFormats::s_folder = nullptr;

// What each format can carry of the fields below, as ordinary tools write it.
enum Field : unsigned {
    kAlbumArtist = 1u << 0,
    kLyrics = 1u << 1,
    kArtwork = 1u << 2,
};

TEST_F(TagFormats, EveryFormatFillsTheCommonFields)
{
    const QStringList tags
        = args({ "-metadata", "title=Süße Nacht", "-metadata", "artist=The Tester", "-metadata", "album=Fixtures",
            "-metadata", "album_artist=The Band", "-metadata", "genre=Rock", "-metadata", "date=2011-05-03",
            "-metadata", "track=7/12", "-metadata", "comment=Made for tests", "-metadata", "lyrics=La la la" });
    const struct
    {
        const char *name;
        QStringList encoding;
        bool ffmpegCover; // the ffmpeg command attaches the cover; else TagLib adds it, where it can
        unsigned fields;
    } formats[] = {
        // ID3 keeps its album artist in a frame the platform does not map to that key.
        { "id3v24.mp3", args({ "-id3v2_version", "4" }), true, kLyrics | kArtwork },
        { "id3v23.mp3", args({ "-id3v2_version", "3" }), true, kLyrics | kArtwork },
        { "id3v1.mp3", args({ "-write_id3v1", "1" }), false, 0 },
        { "atoms.m4a", args({ "-c:a", "aac" }), true, kAlbumArtist | kLyrics | kArtwork },
        { "vorbis.flac", {}, true, kAlbumArtist | kLyrics | kArtwork },
        { "vorbis.ogg", args({ "-c:a", "libvorbis" }), false, kAlbumArtist | kLyrics | kArtwork },
        { "comments.opus", args({ "-c:a", "libopus" }), false, kAlbumArtist | kLyrics | kArtwork },
        { "info.wav", {}, false, 0 },
    };
    const QByteArray front = contents(file("front.jpg"));
    for (const auto &format : formats) {
        SCOPED_TRACE(format.name);
        const QString path = file(format.name);
        ASSERT_TRUE(format.ffmpegCover ? makeToneWithCover(path, file("front.jpg"), 1.0, format.encoding + tags)
                                       : makeTone(path, 1.0, format.encoding + tags));
        const QString name = QString::fromUtf8(format.name);
        if (!format.ffmpegCover && (format.fields & kArtwork)) {
            ASSERT_TRUE(addXiphPictures(path, { TypedPicture { front, 3 } }));
        }
        // ffmpeg writes an MP3's comment as a user text frame and no lyrics frame; TagLib adds both.
        if (name.startsWith(QLatin1String("id3v2"))) {
            ASSERT_TRUE(writeId3Frames(path,
                { { "COMM", QStringLiteral("Made for tests") }, { "USLT", QStringLiteral("La la la") } },
                name.contains(u'3') ? 3 : 4));
        }
        // ffmpeg writes ID3v1 only beside ID3v2; an MP3 with only the older tag is what remains.
        if (name == QLatin1String("id3v1.mp3")) {
            ASSERT_TRUE(stripId3v2(path));
        }

        const QVariantMap dictionary = MetadataReader::metadataDictionary(path);
        const Metadata metadata = Metadata::fromDictionary(dictionary);
        EXPECT_EQ(metadata.title, QStringLiteral("Süße Nacht"));
        EXPECT_EQ(metadata.artist, QStringLiteral("The Tester"));
        EXPECT_EQ(metadata.albumName, QStringLiteral("Fixtures"));
        EXPECT_EQ(metadata.genre, QStringLiteral("Rock"));
        EXPECT_EQ(metadata.year, 2011);
        EXPECT_EQ(metadata.trackNumber, 7);
        EXPECT_EQ(metadata.comment, QStringLiteral("Made for tests"));
        EXPECT_EQ(metadata.albumArtist,
            format.fields & kAlbumArtist ? std::optional<QString>(QStringLiteral("The Band")) : std::nullopt);
        EXPECT_EQ(metadata.lyric,
            format.fields & kLyrics ? std::optional<QString>(QStringLiteral("La la la")) : std::nullopt);
        EXPECT_EQ(metadata.artwork, format.fields & kArtwork ? std::optional<QByteArray>(front) : std::nullopt);
        // The length comes with the tags or from the probe, in milliseconds either way.
        ASSERT_TRUE(metadata.duration.has_value());
        EXPECT_NEAR(*metadata.duration, 1000.0, 60.0);
        EXPECT_NEAR(*metadata.duration, *MediaAsset(path).duration() * 1000.0, 60.0);
    }
}

TEST_F(TagFormats, YearsWrittenAsDates)
{
    // An ID3v2.4 recording time, an iTunes day with a time, and an ID3v2.3 year with its day and
    // month in a second frame, which TagLib folds into one date.
    const QString id3v24 = file("date24.mp3");
    ASSERT_TRUE(makeTone(id3v24, 0.5, args({ "-id3v2_version", "4", "-metadata", "date=2011-05-03" })));
    const QString m4a = file("date.m4a");
    ASSERT_TRUE(makeTone(m4a, 0.5, args({ "-c:a", "aac", "-metadata", "date=1999-01-01T08:00:00Z" })));
    const QString id3v23 = file("date23.mp3");
    ASSERT_TRUE(makeTone(id3v23, 0.5));
    ASSERT_TRUE(writeId3Frames(id3v23, { { "TDRC", QStringLiteral("1987-03-05") } }, 3));
    ASSERT_TRUE(contents(id3v23).contains("TDAT"));
    const struct
    {
        QString path;
        qint64 year;
    } files[] = { { id3v24, 2011 }, { m4a, 1999 }, { id3v23, 1987 } };
    for (const auto &each : files) {
        SCOPED_TRACE(each.path.toStdString());
        EXPECT_EQ(Metadata::fromDictionary(MetadataReader::metadataDictionary(each.path)).year, each.year);
    }
}

TEST(TagDates, OnlyYearsAndDatesGiveAYear)
{
    const struct
    {
        QVariant value;
        std::optional<qint64> year;
    } cases[] = {
        { QStringLiteral("2016"), 2016 },
        { QStringLiteral("2011-05-03"), 2011 },
        { QStringLiteral("1987-03"), 1987 },
        { QStringLiteral("1999-01-01T08:00:00Z"), 1999 },
        { QStringLiteral("2004-07-12T10:00:00+02:00"), 2004 },
        { QStringLiteral("2004-07-12 10:00"), 2004 },
        { QStringLiteral("sometime in 1999"), std::nullopt },
        { QStringLiteral("1999/01/01"), std::nullopt },
        { QStringLiteral("2011-13-01"), std::nullopt },
        { QStringLiteral("2011-05-03 and more"), std::nullopt },
        { QStringLiteral("99-01-01"), std::nullopt },
        { QStringLiteral(""), std::nullopt },
    };
    for (const auto &row : cases) {
        SCOPED_TRACE(row.value.toString().toStdString());
        const MediaMetadata tags({ MetadataItem {
            MetadataKeySpace::id3, QStringLiteral("TDRC"), QStringLiteral("creationDate"), row.value } });
        const QVariantMap result = MetadataReader::metadataDictionary(tags, std::nullopt, QStringLiteral("/a.mp3"));
        EXPECT_EQ(Metadata::fromDictionary(result).year, row.year);
    }
}

TEST_F(TagFormats, FrontCoverWinsOverOtherPictures)
{
    const QByteArray front = contents(file("front.jpg"));
    const QByteArray back = contents(file("back.jpg"));
    const QByteArray artist = contents(file("artist.jpg"));
    const TypedPicture frontCover { front, 3 };
    const TypedPicture backCover { back, 4 };
    const TypedPicture artistPhoto { artist, 8 };

    // One untagged file of each format, copied afresh for every case.
    const QString plain[] = { file("plain.mp3"), file("plain.flac"), file("plain.ogg") };
    ASSERT_TRUE(makeTone(plain[0], 0.5));
    ASSERT_TRUE(makeTone(plain[1], 0.5));
    ASSERT_TRUE(makeTone(plain[2], 0.5, args({ "-c:a", "libvorbis" })));
    const QString mp3 = file("pictures.mp3");
    const QString flac = file("pictures.flac");
    const QString ogg = file("pictures.ogg");
    const auto fresh = [](const QString &from, const QString &to) {
        QFile::remove(to);
        return QFile::copy(from, to) && QFile::setPermissions(to, QFile::permissions(to) | QFileDevice::WriteOwner);
    };
    const struct
    {
        const char *name;
        QList<TypedPicture> pictures;
        QByteArray expected;
    } cases[] = {
        { "front last", { backCover, artistPhoto, frontCover }, front },
        { "front first", { frontCover, backCover }, front },
        { "no front: the first", { artistPhoto, backCover }, artist },
    };
    for (const auto &row : cases) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(fresh(plain[0], mp3) && fresh(plain[1], flac) && fresh(plain[2], ogg));
        QList<QPair<QByteArray, QVariant>> frames;
        for (const TypedPicture &picture : row.pictures)
            frames.append({ "APIC", QVariant::fromValue(picture) });
        ASSERT_TRUE(writeId3Frames(mp3, frames));
        ASSERT_TRUE(addXiphPictures(flac, row.pictures));
        ASSERT_TRUE(addXiphPictures(ogg, row.pictures));
        for (const QString &path : { mp3, flac, ogg }) {
            SCOPED_TRACE(path.toStdString());
            EXPECT_EQ(
                MetadataReader::metadataDictionary(path).value(QStringLiteral("artwork")).toByteArray(), row.expected);
        }
    }
}

TEST_F(TagFormats, Id3v1OnlyWhenThereIsNoId3v2)
{
    // ffmpeg writes both tags; the ID3v2 one, complete and untruncated, is the one read.
    const QString both = file("both.mp3");
    ASSERT_TRUE(makeTone(both, 0.5,
        args({ "-write_id3v1", "1", "-metadata", "title=A title longer than the thirty characters of ID3v1" })));
    const MediaMetadata tags = MediaMetadata::read(both);
    EXPECT_EQ(tags.availableMetadataFormats(), std::vector<MetadataKeySpace> { MetadataKeySpace::id3 });
    EXPECT_EQ(MetadataReader::metadataDictionary(both).value(QStringLiteral("title")),
        QStringLiteral("A title longer than the thirty characters of ID3v1"));
}

TEST_F(TagFormats, ABoxSizeNoFileCanHoldEndsTheReadInsteadOfLoopingForEver)
{
    // An extra top-level box with a 64-bit size: TagLib steps past it by adding the size to its
    // start. Near the top of the range the sum wraps negative (TagLib went back to the start and
    // reread the file for ever, growing without bound); a size that merely runs past the end is a
    // cut-off download, whose tags still read.
    const QString source = file("box source.m4a");
    ASSERT_TRUE(makeTone(source, 0.5, args({ "-metadata", "title=Boxed" })));
    const struct
    {
        const char *name;
        quint64 size;
        bool tagsRead;
    } rows[] = {
        { "wrapping.m4a", 0x7FFFFFFFFFFFFFF0ull, false },
        { "top bit.m4a", 0xFFFFFFFFFFFFFFF0ull, false },
        { "past the end.m4a", 0x100000000ull, true },
    };
    for (const auto &row : rows) {
        QByteArray box("\0\0\0\1free", 8);
        for (int shift = 56; shift >= 0; shift -= 8)
            box.append(char((row.size >> shift) & 0xFF));
        const QString path = file(row.name);
        ASSERT_TRUE(writeFile(path, contents(source) + box));
        for (const auto length : { MediaMetadata::ReadLength::no, MediaMetadata::ReadLength::yes }) {
            const MediaMetadata tags = MediaMetadata::read(path, length);
            EXPECT_EQ(!tags.commonMetadata().empty(), row.tagsRead) << row.name;
        }
        // The import's reader goes through the same stream and still gives a dictionary.
        const QVariantMap dictionary = MetadataReader::metadataDictionary(path);
        EXPECT_EQ(dictionary.value(QStringLiteral("title")).toString() == QLatin1String("Boxed"), row.tagsRead)
            << row.name;
        EXPECT_GT(dictionary.value(QStringLiteral("duration")).toDouble(), 300) << row.name; // milliseconds
    }
}

} // namespace
