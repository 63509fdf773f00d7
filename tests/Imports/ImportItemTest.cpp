// The import record's JSON and dictionary forms, read back the way the
// companion service reads them.
#include "Import/ImportItem.h"

#include "App/Constants.h"
#include "App/PathExtension.h"
#include "Import/ImportObject.h"
#include "Platform/Messaging/SaltrigProtocol.h"
#include "Platform/StandardFolders.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <atomic>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace tarnik {
namespace {

namespace Protocol = SaltrigProtocol;

QJsonObject parse(const std::optional<QByteArray> &data)
{
    EXPECT_TRUE(data.has_value());
    return data ? QJsonDocument::fromJson(*data).object() : QJsonObject();
}

Metadata sampleMetadata()
{
    Metadata metadata(QStringLiteral("Title"));
    metadata.artist = QStringLiteral("Artist");
    metadata.genre = QStringLiteral("Genre");
    metadata.year = 1999;
    metadata.duration = 1234.5;
    metadata.artwork = QByteArrayLiteral("\xff\xd8 picture bytes");
    return metadata;
}

TEST(ImportItemTest, APathOnlyRecordHasItsDefaultsAndAllSevenJsonKeys)
{
    const ImportItem item(QStringLiteral("/var/mobile/Media/a.mp3"));
    EXPECT_EQ(item.mediaKind, MediaKind::song);
    EXPECT_EQ(item.volume, 1.0f);
    EXPECT_FALSE(item.isUpdatedByUser);
    EXPECT_FALSE(item.isSoundcloud);
    EXPECT_FALSE(item.isOpenIn);
    EXPECT_EQ(item.senderBundleIdentifier, std::nullopt);
    EXPECT_TRUE(item.timeRange.start.isIdenticalTo(MediaTime::zero()));
    EXPECT_TRUE(item.timeRange.duration.isIdenticalTo(MediaTime::zero()));

    const QJsonObject json = parse(item.data());
    QStringList keys = json.keys();
    keys.sort();
    EXPECT_EQ(keys,
        (QStringList { QStringLiteral("isSoundcloud"), QStringLiteral("isUpdatedByUser"), QStringLiteral("mediaKind"),
            QStringLiteral("metadata"), QStringLiteral("path"), QStringLiteral("timeRangeDict"),
            QStringLiteral("volume") }));
    EXPECT_EQ(json.value(QStringLiteral("metadata")).toString(), QStringLiteral("bnVsbA=="));
    EXPECT_EQ(json.value(QStringLiteral("mediaKind")).toString(), QStringLiteral("song"));
    EXPECT_EQ(json.value(QStringLiteral("volume")).toDouble(), 1.0);
    const QJsonObject range = json.value(QStringLiteral("timeRangeDict")).toObject();
    for (const char *part : { "start", "duration" }) {
        const QJsonObject time = range.value(QLatin1String(part)).toObject();
        EXPECT_EQ(time.value(QStringLiteral("value")).toInteger(-1), 0) << part;
        EXPECT_EQ(time.value(QStringLiteral("timescale")).toInteger(-1), 1);
        EXPECT_EQ(time.value(QStringLiteral("flags")).toInteger(-1), 1);
        EXPECT_EQ(time.value(QStringLiteral("epoch")).toInteger(-1), 0);
    }

    const auto decoded = Protocol::decodeImportRecord(*item.data());
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(decoded->path, item.path);
    EXPECT_EQ(decoded->metadata, std::nullopt);
    ASSERT_TRUE(decoded->timeRange.has_value());
    EXPECT_EQ(decoded->timeRange->duration.value, 0);
}

TEST(ImportItemTest, EveryFieldReachesTheServiceAndArtworkStaysBehind)
{
    ImportItem item(MediaKind::musicVideo, QStringLiteral("/m/clip one.mp4"), sampleMetadata());
    item.isUpdatedByUser = true;
    item.isSoundcloud = true;
    item.volume = 0.8f;
    item.timeRange = MediaTimeRange::fromTimeToTime(MediaTime::fromSeconds(1.5), MediaTime::fromSeconds(4.0));

    const auto data = item.data();
    ASSERT_TRUE(data.has_value());
    // Written as the float's own shortest text, not the double nearest to it.
    EXPECT_TRUE(data->contains("\"volume\":0.8,") || data->contains("\"volume\":0.8}")) << data->toStdString();

    const auto decoded = Protocol::decodeImportRecord(*data);
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(decoded->mediaKind, QStringLiteral("musicVideo"));
    EXPECT_EQ(decoded->path, QStringLiteral("/m/clip one.mp4"));
    EXPECT_DOUBLE_EQ(decoded->volume, 0.8);
    EXPECT_TRUE(decoded->isUpdatedByUser);
    EXPECT_TRUE(decoded->isSoundcloud);
    ASSERT_TRUE(decoded->timeRange.has_value());
    EXPECT_EQ(decoded->timeRange->start.value, 1'500'000);
    EXPECT_EQ(decoded->timeRange->start.timescale, 1'000'000);
    EXPECT_EQ(decoded->timeRange->duration.value, 2'500'000);

    ASSERT_TRUE(decoded->metadata.has_value());
    Metadata withoutArtwork = sampleMetadata();
    withoutArtwork.artwork.reset();
    EXPECT_EQ(*decoded->metadata, withoutArtwork.jsonObject());
    EXPECT_FALSE(decoded->metadata->contains(QStringLiteral("artwork")));
    // Only the encoded copy lost its artwork.
    EXPECT_EQ(item.metadata->artwork, sampleMetadata().artwork);
}

TEST(ImportItemTest, EachFormKeepsToItsOwnKeys)
{
    ImportItem item(MediaKind::podcast, QStringLiteral("/m/p.m4a"), sampleMetadata());
    item.isOpenIn = true;
    item.senderBundleIdentifier = QStringLiteral("org.example.sender");
    item.isUpdatedByUser = true;

    const QJsonObject json = parse(item.data());
    const QVariantMap dictionary = item.dictionaryRepresentation();
    for (const char *key : { "isOpenIn", "senderBundleIdentifier", "isDetailedImport", "timeRange" })
        EXPECT_FALSE(json.contains(QLatin1String(key))) << key;
    for (const char *key : { "isOpenIn", "senderBundleIdentifier", "isUpdatedByUser", "timeRangeDict" })
        EXPECT_FALSE(dictionary.contains(QLatin1String(key))) << key;
    EXPECT_FALSE(QJsonDocument(json).toJson().contains("org.example.sender"));
}

TEST(ImportItemTest, TheDictionaryFormKeepsArtworkAndNativeValues)
{
    ImportItem item(MediaKind::tone, QStringLiteral("/m/t.m4r"), sampleMetadata());
    item.isUpdatedByUser = true;
    item.volume = 0.25f;
    const QVariantMap dictionary = item.dictionaryRepresentation();
    EXPECT_EQ(dictionary.value(QStringLiteral("mediaKind")).toString(), QStringLiteral("tone"));
    EXPECT_EQ(dictionary.value(QStringLiteral("path")).toString(), QStringLiteral("/m/t.m4r"));
    EXPECT_EQ(dictionary.value(QStringLiteral("isDetailedImport")), QVariant(true));
    EXPECT_EQ(dictionary.value(QStringLiteral("isSoundcloud")), QVariant(false));
    EXPECT_EQ(dictionary.value(QStringLiteral("volume")).metaType(), QMetaType::fromType<float>());
    EXPECT_EQ(dictionary.value(QStringLiteral("volume")).toFloat(), 0.25f);
    EXPECT_EQ(dictionary.value(QStringLiteral("timeRange")).toMap(), MediaTimeRange::zero().toDictionary());
    const QVariantMap metadata = dictionary.value(QStringLiteral("metadata")).toMap();
    EXPECT_EQ(metadata.value(QStringLiteral("artwork")).toByteArray(), sampleMetadata().artwork);
    EXPECT_EQ(metadata.value(QStringLiteral("type")).toString(), QStringLiteral("Genre"));

    EXPECT_FALSE(
        ImportItem(QStringLiteral("/m/x.mp3")).dictionaryRepresentation().contains(QStringLiteral("metadata")));
    // Metadata with nothing set has no dictionary form, so the key stays out.
    EXPECT_FALSE(ImportItem(QStringLiteral("/m/x.mp3"), Metadata())
                     .dictionaryRepresentation()
                     .contains(QStringLiteral("metadata")));
}

// A record JSON cannot carry whole is refused, never sent with a null or with
// keys missing.
TEST(ImportItemTest, ARecordWithANonFiniteNumberCannotBeEncoded)
{
    constexpr float nanF = std::numeric_limits<float>::quiet_NaN();
    constexpr float infF = std::numeric_limits<float>::infinity();
    constexpr double nanD = std::numeric_limits<double>::quiet_NaN();
    constexpr double infD = std::numeric_limits<double>::infinity();
    struct Case
    {
        const char *name;
        float volume;
        std::optional<double> duration;
    };
    for (const Case &c : { Case { "NaN volume", nanF, 1.0 }, Case { "infinite volume", -infF, std::nullopt },
             Case { "NaN duration", 1.0f, nanD }, Case { "infinite duration", 1.0f, infD } }) {
        SCOPED_TRACE(c.name);
        Metadata metadata(QStringLiteral("t"));
        metadata.duration = c.duration;
        ImportItem item(QStringLiteral("/m/a.mp3"), metadata);
        item.volume = c.volume;
        EXPECT_EQ(item.data(), std::nullopt);
        EXPECT_EQ(item.jsonObject(), std::nullopt);
    }
}

TEST(ImportItemTest, KeyTablesMatchTheirTextsExactly)
{
    const QStringList raw { QStringLiteral("mediaKind"), QStringLiteral("metadata"), QStringLiteral("path"),
        QStringLiteral("isDetailedImport"), QStringLiteral("isSoundcloud"), QStringLiteral("timeRange"),
        QStringLiteral("volume") };
    const QStringList coding { QStringLiteral("mediaKind"), QStringLiteral("path"), QStringLiteral("metadata"),
        QStringLiteral("isUpdatedByUser"), QStringLiteral("isSoundcloud"), QStringLiteral("volume"),
        QStringLiteral("timeRangeDict") };
    for (int i = 0; i < 7; ++i) {
        const ImportItem::Key key = ImportItem::allKeys().at(i);
        EXPECT_EQ(ImportItem::rawValue(key), raw.at(i));
        EXPECT_EQ(ImportItem::keyFromRawValue(raw.at(i)), key);
        const ImportItem::CodingKey codingKey = ImportItem::allCodingKeys().at(i);
        EXPECT_EQ(ImportItem::stringValue(codingKey), coding.at(i));
        EXPECT_EQ(ImportItem::codingKeyFromString(coding.at(i)), codingKey);
    }
    EXPECT_EQ(ImportItem::keyFromRawValue(QStringLiteral("isDetailedImport")), ImportItem::Key::isUpdatedByUser);
    EXPECT_EQ(ImportItem::keyFromRawValue(QStringLiteral("isUpdatedByUser")), std::nullopt);
    EXPECT_EQ(ImportItem::keyFromRawValue(QStringLiteral("Path")), std::nullopt);
    EXPECT_EQ(ImportItem::codingKeyFromString(QStringLiteral("timeRange")), std::nullopt);
}

TEST(ImportItemTest, RecordFromAnEntryCopiesWhatTheEntryHoldsNow)
{
    Entry entry(QStringLiteral("/m/Artist - Song.mp3"), QStringLiteral("Artist - Song.mp3"), EntryType::exportable,
        IndexPath {});
    const ImportItem before(MediaKind::ringtone, entry);
    EXPECT_EQ(before.mediaKind, MediaKind::ringtone);
    EXPECT_EQ(before.path, entry.path());
    EXPECT_EQ(before.metadata, std::nullopt);

    entry.setMetadata(sampleMetadata());
    EXPECT_EQ(before.metadata, std::nullopt);
    EXPECT_EQ(ImportItem(MediaKind::song, entry).metadata, sampleMetadata());
}

TEST(ImportItemTest, UrlAndIdentifierComeFromThePath)
{
    const QString path
        = QStringLiteral("/var/mobile/Media/My Music/") + QString(200, QLatin1Char('x')) + QStringLiteral(".mp3");
    const ImportItem item(path);
    EXPECT_TRUE(item.url().isLocalFile());
    EXPECT_EQ(item.url().toLocalFile(), path);
    EXPECT_EQ(item.identifier(), PathExtension(path).identifier());
    EXPECT_LE(item.identifier().size(), 96);
    EXPECT_FALSE(item.isExportable()); // no such file
}

TEST(ImportItemTest, PersistingWritesTheJsonFormToTheTemporaryFolder)
{
    ImportItem item(MediaKind::song, QStringLiteral("/m/cached song.mp3"), sampleMetadata());
    const ImportItem copy = item;
    QFile::remove(StandardFolders::temporaryDirectory() + QLatin1Char('/') + item.identifier()); // an earlier run's
    EXPECT_FALSE(item.isPersisted());
    auto result = std::make_shared<std::atomic<int>>(-1);
    item.persistToDisk([result](bool success) { *result = success ? 1 : 0; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return result->load() != -1; }, 10'000));
    EXPECT_EQ(result->load(), 1);
    EXPECT_TRUE(item.isPersisted());
    EXPECT_TRUE(copy.isPersisted());

    QFile file(StandardFolders::temporaryDirectory() + QLatin1Char('/') + item.identifier());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), *item.data());

