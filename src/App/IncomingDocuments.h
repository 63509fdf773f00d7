#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace tarnik::IncomingDocuments {

// What the command line hands the app, turned into what the app delegate
// opens. A file (a path, relative to `workingDirectory`, or a file URL) is
// first copied into the inbox and the copy's file URL is answered, so nothing
// done to the document can reach the user's original; only regular files are
// copied. Any other "scheme:..." text is passed on as it is (the delegate
// decides). Nothing usable gives no value.
std::optional<QString> urlForArgument(const QString &argument, const QString &workingDirectory);

// Whether urlForArgument() copies a file for this argument (a path or a file
// URL), which takes as long as the file is large.
bool isFileArgument(const QString &argument);

// Copies a regular file into `inbox` under its own name (made unique with
// "-1", "-2", ... before the extension); the copy's path, or no value. The
// copy is a reflink where the file system offers one, else made inside the
// kernel; it gets its name only once whole, and a failed copy leaves nothing
// behind. Blocks for as long as the copy takes: call it off the GUI thread.
std::optional<QString> copyIntoInbox(const QString &path, const QString &inbox);

// Makes relative paths absolute against `workingDirectory`, leaving URLs
// alone, so the arguments mean the same to another instance.
QStringList absoluteArguments(const QStringList &arguments, const QString &workingDirectory);

} // namespace tarnik::IncomingDocuments
