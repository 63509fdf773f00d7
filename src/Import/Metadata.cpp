#include "Import/Metadata.h"

#include "App/Extensions.h"

#include "Platform/Bundle.h"

#include <QJsonValue>
#include <QMetaType>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <locale.h>

namespace tarnik {

namespace {

struct KeyInfo
{
    Metadata::Key key;
    QLatin1String rawValue;
    QLatin1String codingKey;
};

// Field order; the two key columns differ for genre, year, albumArtist and podcastUrl.
constexpr std::array<KeyInfo, Metadata::keyCount> kKeys { {
    { Metadata::Key::title, QLatin1String("title"), QLatin1String("title") },
    { Metadata::Key::artist, QLatin1String("artist"), QLatin1String("artist") },
    { Metadata::Key::genre, QLatin1String("type"), QLatin1String("genre") },
    { Metadata::Key::artwork, QLatin1String("artwork"), QLatin1String("artwork") },
    { Metadata::Key::year, QLatin1String("creationDate"), QLatin1String("year") },
    { Metadata::Key::duration, QLatin1String("duration"), QLatin1String("duration") },
    { Metadata::Key::trackNumber, QLatin1String("trackNumber"), QLatin1String("trackNumber") },
    { Metadata::Key::trackCount, QLatin1String("trackCount"), QLatin1String("trackCount") },
    { Metadata::Key::seasonNumber, QLatin1String("seasonNumber"), QLatin1String("seasonNumber") },
    { Metadata::Key::episodeNumber, QLatin1String("episodeNumber"), QLatin1String("episodeNumber") },
    { Metadata::Key::author, QLatin1String("author"), QLatin1String("author") },
    { Metadata::Key::comment, QLatin1String("comment"), QLatin1String("comment") },
    { Metadata::Key::description, QLatin1String("description"), QLatin1String("description") },
    { Metadata::Key::albumName, QLatin1String("albumName"), QLatin1String("albumName") },
    { Metadata::Key::albumArtist, QLatin1String("creator"), QLatin1String("albumArtist") },
    { Metadata::Key::publisher, QLatin1String("publisher"), QLatin1String("publisher") },
    { Metadata::Key::composer, QLatin1String("composer"), QLatin1String("composer") },
    { Metadata::Key::lyric, QLatin1String("lyric"), QLatin1String("lyric") },
    { Metadata::Key::podcastName, QLatin1String("podcastName"), QLatin1String("podcastName") },
    { Metadata::Key::podcastUrl, QLatin1String("podcastURL"), QLatin1String("podcastUrl") },
    { Metadata::Key::seriesName, QLatin1String("seriesName"), QLatin1String("seriesName") },
} };

enum class FieldType { text, bytes, integer, real };

FieldType fieldType(Metadata::Key key)
{
    switch (key) {
    case Metadata::Key::artwork:
        return FieldType::bytes;
    case Metadata::Key::year:
    case Metadata::Key::trackNumber:
    case Metadata::Key::trackCount:
    case Metadata::Key::seasonNumber:
    case Metadata::Key::episodeNumber:
        return FieldType::integer;
    case Metadata::Key::duration:
        return FieldType::real;
    default:
        return FieldType::text;
    }
}

// The record's fields by key, so the three forms walk one table instead of 21 branches.
struct FieldRef
{
    std::optional<QString> *text = nullptr;
    std::optional<QByteArray> *bytes = nullptr;
    std::optional<qint64> *integer = nullptr;
    std::optional<double> *real = nullptr;
};

FieldRef field(Metadata &m, Metadata::Key key)
{
    switch (key) {
    case Metadata::Key::title:
        return { &m.title };
    case Metadata::Key::artist:
        return { &m.artist };
    case Metadata::Key::genre:
        return { &m.genre };
    case Metadata::Key::artwork:
        return { nullptr, &m.artwork };
    case Metadata::Key::year:
        return { nullptr, nullptr, &m.year };
    case Metadata::Key::duration:
        return { nullptr, nullptr, nullptr, &m.duration };
    case Metadata::Key::trackNumber:
        return { nullptr, nullptr, &m.trackNumber };
    case Metadata::Key::trackCount:
        return { nullptr, nullptr, &m.trackCount };
    case Metadata::Key::seasonNumber:
        return { nullptr, nullptr, &m.seasonNumber };
    case Metadata::Key::episodeNumber:
        return { nullptr, nullptr, &m.episodeNumber };
    case Metadata::Key::author:
        return { &m.author };
    case Metadata::Key::comment:
        return { &m.comment };
    case Metadata::Key::description:
        return { &m.description };
    case Metadata::Key::albumName:
        return { &m.albumName };
    case Metadata::Key::albumArtist:
        return { &m.albumArtist };
    case Metadata::Key::publisher:
        return { &m.publisher };
    case Metadata::Key::composer:
        return { &m.composer };
    case Metadata::Key::lyric:
        return { &m.lyric };
    case Metadata::Key::podcastName:
        return { &m.podcastName };
    case Metadata::Key::podcastUrl:
        return { &m.podcastUrl };
    case Metadata::Key::seriesName:
        return { &m.seriesName };
    }
    return {};
}

bool isFloatingPoint(const QVariant &value)
{
    const int id = value.metaType().id();
    return id == QMetaType::Double || id == QMetaType::Float;
}

// Optional "+" or "-", then ASCII digits only, the whole text, within 64 bits.
std::optional<qint64> parseInteger(QStringView text)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    if (i == text.size())
        return std::nullopt;
    // Accumulate toward the sign so that the most negative value fits.
    qint64 result = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        const int digit = c - u'0';
        if (negative) {
            if (result < (std::numeric_limits<qint64>::min() + digit) / 10)
                return std::nullopt;
            result = result * 10 - digit;
        } else {
            if (result > (std::numeric_limits<qint64>::max() - digit) / 10)
                return std::nullopt;
            result = result * 10 + digit;
        }
    }
    return result;
}

