#include "Entries/Entry.h"

#include "App/Constants.h"
#include "App/Extensions.h"
#include "App/Globals.h"
#include "App/ImageExtension.h"
#include "App/MetadataReader.h"
#include "App/PathExtension.h"
#include "App/Preferences.h"
#include "Entries/EntryImages.h"
#include "Entries/ImageFile.h"
#include "Entries/MediaProbe.h"
#include "Import/Metadata.h"
#include "Platform/Media/MediaAsset.h"
#include "Platform/Media/MediaMetadata.h"
#include "Platform/Media/RegularFile.h"

#include <QDate>

namespace tarnik {

namespace {

// The whole content of a regular file; none for anything else, on a read error or when it
// is larger than any picture the app shows.
std::optional<QByteArray> readRegularFile(const QString &path)
{
    return RegularFile::readAll(path, ImageFile::kMaxBytes);
}

} // namespace

Entry::Entry(const QString &path, const QString &name, EntryType type, IndexPath indexPath,
    const std::optional<QString> &listedPath)
    : m_path(path)
    , m_name(name)
    , m_type(type)
    , m_indexPath(indexPath)
    , m_genre()
    , m_year(_currentYear())
{
    m_identifier = PathExtension(listedPath.value_or(path)).identifier();
    const PathExtension::ArtistAndTitle split = PathExtension::artistAndTitle(name);
    // Most names are their own title: the title then shares the name's text, so a large listing
    // holds one copy of it per row rather than two.
    m_title = split.title == name ? name : split.title;
    m_artist = split.artist;
}

Entry::~Entry() = default;

void Entry::setArtwork(const std::optional<QByteArray> &artwork)
{
    m_artwork = artwork;
    if (artwork)
        m_image = QImage::fromData(*artwork);
}

std::optional<Metadata> Entry::metadata() const
{
    if (!m_metadata)
        return std::nullopt;
    return *m_metadata;
}

void Entry::setMetadata(const std::optional<Metadata> &metadata)
{
    m_metadata = metadata ? std::make_unique<Metadata>(*metadata) : nullptr;
}

QUrl Entry::url() const
{
    return QUrl::fromLocalFile(m_path);
}

bool Entry::isAudio() const
{
    return MediaProbe::of(m_path).hasAudioTrack();
}

bool Entry::isVideo() const
{
    return MediaProbe::of(m_path).hasVideoTrack();
}

bool Entry::isAudioFileReadable() const
{
    return MediaProbe::of(m_path).isReadableAudioFile();
}

void Entry::updateMetadata(const std::optional<QVariantMap> &trackInfo, const Completion &completion)
{
    if (m_type != EntryType::exportable && m_type != EntryType::image)
        return;
    if (m_state == UpdateState::updating)
        return;
    // One stat per request: what was loaded counts only for the file it was loaded from, so a file
    // retagged, rewritten or replaced under the same name is read again.
    const std::optional<FileState> now = FileState::of(m_path);
    if (m_typeIsProvisional) {
        settleType(MediaProbe::of(m_path, now).isExportable() ? EntryType::exportable : EntryType::regular);
        if (m_type != EntryType::exportable)
            return;
    }
    const std::shared_ptr<Entry> self = shared_from_this();
    if (m_state == UpdateState::updated) {
        // A file that is gone has nothing newer to show; the values loaded stay.
        if (now && !isSameFileState(m_fileState, now))
            load(trackInfo, now);
        if (completion)
            completion(self);
        return;
    }
    // A cached entry counts only when it was made for this very path (identifiers of long paths
    // are cut and can collide) and from the file as it is now.
    if (std::shared_ptr<Entry> cached = metadataCache().object(m_identifier);
        cached && cached->path() == m_path && isSameFileState(cached->fileState(), now)) {
        if (completion)
            completion(cached);
        return;
    }
    load(trackInfo, now);
    if (completion)
        completion(self);
}

void Entry::load(const std::optional<QVariantMap> &trackInfo, const std::optional<FileState> &fileState)
{
    // A reload starts from what the name gives, as a fresh entry would: nothing of the file's
    // earlier version stays.
    if (m_state == UpdateState::updated) {
        const PathExtension::ArtistAndTitle split = PathExtension::artistAndTitle(m_name);
        m_title = split.title;
        m_artist = split.artist;
        m_genre.clear();
        m_year = _currentYear();
        m_image = QImage();
        m_artwork.reset();
        m_metadata.reset();
    }
    // Taken before the read: a change while the file is read leaves an older state behind, so the
    // next request reads it again rather than keeping a mix.
    m_fileState = fileState;
    m_state = UpdateState::updating;
    if (m_type == EntryType::image)
        loadImage();
    else
        loadMedia(trackInfo, fileState);
    m_state = UpdateState::updated;
    metadataCache().setObject(m_identifier, shared_from_this());
}

void Entry::loadImage()
{
    m_image = ImageFile::read(m_path);
}

void Entry::loadMedia(const std::optional<QVariantMap> &trackInfo, const std::optional<FileState> &fileState)
{
    const MediaAsset asset = MediaProbe::of(m_path, fileState);
    Metadata metadata = Metadata::fromDictionary(
        MetadataReader::metadataDictionary(MediaMetadata::read(m_path), asset.duration(), m_path));

    // A record handed in by the caller carries its artwork as a file path; the downloader add-on's
    // own record carries it as a URL.
    const bool recordFromCaller = trackInfo.has_value();
    const std::optional<QVariantMap> record = recordFromCaller ? trackInfo : Preferences::downloaderMetadata(url());
    if (record) {
        const auto text = [&](const QString &key) -> std::optional<QString> {
            const QVariant value = record->value(key);
            if (value.typeId() != QMetaType::QString)
                return std::nullopt;
            return value.toString();
        };
        if (auto title = text(QStringLiteral("title")))
            metadata.title = *title;
        if (auto artist = text(QStringLiteral("artist")))
            metadata.artist = *artist;
        if (auto genre = text(QStringLiteral("genre")))
            metadata.genre = *genre;
        const QVariant year = record->value(QStringLiteral("year"));
        switch (year.typeId()) {
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::UInt:
        case QMetaType::ULongLong:
            metadata.year = year.toLongLong();
            break;
        default:
            break;
        }
        if (recordFromCaller) {
            if (auto artworkPath = text(QStringLiteral("artworkPath"))) {
                if (auto bytes = readRegularFile(*artworkPath))
                    metadata.artwork = *bytes;
            }
        } else {
            const QVariant artworkUrl = record->value(QStringLiteral("artworkUrl"));
            if (artworkUrl.typeId() == QMetaType::QUrl && artworkUrl.toUrl().isLocalFile()) {
                if (auto bytes = readRegularFile(artworkUrl.toUrl().toLocalFile()))
                    metadata.artwork = *bytes;
            }
        }
    }

    if (metadata.title)
        m_title = *metadata.title;
    if (metadata.artist)
        m_artist = *metadata.artist;
    if (metadata.genre)
        m_genre = *metadata.genre;
    if (metadata.year)
        m_year = *metadata.year;

    if (metadata.artwork) {
        setArtwork(metadata.artwork);
    } else if (std::optional<QImage> still = asset.hasVideoTrack() ? asset.videoThumbnail() : std::nullopt;
               still && !still->isNull()) {
        const std::optional<QByteArray> bytes = jpegData(*still, 0.6);
        setArtwork(bytes);
        metadata.artwork = bytes;
    } else {
        // A placeholder that cannot be loaded or encoded leaves no artwork and the image as it was.
        const std::optional<QByteArray> bytes = pngData(placeholderImage());
        setArtwork(bytes);
        metadata.artwork = bytes;
    }
    setMetadata(metadata);
}

ObjectCache<Entry> &metadataCache()
{
    // An entry costs its picture, decoded and encoded (the record's artwork shares the bytes).
    static ObjectCache<Entry> cache(
        [](const Entry &entry) {
            return qint64(entry.image().sizeInBytes()) + (entry.artwork() ? entry.artwork()->size() : 0) + 1024;
        },
        kMetadataCacheCostLimit, kMetadataCacheCountLimit);
    return cache;
}

double thumbnailCornerRadius()
{
    return Device::isPad() ? 5.0 : 3.0;
}

QColor entryBorderColor()
{
    return colorWithHex(u"cfd5de");
}
QColor selectedCellColor()
{
    return colorWithHex(u"ebedef");
}
QColor cellBackgroundColor()
{
    return QColor(Qt::white);
}
QColor titleColor()
{
    return colorWithHex(u"343434");
}
QColor dimmedTitleColor()
{
    return colorWithHex(u"989898");
}

// The artwork placeholder is stored as a picture's bytes, so it is drawn at artwork size.
QImage placeholderImage()
{
    return EntryImages::named(QStringLiteral("placeholder"), 500);
}
QImage accessoryMoreImage()
{
    return EntryImages::named(QStringLiteral("accessoryMore"));
}
QImage accessoryArrowImage()
{
    return EntryImages::named(QStringLiteral("accessoryArrow"));
}
QImage folderImage()
{
    return EntryImages::named(QStringLiteral("folder"));
}
QImage genericFileImage()
{
    return EntryImages::named(QStringLiteral("unknown"));
}
QImage rasterImageIcon()
{
    return EntryImages::named(QStringLiteral("category-raster-image"));
}
QImage videoIcon()
{
    return EntryImages::named(QStringLiteral("category-video"));
}
QImage audioIcon()
{
    return EntryImages::named(QStringLiteral("category-audio"));
}

} // namespace tarnik
