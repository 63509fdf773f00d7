#include "Platform/MediaTime.h"

#include <QDebug>
#include <QMetaType>
#include <cmath>
#include <limits>
#include <numeric>

namespace tarnik {

namespace {

// Exact products of 64-bit values and 32-bit timescales need more than 64 bits.
__extension__ typedef __int128 Wide;

constexpr qint64 kMaxValue = std::numeric_limits<qint64>::max();
constexpr qint64 kMinValue = std::numeric_limits<qint64>::min();
constexpr qint32 kMaxTimescale = std::numeric_limits<qint32>::max();

// numerator / denominator with halves rounded away from zero; denominator > 0.
Wide roundedDivide(Wide numerator, Wide denominator)
{
    const Wide quotient = numerator / denominator;
    const Wide remainder = numerator % denominator;
    const Wide twice = (remainder < 0 ? -remainder : remainder) * 2;
    if (twice >= denominator)
        return numerator < 0 ? quotient - 1 : quotient + 1;
    return quotient;
}

// Where a time sits in the platform's order, numeric times all in one rank.
int rank(const MediaTime &time)
{
    if (!time.isValid())
        return 4;
    if (time.flags & MediaTime::PositiveInfinity)
        return 3;
    if (time.flags & MediaTime::Indefinite)
        return 2;
    if (time.flags & MediaTime::NegativeInfinity)
        return 0;
    return 1;
}

MediaTime infinityOfSign(bool positive)
{
    return positive ? MediaTime::positiveInfinity() : MediaTime::negativeInfinity();
}

MediaTime addNumeric(const MediaTime &a, const MediaTime &b, bool subtract)
{
    if (a.epoch != b.epoch)
        return MediaTime::invalid();
    quint32 rounded = (a.flags | b.flags) & MediaTime::HasBeenRounded;
    qint32 timescale = a.timescale;
    Wide left = a.value;
    Wide right = b.value;
    if (a.timescale != b.timescale) {
        const qint64 common = std::lcm(static_cast<qint64>(a.timescale), static_cast<qint64>(b.timescale));
        if (common <= kMaxTimescale) {
            timescale = static_cast<qint32>(common);
            left *= common / a.timescale;
            right *= common / b.timescale;
        } else {
            timescale = std::max(a.timescale, b.timescale);
            const Wide scaledLeft = roundedDivide(left * timescale, a.timescale);
            const Wide scaledRight = roundedDivide(right * timescale, b.timescale);
            if (scaledLeft * a.timescale != left * timescale || scaledRight * b.timescale != right * timescale)
                rounded = MediaTime::HasBeenRounded;
            left = scaledLeft;
            right = scaledRight;
        }
    }
    const Wide sum = subtract ? left - right : left + right;
    if (sum > kMaxValue || sum < kMinValue)
        return infinityOfSign(sum > 0);
    MediaTime result = MediaTime::make(static_cast<qint64>(sum), timescale);
    result.flags |= rounded;
    result.epoch = a.epoch;
    return result;
}

// An integer entry of the dictionary form, from any of the integer types a dictionary can
// carry (property lists and JSON documents give different ones). Booleans, texts and
// fractional numbers are not integers.
std::optional<qint64> integerEntry(const QVariantMap &map, const QString &key, qint64 minimum, qint64 maximum)
{
    const auto found = map.constFind(key);
    if (found == map.cend())
        return std::nullopt;
    const QVariant &entry = *found;
    std::optional<qint64> number;
    switch (entry.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::SChar:
        number = entry.toLongLong();
        break;
    case QMetaType::UInt:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
    case QMetaType::UShort:
    case QMetaType::UChar: {
        const qulonglong unsignedNumber = entry.toULongLong();
        if (unsignedNumber <= static_cast<qulonglong>(kMaxValue))
            number = static_cast<qint64>(unsignedNumber);
        break;
    }
    case QMetaType::Double:
    case QMetaType::Float: {
        // JSON readers hand every number over as a double; only whole numbers that a double
        // holds exactly are taken (beyond 2^53 a double no longer tells neighbours apart).
        const double real = entry.toDouble();
        constexpr double kExact = 9007199254740992.0; // 2^53
        if (std::isfinite(real) && std::trunc(real) == real && std::fabs(real) <= kExact)
            number = static_cast<qint64>(real);
        break;
    }
    default:
        break;
    }
    if (!number || *number < minimum || *number > maximum)
        return std::nullopt;
    return number;
}

} // namespace

MediaTime MediaTime::make(qint64 value, qint32 timescale)
{
    if (timescale <= 0)
        return invalid();
    return { value, timescale, Valid, 0 };
}

MediaTime MediaTime::fromSeconds(double seconds, qint32 preferredTimescale)
{
    if (std::isnan(seconds) || preferredTimescale <= 0)
        return invalid();
    if (std::isinf(seconds))
        return infinityOfSign(seconds > 0);
    // 2^63 as a double; a product at or beyond it does not fit.
    constexpr double kLimit = 9223372036854775808.0;
    qint32 timescale = preferredTimescale;
    bool reduced = false;
    while (std::fabs(std::round(seconds * timescale)) >= kLimit && timescale > 1) {
        timescale /= 2;
        reduced = true;
    }
    const double scaled = seconds * timescale;
    const double nearest = std::round(scaled);
    if (std::fabs(nearest) >= kLimit)
        return infinityOfSign(seconds > 0);
    MediaTime time = make(static_cast<qint64>(nearest), timescale);
    if (reduced || nearest != scaled)
        time.flags |= HasBeenRounded;
    return time;
}

double MediaTime::seconds() const
{
    if (!isValid() || (flags & Indefinite))
        return std::numeric_limits<double>::quiet_NaN();
    if (flags & PositiveInfinity)
        return std::numeric_limits<double>::infinity();
    if (flags & NegativeInfinity)
        return -std::numeric_limits<double>::infinity();
    return static_cast<double>(value) / static_cast<double>(timescale);
}

QVariantMap MediaTime::toDictionary() const
{
    return {
        { QStringLiteral("value"), QVariant::fromValue<qint64>(value) },
        { QStringLiteral("timescale"), QVariant::fromValue<qint64>(timescale) },
        { QStringLiteral("flags"), QVariant::fromValue<qint64>(flags) },
        { QStringLiteral("epoch"), QVariant::fromValue<qint64>(epoch) },
    };
}

std::optional<MediaTime> MediaTime::fromDictionary(const QVariant &dictionary)
{
    if (dictionary.metaType().id() != QMetaType::QVariantMap)
        return std::nullopt;
    const QVariantMap map = dictionary.toMap();
    const auto value = integerEntry(map, QStringLiteral("value"), kMinValue, kMaxValue);
    const auto timescale
        = integerEntry(map, QStringLiteral("timescale"), std::numeric_limits<qint32>::min(), kMaxTimescale);
    const auto flags = integerEntry(map, QStringLiteral("flags"), 0, std::numeric_limits<quint32>::max());
    std::optional<qint64> epoch = 0;
    if (map.contains(QStringLiteral("epoch")))
        epoch = integerEntry(map, QStringLiteral("epoch"), kMinValue, kMaxValue);
    if (!value || !timescale || !flags || !epoch)
        return std::nullopt;
    const MediaTime time { *value, static_cast<qint32>(*timescale), static_cast<quint32>(*flags), *epoch };
    const quint32 implied = time.flags & ImpliedValueFlagsMask;
    if (implied & (implied - 1)) // more than one of them
        return std::nullopt;
    if (time.isNumeric() && time.timescale <= 0)
        return std::nullopt;
    return time;
}

MediaTime operator+(const MediaTime &a, const MediaTime &b)
{
    if (!a.isValid() || !b.isValid())
        return MediaTime::invalid();
    if (a.isIndefinite() || b.isIndefinite())
        return MediaTime::indefinite();
    const bool aInfinite = a.isPositiveInfinity() || a.isNegativeInfinity();
    const bool bInfinite = b.isPositiveInfinity() || b.isNegativeInfinity();
    if (aInfinite && bInfinite)
        return a.isPositiveInfinity() == b.isPositiveInfinity() ? a : MediaTime::invalid();
    if (aInfinite)
        return infinityOfSign(a.isPositiveInfinity());
    if (bInfinite)
        return infinityOfSign(b.isPositiveInfinity());
    return addNumeric(a, b, false);
}

MediaTime operator-(const MediaTime &a, const MediaTime &b)
{
    if (!a.isValid() || !b.isValid())
        return MediaTime::invalid();
    if (a.isIndefinite() || b.isIndefinite())
        return MediaTime::indefinite();
    const bool aInfinite = a.isPositiveInfinity() || a.isNegativeInfinity();
    const bool bInfinite = b.isPositiveInfinity() || b.isNegativeInfinity();
    if (aInfinite && bInfinite)
        return a.isPositiveInfinity() != b.isPositiveInfinity() ? infinityOfSign(a.isPositiveInfinity())
                                                                : MediaTime::invalid();
    if (aInfinite)
        return infinityOfSign(a.isPositiveInfinity());
    if (bInfinite)
        return infinityOfSign(!b.isPositiveInfinity());
    return addNumeric(a, b, true);
}

int MediaTime::compare(const MediaTime &a, const MediaTime &b)
{
    const int rankA = rank(a);
    const int rankB = rank(b);
    if (rankA != rankB)
        return rankA < rankB ? -1 : 1;
    if (rankA != 1)
        return 0;
    if (a.epoch != b.epoch)
        return a.epoch < b.epoch ? -1 : 1;
    const Wide left = static_cast<Wide>(a.value) * b.timescale;
    const Wide right = static_cast<Wide>(b.value) * a.timescale;
    return left < right ? -1 : (left > right ? 1 : 0);
}

MediaTimeRange MediaTimeRange::fromTimeToTime(const MediaTime &start, const MediaTime &end)
{
    return { start, end - start };
}

bool MediaTimeRange::isValid() const
{
    return start.isValid() && duration.isValid() && duration.epoch == 0 && !duration.isNegativeInfinity()
        && !(duration.isNumeric() && duration.value < 0);
}

bool MediaTimeRange::isIndefinite() const
{
    return isValid() && (start.isIndefinite() || duration.isIndefinite());
}

bool MediaTimeRange::isEmpty() const
{
    return isValid() && duration == MediaTime::zero();
}

MediaTime MediaTimeRange::end() const
{
    return start + duration;
}

bool MediaTimeRange::containsTime(const MediaTime &time) const
{
    if (!isValid() || !time.isValid())
        return false;
    return MediaTime::compare(start, time) <= 0 && MediaTime::compare(time, end()) < 0;
}

QVariantMap MediaTimeRange::toDictionary() const
{
    return {
        { QStringLiteral("start"), start.toDictionary() },
        { QStringLiteral("duration"), duration.toDictionary() },
    };
}

std::optional<MediaTimeRange> MediaTimeRange::fromDictionary(const QVariant &dictionary)
{
    if (dictionary.metaType().id() != QMetaType::QVariantMap)
        return std::nullopt;
    const QVariantMap map = dictionary.toMap();
    const auto start = MediaTime::fromDictionary(map.value(QStringLiteral("start")));
    const auto duration = MediaTime::fromDictionary(map.value(QStringLiteral("duration")));
    if (!start || !duration)
        return std::nullopt;
    return MediaTimeRange { *start, *duration };
}

QDebug operator<<(QDebug debug, const MediaTime &time)
{
    const QDebugStateSaver saver(debug);
    debug.nospace();
    if (!time.isValid())
        return debug << "MediaTime(invalid)";
    if (time.isIndefinite())
        return debug << "MediaTime(indefinite)";
    if (time.isPositiveInfinity())
        return debug << "MediaTime(+infinity)";
    if (time.isNegativeInfinity())
        return debug << "MediaTime(-infinity)";
    debug << "MediaTime(" << time.value << '/' << time.timescale << " = " << time.seconds();
    if (time.hasBeenRounded())
        debug << ", rounded";
    if (time.epoch != 0)
        debug << ", epoch " << time.epoch;
    return debug << ')';
}

QDebug operator<<(QDebug debug, const MediaTimeRange &range)
{
    const QDebugStateSaver saver(debug);
    debug.nospace() << "MediaTimeRange(start " << range.start << ", duration " << range.duration << ')';
    return debug;
}

} // namespace tarnik
