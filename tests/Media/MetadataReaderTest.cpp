#include "App/MetadataReader.h"

#include "App/Extensions.h"
#include "App/Globals.h"
#include "Import/Metadata.h"
#include "Platform/Media/MediaAsset.h"
#include "Platform/Media/MediaMetadata.h"
#include "Support/MediaFixtures.h"
#include "Support/MediaTagFixtures.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtConcurrent/QtConcurrentMap>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>

using namespace tarnik;
using namespace tarnik::test::media;

namespace {

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

quint32 fourCC(const char *code)
{
    const auto *bytes = reinterpret_cast<const uchar *>(code);
    return quint32(bytes[0]) << 24 | quint32(bytes[1]) << 16 | quint32(bytes[2]) << 8 | bytes[3];
}

MetadataItem item(MetadataKeySpace space, QVariant key, QString commonKey, QVariant value)
{
    return MetadataItem { space, std::move(key), std::move(commonKey), std::move(value) };
}

const auto id3 = MetadataKeySpace::id3;
const auto iTunes = MetadataKeySpace::iTunes;

// Fixtures written by the ffmpeg command: the tags every ordinary tool writes.
class MetadataReaderFiles : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_folder = new QTemporaryDir;
        ASSERT_TRUE(s_folder->isValid());
        ASSERT_TRUE(makePicture(file("cover.jpg"), 40, 30, QStringLiteral("blue")));
        const QStringList tags = args({ "-metadata", "title=Süße Nacht", "-metadata", "artist=The Tester", "-metadata",
            "album=Fixtures", "-metadata", "genre=Rock", "-metadata", "date=2016", "-metadata", "track=07/12",
            "-metadata", "comment=Made for tests" });
        ASSERT_TRUE(makeToneWithCover(file("tagged.mp3"), file("cover.jpg"), 2.0, tags));
        ASSERT_TRUE(makeToneWithCover(file("tagged.m4a"), file("cover.jpg"), 2.0, args({ "-c:a", "aac" }) + tags));
        ASSERT_TRUE(makeTone(file("plain.m4a"), 1.5, args({ "-c:a", "aac" })));
        ASSERT_TRUE(makeTone(file("plain.mp3"), 1.5));
    }

    static void TearDownTestSuite()
    {
        delete s_folder;
        s_folder = nullptr;
    }

    static QString file(const char *name) { return s_folder->filePath(QString::fromUtf8(name)); }

    // A copy of a fixture under a new name, for tests that change tags.
    static QString copy(const char *fixture, const QString &name)
    {
        const QString target = s_folder->filePath(name);
        QFile::remove(target);
        EXPECT_TRUE(QFile::copy(file(fixture), target));
        QFile::setPermissions(target, QFile::permissions(target) | QFileDevice::WriteOwner);
        return target;
    }

    static QTemporaryDir *s_folder;
};

QTemporaryDir *MetadataReaderFiles::s_folder = nullptr;

TEST_F(MetadataReaderFiles, Id3TagsWrittenByFfmpeg)
{
    const QVariantMap result = MetadataReader::metadataDictionary(file("tagged.mp3"));
    EXPECT_EQ(result.value(QStringLiteral("title")), QStringLiteral("Süße Nacht"));
    // The performer frame fills both keys of its pair.
    EXPECT_EQ(result.value(QStringLiteral("artist")), QStringLiteral("The Tester"));
    EXPECT_EQ(result.value(QStringLiteral("author")), QStringLiteral("The Tester"));
    EXPECT_EQ(result.value(QStringLiteral("albumName")), QStringLiteral("Fixtures"));
    EXPECT_EQ(result.value(QStringLiteral("type")), QStringLiteral("Rock"));
    // ffmpeg stores an MP3's comment in a user text frame ("TXXX"), which no key
    // map names: the file counts as having no comment.
    EXPECT_EQ(result.value(QStringLiteral("comment")), MetadataReader::creditLine());
    EXPECT_EQ(result.value(QStringLiteral("trackNumber")).toLongLong(), 7);
    EXPECT_FALSE(result.contains(QStringLiteral("trackCount")));
    EXPECT_EQ(result.value(QStringLiteral("artwork")).toByteArray(), contents(file("cover.jpg")));
    EXPECT_NEAR(result.value(QStringLiteral("duration")).toDouble(), 2000.0, 60.0);

    const Metadata metadata = Metadata::fromDictionary(result);
    EXPECT_EQ(metadata.year, 2016);
    EXPECT_EQ(metadata.genre, QStringLiteral("Rock"));
    EXPECT_EQ(metadata.trackNumber, 7);
}

