#include "App/MetadataReader.h"

#include "App/Constants.h"
#include "App/Extensions.h"
#include "App/Globals.h"
#include "App/PathExtension.h"
#include "Import/Metadata.h"
#include "Platform/Media/MediaAsset.h"
#include "Platform/Media/MediaMetadata.h"

#include <QRegularExpression>
#include <QStringList>

namespace tarnik::MetadataReader {

namespace {

bool isText(const QVariant &value)
{
    return value.metaType().id() == QMetaType::QString;
}

bool isData(const QVariant &value)
{
    return value.metaType().id() == QMetaType::QByteArray;
}

// A whole text of decimal digits with an optional sign, as the platform's
// integer parser takes it ("07" is 7, " 7" and "7a" are no number).
std::optional<qint64> parseInteger(const QString &text)
{
    QStringView digits(text);
    if (digits.startsWith(QLatin1Char('+')) || digits.startsWith(QLatin1Char('-')))
        digits = digits.mid(1);
    if (digits.isEmpty())
        return std::nullopt;
    for (QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    }
    bool ok = false;
    const qint64 number = text.toLongLong(&ok, 10);
    return ok ? std::optional<qint64>(number) : std::nullopt;
}

bool isArtworkKeySpace(MetadataKeySpace keySpace)
{
    return keySpace == MetadataKeySpace::id3 || keySpace == MetadataKeySpace::iTunes
        || keySpace == MetadataKeySpace::vorbisComment;
}

// The keys of the formats the platform only knows through its common key space (Vorbis
// comments, RIFF INFO, ID3v1): what their items without a common key fill. A track number
// among them is decoded as an ID3 track text.
const QHash<QString, Metadata::Key> &plainKeys(MetadataKeySpace keySpace)
{
    using K = Metadata::Key;
    static const QHash<QString, K> vorbis {
        { QStringLiteral("TRACKNUMBER"), K::trackNumber },
        { QStringLiteral("COMMENT"), K::comment },
        { QStringLiteral("DESCRIPTION"), K::comment },
        { QStringLiteral("LYRICS"), K::lyric },
        { QStringLiteral("UNSYNCEDLYRICS"), K::lyric },
        { QStringLiteral("COMPOSER"), K::composer },
        { QStringLiteral("ORGANIZATION"), K::publisher },
        { QStringLiteral("LABEL"), K::publisher },
    };
    static const QHash<QString, K> info {
        { QStringLiteral("ITRK"), K::trackNumber },
        { QStringLiteral("IPRT"), K::trackNumber },
        { QStringLiteral("ICMT"), K::comment },
        { QStringLiteral("IMUS"), K::composer },
        { QStringLiteral("IPUB"), K::publisher },
    };
    static const QHash<QString, K> id3v1 {
        { QStringLiteral("track"), K::trackNumber },
        { QStringLiteral("comment"), K::comment },
    };
    static const QHash<QString, K> none;
    switch (keySpace) {
    case MetadataKeySpace::vorbisComment:
        return vorbis;
    case MetadataKeySpace::riffInfo:
        return info;
    case MetadataKeySpace::id3v1:
        return id3v1;
    default:
        return none;
    }
}

// A date written as ISO 8601 ("2011-05-03", "1999-01-01T08:00:00Z", "1987-03"): its year's
// four digits. Nothing for any other text, a plain year included.
std::optional<QString> yearOfDate(const QString &text)
{
    static const QRegularExpression date(QStringLiteral(
        "^([0-9]{4})-(0[1-9]|1[0-2])(-(0[1-9]|[12][0-9]|3[01])([T ][0-9]{2}(:[0-9]{2}(:[0-9]{2}(\\.[0-9]+)?)?)?"
        "(Z|[+-][0-9]{2}(:?[0-9]{2})?)?)?)?$"));
    const QRegularExpressionMatch match = date.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(1);
}

class Stages
{
public:
    QVariantMap result;

    void common(const std::vector<MetadataItem> &items)
    {
        for (const MetadataItem &item : items) {
            if (item.commonKey.isEmpty())
                continue;
            if (item.commonKey == MetadataCommonKey::artwork) {
                // Of several pictures the front cover, else the first: a back cover or an
                // artist photo that comes later must not replace it.
                if (isArtworkKeySpace(item.keySpace) && isData(item.value)
                    && (!result.contains(MetadataCommonKey::artwork) || (item.isFrontCover && !m_frontCover))) {
                    result.insert(MetadataCommonKey::artwork, item.value);
                    m_frontCover = item.isFrontCover;
                }
                continue;
            }
            if (item.value.isValid())
                result.insert(item.commonKey, item.value);
        }
    }

    void format(const std::vector<MetadataItem> &items)
    {
        for (const MetadataItem &item : items) {
            if (!item.value.isValid())
                continue;
            if (item.commonKey == MetadataCommonKey::artwork) {
                if (isArtworkKeySpace(item.keySpace) && isData(item.value)
                    && !result.contains(MetadataCommonKey::artwork))
                    result.insert(MetadataCommonKey::artwork, item.value);
                continue;
            }
            if (!item.commonKey.isEmpty()) {
                write(item.commonKey, item.value);
                continue;
            }
            const QString key = metadataKeyString(item.key);
            if (item.keySpace == MetadataKeySpace::id3) {
                if (key == Common::id3KeyMap().value(Metadata::Key::trackNumber))
                    id3TrackNumber(item.value);
                else
                    mapped(Common::id3KeyMap(), key, item.value);
            } else if (item.keySpace == MetadataKeySpace::iTunes) {
                if (key == Common::iTunesKeyMap().value(Metadata::Key::trackNumber))
                    iTunesTrackNumber(item.value);
                else
                    mapped(Common::iTunesKeyMap(), key, item.value);
            } else if (const auto field = plainKeys(item.keySpace).constFind(key);
                       field != plainKeys(item.keySpace).constEnd()) {
                if (*field == Metadata::Key::trackNumber)
                    id3TrackNumber(item.value);
                else
                    write(Metadata::rawValue(*field), item.value);
            }
        }
    }

