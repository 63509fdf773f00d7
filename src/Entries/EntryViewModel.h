#pragma once

#include "Entries/EntryType.h"
#include "Entries/FileState.h"
#include "Entries/ObjectCache.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace tarnik {

class Entry;
class PersistentCacher;

// What one row of the file browser shows for an Entry: texts, the type icon or artwork, the
// accessory image and whether the row's details have been loaded.
//
// Shared (std::shared_ptr<EntryViewModel>). A listing makes a row's view model on the GUI thread
// when the row is first served; from then on it is read and written on the GUI thread only:
// the row loading operation computes a row's details on its own thread and commits them here on
// the GUI thread. A row whose details are loaded (state updated) enters viewModelCache() and,
// when the setting usePersistentCache is on, is written as JSON to a file named by its
// identifier in the temporary folder, from which a later listing reads it back.
class EntryViewModel : public std::enable_shared_from_this<EntryViewModel>
{
public:
    // A new row for the entry: its name as title, its type's icon and accessory. The icon of an
    // exportable entry depends on whether its file has a video track; hasVideoTrack saves asking
    // the file again when the caller already knows. The row belongs to its file as fileState
    // finds it (a listing passes the stat it made); without one the file is stat'ed here.
    explicit EntryViewModel(const Entry &entry, std::optional<bool> hasVideoTrack = std::nullopt,
        std::optional<std::optional<FileState>> fileState = std::nullopt);
    EntryViewModel() = delete;
    ~EntryViewModel();
    EntryViewModel(const EntryViewModel &) = delete;
    EntryViewModel &operator=(const EntryViewModel &) = delete;

    // The encoded form: a JSON object with "identifier", "url", "type", "state", "title",
    // "artist", "extensionString", "imageData" (the image as JPEG at quality 70, Base64 text;
    // null without an image) and "fileState" (see FileState; null when unknown).
    QByteArray encode() const;
    // A view model from its encoded form; none when a required key ("identifier", "url", "type",
    // "state", "title", "imageData") is missing, null or of the wrong kind, or a raw value is out
    // of range. Its accessory image is none and isUsingIconImage false. A form without a readable
    // "fileState" (one written by an older version) decodes with none, and so is never fresh.
    static std::shared_ptr<EntryViewModel> decode(const QByteArray &json);

    const QString &identifier() const { return m_identifier; }
    // The file's absolute path (a path, not a URL text).
    const QString &url() const { return m_url; }
    EntryType type() const { return m_type; }
    // The type is the listing's quick answer, not yet the probe's (see Entry::isTypeProvisional).
    bool isTypeProvisional() const { return m_typeIsProvisional; }
    // The probe's answer replaces the quick one: the row takes the look of its type (the icon of a
    // row not loaded yet, the accessory) and, for an exportable row, whether it has a video track.
    void settleType(EntryType type, std::optional<bool> hasVideoTrack);

    UpdateState state() const { return m_state; }
    // Setting updated (again or for the first time) puts the row in viewModelCache() and then
    // persists it; other values only store the state.
    void setState(UpdateState state);

    const QString &title() const { return m_title; }
    void setTitle(const QString &title) { m_title = title; }
    const std::optional<QString> &artist() const { return m_artist; }
    void setArtist(const std::optional<QString> &artist) { m_artist = artist; }
    // The extension badge text.
    const std::optional<QString> &extensionString() const { return m_extensionString; }
    void setExtensionString(const std::optional<QString> &text) { m_extensionString = text; }
    // A null image when the row has none.
    const QImage &accessoryImage() const { return m_accessoryImage; }
    void setAccessoryImage(const QImage &image) { m_accessoryImage = image; }
    const QImage &image() const { return m_image; }
    void setImage(const QImage &image) { m_image = image; }
    // image() is a type icon rather than artwork or a thumbnail.
    bool isUsingIconImage() const { return m_isUsingIconImage; }
    void setIsUsingIconImage(bool value) { m_isUsingIconImage = value; }
    // The name the row was listed under (a symbolic link's own name, not its destination's).
    const QString &name() const { return m_name; }
    // Whether the file of an exportable row has a video track, as the listing found it; none
    // when nobody asked the file (a decoded copy, a row of another type).
    std::optional<bool> hasVideoTrack() const { return m_hasVideoTrack; }
    // The state of the file when this row was made: the loaded details belong to it. A cached row
    // stands for a listed one only when both have the same state (isFreshFor()).
    const std::optional<FileState> &fileState() const { return m_fileState; }
    // This (cached) row shows the same file, in the same version, as the listed row.
    bool isFreshFor(const EntryViewModel &listed) const
    {
        return m_url == listed.m_url && isSameFileState(m_fileState, listed.m_fileState);
    }

    // Stores this row in viewModelCache() when its state is updated.
    void cacheInMemory();
    // Writes this row's file when usePersistentCache is on, the row is no folder and its state is
    // updated. The JSON is taken now, on the calling thread; the write runs on the disk cache's
    // queue.
    void persist();
    // usePersistentCache is on and this row's cache file is readable. Asks the file system every
    // time.
    bool isCached() const;
    // The file of this row's saved copy: the temporary folder joined with the identifier.
    QString persistentCachePath() const;

    using LoadCompletion = std::function<void(const std::shared_ptr<EntryViewModel> &)>;
    // When isCached(): reads the saved copy on the disk cache's queue and calls completion there
    // with the decoded copy (a new object, given this row's accessory image, put in
    // viewModelCache() when its state is updated), as long as this row still exists. A copy that
    // cannot be read or decoded, whose stored path is not this row's (identifiers of long paths
    // can collide) or that was made from another version of the file (isFreshFor()), gives
    // completion a null pointer, so the caller can load the row instead, which rewrites the file.
    // Without isCached() nothing happens and completion is not called.
    void loadFromPersistentCache(LoadCompletion completion);

private:
    struct Decoded;
    explicit EntryViewModel(Decoded &&decoded);
    // The icon and accessory of the row's type.
    void applyTypeLook();
    PersistentCacher &cacher();

    QString m_identifier;
    QString m_url;
    EntryType m_type = EntryType::regular;
    bool m_typeIsProvisional = false;
    UpdateState m_state = UpdateState::new_;
    QString m_title;
    std::optional<QString> m_artist;
    std::optional<QString> m_extensionString;
    QImage m_accessoryImage;
    QImage m_image;
    bool m_isUsingIconImage = false;
    std::optional<bool> m_hasVideoTrack;
    std::optional<FileState> m_fileState;
    QString m_name;
    // Made on first use: most rows never touch the disk cache.
    std::shared_ptr<PersistentCacher> m_persistentCacher;
};

// Process-wide: rows whose details are loaded, by identifier. The listing prefers a cached row
// to its own; the settings screen empties it when a thumbnail setting changes. Bounded by a count
// of rows: the rows used least recently are dropped first (and load again when shown again).
// Every row's picture is fitted into thumbnailSize, so a row costs at most one thumbnail.
ObjectCache<EntryViewModel> &viewModelCache();
// How many screens of rows the cache keeps, and how many rows it keeps at least (a few pages of
// the listing, so a folder of several hundred files keeps what was scrolled past).
inline constexpr int kViewModelCacheScreens = 10;
inline constexpr qsizetype kViewModelCacheMinimumRows = 600;
// Sizes viewModelCache() for a browser that shows visibleRows rows at once: that many screens of
// rows, at least kViewModelCacheMinimumRows. The browser calls it when its layout changes.
void fitViewModelCacheToScreen(int visibleRows);

} // namespace tarnik
