#include "ImportEditor/EditableCellIdentifier.h"

#include "App/Globals.h"

namespace tarnik::EditableCell {

namespace {

struct Facts
{
    const char *label;
    const char *placeholder;
    KeyboardType keyboard;
    const char *raw;
};

const Facts &facts(EditableCellIdentifier field)
{
    static const Facts table[] = {
        { "Track", "Track Number", KeyboardType::numbersAndPunctuation, "trackNumber" },
        { "Title", "Title", KeyboardType::defaultType, "title" },
        { "Artist", "Artist Name", KeyboardType::defaultType, "artist" },
        { "Album", "Album Name", KeyboardType::defaultType, "albumName" },
        { "Genre", "Genre", KeyboardType::defaultType, "type" },
        { "Year", "YYYY", KeyboardType::numbersAndPunctuation, "creationDate" },
        { "Name", "Podcast Name", KeyboardType::defaultType, "podcastName" },
        { "Location", "http://", KeyboardType::defaultType, "podcastURL" },
        { "Episode", "Episode Number", KeyboardType::numbersAndPunctuation, "episodeNumber" },
        { "Series", "Series Name", KeyboardType::defaultType, "seriesName" },
        { "Season", "Season Number", KeyboardType::numbersAndPunctuation, "seasonNumber" },
        { "Title", "Media Title", KeyboardType::defaultType, "extendedTitle" },
    };
    return table[int(field)];
}

} // namespace

const std::array<EditableCellIdentifier, 12> &allCases()
{
    using E = EditableCellIdentifier;
    static const std::array<E, 12> cases = { E::trackNumber, E::title, E::artist, E::albumName, E::genre, E::year,
        E::podcastName, E::podcastUrl, E::episodeNumber, E::seriesName, E::seasonNumber, E::extendedTitle };
    return cases;
}

QString label(EditableCellIdentifier field)
{
    return _localizedString(QString::fromLatin1(facts(field).label));
}

QString placeholder(EditableCellIdentifier field)
{
    return _localizedString(QString::fromLatin1(facts(field).placeholder));
}

KeyboardType keyboardType(EditableCellIdentifier field)
{
    return facts(field).keyboard;
}

QString rawValue(EditableCellIdentifier field)
{
    return QString::fromLatin1(facts(field).raw);
}

std::optional<EditableCellIdentifier> fromRawValue(const QString &raw)
{
    for (EditableCellIdentifier field : allCases()) {
        if (rawValue(field) == raw)
            return field;
    }
    return std::nullopt;
}

std::optional<QList<EditableCellIdentifier>> fields(MediaKind kind)
{
    using E = EditableCellIdentifier;
    switch (kind.value()) {
    case MediaKind::song:
    case MediaKind::musicVideo:
        return QList<E> { E::trackNumber, E::title, E::artist, E::albumName, E::genre, E::year };
    case MediaKind::ringtone:
        return QList<E> { E::extendedTitle };
    case MediaKind::podcast:
        return QList<E> { E::extendedTitle, E::podcastName, E::episodeNumber, E::podcastUrl, E::genre, E::year };
    case MediaKind::tvEpisode:
        return QList<E> { E::extendedTitle, E::seriesName, E::seasonNumber, E::episodeNumber, E::year };
    case MediaKind::featureMovie:
        return QList<E> { E::extendedTitle, E::year };
    case MediaKind::tone:
    case MediaKind::videoPodcast:
        return std::nullopt;
    }
    return std::nullopt;
}

QList<MediaKind> kindsWithFields()
{
    return { MediaKind::song, MediaKind::musicVideo, MediaKind::ringtone, MediaKind::podcast, MediaKind::tvEpisode,
        MediaKind::featureMovie };
}

} // namespace tarnik::EditableCell
