#pragma once

#include <QString>

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

private:
    QString m_path;
};

} // namespace tarnik
