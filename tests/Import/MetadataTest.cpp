#include "Import/Metadata.h"

#include <QBuffer>
#include <QDateTime>
#include <QJsonDocument>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace tarnik {
namespace {

using K = Metadata::Key;

TEST(MetadataKey, RawValuesAndCodingKeysDifferInFourPlaces)
{
    ASSERT_EQ(Metadata::allKeys().size(), 21u);
    EXPECT_EQ(Metadata::allKeys().front(), K::title);
    EXPECT_EQ(Metadata::allKeys().back(), K::seriesName);
    int differing = 0;
    for (const K key : Metadata::allKeys()) {
        EXPECT_EQ(Metadata::keyFromRawValue(Metadata::rawValue(key)), key);
        if (Metadata::rawValue(key) != Metadata::codingKey(key))
            ++differing;
    }
    EXPECT_EQ(differing, 4);
    EXPECT_EQ(Metadata::rawValue(K::genre), QStringLiteral("type"));
    EXPECT_EQ(Metadata::rawValue(K::year), QStringLiteral("creationDate"));
    EXPECT_EQ(Metadata::rawValue(K::albumArtist), QStringLiteral("creator"));
    EXPECT_EQ(Metadata::rawValue(K::podcastUrl), QStringLiteral("podcastURL"));
    EXPECT_EQ(Metadata::codingKey(K::podcastUrl), QStringLiteral("podcastUrl"));
    for (const char *text : { "genre", "year", "albumArtist", "podcastUrl", "Title", " title", "" })
        EXPECT_FALSE(Metadata::keyFromRawValue(QString::fromLatin1(text))) << text;
}

TEST(Metadata, DictionaryUsesRawValueKeysOnly)
{
    const Metadata m = Metadata::fromDictionary({
        { QStringLiteral("type"), QStringLiteral("Rock") },
        { QStringLiteral("creationDate"), QStringLiteral("2016") },
        { QStringLiteral("creator"), QStringLiteral("X") },
        { QStringLiteral("podcastURL"), QStringLiteral("U") },
        { QStringLiteral("genre"), QStringLiteral("Jazz") },
        { QStringLiteral("year"), 1999 },
        { QStringLiteral("albumArtist"), QStringLiteral("Y") },
        { QStringLiteral("podcastUrl"), QStringLiteral("V") },
    });
    EXPECT_EQ(m.genre, QStringLiteral("Rock"));
    EXPECT_EQ(m.year, 2016);
    EXPECT_EQ(m.albumArtist, QStringLiteral("X"));
    EXPECT_EQ(m.podcastUrl, QStringLiteral("U"));
    Metadata expected;
    expected.genre = QStringLiteral("Rock");
    expected.year = 2016;
    expected.albumArtist = QStringLiteral("X");
    expected.podcastUrl = QStringLiteral("U");
    EXPECT_EQ(m, expected);
}

TEST(Metadata, IntegerParsing)
{
    struct Case
    {
        const char *name;
        QVariant value;
        std::optional<qint64> year;
    };
    const Case cases[] = {
        { "text", QStringLiteral("2016"), 2016 },
        { "plus sign", QStringLiteral("+2016"), 2016 },
        { "minus sign", QStringLiteral("-7"), -7 },
        { "date text", QStringLiteral("2016-05-01"), std::nullopt },
        { "leading blank", QStringLiteral(" 2016"), std::nullopt },
        { "trailing blank", QStringLiteral("2016 "), std::nullopt },
        { "empty text", QString(), std::nullopt },
        { "sign only", QStringLiteral("-"), std::nullopt },
        { "decimal text", QStringLiteral("2016.0"), std::nullopt },
        { "arabic-indic digits", QStringLiteral(u"\u0662\u0660"), std::nullopt },
        { "max", QStringLiteral("9223372036854775807"), std::numeric_limits<qint64>::max() },
        { "min", QStringLiteral("-9223372036854775808"), std::numeric_limits<qint64>::min() },
        { "above max", QStringLiteral("9223372036854775808"), std::nullopt },
        { "below min", QStringLiteral("-9223372036854775809"), std::nullopt },
        { "huge", QStringLiteral("99999999999999999999999999"), std::nullopt },
        { "double", 2016.9, 2016 },
        { "negative double", -2016.9, -2016 },
        { "float", QVariant(2016.5f), 2016 },
        { "int", 2016, 2016 },
        { "bool", true, 1 },
        { "huge double", 1e30, std::nullopt },
        { "nan", std::nan(""), std::nullopt },
        { "infinity", std::numeric_limits<double>::infinity(), std::nullopt },
        { "unsigned above max", QVariant::fromValue<quint64>(18446744073709551615ull), std::nullopt },
        { "date object", QDateTime::currentDateTime(), std::nullopt },
        { "bytes", QByteArray("2016"), std::nullopt },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Metadata::fromDictionary({ { QStringLiteral("creationDate"), c.value } }).year, c.year);
        EXPECT_EQ(Metadata::fromDictionary({ { QStringLiteral("episodeNumber"), c.value } }).episodeNumber, c.year);
    }
}

