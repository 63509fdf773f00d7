#pragma once

#include "Entries/EntryType.h"
#include "Entries/FileState.h"
#include "Entries/ObjectCache.h"
#include "Platform/IndexPath.h"

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>
#include <QUrl>
#include <QVariantMap>
#include <functional>
#include <memory>
#include <optional>

namespace tarnik {

class Metadata;

// One item of the file system as the browser sees it: a folder, an exportable media file, an
// image or any other file.
//
// Entries are shared (std::shared_ptr<Entry>) and compared by identity: two entries for the same
// path share their identifier but are different objects, and a set of entries holds objects.
// The listing builds an entry off the GUI thread and hands it over once built; from then on it
// is read and written on the GUI thread only (the metadata update runs there).
class Entry : public std::enable_shared_from_this<Entry>
{
public:
    // Title and artist start from the name, split at " - " (see PathExtension::artistAndTitle);
    // the genre is empty and the year is the current year. The identifier comes from the path,
    // or from listedPath when given: a symbolic link's entry has its destination as path but is
    // identified by the link's own path, so that a link and its destination listed in the same
    // folder are two rows, each loaded and cached on its own.
    Entry(const QString &path, const QString &name, EntryType type, IndexPath indexPath,
        const std::optional<QString> &listedPath = std::nullopt);
    // An entry of a folder's listing: its listed path is folder + "/" + name, and destination,
    // when given, is a symbolic link's destination (its path). A listing passes the same folder
    // text to every entry, so a large listing holds the folder once and each entry only its name.
    struct InFolder
    {
        const QString &folder;
    };
    Entry(InFolder folder, const QString &name, EntryType type, IndexPath indexPath,
        const std::optional<QString> &destination = std::nullopt);
    Entry() = delete;
    ~Entry();
    Entry(const Entry &) = delete;
    Entry &operator=(const Entry &) = delete;

    // Stable key of the entry (PathExtension::identifier of the listed path): names its cache
    // files and keys the in-memory caches. Made from the path on each call: a listing holds many
    // entries and asks few of them.
    QString identifier() const;
    QString path() const;
    // The path the item was listed under: a symbolic link's own path, else path().
    QString listedPath() const;
    // The item's name as listed, extension included.
    const QString &name() const { return m_name; }
    EntryType type() const { return EntryType(m_type); }
    // The type is the listing's quick answer from the file's name and first bytes (an exportable
    // audio file, see MediaSignature), not yet the probe's. The probe is made where the file is
    // loaded anyway (its row, its metadata) and settles the type; until then the type may still
    // turn out regular, for a damaged file that merely looks like audio.
    bool isTypeProvisional() const { return m_typeIsProvisional; }
    void setTypeIsProvisional(bool provisional) { m_typeIsProvisional = provisional; }
    // The probe's answer replaces the quick one.
    void settleType(EntryType type)
    {
        m_type = quint8(type);
        m_typeIsProvisional = false;
    }
    // The entry's row in its listing (section 0).
    IndexPath indexPath() const { return m_indexPath; }

    // What the listing found, for the row it makes when the row is shown: the state of the file
    // its stat saw (none when nothing was there or the entry was not listed), and whether the
    // file of an exportable entry has a video track (none when nobody asked the file).
    std::optional<FileState> listedFileState() const
    {
        return m_hasListedFileState ? std::optional<FileState>(m_listedFileState) : std::nullopt;
    }
    void setListedFileState(const std::optional<FileState> &state)
    {
        m_hasListedFileState = state.has_value();
        m_listedFileState = state.value_or(FileState {});
    }
    std::optional<bool> listedHasVideoTrack() const { return m_listedHasVideoTrack; }
    void setListedHasVideoTrack(std::optional<bool> hasVideoTrack) { m_listedHasVideoTrack = hasVideoTrack; }

    UpdateState state() const { return UpdateState(m_state); }
    void setState(UpdateState state) { m_state = quint8(state); }
    QString title() const;
    void setTitle(const QString &title) { texts().title = title; }
    std::optional<QString> artist() const;
    void setArtist(const std::optional<QString> &artist) { texts().artist = artist; }
    QString genre() const;
    void setGenre(const QString &genre) { texts().genre = genre; }
    qint64 year() const;
    void setYear(qint64 year) { texts().year = year; }
    // Artwork or picture of the file; a null image when there is none.
    const QImage &image() const;
    void setImage(const QImage &image);
    // Encoded artwork bytes. Setting present bytes also sets image() to their decoded picture
    // (a null image when they are no readable image); setting none leaves image() as it is.
    const std::optional<QByteArray> &artwork() const;
    void setArtwork(const std::optional<QByteArray> &artwork);
    // The full metadata record once loaded.
    std::optional<Metadata> metadata() const;
    void setMetadata(const std::optional<Metadata> &metadata);