    ImportItem broken(QStringLiteral("/m/broken.mp3"));
    broken.volume = std::numeric_limits<float>::infinity();
    auto failed = std::make_shared<std::atomic<int>>(-1);
    broken.persistToDisk([failed](bool success) { *failed = success ? 1 : 0; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return failed->load() != -1; }, 10'000));
    EXPECT_EQ(failed->load(), 0);
    EXPECT_FALSE(broken.isPersisted());
}

TEST(ImportObjectTest, TheEnvelopeCarriesTheSenderAndTheArtworkByPath)
{
    const auto bare = Protocol::decodeImportEnvelope(*ImportObject().data());
    ASSERT_TRUE(bare.has_value());
    EXPECT_EQ(bare->bundleId, Common::bundleIdentifier());
    EXPECT_EQ(bare->artworks, std::nullopt);
    EXPECT_EQ(
        QJsonDocument::fromJson(*ImportObject().data()).object().keys(), QStringList { QStringLiteral("bundleId") });

    const ImportObject::Artworks artworks { { QStringLiteral("/m/a.mp3"), QByteArrayLiteral("art") },
        { QStringLiteral("/m/b.mp3"), std::nullopt } };
    const ImportObject envelope(artworks);
    EXPECT_EQ(envelope.bundleId(), Common::bundleIdentifier());
    const QJsonObject json = parse(envelope.data());
    const QJsonObject map = json.value(QStringLiteral("artworks")).toObject();
    EXPECT_EQ(map.value(QStringLiteral("/m/a.mp3")).toString(), QStringLiteral("YXJ0"));
    EXPECT_TRUE(map.value(QStringLiteral("/m/b.mp3")).isNull());
    const auto decoded = Protocol::decodeImportEnvelope(*envelope.data());
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(decoded->artworks, artworks);

    const QJsonObject empty = parse(ImportObject(ImportObject::Artworks()).data());
    EXPECT_TRUE(empty.value(QStringLiteral("artworks")).isObject());
    EXPECT_TRUE(empty.value(QStringLiteral("artworks")).toObject().isEmpty());
}

TEST(ImportObjectTest, BackgroundImportMessageIsTheTwoSentences)
{
    EXPECT_EQ(backgroundImportMessage(),
        QStringLiteral("Import is now progressing in the background.\nYour media should appear in its "
                       "corresponding destination shortly."));
}

} // namespace
} // namespace tarnik
