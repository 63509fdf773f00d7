#include "Platform/MediaTime.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace tarnik {

// Readable failures: gtest prints a time as its fields.
void PrintTo(const MediaTime &time, std::ostream *out)
{
    *out << "{value " << time.value << ", timescale " << time.timescale << ", flags " << time.flags << ", epoch "
         << time.epoch << '}';
}

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr qint64 kMax64 = std::numeric_limits<qint64>::max();

MediaTime make(qint64 value, qint32 timescale)
{
    return MediaTime::make(value, timescale);
}

} // namespace

TEST(MediaTime, FromSeconds)
{
    struct Case
    {
        double seconds;
        qint32 timescale;
        MediaTime expected;
    };
    const quint32 rounded = MediaTime::Valid | MediaTime::HasBeenRounded;
    const Case cases[] = {
        { 1.5, MediaTime::kDefaultTimescale, { 1'500'000, 1'000'000, MediaTime::Valid, 0 } },
        { 1.0, 1000, { 1000, 1000, MediaTime::Valid, 0 } },
        { 0.0, 1'000'000, { 0, 1'000'000, MediaTime::Valid, 0 } },
        { -2.25, 4, { -9, 4, MediaTime::Valid, 0 } },
        // Halves round away from zero.
        { 0.0000005, 1'000'000, { 1, 1'000'000, rounded, 0 } },
        { -0.0000005, 1'000'000, { -1, 1'000'000, rounded, 0 } },
        { 1.0 / 3.0, 1'000'000, { 333'333, 1'000'000, rounded, 0 } },
        // Too large for microseconds: kept at a smaller timescale.
        { 1e13, 1'000'000, { 5'000'000'000'000'000'000, 500'000, rounded, 0 } },
        { kNaN, 1'000'000, MediaTime::invalid() },
        { 1.0, 0, MediaTime::invalid() },
        { 1.0, -1000, MediaTime::invalid() },
        { kInf, 1'000'000, MediaTime::positiveInfinity() },
        { -kInf, 1'000'000, MediaTime::negativeInfinity() },
        { 1e300, 1'000'000, MediaTime::positiveInfinity() },
        { -1e300, 1'000'000, MediaTime::negativeInfinity() },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.seconds << " s at " << c.timescale);
        const MediaTime time = MediaTime::fromSeconds(c.seconds, c.timescale);
        EXPECT_TRUE(time.isIdenticalTo(c.expected)) << testing::PrintToString(time);
    }
}

TEST(MediaTime, KindsAndSeconds)
{
    struct Case
    {
        MediaTime time;
        bool valid, numeric, indefinite, positiveInfinity, negativeInfinity;
        double seconds;
    };
    const Case cases[] = {
        { MediaTime::invalid(), false, false, false, false, false, kNaN },
        { make(1, 0), false, false, false, false, false, kNaN },
        { MediaTime::zero(), true, true, false, false, false, 0.0 },
        { make(-3, 2), true, true, false, false, false, -1.5 },
        { make(kMax64, 1), true, true, false, false, false, 9223372036854775807.0 },
        { MediaTime::indefinite(), true, false, true, false, false, kNaN },
        { MediaTime::positiveInfinity(), true, false, false, true, false, kInf },
        { MediaTime::negativeInfinity(), true, false, false, false, true, -kInf },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.time));
        EXPECT_EQ(c.time.isValid(), c.valid);
        EXPECT_EQ(c.time.isNumeric(), c.numeric);
        EXPECT_EQ(c.time.isIndefinite(), c.indefinite);
        EXPECT_EQ(c.time.isPositiveInfinity(), c.positiveInfinity);
        EXPECT_EQ(c.time.isNegativeInfinity(), c.negativeInfinity);
        if (std::isnan(c.seconds))
            EXPECT_TRUE(std::isnan(c.time.seconds()));
        else
            EXPECT_EQ(c.time.seconds(), c.seconds);
    }
}

TEST(MediaTime, AdditionAndSubtraction)
{
    const MediaTime inf = MediaTime::positiveInfinity();
    const MediaTime negInf = MediaTime::negativeInfinity();
    const MediaTime indefinite = MediaTime::indefinite();
    const MediaTime invalid = MediaTime::invalid();
    MediaTime otherEpoch = make(1, 1);
    otherEpoch.epoch = 1;
    struct Case
    {
        const char *what;
        MediaTime a, b;
        MediaTime sum, difference;
    };
    const Case cases[] = {
        { "same timescale", make(3, 10), make(4, 10), make(7, 10), make(-1, 10) },
        { "timescales meet at their lcm", make(1, 2), make(1, 3), make(5, 6), make(1, 6) },
        { "trim end", MediaTime::fromSeconds(10), MediaTime::fromSeconds(30), MediaTime::fromSeconds(40),
            MediaTime::fromSeconds(-20) },
        { "seconds at two timescales", MediaTime::fromSeconds(10, 1000), MediaTime::fromSeconds(1, 1'000'000),
            make(11'000'000, 1'000'000), make(9'000'000, 1'000'000) },
        { "invalid wins", invalid, inf, invalid, invalid },
        { "indefinite next", indefinite, negInf, indefinite, indefinite },
        { "infinity absorbs numbers", inf, make(5, 1), inf, inf },
        { "number minus infinity", make(5, 1), inf, inf, negInf },
        { "number minus negative infinity", make(5, 1), negInf, negInf, inf },
        { "opposite infinities", inf, negInf, invalid, inf },
        { "equal infinities", inf, inf, inf, invalid },
        { "overflow becomes infinity", make(kMax64, 1), make(1, 1), inf, make(kMax64 - 1, 1) },
        { "underflow becomes negative infinity", make(-kMax64, 1), make(2, 1), make(-kMax64 + 2, 1), negInf },
        { "different epochs", make(1, 1), otherEpoch, invalid, invalid },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const MediaTime sum = c.a + c.b;
        const MediaTime difference = c.a - c.b;
        EXPECT_TRUE(sum.isIdenticalTo(c.sum)) << testing::PrintToString(sum);
        EXPECT_TRUE(difference.isIdenticalTo(c.difference)) << testing::PrintToString(difference);
    }
}

TEST(MediaTime, TimescalesTooFarApartMeetAtTheLargerOneAndRound)
{
    // Two large primes: their lcm does not fit a 32-bit timescale.
    const MediaTime sum = make(1, 999'983) + make(1, 1'000'003);
    EXPECT_EQ(sum.timescale, 1'000'003);
    EXPECT_TRUE(sum.hasBeenRounded());
    EXPECT_NEAR(sum.seconds(), 1.0 / 999'983 + 1.0 / 1'000'003, 1e-6);
}

TEST(MediaTime, TotalOrder)
{
    // Ascending; each entry compares greater than every one before it.
    const std::vector<MediaTime> ascending = {
        MediaTime::negativeInfinity(),
        make(-kMax64, 1),
        make(-1, 1),
        MediaTime::zero(),
        make(1, 3),
        make(333'334, 1'000'000),
        make(1, 1),
        make(kMax64, 1),
        MediaTime::indefinite(),
        MediaTime::positiveInfinity(),
        MediaTime::invalid(),
    };
    for (size_t i = 0; i < ascending.size(); ++i) {
        for (size_t j = 0; j < ascending.size(); ++j) {
            SCOPED_TRACE(testing::Message() << i << " vs " << j);
            const int expected = i < j ? -1 : (i > j ? 1 : 0);
            EXPECT_EQ(MediaTime::compare(ascending[i], ascending[j]), expected);
        }
    }
    EXPECT_EQ(make(1, 2), make(500'000, 1'000'000));
    EXPECT_EQ(MediaTime::invalid(), make(7, 0));
    EXPECT_FALSE(make(1, 2).isIdenticalTo(make(500'000, 1'000'000)));
    MediaTime later = make(0, 1);
    later.epoch = 1;
    EXPECT_GT(later, make(100, 1));
}

TEST(MediaTimeRange, ZeroRangeDictionaryForm)
{
    const QVariantMap expected = {
        { QStringLiteral("value"), qint64(0) },
        { QStringLiteral("timescale"), qint64(1) },
        { QStringLiteral("flags"), qint64(1) },
        { QStringLiteral("epoch"), qint64(0) },
    };
    const QVariantMap form = MediaTimeRange::zero().toDictionary();
    EXPECT_EQ(form.keys(), (QStringList { QStringLiteral("duration"), QStringLiteral("start") }));
    EXPECT_EQ(form.value(QStringLiteral("start")).toMap(), expected);
    EXPECT_EQ(form.value(QStringLiteral("duration")).toMap(), expected);
    // Every entry is an integer, so JSON writes it as one.
    EXPECT_EQ(QJsonDocument(QJsonObject::fromVariantMap(form)).toJson(QJsonDocument::Compact),
        QByteArrayLiteral(R"({"duration":{"epoch":0,"flags":1,"timescale":1,"value":0},)"
                          R"("start":{"epoch":0,"flags":1,"timescale":1,"value":0}})"));
}

TEST(MediaTimeRange, DictionaryRoundTripsThroughJson)
{
    MediaTime rounded = MediaTime::fromSeconds(1.0 / 3.0);
    const std::vector<MediaTimeRange> ranges = {
        MediaTimeRange::zero(),
        MediaTimeRange::fromTimeToTime(MediaTime::fromSeconds(10), MediaTime::fromSeconds(40)),
        { rounded, MediaTime::positiveInfinity() },
        { MediaTime::indefinite(), MediaTime::invalid() },
        { make(-(qint64(1) << 53), 1'000'000), make(qint64(1) << 53, 1) },
    };
    for (const MediaTimeRange &range : ranges) {
        SCOPED_TRACE(testing::PrintToString(range.start));
        const QByteArray json = QJsonDocument(QJsonObject::fromVariantMap(range.toDictionary())).toJson();
        const auto back = MediaTimeRange::fromDictionary(QJsonDocument::fromJson(json).object().toVariantMap());
        ASSERT_TRUE(back.has_value());
        EXPECT_TRUE(back->start.isIdenticalTo(range.start));
        EXPECT_TRUE(back->duration.isIdenticalTo(range.duration));
    }
}

TEST(MediaTime, MalformedDictionariesAreRefused)
{
    const auto time = [](std::initializer_list<std::pair<const char *, QVariant>> entries) {
        QVariantMap map;
        for (const auto &[key, value] : entries)
            map.insert(QString::fromLatin1(key), value);
        return QVariant(map);
    };
    const QVariant v1 = 1;
    struct Case
    {
        const char *what;
        QVariant dictionary;
        bool accepted;
    };
    const Case cases[] = {
        { "complete", time({ { "value", 5 }, { "timescale", 2 }, { "flags", 1 }, { "epoch", 0 } }), true },
        { "epoch missing reads as 0", time({ { "value", 5 }, { "timescale", 2 }, { "flags", 1 } }), true },
        { "unsigned and double integers", time({ { "value", 5u }, { "timescale", 2.0 }, { "flags", qulonglong(1) } }),
            true },
        { "invalid time with no timescale", time({ { "value", 0 }, { "timescale", 0 }, { "flags", 0 } }), true },
        { "positive infinity", time({ { "value", 0 }, { "timescale", 0 }, { "flags", 5 } }), true },
        { "not a dictionary", QVariant(QStringLiteral("value")), false },
        { "empty", QVariant(QVariantMap()), false },
        { "null", QVariant(), false },
        { "value missing", time({ { "timescale", 2 }, { "flags", 1 } }), false },
        { "timescale missing", time({ { "value", 5 }, { "flags", 1 } }), false },
        { "flags missing", time({ { "value", 5 }, { "timescale", 2 } }), false },
        { "text value", time({ { "value", QStringLiteral("5") }, { "timescale", 2 }, { "flags", 1 } }), false },
        { "boolean flags", time({ { "value", 5 }, { "timescale", 2 }, { "flags", true } }), false },
        { "fractional value", time({ { "value", 5.5 }, { "timescale", 2 }, { "flags", 1 } }), false },
        { "NaN value", time({ { "value", kNaN }, { "timescale", 2 }, { "flags", 1 } }), false },
        { "huge double", time({ { "value", 1e300 }, { "timescale", 2 }, { "flags", 1 } }), false },
        { "value beyond 64 bits", time({ { "value", qulonglong(kMax64) + 1 }, { "timescale", 2 }, { "flags", 1 } }),
            false },
        { "timescale beyond 32 bits", time({ { "value", 5 }, { "timescale", qint64(1) << 31 }, { "flags", 1 } }),
            false },
        { "negative flags", time({ { "value", 5 }, { "timescale", 2 }, { "flags", -1 } }), false },
        { "flags beyond 32 bits", time({ { "value", 5 }, { "timescale", 2 }, { "flags", qint64(1) << 32 } }), false },
        { "valid number with zero timescale", time({ { "value", 5 }, { "timescale", 0 }, { "flags", 1 } }), false },
        { "valid number with negative timescale", time({ { "value", 5 }, { "timescale", -2 }, { "flags", 1 } }),
            false },
        { "both infinities", time({ { "value", 0 }, { "timescale", 0 }, { "flags", 1 | 4 | 8 } }), false },
        { "text epoch", time({ { "value", 5 }, { "timescale", 2 }, { "flags", 1 }, { "epoch", QStringLiteral("") } }),
            false },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(MediaTime::fromDictionary(c.dictionary).has_value(), c.accepted);
    }
    const QVariant good = cases[0].dictionary;
    EXPECT_TRUE(MediaTimeRange::fromDictionary(
        QVariantMap { { QStringLiteral("start"), good }, { QStringLiteral("duration"), good } }));
    EXPECT_FALSE(MediaTimeRange::fromDictionary(QVariantMap { { QStringLiteral("start"), good } }));
    EXPECT_FALSE(MediaTimeRange::fromDictionary(
        QVariantMap { { QStringLiteral("start"), good }, { QStringLiteral("duration"), v1 } }));
    EXPECT_FALSE(MediaTimeRange::fromDictionary(QVariant(QVariantList { good, good })));
}

TEST(MediaTimeRange, Predicates)
{
    const auto seconds = [](double s) { return MediaTime::fromSeconds(s); };
    MediaTime otherEpoch = seconds(1);
    otherEpoch.epoch = 2;
    struct Case
    {
        const char *what;
        MediaTimeRange range;
        bool valid, indefinite, empty;
    };
    const Case cases[] = {
        { "zero", MediaTimeRange::zero(), true, false, true },
        { "invalid", MediaTimeRange::invalid(), false, false, false },
        { "trim", MediaTimeRange::fromTimeToTime(seconds(10), seconds(40)), true, false, false },
        { "zero length at 5 s", { seconds(5), make(0, 600) }, true, false, true },
        { "backwards", MediaTimeRange::fromTimeToTime(seconds(40), seconds(10)), false, false, false },
        { "negative infinite duration", { seconds(1), MediaTime::negativeInfinity() }, false, false, false },
        { "to infinity", { seconds(1), MediaTime::positiveInfinity() }, true, false, false },
        { "indefinite duration", { seconds(1), MediaTime::indefinite() }, true, true, false },
        { "indefinite start", { MediaTime::indefinite(), seconds(1) }, true, true, false },
        { "duration in another epoch", { seconds(1), otherEpoch }, false, false, false },
        { "invalid start", { MediaTime::invalid(), seconds(1) }, false, false, false },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.range.isValid(), c.valid);
        EXPECT_EQ(c.range.isIndefinite(), c.indefinite);
        EXPECT_EQ(c.range.isEmpty(), c.empty);
    }

    const MediaTimeRange trim = MediaTimeRange::fromTimeToTime(seconds(10), seconds(40));
    EXPECT_EQ(trim.duration, seconds(30));
    EXPECT_EQ(trim.end(), seconds(40));
    EXPECT_TRUE(trim.containsTime(seconds(10)));
    EXPECT_TRUE(trim.containsTime(make(39'999'999, 1'000'000)));
    EXPECT_FALSE(trim.containsTime(seconds(40)));
    EXPECT_FALSE(trim.containsTime(seconds(9.999999)));
    EXPECT_FALSE(trim.containsTime(MediaTime::invalid()));
    EXPECT_FALSE(MediaTimeRange::invalid().containsTime(seconds(0)));

    // Equal ranges at different timescales; the zero range is only equal to zero ranges.
    EXPECT_EQ(trim, (MediaTimeRange { make(10, 1), make(30'000, 1000) }));
    EXPECT_EQ(MediaTimeRange::zero(), (MediaTimeRange { make(0, 1'000'000), make(0, 1000) }));
    EXPECT_FALSE(trim == MediaTimeRange::zero());
}

} // namespace tarnik
