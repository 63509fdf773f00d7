#include "App/Extensions.h"

#include "App/PathExtension.h"

#include <QUrl>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace tarnik {
namespace {

TEST(TimeString, Table)
{
    struct Case
    {
        double seconds;
        const char *text;
        const char *precise;
    };
    const Case cases[] = {
        { 0, "0:00", "0:00:000" },
        { 0.007, "0:00", "0:00:007" },
        { 5, "0:05", "0:05:000" },
        { 59.9, "0:59", "0:59:900" },
        { 61, "1:01", "1:01:000" },
        { 61.5, "1:01", "1:01:500" },
        { 754, "12:34", "12:34:000" },
        { 1.9999, "0:01", "0:01:999" },
        { 3599, "59:59", "59:59:000" },
        { 3600, "1:00:00", "1:00:00:000" },
        { 3725.5, "1:02:05", "1:02:05:500" },
        { 36000, "10:00:00", "10:00:00:000" },
        { -5, "0:-05", "0:-05:000" },
        { -1.5, "0:-01", "0:-01:-500" },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.seconds);
        EXPECT_EQ(timeString(c.seconds), QLatin1String(c.text));
        EXPECT_EQ(preciseTimeString(c.seconds), QLatin1String(c.precise));
    }
}

TEST(TimeString, NonFiniteAndHugeTimesDoNotOverflow)
{
    for (const double bad : { std::nan(""), std::numeric_limits<double>::infinity(),
             -std::numeric_limits<double>::infinity(), 1e300, -1e300 }) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(timeString(bad), QStringLiteral("--:--"));
        EXPECT_EQ(preciseTimeString(bad), QStringLiteral("--:--:---"));
    }
    // Hours fit 64 bits but milliseconds do not.
    EXPECT_EQ(preciseTimeString(1e17), QStringLiteral("--:--:---"));
    EXPECT_FALSE(timeString(1e17).startsWith(QLatin1Char('-')));
}

TEST(TimeString, OfMediaTimes)
{
    EXPECT_EQ(timeString(MediaTime::make(3725500000, 1000000)), QStringLiteral("1:02:05"));
    EXPECT_EQ(preciseTimeString(MediaTime::make(1999, 1000)), QStringLiteral("0:01:999"));
    for (const MediaTime &time : { MediaTime::invalid(), MediaTime::indefinite(), MediaTime::positiveInfinity() })
        EXPECT_EQ(timeString(time), QStringLiteral("--:--"));
}

