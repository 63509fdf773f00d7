#pragma once

#include "Platform/Messaging/SaltrigProtocol.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace tarnik {

class AudioConverter;

// Puts one import record into the media library under a home folder, the way
// the companion service does it for the app:
//  - `song` and `podcast`: an M4A made by the audio converter, with the
//    record's metadata and artwork, trim range, volume and (when the
//    companion's setting is on and a range is set) fades, in
//    "Media/Library/Music" or "Media/Library/Podcasts";
//  - `ringtone` and `tone`: the same conversion into an ".m4r" file in
//    "Media/Purchases" and an entry in the ringtone catalogue there;
//  - the video kinds: the file copied into "Media/Library/Videos/<kind>",
//    tagged where the container takes tags.
// Names come from the title, made safe, and never replace a file: a number is
// added. Files appear under their final name only when complete.
//
// Only regular files that probe as exportable media are imported; anything
// else is refused before a byte is written. importRecord() blocks until the
// file is written; call it from a worker thread. One importer may serve one
// thread at a time.
class SaltrigImporter
{
public:
    struct Outcome
    {
        bool imported = false;
        QString destination; // the file written, when imported
        QString reason; // why not, for the log
    };

    SaltrigImporter(AudioConverter &converter, QString homeDirectory);

    Outcome importRecord(
        const SaltrigProtocol::DecodedImportRecord &record, const std::optional<QByteArray> &artwork) const;

    // The metadata dictionary (keyed by the metadata raw texts) of a record's
    // metadata JSON (keyed by the field names), with the artwork added.
    static std::optional<QVariantMap> metadataDictionary(
        const std::optional<QJsonObject> &json, const std::optional<QByteArray> &artwork);

    // Removes what imports cut short (a killed companion) left in the library
    // folders: only hidden temporary files of the names this importer and the
    // converter make, only in the folders imports write to. Call it once at
    // start, before any import runs.
    void removeStaleTemporaryFiles() const;

    QString musicFolder() const;
    QString podcastsFolder() const;
    QString purchasesFolder() const;
    QString ringtoneCataloguePath() const;
    QString videosFolder(const QString &kind) const;

private:
    Outcome importAudio(const SaltrigProtocol::DecodedImportRecord &record, const QVariantMap &metadata,
        const QString &folder, const QString &extension, bool isRingtone) const;
    Outcome importVideo(
        const SaltrigProtocol::DecodedImportRecord &record, const QVariantMap &metadata, const QString &folder) const;

    AudioConverter &m_converter;
    QString m_home;
};

} // namespace tarnik
