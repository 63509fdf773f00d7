#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <optional>

namespace tarnik::FileTypes {

// The file-type table "FileTypes.plist" of the app's resources: groups of lower-case extensions,
// each group with the name of its icon image. It gives a file without artwork or thumbnail its
// type icon, and drops a known extension from the titles the browser shows. It decides nothing
// else: an entry's kind comes from the listing.
//
// Every call answers from the table as its file is at that moment: the parsed table is reused only
// while the file is unchanged (same file, size and modification time), since parsing it costs more
// than the rest of a row's loading. A table that cannot be read gives every file the icon
// "unknown" and keeps every extension. Safe from any thread.
//
// The overloads without a table path use the app's table (Preferences::fileTypesPath()).

// The icon name for a path: that of the first group (in the table's order) whose "extensions"
// holds the path's lower-cased extension and whose "icon" is a non-empty text; "unknown" when
// none does, when the path has no extension or when the table cannot be read.
QString iconName(const QString &path);
QString iconName(const QString &path, const QString &tablePath);

// The icon image for a path, rendered at pixelSize: the image of iconName(), or the image
// "unknown" when the app has no image of that name. Null only when "unknown" is missing too.
QImage icon(const QString &path, int pixelSize = 128);
QImage icon(const QString &path, const QString &tablePath, int pixelSize);

// The PNG bytes of icon(); none when there is no image or the encoding fails.
std::optional<QByteArray> iconData(const QString &path, int pixelSize = 128);

// The path without its extension when the table lists the (lower-cased) extension; otherwise the
// path unchanged. Only the last extension goes: "My.Song.m4a" gives "My.Song".
QString deletingSupportedPathExtension(const QString &path);
QString deletingSupportedPathExtension(const QString &path, const QString &tablePath);

} // namespace tarnik::FileTypes
