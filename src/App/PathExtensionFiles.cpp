// The questions PathExtension asks of the file behind its path.
#include "App/Globals.h"
#include "App/ImageExtension.h"
#include "App/PathExtension.h"
#include "Platform/Media/MediaAsset.h"

#include <QFileInfo>
#include <QMimeDatabase>

namespace tarnik {

bool PathExtension::isDirectory() const
{
    if (path.isEmpty())
        return false;
    // QFileInfo stats the path (following links); it never opens it.
    return QFileInfo(path).isDir();
}

bool PathExtension::isExportable() const
{
    return MediaAsset(path).isExportable();
}

bool PathExtension::hasAudioTrack() const
{
    return MediaAsset(path).hasAudioTrack();
}

bool PathExtension::hasVideoTrack() const
{
    return MediaAsset(path).hasVideoTrack();
}

bool PathExtension::isReadableAudioFile() const
{
    return MediaAsset(path).isReadableAudioFile();
}

std::optional<QString> PathExtension::typeIdentifier() const
{
    const QString extension = pathExtension();
    if (extension.isEmpty())
        return std::nullopt;
    // Ask by a bare name carrying only the extension, so that the rest of the
    // file name cannot pick a type ("Makefile.txt" is text, not a makefile).
    const QMimeType type
        = QMimeDatabase().mimeTypeForFile(QStringLiteral("x.") + extension, QMimeDatabase::MatchExtension);
    if (!type.isValid() || type.isDefault())
        return std::nullopt;
    return type.name();
}

bool PathExtension::isImage() const
{
    const std::optional<QString> identifier = typeIdentifier();
    if (!identifier)
        return false;
    const QMimeType type = QMimeDatabase().mimeTypeForName(*identifier);
    if (type.name().startsWith(QLatin1String("image/")))
        return true;
    const QStringList ancestors = type.allAncestors();
    return std::any_of(ancestors.begin(), ancestors.end(),
        [](const QString &name) { return name.startsWith(QLatin1String("image/")); });
}

std::optional<QImage> PathExtension::videoThumbnail() const
{
    return MediaAsset(path).videoThumbnail();
}

std::optional<QByteArray> PathExtension::videoThumbnailData() const
{
    const std::optional<QImage> image = videoThumbnail();
    if (!image)
        return std::nullopt;
    return jpegData(*image, 0.6);
}

std::optional<QByteArray> PathExtension::extractArtworkFromVideo() const
{
    std::optional<QByteArray> data = videoThumbnailData();
    if (!data)
        _print(QStringLiteral("Failed to extract artwork from video at ") + path
            + QStringLiteral(".\nError: no frame could be decoded"));
    return data;
}

} // namespace tarnik
