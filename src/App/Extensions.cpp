#include "App/Extensions.h"

#include "App/Constants.h"

#include <QCryptographicHash>
#include <QMetaType>
#include <QUrlQuery>
#include <array>
#include <cmath>
#include <cstdio>

namespace tarnik {

namespace {

// Largest magnitude below which a double truncates into a signed 64-bit integer.
constexpr double kInt64Limit = 9223372036854775808.0; // 2^63

bool fitsInt64(double value)
{
    return std::isfinite(value) && value < kInt64Limit && value >= -kInt64Limit;
}

QString formatClock(qint64 hours, qint64 minutes, qint64 seconds)
{
    char buffer[96];
    if (hours >= 1)
        std::snprintf(buffer, sizeof buffer, "%lld:%.2lld:%.2lld", static_cast<long long>(hours),
            static_cast<long long>(minutes), static_cast<long long>(seconds));
    else
        std::snprintf(
            buffer, sizeof buffer, "%lld:%.2lld", static_cast<long long>(minutes), static_cast<long long>(seconds));
    return QString::fromLatin1(buffer);
}

// Mac OS Roman, bytes 0x80-0xFF.
constexpr std::array<char16_t, 128> kMacRomanHigh {
    0x00C4,
    0x00C5,
    0x00C7,
    0x00C9,
    0x00D1,
    0x00D6,
    0x00DC,
    0x00E1,
    0x00E0,
    0x00E2,
    0x00E4,
    0x00E3,
    0x00E5,
    0x00E7,
    0x00E9,
    0x00E8,
    0x00EA,
    0x00EB,
    0x00ED,
    0x00EC,
    0x00EE,
    0x00EF,
    0x00F1,
    0x00F3,
    0x00F2,
    0x00F4,
    0x00F6,
    0x00F5,
    0x00FA,
    0x00F9,
    0x00FB,
    0x00FC,
    0x2020,
    0x00B0,
    0x00A2,
    0x00A3,
    0x00A7,
    0x2022,
    0x00B6,
    0x00DF,
    0x00AE,
    0x00A9,
    0x2122,
    0x00B4,
    0x00A8,
    0x2260,
    0x00C6,
    0x00D8,
    0x221E,
    0x00B1,
    0x2264,
    0x2265,
    0x00A5,
    0x00B5,
    0x2202,
    0x2211,
    0x220F,
    0x03C0,
    0x222B,
    0x00AA,
    0x00BA,
    0x03A9,
    0x00E6,
    0x00F8,
    0x00BF,
    0x00A1,
    0x00AC,
    0x221A,
    0x0192,
    0x2248,
    0x2206,
    0x00AB,
    0x00BB,
    0x2026,
    0x00A0,
    0x00C0,
    0x00C3,
    0x00D5,
    0x0152,
    0x0153,
    0x2013,
    0x2014,
    0x201C,
    0x201D,
    0x2018,
    0x2019,
    0x00F7,
    0x25CA,
    0x00FF,
    0x0178,
    0x2044,
    0x20AC,
    0x2039,
    0x203A,
    0xFB01,
    0xFB02,
    0x2021,
    0x00B7,
    0x201A,
    0x201E,
    0x2030,
    0x00C2,
    0x00CA,
    0x00C1,
    0x00CB,
    0x00C8,
    0x00CD,
    0x00CE,
    0x00CF,
    0x00CC,
    0x00D3,
    0x00D4,
    0xF8FF,
    0x00D2,
    0x00DA,
    0x00DB,
    0x00D9,
    0x0131,
    0x02C6,
    0x02DC,
    0x00AF,
    0x02D8,
    0x02D9,
    0x02DA,
    0x00B8,
    0x02DD,
    0x02DB,
    0x02C7,
};


quint32 uint32Value(const QVariant &number)
{
    const int id = number.metaType().id();
    if (id == QMetaType::Double || id == QMetaType::Float) {
        const double d = number.toDouble();
        return fitsInt64(d) ? static_cast<quint32>(static_cast<qint64>(d)) : 0;
    }
    if (id == QMetaType::ULongLong || id == QMetaType::ULong)
        return static_cast<quint32>(number.toULongLong());
    return static_cast<quint32>(number.toLongLong());
}

int hexDigitValue(char32_t c)
{
    if (c >= U'0' && c <= U'9')
        return int(c - U'0');
    if (c >= U'a' && c <= U'f')
        return int(c - U'a') + 10;
    return 0;
}

// 16 x first + last of a pair of at most two characters; one character is used
// twice and an empty pair is 0.
int hexPairValue(const QList<char32_t> &pair)
{
    if (pair.isEmpty())
        return 0;
    return 16 * hexDigitValue(pair.first()) + hexDigitValue(pair.last());
}

// Canonical decomposition without the combining marks, so "é" and "e" compare equal.
QString withoutDiacritics(const QString &text)
{
    const QString decomposed = text.normalized(QString::NormalizationForm_D);
    QString result;
    result.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        if (c.category() != QChar::Mark_NonSpacing)
            result.append(c);
    }
    return result;
}

} // namespace