TEST_F(MetadataReaderFiles, ITunesAtomsWrittenByFfmpeg)
{
    const QVariantMap result = MetadataReader::metadataDictionary(file("tagged.m4a"));
    EXPECT_EQ(result.value(QStringLiteral("title")), QStringLiteral("Süße Nacht"));
    EXPECT_EQ(result.value(QStringLiteral("artist")), QStringLiteral("The Tester"));
    EXPECT_EQ(result.value(QStringLiteral("albumName")), QStringLiteral("Fixtures"));
    EXPECT_EQ(result.value(QStringLiteral("type")), QStringLiteral("Rock"));
    EXPECT_EQ(result.value(QStringLiteral("creationDate")), QStringLiteral("2016"));
    EXPECT_EQ(result.value(QStringLiteral("comment")), QStringLiteral("Made for tests"));
    EXPECT_EQ(result.value(QStringLiteral("trackNumber")).toLongLong(), 7);
    EXPECT_EQ(result.value(QStringLiteral("trackCount")).toLongLong(), 12);
    EXPECT_EQ(result.value(QStringLiteral("artwork")).toByteArray(), contents(file("cover.jpg")));
    EXPECT_NEAR(result.value(QStringLiteral("duration")).toDouble(), 2000.0, 60.0);
    EXPECT_EQ(Metadata::fromDictionary(result).year, 2016);
}

TEST_F(MetadataReaderFiles, ITunesAtomsWrittenByTagLib)
{
    const QString path = copy("plain.m4a", QStringLiteral("atoms.m4a"));
    ASSERT_TRUE(writeMp4Atoms(path,
        {
            { "\xA9pub", QStringLiteral("Label") },
            { "desc", QStringLiteral("A short description") },
            { "aART", QStringLiteral("Album Artist") },
            { "\xA9wrt", QStringLiteral("Composer") },
            { "\xA9lyr", QStringLiteral("La la la") },
            { "\xA9"
              "aut",
                QStringLiteral("Author") },
            { "trkn", QVariant::fromValue(NumberPair { 300, 1000 }) },
        }));
    const QVariantMap result = MetadataReader::metadataDictionary(path);
    EXPECT_EQ(result.value(QStringLiteral("publisher")), QStringLiteral("Label"));
    EXPECT_EQ(result.value(QStringLiteral("description")), QStringLiteral("A short description"));
    EXPECT_EQ(result.value(QStringLiteral("creator")), QStringLiteral("Album Artist"));
    EXPECT_EQ(result.value(QStringLiteral("composer")), QStringLiteral("Composer"));
    EXPECT_EQ(result.value(QStringLiteral("lyric")), QStringLiteral("La la la"));
    EXPECT_EQ(result.value(QStringLiteral("author")), QStringLiteral("Author"));
    // Whole 16-bit values, not their low bytes (300 would read 44, 1000 232).
    EXPECT_EQ(result.value(QStringLiteral("trackNumber")).toLongLong(), 300);
    EXPECT_EQ(result.value(QStringLiteral("trackCount")).toLongLong(), 1000);

    const Metadata metadata = Metadata::fromDictionary(result);
    EXPECT_EQ(metadata.albumArtist, QStringLiteral("Album Artist"));
    EXPECT_EQ(metadata.publisher, QStringLiteral("Label"));
    EXPECT_EQ(metadata.trackCount, 1000);
}

TEST_F(MetadataReaderFiles, TrackAtomNumbers)
{
    const struct
    {
        NumberPair pair;
        std::optional<qint64> number;
        std::optional<qint64> count;
    } cases[] = {
        { { 5, 9 }, 5, 9 }, { { 0, 9 }, std::nullopt, 9 }, // a track number of 0 adds nothing
        { { 5, 0 }, 5, std::nullopt }, { { 256, 512 }, 256, 512 }, // low bytes 0: the old reading lost both
    };
    for (const auto &row : cases) {
        SCOPED_TRACE(testing::Message() << row.pair.number << "/" << row.pair.count);
        const QString path = copy("plain.m4a", QStringLiteral("track.m4a"));
        ASSERT_TRUE(writeMp4Atoms(path, { { "trkn", QVariant::fromValue(row.pair) } }));
        const QVariantMap result = MetadataReader::metadataDictionary(path);
        EXPECT_EQ(result.contains(QStringLiteral("trackNumber")), row.number.has_value());
        EXPECT_EQ(result.contains(QStringLiteral("trackCount")), row.count.has_value());
        if (row.number) {
            EXPECT_EQ(result.value(QStringLiteral("trackNumber")).toLongLong(), *row.number);
        }
        if (row.count) {
            EXPECT_EQ(result.value(QStringLiteral("trackCount")).toLongLong(), *row.count);
        }
    }
}