TEST(Metadata, DurationParsing)
{
    struct Case
    {
        const char *name;
        QVariant value;
        std::optional<double> duration;
    };
    const Case cases[] = {
        { "text", QStringLiteral("245.3"), 245.3 },
        { "exponent", QStringLiteral("2.5e2"), 250.0 },
        { "signed", QStringLiteral("-1.5"), -1.5 },
        { "hexadecimal", QStringLiteral("0x10"), 16.0 },
        { "trailing blank", QStringLiteral("245.3 "), std::nullopt },
        { "leading blank", QStringLiteral(" 245.3"), std::nullopt },
        { "tab", QStringLiteral("245\t"), std::nullopt },
        { "empty", QString(), std::nullopt },
        { "open exponent", QStringLiteral("1e"), std::nullopt },
        { "comma decimal", QStringLiteral("245,3"), std::nullopt },
        { "non-ASCII", QStringLiteral(u"245\u00B73"), std::nullopt },
        { "embedded zero", QString(QStringLiteral("245") + QChar(0) + QStringLiteral("3")), std::nullopt },
        // Not a length of time: refused instead of stored as a non-finite number.
        { "nan", QStringLiteral("nan"), std::nullopt },
        { "NAN", QStringLiteral("NAN"), std::nullopt },
        { "inf", QStringLiteral("inf"), std::nullopt },
        { "-infinity", QStringLiteral("-infinity"), std::nullopt },
        { "overflow", QStringLiteral("1e999"), std::nullopt },
        { "number", 245, 245.0 },
        { "double", 245.3, 245.3 },
        { "text number object", QByteArray("245"), std::nullopt },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Metadata::fromDictionary({ { QStringLiteral("duration"), c.value } }).duration, c.duration);
    }
}

TEST(Metadata, WrongTypesLeaveFieldsEmpty)
{
    const Metadata m = Metadata::fromDictionary({
        { QStringLiteral("title"), 42 },
        { QStringLiteral("artist"), QByteArray("bytes") },
        { QStringLiteral("artwork"), QStringLiteral("not bytes") },
        { QStringLiteral("unknown"), QStringLiteral("x") },
    });
    EXPECT_EQ(m, Metadata());
    EXPECT_FALSE(m.dictionaryRepresentation());
}