QString timeString(double seconds)
{
    if (!std::isfinite(seconds) || !fitsInt64(seconds / 3600.0))
        return QStringLiteral("--:--");
    const auto hours = static_cast<qint64>(seconds / 3600.0);
    const auto minutes = static_cast<qint64>(std::fmod(seconds, 3600.0) / 60.0);
    const auto secs = static_cast<qint64>(std::fmod(seconds, 60.0));
    return formatClock(hours, minutes, secs);
}

QString preciseTimeString(double seconds)
{
    const double milliseconds = seconds * 1000.0;
    if (!fitsInt64(milliseconds))
        return QStringLiteral("--:--:---");
    const auto ms = static_cast<qint64>(milliseconds);
    const qint64 fraction = ms % 1000;
    const QByteArray format = ":%." + QByteArray::number(Common::timeFractionDigits) + "lld";
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, format.constData(), static_cast<long long>(fraction));
    return timeString(seconds) + QString::fromLatin1(buffer);
}

QString timeString(const MediaTime &time)
{
    return timeString(time.seconds());
}

QString preciseTimeString(const MediaTime &time)
{
    return preciseTimeString(time.seconds());
}

QString metadataKeyString(const QVariant &key)
{
    QString text;
    if (key.metaType().id() == QMetaType::QString) {
        text = key.toString();
    } else if (isNumericVariant(key)) {
        const quint32 code = uint32Value(key);
        for (int shift = 24; shift >= 0; shift -= 8) {
            const auto byte = static_cast<unsigned char>((code >> shift) & 0xFF);
            if (byte == 0)
                break;
            text.append(QChar(byte < 0x80 ? char16_t(byte) : kMacRomanHigh[byte - 0x80]));
        }
    }
    if (text.contains(QChar(0x00A9)))
        text.replace(QChar(0x00A9), QLatin1Char('@'));
    return text;
}

std::optional<QHash<QString, QString>> queryParameters(const QUrl &url)
{
    if (!url.isValid() || !url.hasQuery())
        return std::nullopt;
    const QList<std::pair<QString, QString>> items = QUrlQuery(url).queryItems(QUrl::FullyDecoded);
    if (items.isEmpty())
        return std::nullopt;
    QHash<QString, QString> result;
    for (const auto &[name, value] : items)
        result.insert(name, value);
    return result;
}

QColor colorWithHex(QStringView hex)
{
    QString text = hex.toString().toLower();
    text.remove(QLatin1Char('#'));
    text.remove(QLatin1String("0x"));
    const QList<uint> ucs4 = text.toUcs4();
    const QList<char32_t> chars(ucs4.cbegin(), ucs4.cend());
    const qsizetype n = chars.size();
    const QList<char32_t> red = chars.first(qMin<qsizetype>(2, n));
    const QList<char32_t> lastFour = chars.last(qMin<qsizetype>(4, n));
    const QList<char32_t> green = lastFour.first(qMin<qsizetype>(2, lastFour.size()));
    const QList<char32_t> blue = chars.last(qMin<qsizetype>(2, n));
    return colorWithRgb(hexPairValue(red), hexPairValue(green), hexPairValue(blue));
}

QColor colorWithRgb(int red, int green, int blue)
{
    return QColor::fromRgbF(float(red / 255.0), float(green / 255.0), float(blue / 255.0), 1.0f);
}

QColor colorWithRgb(quint32 rgb)
{
    return colorWithRgb(int((rgb >> 16) & 0xFF), int((rgb >> 8) & 0xFF), int(rgb & 0xFF));
}

int numberOfOccurrences(const QString &text, const QString &search)
{
    const QString haystack = withoutDiacritics(text);
    const QString needle = withoutDiacritics(search);
    if (needle.isEmpty())
        return 0;
    int count = 0;
    qsizetype from = 0;
    while ((from = haystack.indexOf(needle, from)) >= 0) {
        ++count;
        from += needle.size();
    }
    return count;
}

QString sha256(const QString &text)
{
    return QString::fromLatin1(QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha256).toHex());
}

bool isNumericVariant(const QVariant &value)
{
    switch (value.metaType().id()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

} // namespace tarnik
