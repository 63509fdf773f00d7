#pragma once

#include "Import/MediaKind.h"

#include <QHash>
#include <QList>
#include <QString>
#include <array>
#include <optional>

namespace tarnik {

// The twelve metadata fields the import editor edits; the raw value of each
// is its key in the metadata dictionary.
enum class EditableCellIdentifier {
    trackNumber,
    title,
    artist,
    albumName,
    genre,
    year,
    podcastName,
    podcastUrl,
    episodeNumber,
    seriesName,
    seasonNumber,
    extendedTitle,
};

namespace EditableCell {

// The keyboard a field asks for (the toolkit's keyboard type values).
enum class KeyboardType { defaultType = 0, numbersAndPunctuation = 2 };

const std::array<EditableCellIdentifier, 12> &allCases();
QString label(EditableCellIdentifier field);
QString placeholder(EditableCellIdentifier field);
KeyboardType keyboardType(EditableCellIdentifier field);
QString rawValue(EditableCellIdentifier field);
std::optional<EditableCellIdentifier> fromRawValue(const QString &rawValue);
// The fields the editor shows for a kind, in order; none for tone and video
// podcast.
std::optional<QList<EditableCellIdentifier>> fields(MediaKind kind);
// The kinds that have fields, in the table's order.
QList<MediaKind> kindsWithFields();

} // namespace EditableCell

} // namespace tarnik
