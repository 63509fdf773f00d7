#pragma once

#include <QString>
#include <optional>

namespace tarnik::PartialFiles {

// Files being written beside their final place (an export, a conversion) until they are complete
// and renamed over it. Each gets a hidden name no finished file has,
// ".<base>.tarnik-partial-<13 letters or digits>.<extension of the target>", and a record in the
// app's data folder naming it and the process that writes it. A process that is killed leaves
// both behind; removeLeftovers(), at the next start, removes exactly those files: recorded, still
// named so, regular files, written by a process that has ended. Nothing else is ever touched.
//
// Plain functions; safe from any thread and from several processes at once.

// Creates a new empty partial file in the folder of `target`, records it and returns its path; no
// value when the folder cannot be written. A target that is itself a partial file gives a sibling
// named after the same final file, not a longer name.
std::optional<QString> create(const QString &target);

// Forgets the partial file at `path` once it has been renamed into place or removed.
void release(const QString &path);

// Removes what ended processes left behind (see above) and their records; the count removed.
int removeLeftovers();

// Whether a file name has the form of a partial file's name.
bool isPartialName(const QString &fileName);

// The folder of the records (tests look into it).
QString recordsFolder();

} // namespace tarnik::PartialFiles
