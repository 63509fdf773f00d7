#pragma once

#include <QString>
#include <optional>

namespace tarnik {

// How the companion names the files it puts into the media library: a name
// made from a title that can never leave its folder or hide, and a move into
// place that never replaces a file already there.
//
// Plain functions; safe from any thread.
namespace LibraryFileNames {

// A file name (without extension) from a title: path separators and control
// characters become "_", leading dots and blanks go, ".." cannot survive, and
// the result is at most 160 bytes of UTF-8. An empty result falls back to
// `fallback` made safe the same way, and then to "Untitled".
QString safeBaseName(const QString &title, const QString &fallback = QString());

// A file extension kept only when it is 1 to 8 ASCII letters or digits,
// lower-cased; otherwise empty.
QString safeExtension(const QString &extension);

// Gives the finished file `temporaryPath` (in `folder`) its final name
// "<baseName>.<extension>", or "<baseName> 2.<extension>", "<baseName> 3…"
// when that name is taken, without ever replacing an existing file: the
// rename refuses to replace (or, where the file system cannot, a hard link
// claims the name). Returns the final path, or no value
// when no name could be claimed (the temporary file is then left for the
// caller to remove).
std::optional<QString> moveIntoPlace(
    const QString &temporaryPath, const QString &folder, const QString &baseName, const QString &extension);

} // namespace LibraryFileNames

} // namespace tarnik