// A number truncated toward zero; a number that no 64-bit integer holds
// (NaN, infinity, beyond the range) gives no value rather than a wrapped one.
std::optional<qint64> integerOfNumber(const QVariant &value)
{
    if (isFloatingPoint(value)) {
        const double d = value.toDouble();
        // 2^63 is exactly representable; every double below it in magnitude truncates into range.
        constexpr double limit = 9223372036854775808.0;
        if (!std::isfinite(d) || d >= limit || d < -limit)
            return std::nullopt;
        return static_cast<qint64>(std::trunc(d));
    }
    if (value.metaType().id() == QMetaType::ULongLong || value.metaType().id() == QMetaType::ULong) {
        const qulonglong u = value.toULongLong();
        if (u > static_cast<qulonglong>(std::numeric_limits<qint64>::max()))
            return std::nullopt;
        return static_cast<qint64>(u);
    }
    return value.toLongLong();
}

locale_t posixLocale()
{
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

// strtod in the POSIX locale over the whole text; no blanks, nothing outside ASCII.
// A text that reads as NaN or infinity (or overflows to it) is refused: a
// duration must be a real length of time.
std::optional<double> parseDuration(QStringView text)
{
    if (text.isEmpty())
        return std::nullopt;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == 0 || u > 0x7f || u == u' ' || u == u'\t' || u == u'\n' || u == u'\v' || u == u'\f' || u == u'\r')
            return std::nullopt;
    }
    const QByteArray bytes = text.toLatin1();
    char *end = nullptr;
    const double value = strtod_l(bytes.constData(), &end, posixLocale());
    if (end != bytes.constData() + bytes.size())
        return std::nullopt;
    if (!std::isfinite(value))
        return std::nullopt;
    return value;
}

// The bundle's "placeholder" image, looked up among the resource files beside the executable.
QImage placeholderImage()
{
    for (const QLatin1String type : { QLatin1String("svg"), QLatin1String("png"), QLatin1String("jpg") }) {
        if (const auto path
            = Bundle::main().pathForResource(QStringLiteral("placeholder"), type, QStringLiteral("images")))
            return QImage(*path);
    }
    return {};
}

} // namespace

QString Metadata::rawValue(Key key)
{
    return kKeys[static_cast<size_t>(key)].rawValue;
}

