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

struct Entry::Details
{
    std::optional<QString> destination;
    std::optional<Texts> texts;
    QImage image;
    std::optional<QByteArray> artwork;
    std::unique_ptr<Metadata> metadata;
    std::optional<FileState> fileState;
};

Entry::Entry(const QString &path, const QString &name, EntryType type, IndexPath indexPath,
    const std::optional<QString> &listedPath)
    : m_base(listedPath.value_or(path))
    , m_name(name)
    , m_indexPath(indexPath)
    , m_type(quint8(type))
{
    if (listedPath && *listedPath != path)
        details().destination = path;
}

Entry::Entry(InFolder folder, const QString &name, EntryType type, IndexPath indexPath,
    const std::optional<QString> &destination)
    : m_base(folder.folder)
    , m_name(name)
    , m_indexPath(indexPath)
    , m_type(quint8(type))
    , m_baseIsFolder(true)
{
    if (destination)
        details().destination = destination;
}

Entry::~Entry() = default;

Entry::Details &Entry::details()
{
    if (!m_details)
        m_details = std::make_unique<Details>();
    return *m_details;
}

Entry::Texts &Entry::texts()
{
    Details &d = details();
    if (!d.texts) {
        const PathExtension::ArtistAndTitle split = PathExtension::artistAndTitle(m_name);
        // Most names are their own title: the title then shares the name's text.
        d.texts = Texts { split.title == m_name ? m_name : split.title, split.artist, QString(), _currentYear() };
    }
    return *d.texts;
}

QString Entry::listedPath() const
{
    return m_baseIsFolder ? m_base + QLatin1Char('/') + m_name : m_base;
}

QString Entry::path() const
{
    if (m_details && m_details->destination)
        return *m_details->destination;
    return listedPath();
}

QString Entry::identifier() const
{
    return PathExtension(listedPath()).identifier();
}

QString Entry::title() const
{
    if (m_details && m_details->texts)
        return m_details->texts->title;
    const PathExtension::ArtistAndTitle split = PathExtension::artistAndTitle(m_name);
    return split.title == m_name ? m_name : split.title;
}

std::optional<QString> Entry::artist() const
{
    if (m_details && m_details->texts)
        return m_details->texts->artist;
    return PathExtension::artistAndTitle(m_name).artist;
}

QString Entry::genre() const
{
    if (m_details && m_details->texts)
        return m_details->texts->genre;
    return QString();
}

qint64 Entry::year() const
{
    if (m_details && m_details->texts)
        return m_details->texts->year;
    return _currentYear();
}

const QImage &Entry::image() const
{
    static const QImage none;
    return m_details ? m_details->image : none;
}

const std::optional<QByteArray> &Entry::artwork() const
{
    static const std::optional<QByteArray> none;
    return m_details ? m_details->artwork : none;
}

const std::optional<FileState> &Entry::fileState() const
{
    static const std::optional<FileState> none;
    return m_details ? m_details->fileState : none;
}

void Entry::setImage(const QImage &image)
{
    details().image = image;
}

void Entry::setArtwork(const std::optional<QByteArray> &artwork)
{
    Details &d = details();
    d.artwork = artwork;
    if (artwork)
        d.image = QImage::fromData(*artwork);
}

std::optional<Metadata> Entry::metadata() const
{
    if (!m_details || !m_details->metadata)
        return std::nullopt;
    return *m_details->metadata;
}

void Entry::setMetadata(const std::optional<Metadata> &metadata)
{
    if (!metadata && !m_details)
        return;
    details().metadata = metadata ? std::make_unique<Metadata>(*metadata) : nullptr;
}

QUrl Entry::url() const
{
    return QUrl::fromLocalFile(path());
}

bool Entry::isAudio() const
{
    return MediaProbe::of(path()).hasAudioTrack();
}

bool Entry::isVideo() const
{
    return MediaProbe::of(path()).hasVideoTrack();
}

bool Entry::isAudioFileReadable() const
{
    return MediaProbe::of(path()).isReadableAudioFile();
}

void Entry::updateMetadata(const std::optional<QVariantMap> &trackInfo, const Completion &completion)
{
    if (type() != EntryType::exportable && type() != EntryType::image)
        return;
    if (state() == UpdateState::updating)
        return;
    // One stat per request: what was loaded counts only for the file it was loaded from, so a file
    // retagged, rewritten or replaced under the same name is read again.
    const QString path = this->path();
    const std::optional<FileState> now = FileState::of(path);
    if (m_typeIsProvisional) {
        settleType(MediaProbe::of(path, now).isExportable() ? EntryType::exportable : EntryType::regular);
        if (type() != EntryType::exportable)
            return;
    }
    const std::shared_ptr<Entry> self = shared_from_this();
    if (state() == UpdateState::updated) {
        // A file that is gone has nothing newer to show; the values loaded stay.
        if (now && !isSameFileState(fileState(), now))
            load(trackInfo, now);
        if (completion)
            completion(self);
        return;
    }
    // A cached entry counts only when it was made for this very path (identifiers of long paths
    // are cut and can collide) and from the file as it is now.
    if (std::shared_ptr<Entry> cached = metadataCache().object(identifier());
        cached && cached->path() == path && isSameFileState(cached->fileState(), now)) {
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
    Details &d = details();
    if (state() == UpdateState::updated) {
        d.texts.reset();
        d.image = QImage();
        d.artwork.reset();
        d.metadata.reset();
    }
    // Taken before the read: a change while the file is read leaves an older state behind, so the
    // next request reads it again rather than keeping a mix.
    d.fileState = fileState;
    setState(UpdateState::updating);
    if (type() == EntryType::image)
        loadImage();
    else
        loadMedia(trackInfo, fileState);
    setState(UpdateState::updated);
    metadataCache().setObject(identifier(), shared_from_this());
}

void Entry::loadImage()
{
    details().image = ImageFile::read(path());
}

void Entry::loadMedia(const std::optional<QVariantMap> &trackInfo, const std::optional<FileState> &fileState)
{
    const QString path = this->path();
    const MediaAsset asset = MediaProbe::of(path, fileState);
    Metadata metadata = Metadata::fromDictionary(
        MetadataReader::metadataDictionary(MediaMetadata::read(path), asset.duration(), path));

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
        setTitle(*metadata.title);
    if (metadata.artist)
        setArtist(*metadata.artist);
    if (metadata.genre)
        setGenre(*metadata.genre);
    if (metadata.year)
        setYear(*metadata.year);

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