TEST_F(MetadataReaderFiles, Id3FramesWrittenByTagLib)
{
    const QString path = copy("plain.mp3", QStringLiteral("frames.mp3"));
    ASSERT_TRUE(writeId3Frames(path,
        {
            { "TIT2", QStringLiteral("Title") },
            { "TPE1", QStringLiteral("Performer") },
            { "TCOM", QStringLiteral("Writer") },
            { "TIT3", QStringLiteral("First subtitle") },
            { "TIT3", QStringLiteral("Second subtitle") },
            { "TPUB", QStringLiteral("Label") },
            { "USLT", QStringLiteral("Words") },
            { "TRCK", QStringLiteral("3") },
            { "TLEN", QStringLiteral("1234") },
        }));
    const QVariantMap result = MetadataReader::metadataDictionary(path);
    EXPECT_EQ(result.value(QStringLiteral("title")), QStringLiteral("Title"));
    EXPECT_EQ(result.value(QStringLiteral("artist")), QStringLiteral("Performer"));
    EXPECT_EQ(result.value(QStringLiteral("author")), QStringLiteral("Performer"));
    EXPECT_EQ(result.value(QStringLiteral("creator")), QStringLiteral("Writer"));
    EXPECT_EQ(result.value(QStringLiteral("composer")), QStringLiteral("Writer"));
    // Two items of the format stage for one key: the last one read is kept.
    EXPECT_EQ(result.value(QStringLiteral("description")), QStringLiteral("Second subtitle"));
    EXPECT_EQ(result.value(QStringLiteral("publisher")), QStringLiteral("Label"));
    EXPECT_EQ(result.value(QStringLiteral("lyric")), QStringLiteral("Words"));
    EXPECT_EQ(result.value(QStringLiteral("trackNumber")).toLongLong(), 3);
    // A length frame is the duration; the measured one does not replace it.
    EXPECT_EQ(result.value(QStringLiteral("duration")), QStringLiteral("1234"));
    EXPECT_EQ(Metadata::fromDictionary(result).duration, 1234.0);
}

TEST_F(MetadataReaderFiles, FileNameStandsInForMissingTags)
{
    const QString bare = copy("plain.mp3", QStringLiteral("Some Artist - Some Song.mp3"));
    QVariantMap result = MetadataReader::metadataDictionary(bare);
    EXPECT_EQ(result.value(QStringLiteral("title")), QStringLiteral("Some Song"));
    EXPECT_EQ(result.value(QStringLiteral("artist")), QStringLiteral("Some Artist"));
    EXPECT_EQ(result.value(QStringLiteral("comment")), MetadataReader::creditLine());
    EXPECT_NEAR(result.value(QStringLiteral("duration")).toDouble(), 1500.0, 60.0);

    const QString withArtist = copy("plain.mp3", QStringLiteral("Some Artist - Other Song.mp3"));
    ASSERT_TRUE(writeId3Frames(withArtist, { { "TPE1", QStringLiteral("Tagged Artist") } }));
    result = MetadataReader::metadataDictionary(withArtist);
    EXPECT_EQ(result.value(QStringLiteral("title")), QStringLiteral("Some Artist - Other Song"));
    EXPECT_EQ(result.value(QStringLiteral("artist")), QStringLiteral("Tagged Artist"));

    const QString plainName = copy("plain.m4a", QStringLiteral("Just a name.m4a"));
    result = MetadataReader::metadataDictionary(plainName);
    EXPECT_EQ(result.value(QStringLiteral("title")), QStringLiteral("Just a name"));
    EXPECT_EQ(result.value(QStringLiteral("artist")), QString());
}

