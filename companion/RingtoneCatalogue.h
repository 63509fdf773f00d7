#pragma once

#include <QString>
#include <optional>

namespace tarnik {

// The system's ringtone catalogue, a property list whose "Ringtones"
// dictionary maps each ringtone's file name (in the catalogue's folder) to its
// entry: "Name", "GUID", "Total Time" (milliseconds) and "PID". The app's
// ringtone list reads it, renames and deletes entries; the companion adds them.
//
// Every change reads the whole file and writes it back atomically, keeping
// every other key of the root and of the entries as it was. A catalogue that
// exists but cannot be read as a dictionary (or whose "Ringtones" is no
// dictionary) is left alone and the change refused, so nobody's entries are
// lost. Changes within this process are serialised; safe from any thread.
class RingtoneCatalogue
{
public:
    explicit RingtoneCatalogue(QString path);

    const QString &path() const { return m_path; }

    // Adds (or replaces) the entry of `fileName` with a new GUID and PID.
    // False when the catalogue could not be read or written.
    bool addRingtone(const QString &fileName, const QString &name, qint64 totalTimeMilliseconds) const;

    // Puts the finished file `temporaryPath` (in the catalogue's folder) into
    // the catalogue under the first free name "<baseName>.<extension>",
    // "<baseName> 2.<extension>", … (no file, no entry has it) and returns
    // its path. The entry is saved before the file takes its name, so that a
    // crash at any point leaves the file and its entry, or neither once
    // finishPendingFiles() has run. No value when the catalogue cannot be
    // read or written or no name is free; the temporary file is then still
    // there, for the caller to remove.
    std::optional<QString> addRingtoneFile(const QString &temporaryPath, const QString &baseName,
        const QString &extension, const QString &name, qint64 totalTimeMilliseconds) const;

    // At start-up, before any import: moves each file that a crash left on its
    // way into place to its name when its entry was saved, and removes it
    // when not.
    void finishPendingFiles() const;

    // The prefix of a file on its way into place; the rest is its final name.
    static constexpr QLatin1StringView kPendingPrefix { ".saltrig-pending-" };

private:
    QString folder() const;

    QString m_path;
};

} // namespace tarnik
