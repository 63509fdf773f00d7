#pragma once

#include <QVariant>
#include <QVariantMap>
#include <QtGlobal>
#include <compare>
#include <optional>

class QDebug;

namespace tarnik {

// A rational media time, as the phone platform's media time: value / timescale seconds, with
// flags for validity, rounding, the two infinities and "indefinite", and an epoch that
// separates otherwise equal times of different loops. A plain value, safe to copy between threads.
//
// The default value is the invalid time. Every valid numeric time has a timescale above zero:
// the factories refuse anything else, so seconds() never divides by zero.
struct MediaTime
{
    enum Flag : quint32 {
        Valid = 1u << 0,
        HasBeenRounded = 1u << 1,
        PositiveInfinity = 1u << 2,
        NegativeInfinity = 1u << 3,
        Indefinite = 1u << 4,
        ImpliedValueFlagsMask = PositiveInfinity | NegativeInfinity | Indefinite,
    };

    // The timescale of every time the app makes from seconds.
    static constexpr qint32 kDefaultTimescale = 1'000'000;

    qint64 value = 0;
    qint32 timescale = 0;
    quint32 flags = 0;
    qint64 epoch = 0;

    // value / timescale; a timescale of zero or below gives the invalid time.
    static MediaTime make(qint64 value, qint32 timescale);
    // The time nearest to `seconds` at the preferred timescale (halves round away from zero).
    // NaN gives the invalid time, the infinities give the infinite times; a number too large
    // for the timescale is kept at a smaller one (the time is then marked rounded), and one too
    // large for any timescale becomes an infinity.
    static MediaTime fromSeconds(double seconds, qint32 preferredTimescale = kDefaultTimescale);

    static MediaTime zero() { return make(0, 1); }
    static MediaTime invalid() { return {}; }
    static MediaTime indefinite() { return { 0, 0, Valid | Indefinite, 0 }; }
    static MediaTime positiveInfinity() { return { 0, 0, Valid | PositiveInfinity, 0 }; }
    static MediaTime negativeInfinity() { return { 0, 0, Valid | NegativeInfinity, 0 }; }

    bool isValid() const { return flags & Valid; }
    bool isIndefinite() const { return isValid() && (flags & Indefinite); }
    bool isPositiveInfinity() const { return isValid() && (flags & PositiveInfinity); }
    bool isNegativeInfinity() const { return isValid() && (flags & NegativeInfinity); }
    // A valid time that stands for a number of seconds.
    bool isNumeric() const { return isValid() && !(flags & ImpliedValueFlagsMask); }
    bool hasBeenRounded() const { return flags & HasBeenRounded; }

    // value / timescale; NaN for invalid and indefinite times, ±infinity for the infinities.
    double seconds() const;

    // The dictionary form: "value", "timescale", "flags" and "epoch", each an integer (qint64).
    QVariantMap toDictionary() const;
    // Reads the dictionary form back. Nothing when the dictionary lacks "value", "timescale" or
    // "flags", when an entry is not an integer or does not fit its field, or when the entries
    // describe no consistent time (a valid numeric time with a timescale of zero or below, or
    // more than one of the infinity and indefinite flags). A missing "epoch" reads as 0.
    static std::optional<MediaTime> fromDictionary(const QVariant &dictionary);

    // Media-time arithmetic. Anything with an invalid operand is invalid; anything with an
    // indefinite operand is indefinite; opposite infinities cancel into the invalid time;
    // an infinity otherwise wins. Different epochs give the invalid time. Two timescales meet at
    // their least common multiple, or at the larger one (rounding, marked) when that is too
    // large; a result beyond 64 bits becomes the infinity of its sign.
    friend MediaTime operator+(const MediaTime &a, const MediaTime &b);
    friend MediaTime operator-(const MediaTime &a, const MediaTime &b);

    // The platform's total order: negative infinity < numeric times (by epoch, then exactly by
    // value) < indefinite < positive infinity < invalid. Equal values at different timescales
    // compare equal.
    static int compare(const MediaTime &a, const MediaTime &b);
    friend std::strong_ordering operator<=>(const MediaTime &a, const MediaTime &b) { return compare(a, b) <=> 0; }
    friend bool operator==(const MediaTime &a, const MediaTime &b) { return compare(a, b) == 0; }

    // Field-for-field equality, where operator== compares the times the fields stand for.
    bool isIdenticalTo(const MediaTime &other) const
    {
        return value == other.value && timescale == other.timescale && flags == other.flags && epoch == other.epoch;
    }
};

// A range of media time, as the platform's time range: a start and a duration.
struct MediaTimeRange
{
    MediaTime start;
    MediaTime duration;

    static MediaTimeRange zero() { return { MediaTime::zero(), MediaTime::zero() }; }
    static MediaTimeRange invalid() { return {}; }
    // The range from start to end (duration = end - start).
    static MediaTimeRange fromTimeToTime(const MediaTime &start, const MediaTime &end);

    // Start and duration valid, the duration in epoch 0 and not negative.
    bool isValid() const;
    // Valid, with an indefinite start or duration.
    bool isIndefinite() const;
    // Valid, with a zero duration.
    bool isEmpty() const;
    // start + duration.
    MediaTime end() const;
    // start <= time < end.
    bool containsTime(const MediaTime &time) const;

    // The dictionary form: "start" and "duration", each a time in its dictionary form.
    QVariantMap toDictionary() const;
    // Nothing unless both entries are present and read as times.
    static std::optional<MediaTimeRange> fromDictionary(const QVariant &dictionary);

    // Equal when the starts and the durations compare equal.
    friend bool operator==(const MediaTimeRange &a, const MediaTimeRange &b)
    {
        return a.start == b.start && a.duration == b.duration;
    }
};

QDebug operator<<(QDebug debug, const MediaTime &time);
QDebug operator<<(QDebug debug, const MediaTimeRange &range);

} // namespace tarnik
