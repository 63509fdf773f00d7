#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <optional>

namespace tarnik {

// The envelope of one import request to the companion service: who sends it
// (`bundleId`) and the artwork of every record, keyed by the record's path,
// since the records' own JSON never carries artwork. Lives for one import call.
// A plain value; safe on any thread.
class ImportObject
{
public:
    // Path -> encoded artwork bytes, no value for a record without artwork.
    using Artworks = QMap<QString, std::optional<QByteArray>>;

    // No artwork map: the JSON holds "bundleId" only.
    ImportObject();
    explicit ImportObject(const std::optional<Artworks> &artworks);

    // Common::bundleIdentifier() when the envelope was made.
    const QString &bundleId() const { return m_bundleId; }

    std::optional<Artworks> artworks;

    // The JSON form: "bundleId", and "artworks" when there is a map (each value
    // the Base64 text of the bytes, or null). The JSON writer cannot fail on
    // these values, so there is always a value; the optional keeps the
    // interface of the records'.
    std::optional<QByteArray> data() const;

private:
    QString m_bundleId;
};

// The text the browser shows while an import runs in the background: localised,
// made once on first use (safe from any thread).
const QString &backgroundImportMessage();

} // namespace tarnik
