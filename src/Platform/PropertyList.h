#pragma once

#include <QByteArray>
#include <QMetaType>
#include <QString>
#include <QVariant>
#include <QVariantMap>
#include <optional>

namespace tarnik::PropertyList {

// Property lists on Linux, read and written through libplist.
//
// Values travel as QVariant, each property-list type as its own Qt type:
//   dictionary  QVariantMap (QVariantHash is accepted when writing)
//   array       QVariantList (QStringList is accepted when writing)
//   string      QString
//   integer     qint64; quint64 only for values above the signed 64-bit range
//   real        double (float is accepted when writing)
//   Boolean     bool
//   data        QByteArray
//   date        QDateTime in UTC (XML files keep whole seconds, as the format does)
//   UID         PropertyList::Uid (keyed-archive references; binary keeps the type, XML has
//               no UID element and writes the conventional {"CF$UID": integer} dictionary)
// Any other QVariant type, a null QVariant among them, cannot be written: the write fails.
//
// Every function is reentrant and safe from any thread. Reads accept XML and binary
// property lists; writes produce XML.

struct Uid
{
    quint64 value = 0;
    friend bool operator==(const Uid &, const Uid &) = default;
};

enum class Format { Xml, Binary };

// Containers nested deeper than this are refused instead of risking the stack on hostile files.
constexpr int kMaximumDepth = 512;

// Parses XML or binary property-list bytes; no value when they are not a whole property list,
// nest containers deeper than maximumDepth (at most kMaximumDepth) or, for binary lists whose
// objects are shared, would expand into an enormous tree. The bytes are checked in linear time
// before any tree is built.
std::optional<QVariant> fromBytes(const QByteArray &bytes, int maximumDepth = kMaximumDepth);

// Encodes a value; no value when it holds a type that has no property-list form.
std::optional<QByteArray> toBytes(const QVariant &value, Format format = Format::Xml);

// The largest file read() takes unless told otherwise: settings and records files are far
// smaller, and anything larger is refused before it is read into memory.
constexpr qint64 kDefaultMaximumFileBytes = 64 * 1024 * 1024;

// Reads the regular file at path (following symbolic links); no value when it is missing,
// not a regular file (files on kernel pseudo file systems such as "/proc" are not),
// unreadable, longer than maximumBytes or not a property list. At most maximumBytes + 1
// bytes are read, whatever size the file claims.
std::optional<QVariant> read(const QString &path, qint64 maximumBytes = kDefaultMaximumFileBytes);

// As read(), and the root must be a dictionary.
std::optional<QVariantMap> readDictionary(const QString &path, qint64 maximumBytes = kDefaultMaximumFileBytes);

// Writes value as an XML property list, atomically: the bytes go to a temporary file in
// the same folder, which replaces the old file only once it is complete and flushed, so a
// reader (or a crash) never sees a partial file. The folder must exist. False when the
// value cannot be encoded or the file cannot be written; the old file is then untouched.
bool write(const QString &path, const QVariant &value);

} // namespace tarnik::PropertyList

Q_DECLARE_METATYPE(tarnik::PropertyList::Uid)