    QUrl url() const;
    bool isDirectory() const { return type() == EntryType::directory; }
    bool isExportable() const { return type() == EntryType::exportable; }
    bool isImage() const { return type() == EntryType::image; }
    // These three ask the file's probe (MediaProbe): one stat, and FFmpeg only for a version of
    // the file not probed before.
    bool isAudio() const;
    bool isVideo() const;
    // False marks a malformed audio file, which the browser offers to convert before importing.
    bool isAudioFileReadable() const;

    using Completion = std::function<void(const std::shared_ptr<Entry> &)>;

    // Loads the entry's metadata once for each version of its file, synchronously on the calling
    // thread (the GUI thread), and calls completion before it returns. The file is stat'ed once
    // per call (FileState); loaded values count only for the state they were made from:
    // - directories and regular files: nothing happens, completion is not called; a provisional
    //   type is settled by the file's probe first, so a file that proves no media is regular;
    // - while an update runs (updating): nothing, completion is not called;
    // - updated: completion with this entry at once, after loading it again in place when its
    //   file has changed since;
    // - new, and metadataCache() holds a finished entry for the same path made from the file as it
    //   is now: completion with that cached entry (possibly another object), this one stays new;
    // - new otherwise: the file's own tags, then the track record (trackInfo when given, else the
    //   downloader add-on's record of the file) over them, then a still frame or the placeholder
    //   as artwork; the entry ends updated, enters metadataCache() and goes to completion.
    void updateMetadata(const std::optional<QVariantMap> &trackInfo, const Completion &completion);
    void updateMetadata(const Completion &completion) { updateMetadata(std::nullopt, completion); }

    // The state of the file the loaded values were made from; none before a load, or when the
    // file could not be stat'ed then.
    const std::optional<FileState> &fileState() const;

private:
    // What most listed entries never need, made on first use: a link's destination, the loaded
    // texts, pictures and record.
    struct Details;
    struct Texts
    {
        QString title;
        std::optional<QString> artist;
        QString genre;
        qint64 year = 0;
    };
    Details &details();
    // The texts, made from the name on first use (title and artist split from it, no genre, the
    // current year).
    Texts &texts();

    void load(const std::optional<QVariantMap> &trackInfo, const std::optional<FileState> &fileState);
    void loadImage();
    void loadMedia(const std::optional<QVariantMap> &trackInfo, const std::optional<FileState> &fileState);

    // The listed path is m_base + "/" + m_name when m_baseIsFolder, else m_base itself.
    QString m_base;
    QString m_name;
    FileState m_listedFileState;
    std::unique_ptr<Details> m_details;
    IndexPath m_indexPath;
    // EntryType and UpdateState, a byte each: a listing holds an entry per file.
    quint8 m_type;
    quint8 m_state = quint8(UpdateState::new_);
    bool m_typeIsProvisional = false;
    bool m_baseIsFolder = false;
    bool m_hasListedFileState = false;
    std::optional<bool> m_listedHasVideoTrack;
};

// Process-wide: finished entries by identifier (the metadata update is the only writer).
// Bounded: the entries used least recently are dropped first and load again when asked for.
ObjectCache<Entry> &metadataCache();
inline constexpr qint64 kMetadataCacheCostLimit = qint64(48) * 1024 * 1024;
inline constexpr qsizetype kMetadataCacheCountLimit = 2000;

// The box that row thumbnails are fitted into, in pixels (images are made at scale 1).
inline constexpr QSize thumbnailSize { 128, 128 };

// The row look shared by the browser's cells. Images come from the app's image assets and are
// null when an asset is missing; they are rendered at thumbnailSize (ImageAssets renders other
// sizes from the same vector source).
double thumbnailCornerRadius();
QColor entryBorderColor();
QColor selectedCellColor();
QColor cellBackgroundColor();
QColor titleColor();
QColor dimmedTitleColor();
QImage placeholderImage();
QImage accessoryMoreImage();
QImage accessoryArrowImage();
QImage folderImage();
QImage genericFileImage();
QImage rasterImageIcon();
QImage videoIcon();
QImage audioIcon();

} // namespace tarnik
