#pragma once

#include <QString>

namespace tarnik::StandardFolders {

// The folders the phone platform gives an application, laid out on Linux.
// Every function creates its folder when it is missing and is safe from any thread.

// The app's documents folder: $XDG_DATA_HOME/tarnik/Documents.
QString documentsDirectory();

// The app's cache folder: $XDG_CACHE_HOME/tarnik. The temporary folder lives inside it.
QString cachesDirectory();

// The app-private temporary folder, $XDG_CACHE_HOME/tarnik/tmp/, with a trailing "/"
// as the platform's temporary-directory call gives it.
QString temporaryDirectory();

} // namespace tarnik::StandardFolders