TEST_F(MetadataReaderFiles, EmptyCommentGetsTheCreditLine)
{
    const QString path = copy("plain.mp3", QStringLiteral("empty-comment.mp3"));
    ASSERT_TRUE(writeId3Frames(path, { { "COMM", QString() } }));
    EXPECT_EQ(MetadataReader::metadataDictionary(path).value(QStringLiteral("comment")), MetadataReader::creditLine());
    EXPECT_TRUE(MetadataReader::creditLine().contains(QStringLiteral("Tarnik")));
    EXPECT_TRUE(MetadataReader::creditLine().endsWith(QString::number(_currentYear())));
}

TEST_F(MetadataReaderFiles, Id3TagsOfWaveAndAiffFiles)
{
    for (const char *name : { "tagged.wav", "tagged.aiff" }) {
        SCOPED_TRACE(name);
        const QString path = file(name);
        ASSERT_TRUE(makeTone(path, 1.0));
        ASSERT_TRUE(writeId3Frames(
            path, { { "TIT2", QStringLiteral("Chunk Title") }, { "TPE1", QStringLiteral("Chunk Artist") } }));
        const QVariantMap result = MetadataReader::metadataDictionary(path);
        EXPECT_EQ(result.value(QStringLiteral("title")), QStringLiteral("Chunk Title"));
        EXPECT_EQ(result.value(QStringLiteral("artist")), QStringLiteral("Chunk Artist"));
        // ffmpeg also writes a RIFF INFO chunk (its own name as the software) into WAVE files.
        const std::vector<MetadataKeySpace> formats = QString::fromUtf8(name).endsWith(QLatin1String(".wav"))
            ? std::vector<MetadataKeySpace> { MetadataKeySpace::riffInfo, id3 }
            : std::vector<MetadataKeySpace> { id3 };
        EXPECT_EQ(MediaMetadata::read(path).availableMetadataFormats(), formats);
    }
}

TEST_F(MetadataReaderFiles, TagReaderGivesKeySpacesKeysAndValues)
{
    const MediaMetadata mp3 = MediaMetadata::read(file("tagged.mp3"));
    ASSERT_EQ(mp3.availableMetadataFormats(), std::vector<MetadataKeySpace> { id3 });
    bool sawTitle = false;
    bool sawPicture = false;
    for (const MetadataItem &each : mp3.items()) {
        EXPECT_EQ(each.keySpace, id3);
        const QString key = metadataKeyString(each.key);
        if (key == QLatin1String("TIT2")) {
            sawTitle = true;
            EXPECT_EQ(each.commonKey, QStringLiteral("title"));
        }
        if (key == QLatin1String("APIC")) {
            sawPicture = true;
            EXPECT_EQ(each.commonKey, QStringLiteral("artwork"));
            EXPECT_EQ(each.value.metaType().id(), QMetaType::QByteArray);
        }
        if (key == QLatin1String("TRCK")) {
            EXPECT_EQ(each.value, QStringLiteral("07/12"));
        }
    }
    EXPECT_TRUE(sawTitle);
    EXPECT_TRUE(sawPicture);

    const MediaMetadata m4a = MediaMetadata::read(file("tagged.m4a"));
    ASSERT_EQ(m4a.availableMetadataFormats(), std::vector<MetadataKeySpace> { iTunes });
    QStringList keys;
    for (const MetadataItem &each : m4a.items())
        keys << metadataKeyString(each.key);
    // The copyright-sign atoms read with "@", as the key maps hold them.
    EXPECT_TRUE(keys.contains(QStringLiteral("@nam")));
    EXPECT_TRUE(keys.contains(QStringLiteral("@ART")));
    EXPECT_TRUE(keys.contains(QStringLiteral("covr")));
    EXPECT_TRUE(keys.contains(QStringLiteral("trkn")));
    for (const MetadataItem &each : m4a.items()) {
        if (metadataKeyString(each.key) == QLatin1String("trkn")) {
            EXPECT_EQ(each.value.toByteArray(), QByteArray("\0\0\0\x07\0\x0c\0\0", 8));
        }
    }
    EXPECT_EQ(m4a.commonMetadata().size(),
        size_t(std::count_if(m4a.items().begin(), m4a.items().end(),
            [](const MetadataItem &each) { return !each.commonKey.isEmpty(); })));
}

// ---- The stages over given items ----------------------------------------------

const QString kPath = QStringLiteral("/music/Band - Track.mp3");

