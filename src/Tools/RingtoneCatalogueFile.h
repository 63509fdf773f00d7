#pragma once

#include "Platform/PropertyList.h"

#include <QString>
#include <QVariantMap>
#include <optional>

namespace tarnik {

// The system's ringtone catalogue as the ringtone list edits it: a property
// list whose "Ringtones" dictionary maps each ringtone's file name (in the
// catalogue's folder) to its entry, whose "Name" is the display name.
//
// A catalogue is read whole, changed in memory and written back whole,
// atomically and in the format it was read in (XML or binary), so every key
// and value type the list does not know survives. Files larger than
// kMaximumSize, and property lists nested deeper than kMaximumDepth, are not
// catalogues and read as unreadable: a hostile file cannot exhaust memory or
// the stack. Stateless; safe from any thread.
class RingtoneCatalogueFile
{
public:
    RingtoneCatalogueFile() = delete;

    static constexpr qint64 kMaximumSize = 16 * 1024 * 1024;
    static constexpr int kMaximumDepth = 64;
    static constexpr QLatin1StringView kRingtonesKey { "Ringtones" };
    static constexpr QLatin1StringView kNameKey { "Name" };

    struct Document
    {
        QVariantMap root;
        PropertyList::Format format = PropertyList::Format::Xml;
    };

    // The catalogue at `path`; no value when it is missing, too large, too
    // deep, not a property list or its root is not a dictionary.
    static std::optional<Document> read(const QString &path);
    // Replaces the file atomically with `document` in its format. False when
    // the value cannot be encoded or the file cannot be written; the old file
    // is then untouched.
    static bool write(const QString &path, const Document &document);

    // The "Ringtones" dictionary of a root, when it is one.
    static std::optional<QVariantMap> ringtones(const QVariantMap &root);
    // Whether a catalogue key may name a file of the catalogue's folder: not
    // empty, no "/" and no NUL, not "." or "..".
    static bool isPlainFileName(const QString &key);
};

} // namespace tarnik
