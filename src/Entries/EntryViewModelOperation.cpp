#include "Entries/EntryViewModelOperation.h"

#include "App/ImageExtension.h"
#include "App/MetadataReader.h"
#include "App/PathExtension.h"
#include "App/Preferences.h"
#include "Entries/Entry.h"
#include "Entries/EntryViewModel.h"
#include "Entries/FileTypes.h"
#include "Entries/ImageFile.h"
#include "Entries/MediaProbe.h"
#include "Import/Metadata.h"
#include "Platform/Dispatch.h"
#include "Platform/Media/MediaAsset.h"
#include "Platform/Media/MediaMetadata.h"

#include <QUrl>
#include <cmath>

namespace tarnik {

namespace {

// A picture that already has its fitted size (the type icons are drawn at it) needs no redraw.
bool fitsThumbnailBox(const QImage &picture)
{
    const QSize size = picture.deviceIndependentSize().toSize();
    return size.width() <= thumbnailSize.width() && size.height() <= thumbnailSize.height()
        && (size.width() == thumbnailSize.width() || size.height() == thumbnailSize.height());
}

// The picture at the largest size of its own ratio within the box, whole pixels rounded up as
// aspectFitted() gives them, scaled directly: a row picture is scaled once, without a painter.
QImage fittedToThumbnailBox(const QImage &picture)
{
    const QSizeF size = picture.deviceIndependentSize();
    if (picture.isNull() || !(size.width() > 0) || !(size.height() > 0))
        return picture;
    const QSizeF box(thumbnailSize);
    const double ratio = size.width() / size.height();
    QSizeF fitted = box;
    if (box.width() / box.height() < ratio)
        fitted = QSizeF(box.width(), box.width() / ratio);
    else if (box.width() / box.height() > ratio)
        fitted = QSizeF(ratio * box.height(), box.height());
    const QSize pixels(int(std::ceil(fitted.width())), int(std::ceil(fitted.height())));
    QImage scaled = picture.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    scaled.setDevicePixelRatio(1.0);
    return scaled;
}

std::optional<QString> textValue(const QVariantMap &record, const QString &key)
{
    const QVariant value = record.value(key);
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    return value.toString();
}

} // namespace

EntryViewModelOperation::EntryViewModelOperation(std::shared_ptr<EntryViewModel> viewModel)
    : m_viewModel(std::move(viewModel))
    , m_identifier(m_viewModel->identifier())
    , m_url(m_viewModel->url())
    , m_type(m_viewModel->type())
    , m_typeIsProvisional(m_viewModel->isTypeProvisional())
    , m_fileState(m_viewModel->fileState())
    , m_title(m_viewModel->title())
    , m_hasVideoTrack(m_viewModel->hasVideoTrack())
    , m_name(m_viewModel->name())
{
}

EntryViewModelOperation::~EntryViewModelOperation() = default;

void EntryViewModelOperation::main()
{
    if (isCancelled())
        return;
    Details details = load();
    if (details.picture && !fitsThumbnailBox(*details.picture))
        details.picture = fittedToThumbnailBox(*details.picture);
    // Cancelled while the file was read: the picture is still worth showing, nothing else is.
    if (m_loadedHandler) {
        m_loaded = std::move(details);
        m_loadedHandler();
        return;
    }
    auto self = std::static_pointer_cast<EntryViewModelOperation>(shared_from_this());
    Dispatch::main([self, details = std::move(details)] { self->commit(details); });
}

void EntryViewModelOperation::commitLoaded()
{
    commit(m_loaded);
}

EntryViewModelOperation::Details EntryViewModelOperation::load() const
{
    Details details;
    EntryType type = m_type;
    std::optional<bool> hasVideoTrack = m_hasVideoTrack;
    if (m_typeIsProvisional && m_type == EntryType::exportable) {
        // The file is read here anyway; the probe made for the version the listing found settles
        // what the row is.
        const MediaAsset asset = MediaProbe::of(m_url, m_fileState);
        type = asset.isExportable() ? EntryType::exportable : EntryType::regular;
        hasVideoTrack = type == EntryType::exportable ? std::optional<bool>(asset.hasVideoTrack()) : std::nullopt;
        details.settledType = type;
        details.hasVideoTrack = hasVideoTrack;
    }
    switch (type) {
    case EntryType::exportable: {
        const QUrl url = QUrl::fromLocalFile(m_url);
        if (const std::optional<QVariantMap> record = Preferences::downloaderMetadata(url)) {
            // The add-on's record stands in for the file's own tags: the file is not opened.
            details.title = textValue(*record, QStringLiteral("title"));
            details.artist = textValue(*record, QStringLiteral("artist"));
            const QVariant artworkUrl = record->value(QStringLiteral("artworkUrl"));
            if (artworkUrl.typeId() == QMetaType::QUrl && artworkUrl.toUrl().isLocalFile()) {
                const QImage picture = ImageFile::read(artworkUrl.toUrl().toLocalFile(), thumbnailSize);
                if (!picture.isNull())
                    details.picture = picture;
            }
            break;
        }
        // One read of the file's tags: the row shows no length, so FFmpeg is not asked for one,
        // and the cover is decoded straight at the size the row shows. Without a title tag the
        // row's own name gives it, which for a symbolic link is the link's name.
        const Metadata metadata = Metadata::fromDictionary(
            MetadataReader::metadataDictionary(MediaMetadata::read(m_url), std::nullopt, m_name));
        details.title = metadata.title;
        details.artist = metadata.artist;
        std::optional<QImage> still;
        if (!metadata.artwork && hasVideoTrack.value_or(true) && Preferences::showVideoThumbnail()) {
            const MediaAsset asset = MediaProbe::of(m_url, m_fileState);
            if (asset.hasVideoTrack())
                still = asset.videoThumbnail();
        }
        if (metadata.artwork) {
            const QImage picture = ImageFile::decode(*metadata.artwork, thumbnailSize);
            if (!picture.isNull())
                details.picture = picture;
        } else if (still && !still->isNull()) {
            details.picture = *still;
        } else {
            const QImage icon = FileTypes::icon(m_url, thumbnailSize.width());
            if (!icon.isNull())
                details.picture = icon;
            details.usesIconImage = true;
        }
        break;
    }
    case EntryType::image:
        if (Preferences::showImageThumbnail()) {
            const QImage picture = ImageFile::read(m_url, thumbnailSize);
            if (!picture.isNull())
                details.picture = picture;
        } else {
            const QImage icon = FileTypes::icon(m_url, thumbnailSize.width());
            if (!icon.isNull())
                details.picture = icon;
        }
        break;
    case EntryType::regular: {
        const QImage icon = FileTypes::icon(m_url, thumbnailSize.width());
        if (!icon.isNull())
            details.picture = icon;
        break;
    }
    case EntryType::directory:
        break;
    }

    if (type != EntryType::directory) {
        details.setsTexts = true;
        details.titleWithoutExtension = FileTypes::deletingSupportedPathExtension(details.title.value_or(m_title));
        details.extensionString = PathExtension(m_url).pathExtension().toUpper();
    }
    return details;
}

void EntryViewModelOperation::commit(const Details &details)
{
    if (details.settledType)
        m_viewModel->settleType(*details.settledType, details.hasVideoTrack);
    if (details.picture)
        m_viewModel->setImage(*details.picture);
    if (details.usesIconImage)
        m_viewModel->setIsUsingIconImage(true);
    if (isCancelled())
        return;
    if (details.setsTexts) {
        m_viewModel->setTitle(details.titleWithoutExtension);
        if (details.artist)
            m_viewModel->setArtist(details.artist);
        m_viewModel->setExtensionString(details.extensionString);
    }
    m_viewModel->setState(UpdateState::updated);
    if (m_completionHandler)
        m_completionHandler(m_viewModel);
}

} // namespace tarnik