TEST(MetadataReaderStages, CommonValuesWinOverFormatValues)
{
    const MediaMetadata tags({
        item(iTunes, fourCC("\xA9nam"), QStringLiteral("title"), QStringLiteral("Common title")),
        item(id3, QStringLiteral("TIT2"), QString(), QStringLiteral("Format title")),
        item(id3, QStringLiteral("TPE1"), QString(), QStringLiteral("Performer")),
    });
    const QVariantMap result = MetadataReader::metadataDictionary(tags, std::nullopt, kPath);
    EXPECT_EQ(result.value(QStringLiteral("title")), QStringLiteral("Common title"));
    EXPECT_EQ(result.value(QStringLiteral("artist")), QStringLiteral("Performer"));
}

TEST(MetadataReaderStages, CommonStageKeepsTheLastValue)
{
    const MediaMetadata tags({
        item(id3, QStringLiteral("TIT2"), QStringLiteral("title"), QStringLiteral("First")),
        item(iTunes, fourCC("\xA9nam"), QStringLiteral("title"), QStringLiteral("Second")),
        item(id3, QStringLiteral("TIT2"), QStringLiteral("title"), QVariant()), // no value: skipped
    });
    EXPECT_EQ(MetadataReader::metadataDictionary(tags, std::nullopt, kPath).value(QStringLiteral("title")),
        QStringLiteral("Second"));
}

TEST(MetadataReaderStages, ArtworkPrecedence)
{
    const QByteArray a("AAAA");
    const QByteArray b("BBBB");
    const QByteArray c("CCCC");
    // Common artwork is kept over a later format one; among format items the first wins.
    MediaMetadata tags({
        item(iTunes, fourCC("covr"), QStringLiteral("artwork"), a),
        item(iTunes, fourCC("covr"), QString(), b),
    });
    EXPECT_EQ(MetadataReader::metadataDictionary(tags, std::nullopt, kPath).value(QStringLiteral("artwork")), a);

    // Two common artworks: the front cover, else the first one.
    tags = MediaMetadata({
        item(iTunes, fourCC("covr"), QStringLiteral("artwork"), a),
        item(id3, QStringLiteral("APIC"), QStringLiteral("artwork"), b),
    });
    EXPECT_EQ(MetadataReader::metadataDictionary(tags, std::nullopt, kPath).value(QStringLiteral("artwork")), a);
    MetadataItem frontCover = item(id3, QStringLiteral("APIC"), QStringLiteral("artwork"), c);
    frontCover.isFrontCover = true;
    tags = MediaMetadata({
        item(id3, QStringLiteral("APIC"), QStringLiteral("artwork"), a),
        frontCover,
        item(id3, QStringLiteral("APIC"), QStringLiteral("artwork"), b),
    });
    EXPECT_EQ(MetadataReader::metadataDictionary(tags, std::nullopt, kPath).value(QStringLiteral("artwork")), c);

    // Artwork from another key space, or that is no data, is skipped.
    tags = MediaMetadata({
        item(MetadataKeySpace::other, QStringLiteral("PIC"), QStringLiteral("artwork"), c),
        item(id3, QStringLiteral("APIC"), QStringLiteral("artwork"), QStringLiteral("not bytes")),
    });
    EXPECT_FALSE(MetadataReader::metadataDictionary(tags, std::nullopt, kPath).contains(QStringLiteral("artwork")));
}

TEST(MetadataReaderStages, Id3TrackTexts)
{
    const struct
    {
        QVariant value;
        std::optional<qint64> number;
    } cases[] = {
        { QStringLiteral("07/12"), 7 },
        { QStringLiteral("3"), 3 },
        { QStringLiteral("0/5"), std::nullopt },
        { QStringLiteral("x/5"), std::nullopt },
        { QStringLiteral(" 4"), std::nullopt },
        { QStringLiteral(""), std::nullopt },
        { qint64(9), 9 },
        { qint64(0), std::nullopt },
        { QByteArray("12"), std::nullopt },
    };
    for (const auto &row : cases) {
        SCOPED_TRACE(row.value.toString().toStdString());
        const MediaMetadata tags({ item(id3, QStringLiteral("TRCK"), QString(), row.value) });
        const QVariantMap result = MetadataReader::metadataDictionary(tags, std::nullopt, kPath);
        EXPECT_EQ(result.contains(QStringLiteral("trackNumber")), row.number.has_value());
        if (row.number) {
            EXPECT_EQ(result.value(QStringLiteral("trackNumber")).toLongLong(), *row.number);
        }
        EXPECT_FALSE(result.contains(QStringLiteral("trackCount")));
    }
}