Metadata fullRecord()
{
    Metadata m(QStringLiteral("T"));
    m.artist = QStringLiteral("A");
    m.genre = QStringLiteral("G");
    m.artwork = QByteArray("\x00\x01\xff", 3);
    m.year = 2016;
    m.duration = 245.3;
    m.trackNumber = 1;
    m.trackCount = 12;
    m.seasonNumber = 2;
    m.episodeNumber = 3;
    m.author = QStringLiteral("Au");
    m.comment = QStringLiteral("C");
    m.description = QStringLiteral("D");
    m.albumName = QStringLiteral("Al");
    m.albumArtist = QStringLiteral("AA");
    m.publisher = QStringLiteral("P");
    m.composer = QStringLiteral("Co");
    m.lyric = QStringLiteral("L");
    m.podcastName = QStringLiteral("PN");
    m.podcastUrl = QStringLiteral("PU");
    m.seriesName = QStringLiteral("S");
    return m;
}

TEST(Metadata, DictionaryRepresentationRoundTrips)
{
    EXPECT_FALSE(Metadata(std::nullopt).dictionaryRepresentation());
    const auto titleOnly = Metadata(QStringLiteral("T")).dictionaryRepresentation();
    ASSERT_TRUE(titleOnly);
    EXPECT_EQ(*titleOnly, (QVariantMap { { QStringLiteral("title"), QStringLiteral("T") } }));

    const Metadata full = fullRecord();
    const auto dictionary = full.dictionaryRepresentation();
    ASSERT_TRUE(dictionary);
    EXPECT_EQ(dictionary->size(), 21);
    EXPECT_EQ(dictionary->value(QStringLiteral("creationDate")).metaType().id(), QMetaType::LongLong);
    EXPECT_EQ(dictionary->value(QStringLiteral("duration")).metaType().id(), QMetaType::Double);
    EXPECT_EQ(dictionary->value(QStringLiteral("artwork")).metaType().id(), QMetaType::QByteArray);
    EXPECT_EQ(Metadata::fromDictionary(*dictionary), full);

    Metadata partial;
    partial.year = 2016;
    partial.podcastUrl = QStringLiteral("U");
    EXPECT_EQ(Metadata::fromDictionary(*partial.dictionaryRepresentation()), partial);
}

TEST(Metadata, JsonUsesFieldNames)
{
    Metadata m;
    m.year = 2016;
    m.podcastUrl = QStringLiteral("U");
    const QJsonObject json = m.jsonObject();
    EXPECT_EQ(json.keys(), (QStringList { QStringLiteral("podcastUrl"), QStringLiteral("year") }));
    const QByteArray text = QJsonDocument(json).toJson(QJsonDocument::Compact);
    EXPECT_TRUE(text.contains("\"year\":2016")) << text.constData();

    const QJsonObject full = fullRecord().jsonObject();
    EXPECT_EQ(full.size(), 21);
    for (const char *absent : { "creationDate", "podcastURL", "type", "creator" })
        EXPECT_FALSE(full.contains(QLatin1String(absent))) << absent;
    EXPECT_EQ(full.value(QStringLiteral("artwork")).toString(), QStringLiteral("AAH/"));
    EXPECT_EQ(full.value(QStringLiteral("duration")).toDouble(), 245.3);
    EXPECT_EQ(full.value(QStringLiteral("trackCount")).toInteger(), 12);
    EXPECT_TRUE(Metadata().jsonObject().isEmpty());
}

TEST(Metadata, ArtworkImage)
{
    Metadata broken;
    broken.artwork = QByteArray("not an image");
    EXPECT_TRUE(broken.artworkImage().isNull());

    QImage red(4, 3, QImage::Format_RGB32);
    red.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    red.save(&buffer, "PNG");
    Metadata good;
    good.artwork = png;
    EXPECT_EQ(good.artworkImage().size(), QSize(4, 3));

    EXPECT_FALSE(Metadata().artworkImage().isNull());
}

TEST(Metadata, PrettyDescription)
{
    EXPECT_EQ(Metadata().prettyDescription(), QStringLiteral("Metadata: \nnil"));
    EXPECT_TRUE(Metadata(QStringLiteral("T")).prettyDescription().contains(QStringLiteral("title: \tT\n")));
}

} // namespace
} // namespace tarnik
