#pragma once

#include "Platform/Media/ExportSession.h"

#include <QList>
#include <QString>

namespace tarnik {

// Writes iTunes atoms into a file of the MPEG-4 family (".mp4", ".m4v",
// ".mov", ".m4a"), the containers that carry them, in place. Items as the
// export session takes them: an atom name ("@nam" for "©nam", "trkn",
// "covr", …) and a text, number or bytes value.
//
// Blocks while the file is rewritten; any thread.
namespace Mp4TagWriter {

// Whether the file at `path` is one the writer can tag (by content, not name).
bool canTag(const QString &path);

enum class Result {
    Written,
    NotTaggable, // no MP4 file (or no regular file)
    NotSaved,
};

// Sets the items (an atom of the same name is replaced). An item whose name is
// not four characters or whose value does not fit its atom is skipped.
Result writeItems(const QString &path, const QList<ExportSession::MetadataItem> &items);

// As writeItems(); false when the file is no MP4 file or could not be saved.
bool write(const QString &path, const QList<ExportSession::MetadataItem> &items);

} // namespace Mp4TagWriter

} // namespace tarnik