TEST(MetadataReaderStages, ShortOrForeignTrackAtoms)
{
    const struct
    {
        QVariant value;
        bool number;
        bool count;
    } cases[] = {
        { QByteArray("\0\0\0\x05\0\x09\0\0", 8), true, true }, { QByteArray("\0\0\0\x05\0", 5), true, false },
        { QByteArray("\0\0\0", 3), false, false }, { QStringLiteral("5/9"), false, false }, // must be data
    };
    for (const auto &row : cases) {
        const MediaMetadata tags({ item(iTunes, fourCC("trkn"), QString(), row.value) });
        const QVariantMap result = MetadataReader::metadataDictionary(tags, std::nullopt, kPath);
        EXPECT_EQ(result.contains(QStringLiteral("trackNumber")), row.number);
        EXPECT_EQ(result.contains(QStringLiteral("trackCount")), row.count);
    }
}

TEST(MetadataReaderStages, DurationInMilliseconds)
{
    EXPECT_EQ(
        MetadataReader::metadataDictionary(MediaMetadata(), 90.5, kPath).value(QStringLiteral("duration")), 90500.0);
    EXPECT_FALSE(MetadataReader::metadataDictionary(MediaMetadata(), 0.0, kPath).contains(QStringLiteral("duration")));
    EXPECT_FALSE(
        MetadataReader::metadataDictionary(MediaMetadata(), std::nullopt, kPath).contains(QStringLiteral("duration")));
    const MediaMetadata tags({ item(id3, QStringLiteral("TLEN"), QString(), QStringLiteral("500")) });
    EXPECT_EQ(
        MetadataReader::metadataDictionary(tags, 90.5, kPath).value(QStringLiteral("duration")), QStringLiteral("500"));
}

TEST(MetadataReaderStages, UnknownKeysAndSpacesAreSkipped)
{
    const MediaMetadata tags({
        item(MetadataKeySpace::other, QStringLiteral("TIT2"), QString(), QStringLiteral("Other space")),
        item(id3, QStringLiteral("TXXX"), QString(), QStringLiteral("Free text")),
        item(iTunes, fourCC("\xA9nam"), QString(), QStringLiteral("Mapped title")),
        item(MetadataKeySpace::other, QStringLiteral("x"), QStringLiteral("subject"), QStringLiteral("Kept")),
    });
    const QVariantMap result = MetadataReader::metadataDictionary(tags, std::nullopt, kPath);
    EXPECT_EQ(result.value(QStringLiteral("title")), QStringLiteral("Mapped title"));
    EXPECT_EQ(result.value(QStringLiteral("subject")), QStringLiteral("Kept"));
    // A title from the tags: the file name is not consulted, so no artist appears.
    EXPECT_FALSE(result.contains(QStringLiteral("artist")));
    EXPECT_EQ(result.size(), 3); // title, subject, comment
}

// ---- Hostile files ----------------------------------------------------------------

