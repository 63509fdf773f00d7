#pragma once

#include "Entries/Entry.h"
#include "Import/MediaKind.h"
#include "Import/Metadata.h"
#include "Platform/MediaTime.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QUrl>
#include <QVariantMap>
#include <array>
#include <functional>
#include <memory>
#include <optional>

namespace tarnik {

class PersistentCacher;
template<typename Value> struct PersistentCache;

// One media file queued for import into the media library: which file, as which
// kind, with which metadata, trim range and volume. The browser builds records
// from entries, the share actions and hand-overs from a path and metadata, and
// the import editor edits one in place; the import hand-off sends their JSON
// forms to the companion service, which does the actual work.
//
// A plain value: copies are independent and may live on different threads.
// Fields are read and written freely, without validation; whether a record can
// be sent shows only when it is encoded (data()).
class ImportItem
{
public:
    // Keys of the dictionary form, in declaration order. The user-edited flag
    // is "isDetailedImport" here and the trim range "timeRange".
    enum class Key { mediaKind, metadata, path, isUpdatedByUser, isSoundcloud, timeRange, volume };
    static QString rawValue(Key key);
    // Exact, case-sensitive match of the whole text; anything else is no key.
    static std::optional<Key> keyFromRawValue(const QString &rawValue);
    static const std::array<Key, 7> &allKeys();

    // Keys of the JSON form, in declaration order; each is its own name (so the
    // flag is "isUpdatedByUser" and the range "timeRangeDict" here).
    enum class CodingKey { mediaKind, path, metadata, isUpdatedByUser, isSoundcloud, volume, timeRangeDict };
    static QString stringValue(CodingKey key);
    static std::optional<CodingKey> codingKeyFromString(const QString &stringValue);
    static const std::array<CodingKey, 7> &allCodingKeys();

    // A record for a path; every other field starts at its default.
    ImportItem(MediaKind mediaKind, const QString &path, const std::optional<Metadata> &metadata = std::nullopt);
    // The same as a song.
    explicit ImportItem(const QString &path, const std::optional<Metadata> &metadata = std::nullopt);
    // A record for an entry: its path and a copy of the metadata it holds now
    // (none when it was never loaded); this never loads metadata.
    ImportItem(MediaKind mediaKind_, const Entry &entry)
        : ImportItem(mediaKind_, entry.path(), entry.metadata())
    {
    }

    MediaKind mediaKind = MediaKind::song;
    QString path;
    std::optional<Metadata> metadata;
    // The user edited the metadata in the import editor.
    bool isUpdatedByUser = false;
    // A track of the downloader add-on; passed on to the service unchanged.
    bool isSoundcloud = false;
    // A copy handed over by another program (the editor deletes it on cancel).
    // Memory only, like senderBundleIdentifier: neither is ever encoded.
    bool isOpenIn = false;
    std::optional<QString> senderBundleIdentifier;
    // Gain for the service to apply; 1.0 leaves the level as it is.
    float volume = 1.0f;
    // The trim range; the zero range when none was chosen.
    MediaTimeRange timeRange = MediaTimeRange::zero();

    // The JSON form: "mediaKind", "path", "volume", "metadata" (the Base64 text
    // of the metadata's own JSON document with the artwork left out, or of
    // "null" when there is none), "isUpdatedByUser", "isSoundcloud" and
    // "timeRangeDict" (the range's dictionary form). No value when the record
    // cannot be written whole: JSON has no non-finite numbers, and a record
    // with one in its volume or its metadata's duration is refused rather than
    // sent with a null or a key missing.
    std::optional<QJsonObject> jsonObject() const;
    // jsonObject() as compact JSON text.
    std::optional<QByteArray> data() const;

    // The dictionary form under the Key raw texts: the metadata's own dictionary
    // form (artwork included) when there is one, the range's dictionary form,
    // the volume as a float.
    QVariantMap dictionaryRepresentation() const;

    // The path's identifier (see PathExtension::identifier).
    QString identifier() const;
    // The file URL of the path.
    QUrl url() const;
    // The media questions of PathExtension about the file; each probes the file
    // on the calling thread.
    bool isExportable() const;
    bool hasAudioTrack() const;
    bool hasVideoTrack() const;

    // The record's cache file (named identifier(), in the temporary folder) is
    // there and readable.
    bool isPersisted() const;
    // Writes the JSON form to the cache file through the record's cacher and
    // returns at once; the completion runs on the cacher's queue with whether
    // the write succeeded (false also when the record cannot be encoded).
    void persistToDisk(std::function<void(bool)> completion);

private:
    struct CacherSlot;
    PersistentCacher &persistentCacher() const;

    // One per initialisation and shared by the copies; the cacher in it is made
    // on first use, so records that are never cached cost no queue.
    std::shared_ptr<CacherSlot> m_cacherSlot;
    std::shared_ptr<PersistentCache<ImportItem>> m_persistentCache;
};

} // namespace tarnik
