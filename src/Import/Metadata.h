#pragma once

#include <QByteArray>
#include <QHashFunctions>
#include <QImage>
#include <QJsonObject>
#include <QString>
#include <QVariantMap>
#include <array>
#include <optional>

namespace tarnik {

// The one record of descriptive media metadata: what the browser shows for a
// media file, what the import editor edits, what an import record hands to the
// companion service and what the audio export writes into a new file.
//
// A plain value (copies are independent); every field is optional and starts
// without value. It has two key sets that must not be mixed up:
//  - the dictionary form uses the `Metadata::Key` raw texts ("type" for the
//    genre, "creationDate" for the year, "creator" for the album artist,
//    "podcastURL" for the podcast address);
//  - the JSON form uses the field names ("genre", "year", "albumArtist",
//    "podcastUrl").
// `duration` is in milliseconds. Safe to use from any thread.
class Metadata
{
public:
    // The keys of the dictionary form, in field order.
    enum class Key {
        title,
        artist,
        genre,
        artwork,
        year,
        duration,
        trackNumber,
        trackCount,
        seasonNumber,
        episodeNumber,
        author,
        comment,
        description,
        albumName,
        albumArtist,
        publisher,
        composer,
        lyric,
        podcastName,
        podcastUrl,
        seriesName,
    };
    static constexpr int keyCount = 21;

    // The dictionary key of a field ("type" for genre, "creationDate" for year, ...).
    static QString rawValue(Key key);
    // Exact, case-sensitive match against the 21 raw texts; anything else is no key.
    static std::optional<Key> keyFromRawValue(const QString &rawValue);
    // The 21 keys in field order.
    static const std::array<Key, keyCount> &allKeys();
    // The JSON key of a field: the field name itself.
    static QString codingKey(Key key);

    Metadata() = default;
    // A record with only the title set (which may itself be without value).
    explicit Metadata(std::optional<QString> title);

    // Builds a record from the dictionary form. Never fails: a key that is no
    // raw text, or a value of the wrong type, leaves its field without value.
    // Integer fields take a decimal text (optional sign, digits only, in range)
    // or a number (truncated toward zero); `duration` takes a finite decimal
    // text in the POSIX locale or a number.
    static Metadata fromDictionary(const QVariantMap &dictionary);

    // The set fields keyed by their raw text; no value when nothing is set.
    std::optional<QVariantMap> dictionaryRepresentation() const;

    // The JSON form: the set fields under their field names (unset fields are
    // left out, never null); artwork as Base64 text.
    QJsonObject jsonObject() const;

    // The artwork decoded as an image; a null image when the bytes do not
    // decode; the bundle's placeholder image when there is no artwork at all.
    QImage artworkImage() const;

    // A diagnostic text for the logging hooks; never shown.
    QString prettyDescription() const;

    friend bool operator==(const Metadata &, const Metadata &) = default;

    std::optional<QString> title;
    std::optional<QString> artist;
    std::optional<QString> genre;
    std::optional<QByteArray> artwork;
    std::optional<qint64> year;
    std::optional<double> duration; // milliseconds
    std::optional<qint64> trackNumber;
    std::optional<qint64> trackCount;
    std::optional<qint64> seasonNumber;
    std::optional<qint64> episodeNumber;
    std::optional<QString> author;
    std::optional<QString> comment;
    std::optional<QString> description;
    std::optional<QString> albumName;
    std::optional<QString> albumArtist;
    std::optional<QString> publisher;
    std::optional<QString> composer;
    std::optional<QString> lyric;
    std::optional<QString> podcastName;
    std::optional<QString> podcastUrl;
    std::optional<QString> seriesName;
};

inline size_t qHash(Metadata::Key key, size_t seed = 0) noexcept
{
    return ::qHash(static_cast<int>(key), seed);
}

} // namespace tarnik