TEST_F(MetadataReaderFiles, BadFilesOnlyLeaveKeysOut)
{
    QTemporaryDir folder;
    const auto write = [&](const char *name, const QByteArray &bytes) {
        const QString path = folder.filePath(QString::fromLatin1(name));
        EXPECT_TRUE(writeFile(path, bytes));
        return path;
    };
    const QByteArray mp3 = contents(file("tagged.mp3"));
    const QByteArray m4a = contents(file("tagged.m4a"));
    const QString fifo = folder.filePath(QStringLiteral("Pipe - Dream.mp3"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QStringList paths {
        write("Zero - Bytes.mp3", {}),
        write("noise.mp3", noise(50000, 7)),
        write("noise.m4a", noise(50000, 8)),
        write("noise.mp4", noise(50000, 9)),
        write("noise.flac", noise(50000, 10)),
        write("cut.mp3", mp3.left(200)),
        write("cut.m4a", m4a.left(m4a.size() / 2)),
        write("id3-header-only.mp3", QByteArray("ID3\x04\x00\x00\x7F\x7F\x7F\x7F", 10)),
        write("atom-too-long.m4a",
            QByteArray("\x7F\xFF\xFF\xFF"
                       "ftypM4A ",
                12)
                + noise(100, 3)),
        folder.filePath(QStringLiteral("never-existed.mp3")),
        fifo,
        QStringLiteral("/dev/zero"),
        QStringLiteral("/proc/self/status"),
        folder.path(),
    };
    for (const QString &path : paths) {
        SCOPED_TRACE(path.toStdString());
        const QVariantMap result = MetadataReader::metadataDictionary(path);
        EXPECT_TRUE(result.contains(QStringLiteral("title")));
        EXPECT_TRUE(result.contains(QStringLiteral("artist")));
        EXPECT_TRUE(result.contains(QStringLiteral("comment")));
    }
    EXPECT_EQ(MetadataReader::metadataDictionary(paths[0]).value(QStringLiteral("artist")), QStringLiteral("Zero"));
}

TEST_F(MetadataReaderFiles, MutatedHeadersNeitherCrashNorHang)
{
    // Bytes of the tag and container headers changed at random: every reader
    // and the still extraction must only answer (run under the sanitizers too).
    QTemporaryDir folder;
    const QString video = folder.filePath(QStringLiteral("video.mp4"));
    ASSERT_TRUE(makeVideo(video, 1.0, true, { QStringLiteral("-c:v"), QStringLiteral("mpeg4") }));
    std::mt19937 random(2024);
    for (const QString &source : { file("tagged.mp3"), file("tagged.m4a"), video }) {
        const QByteArray original = contents(source);
        ASSERT_GT(original.size(), 4096);
        for (int round = 0; round < 40; ++round) {
            QByteArray bytes = original;
            for (int flip = 0; flip < 12; ++flip)
                bytes[int(random() % 4096)] = char(random() & 0xFF);
            const QString path = folder.filePath(QStringLiteral("mutated.") + QFileInfo(source).suffix());
            ASSERT_TRUE(writeFile(path, bytes));
            const QVariantMap result = MetadataReader::metadataDictionary(path);
            EXPECT_TRUE(result.contains(QStringLiteral("title")));
            const MediaAsset asset(path);
            (void)asset.isReadableAudioFile();
            (void)asset.videoThumbnail();
        }
    }
}

TEST_F(MetadataReaderFiles, ReadsFromManyThreadsAtOnce)
{
    // The row loader and the entry loader read on different queues at the same time.
    QStringList paths;
    for (int i = 0; i < 32; ++i)
        paths << file(i % 2 ? "tagged.m4a" : "tagged.mp3");
    const QList<QVariantMap> results = QtConcurrent::blockingMapped(
        paths, [](const QString &path) { return MetadataReader::metadataDictionary(path); });
    for (const QVariantMap &result : results) {
        EXPECT_EQ(result.value(QStringLiteral("title")), QStringLiteral("Süße Nacht"));
        EXPECT_EQ(result.value(QStringLiteral("trackNumber")).toLongLong(), 7);
    }
}

TEST_F(MetadataReaderFiles, HugeId3FrameIsRead)
{
    const QString path = copy("plain.mp3", QStringLiteral("huge.mp3"));
    const QByteArray picture = noise(50 * 1024 * 1024, 11);
    ASSERT_TRUE(writeId3Frames(path, { { "TIT2", QStringLiteral("Big") }, { "APIC", picture } }));
    const QVariantMap result = MetadataReader::metadataDictionary(path);
    EXPECT_EQ(result.value(QStringLiteral("title")), QStringLiteral("Big"));
    EXPECT_EQ(result.value(QStringLiteral("artwork")).toByteArray().size(), picture.size());
    EXPECT_TRUE(MediaAsset(path).isReadableAudioFile());
    QFile::remove(path);
}

TEST_F(MetadataReaderFiles, FileThatVanishesBetweenCalls)
{
    const QString path = copy("tagged.m4a", QStringLiteral("Vanishing - Act.m4a"));
    EXPECT_EQ(MetadataReader::metadataDictionary(path).value(QStringLiteral("title")), QStringLiteral("Süße Nacht"));
    ASSERT_TRUE(QFile::remove(path));
    const QVariantMap result = MetadataReader::metadataDictionary(path);
    EXPECT_EQ(result.value(QStringLiteral("title")), QStringLiteral("Act"));
    EXPECT_FALSE(result.contains(QStringLiteral("duration")));
}

} // namespace