TEST(MetadataKeyString, Table)
{
    struct Case
    {
        const char *name;
        QVariant key;
        QString text;
    };
    const Case cases[] = {
        { "iTunes title", QString(QChar(0xA9) + QStringLiteral("nam")), QStringLiteral("@nam") },
        { "ID3 frame", QStringLiteral("TIT2"), QStringLiteral("TIT2") },
        { "every copyright sign", QString(QChar(0xA9) + QStringLiteral("a") + QChar(0xA9)), QStringLiteral("@a@") },
        { "four-character code", QVariant::fromValue<quint32>(0x54495432u), QStringLiteral("TIT2") },
        { "numeric iTunes code", QVariant::fromValue<quint32>(0xA96E616Du), QStringLiteral("@nam") },
        { "Mac Roman byte", QVariant::fromValue<quint32>(0x8A616263u), QString(QChar(0xE4) + QStringLiteral("abc")) },
        { "leading zero byte", QVariant::fromValue<quint32>(0x00414243u), QString() },
        { "zero byte inside", QVariant::fromValue<quint32>(0x41004243u), QStringLiteral("A") },
        { "signed int", QVariant(0x41424344), QStringLiteral("ABCD") },
        { "wider than 32 bits", QVariant::fromValue<qint64>(0x1'41424344LL), QStringLiteral("ABCD") },
        { "huge double", QVariant(1e300), QString() },
        { "no key", QVariant(), QString() },
        { "bytes", QVariant(QByteArray("TIT2")), QString() },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(metadataKeyString(c.key), c.text);
    }
}

TEST(QueryParameters, Table)
{
    const auto params = queryParameters(QUrl(QStringLiteral("tarnik://x?b=1&c&b=2")));
    ASSERT_TRUE(params);
    EXPECT_EQ(*params,
        (QHash<QString, QString> { { QStringLiteral("b"), QStringLiteral("2") }, { QStringLiteral("c"), QString() } }));

    const auto decoded = queryParameters(QUrl(QStringLiteral("tarnik://?locate=%2Fvar%2Fmobile%2Fa%20b.mp3")));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->value(QStringLiteral("locate")), QStringLiteral("/var/mobile/a b.mp3"));

    EXPECT_FALSE(queryParameters(QUrl(QStringLiteral("tarnik://x"))));
    EXPECT_FALSE(queryParameters(QUrl(QStringLiteral("tarnik://x?"))));
    EXPECT_FALSE(queryParameters(QUrl()));
    // Malformed escapes are taken as they stand rather than failing.
    const auto malformed = queryParameters(QUrl(QStringLiteral("tarnik://x?a=%zz&b=%")));
    ASSERT_TRUE(malformed);
    EXPECT_EQ(malformed->size(), 2);
}

TEST(ColorWithHex, Table)
{
    struct Case
    {
        const char *hex;
        int red, green, blue;
    };
    const Case cases[] = {
        { "#FF8000", 255, 128, 0 },
        { "0x343434", 52, 52, 52 },
        { "fff", 255, 255, 255 },
        { "", 0, 0, 0 },
        { "zz", 0, 0, 0 },
        { "12345678", 0x12, 0x56, 0x78 },
        { "c40000", 0xc4, 0, 0 },
        { "12345", 0x12, 0x23, 0x45 },
        { "a", 0xaa, 0xaa, 0xaa },
        { "ab0x12", 0xab, 0xab, 0x12 },
        { "#g0ff00", 0x00, 0xff, 0x00 },
        { "\xc3\xa9\xc3\xa9"
          "ffff",
            0, 0xff, 0xff },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.hex);
        const QColor color = colorWithHex(QString::fromUtf8(c.hex));
        EXPECT_EQ(color.red(), c.red);
        EXPECT_EQ(color.green(), c.green);
        EXPECT_EQ(color.blue(), c.blue);
        EXPECT_EQ(color.alphaF(), 1.0f);
    }
    EXPECT_EQ(colorWithRgb(0x123456u), colorWithRgb(0x12, 0x34, 0x56));
    EXPECT_EQ(colorWithRgb(0xFF123456u).red(), 0x12);
}

TEST(NumberOfOccurrences, Table)
{
    struct Case
    {
        const char *text;
        const char *search;
        int count;
    };
    const Case cases[] = {
        { "A - B - C", " - ", 2 }, { "aaaa", "aa", 2 }, // matches never overlap
        { "aaa", "aa", 1 }, { "abc", "x", 0 }, { "abc", "", 0 }, { "", "a", 0 },
        { "caf\xc3\xa9 cafe", "cafe", 2 }, // diacritics ignored
        { "Cafe", "cafe", 0 }, // case is not
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.text) + " / " + c.search);
        EXPECT_EQ(numberOfOccurrences(QString::fromUtf8(c.text), QString::fromUtf8(c.search)), c.count);
    }
}

TEST(Sha256, KnownDigests)
{
    EXPECT_EQ(sha256(QString()), QStringLiteral("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"));
    EXPECT_EQ(sha256(QStringLiteral("abc")),
        QStringLiteral("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"));
    const QString digest = sha256(QStringLiteral(u"\u00e9\u2013\U0001F600"));
    EXPECT_EQ(digest.size(), 64);
    EXPECT_EQ(digest, digest.toLower());
}

} // namespace
} // namespace tarnik

namespace tarnik {
namespace {

// Texts that are not well-formed Unicode (a lone surrogate stands for a name
// whose bytes were not UTF-8) go through every helper without harm.
TEST(TextHelpers, IllFormedTextIsHandled)
{
    const QString lone = QStringLiteral("a") + QChar(0xD800) + QStringLiteral("b - c");
    EXPECT_EQ(sha256(lone).size(), 64);
    const QString id = PathExtension(lone).identifier();
    for (const QChar c : id)
        EXPECT_TRUE(c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('_')) << id.toStdString();
    EXPECT_EQ(colorWithHex(lone).alphaF(), 1.0f);
    EXPECT_EQ(PathExtension::artistAndTitle(lone).title, QStringLiteral("c"));
    EXPECT_EQ(numberOfOccurrences(lone, QString(QChar(0xD800))), 1);
    EXPECT_FALSE(queryParameters(QUrl(QStringLiteral("tarnik://x?") + lone))->isEmpty());
}

} // namespace
} // namespace tarnik