QString Metadata::codingKey(Key key)
{
    return kKeys[static_cast<size_t>(key)].codingKey;
}

std::optional<Metadata::Key> Metadata::keyFromRawValue(const QString &rawValue)
{
    for (const KeyInfo &info : kKeys) {
        if (rawValue == info.rawValue)
            return info.key;
    }
    return std::nullopt;
}

const std::array<Metadata::Key, Metadata::keyCount> &Metadata::allKeys()
{
    static const std::array<Key, keyCount> keys = [] {
        std::array<Key, keyCount> result {};
        for (size_t i = 0; i < kKeys.size(); ++i)
            result[i] = kKeys[i].key;
        return result;
    }();
    return keys;
}

Metadata::Metadata(std::optional<QString> title_)
    : title(std::move(title_))
{
}

Metadata Metadata::fromDictionary(const QVariantMap &dictionary)
{
    Metadata result;
    for (auto it = dictionary.cbegin(); it != dictionary.cend(); ++it) {
        const std::optional<Key> key = keyFromRawValue(it.key());
        if (!key)
            continue;
        const QVariant &value = it.value();
        const FieldRef ref = field(result, *key);
        switch (fieldType(*key)) {
        case FieldType::text:
            if (value.metaType().id() == QMetaType::QString)
                *ref.text = value.toString();
            break;
        case FieldType::bytes:
            if (value.metaType().id() == QMetaType::QByteArray)
                *ref.bytes = value.toByteArray();
            break;
        case FieldType::integer:
            if (value.metaType().id() == QMetaType::QString)
                *ref.integer = parseInteger(value.toString());
            else if (isNumericVariant(value))
                *ref.integer = integerOfNumber(value);
            break;
        case FieldType::real:
            if (value.metaType().id() == QMetaType::QString)
                *ref.real = parseDuration(value.toString());
            else if (isNumericVariant(value))
                *ref.real = value.toDouble();
            break;
        }
    }
    return result;
}

std::optional<QVariantMap> Metadata::dictionaryRepresentation() const
{
    QVariantMap result;
    Metadata &self = const_cast<Metadata &>(*this);
    for (const Key key : allKeys()) {
        const FieldRef ref = field(self, key);
        if (ref.text && *ref.text)
            result.insert(rawValue(key), **ref.text);
        else if (ref.bytes && *ref.bytes)
            result.insert(rawValue(key), **ref.bytes);
        else if (ref.integer && *ref.integer)
            result.insert(rawValue(key), QVariant::fromValue<qint64>(**ref.integer));
        else if (ref.real && *ref.real)
            result.insert(rawValue(key), **ref.real);
    }
    if (result.isEmpty())
        return std::nullopt;
    return result;
}

QJsonObject Metadata::jsonObject() const
{
    QJsonObject result;
    Metadata &self = const_cast<Metadata &>(*this);
    for (const Key key : allKeys()) {
        const FieldRef ref = field(self, key);
        if (ref.text && *ref.text)
            result.insert(codingKey(key), **ref.text);
        else if (ref.bytes && *ref.bytes)
            result.insert(codingKey(key), QString::fromLatin1(ref.bytes->value().toBase64()));
        else if (ref.integer && *ref.integer)
            result.insert(codingKey(key), QJsonValue(**ref.integer));
        else if (ref.real && *ref.real)
            result.insert(codingKey(key), **ref.real);
    }
    return result;
}

QImage Metadata::artworkImage() const
{
    if (artwork)
        return QImage::fromData(*artwork);
    return placeholderImage();
}

QString Metadata::prettyDescription() const
{
    QString text = QStringLiteral("Metadata: \n");
    const std::optional<QVariantMap> dictionary = dictionaryRepresentation();
    if (!dictionary)
        return text + QStringLiteral("nil");
    for (auto it = dictionary->cbegin(); it != dictionary->cend(); ++it) {
        const QVariant &value = it.value();
        const QString valueText = value.metaType().id() == QMetaType::QByteArray
            ? QStringLiteral("%1 bytes").arg(value.toByteArray().size())
            : value.toString();
        text += it.key() + QStringLiteral(": \t") + valueText + QLatin1Char('\n');
    }
    return text;
}

} // namespace tarnik