    // A year written as a date keeps only its year, which the record reads as a number.
    void year()
    {
        const QString key = Metadata::rawValue(Metadata::Key::year);
        const QVariant value = result.value(key);
        if (!isText(value))
            return;
        if (const std::optional<QString> year = yearOfDate(value.toString()))
            result.insert(key, *year);
    }

    void duration(std::optional<double> seconds)
    {
        if (!seconds)
            return;
        const double milliseconds = *seconds * 1000.0;
        if (milliseconds > 0 && !result.contains(durationKey()))
            result.insert(durationKey(), milliseconds);
    }

    void titleAndArtist(const QString &path)
    {
        const QString titleKey = Metadata::rawValue(Metadata::Key::title);
        const QString artistKey = Metadata::rawValue(Metadata::Key::artist);
        const QVariant title = result.value(titleKey);
        const QVariant artist = result.value(artistKey);
        if (isText(title) && !title.toString().isEmpty())
            return;
        const QString name = PathExtension(PathExtension(path).lastPathComponent()).deletingPathExtension();
        if (!isText(artist) || artist.toString().isEmpty()) {
            const PathExtension::ArtistAndTitle split = PathExtension::artistAndTitle(name);
            result.insert(titleKey, split.title);
            result.insert(artistKey, split.artist);
        } else {
            result.insert(titleKey, name);
        }
    }

    void comment()
    {
        const QString key = Metadata::rawValue(Metadata::Key::comment);
        const QVariant value = result.value(key);
        if (isText(value) && !value.toString().isEmpty())
            return;
        result.insert(key, creditLine());
    }

private:
    static QString durationKey() { return Metadata::rawValue(Metadata::Key::duration); }

    // A common-stage value is kept; a value of this stage gives way to a later one.
    void write(const QString &key, const QVariant &value)
    {
        if (result.contains(key) && !m_written.contains(key))
            return;
        result.insert(key, value);
        m_written.append(key);
    }

    void mapped(const QHash<Metadata::Key, QString> &map, const QString &key, const QVariant &value)
    {
        // Field order, so that one frame filling two keys does so predictably.
        for (Metadata::Key field : Metadata::allKeys()) {
            const auto entry = map.constFind(field);
            if (entry != map.constEnd() && *entry == key)
                write(Metadata::rawValue(field), value);
        }
    }

    void id3TrackNumber(const QVariant &value)
    {
        const QString key = Metadata::rawValue(Metadata::Key::trackNumber);
        if (isText(value)) {
            const QString text = value.toString();
            const int slash = text.indexOf(QLatin1Char('/'));
            const std::optional<qint64> number = parseInteger(slash >= 0 ? text.left(slash) : text);
            if (number && *number > 0)
                result.insert(key, *number);
        }
        if (isNumericVariant(value) && value.toLongLong() > 0)
            result.insert(key, value.toLongLong());
    }

    // The track atom holds the number and the count as 16-bit big-endian
    // values at bytes 2-3 and 4-5. Reading only their low bytes would turn
    // track 300 into 44; the whole values are read.
    void iTunesTrackNumber(const QVariant &value)
    {
        if (!isData(value))
            return;
        const QByteArray bytes = value.toByteArray();
        const auto field = [&](int at) { return qint64((uchar(bytes[at]) << 8) | uchar(bytes[at + 1])); };
        if (bytes.size() >= 4 && field(2) != 0)
            result.insert(Metadata::rawValue(Metadata::Key::trackNumber), field(2));
        if (bytes.size() >= 6 && field(4) != 0)
            result.insert(Metadata::rawValue(Metadata::Key::trackCount), field(4));
    }

    QStringList m_written;
    bool m_frontCover = false;
};

} // namespace

QString creditLine()
{
    return QStringLiteral("Imported with Tarnik ") + QString::number(_currentYear());
}

QVariantMap metadataDictionary(const MediaMetadata &metadata, std::optional<double> duration, const QString &path)
{
    Stages stages;
    stages.common(metadata.commonMetadata());
    for (MetadataKeySpace keySpace : metadata.availableMetadataFormats())
        stages.format(metadata.metadata(keySpace));
    stages.year();
    stages.duration(duration);
    stages.titleAndArtist(path);
    stages.comment();
    return stages.result;
}

QVariantMap metadataDictionary(const QString &path)
{
    // TagLib gives the length with the tags where it reads it exactly; FFmpeg is asked only
    // for the files where it does not (videos, MP3s without a VBR header, other formats).
    const MediaMetadata metadata = MediaMetadata::read(path, MediaMetadata::ReadLength::yes);
    const std::optional<double> duration = metadata.duration() ? metadata.duration() : MediaAsset::durationOfFile(path);
    return metadataDictionary(metadata, duration, path);
}

} // namespace tarnik::MetadataReader
