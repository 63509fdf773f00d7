#pragma once

#include <QString>
#include <QVariantMap>
#include <optional>

namespace tarnik {

class MediaMetadata;

// Everything the browser and the importer want to know about a media file, in
// one pass over its tags, as the dictionary form of Metadata (keys are the
// Metadata::Key raw texts or the tag items' common keys).
//
// The stages, in order: the common items (the last of each key wins; artwork
// only from ID3, iTunes or Vorbis pictures, the front cover first, else the
// first picture), the items of each tag format (a common-stage value is kept;
// within this stage the last one wins; the first artwork found wins; track
// numbers decoded; other keys through Common::id3KeyMap and
// Common::iTunesKeyMap, and for Vorbis comments, RIFF INFO and ID3v1 through
// a table of their own, one item filling every key that maps to it), a year
// written as a date cut to its year, the duration in milliseconds, the file
// name as title and artist when the tags give no title, and a credit line
// when there is no comment.
//
// Never fails: an unreadable or missing file only leaves keys out. Keeps no
// state; any thread; blocks while the file is read.
namespace MetadataReader {

// The dictionary of the file at `path` (its tags and its duration).
QVariantMap metadataDictionary(const QString &path);

// The same stages over tags and a duration (seconds) already read; `path`
// names the file for the file-name fallback.
QVariantMap metadataDictionary(const MediaMetadata &metadata, std::optional<double> duration, const QString &path);

// The comment given to files that have none: the app's name and the year.
QString creditLine();

} // namespace MetadataReader

} // namespace tarnik
