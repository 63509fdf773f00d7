#pragma once

#include <QHash>
#include <QString>

namespace tarnik {

// One listed entry of the ringtone catalogue: its key (the ringtone's file
// name in the purchases folder) and its display name. A value; assigning a
// name saves it into the catalogue at Preferences::ringtonesPlistPath().
class Ringtone
{
public:
    Ringtone(QString identifier, QString name);

    const QString &identifier() const { return m_identifier; }
    const QString &name() const { return m_name; }

    // Assigns the name, then saves it into the catalogue: nothing is written
    // for an empty name, or when the catalogue cannot be read, its
    // "Ringtones" is not a dictionary, is empty or has no entry for the
    // identifier. False when nothing was saved.
    bool setName(const QString &name);

    // The same into the catalogue at `path`.
    bool setName(const QString &name, const QString &cataloguePath);

    QString description() const;

    friend bool operator==(const Ringtone &, const Ringtone &) = default;

private:
    QString m_identifier;
    QString m_name;
};

inline size_t qHash(const Ringtone &ringtone, size_t seed = 0)
{
    return qHashMulti(seed, ringtone.identifier(), ringtone.name());
}

} // namespace tarnik
