#pragma once

#include <QString>
#include <QVariantMap>
#include <optional>

namespace tarnik {

// The parsed dictionaries of the settings files (and the downloader add-on's records), kept in
// memory as long as the file on disk is unchanged. Each read asks the file system for the file's
// identity, size and change times (one stat, no read); the file is parsed again only when one of
// them differs, so writes by other processes (the companion, a reset that deletes the file, a
// file replaced by rename) are seen at the next read without parsing the file on every access.
//
// Process-wide and safe from any thread. Writers in this process call invalidate() after they
// replace a file, which the stat would also catch unless the change fell within one tick of the
// file system's clock.
class SettingsFileCache
{
public:
    SettingsFileCache() = delete;

    // The file's root dictionary, as PropertyList::readDictionary() gives it: none when the file
    // is missing, not a regular file, unreadable or not a dictionary property list.
    static std::optional<QVariantMap> dictionary(const QString &path);

    // Forgets what is kept of the file, so the next read parses it.
    static void invalidate(const QString &path);
};

} // namespace tarnik
