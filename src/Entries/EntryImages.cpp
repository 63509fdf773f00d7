#include "Entries/EntryImages.h"

#include "Platform/Bundle.h"

#include <QFileInfo>
#include <QHash>
#include <QPainter>
#include <QSvgRenderer>
#include <mutex>

namespace tarnik::EntryImages {

namespace {

bool isPlainName(const QString &name)
{
    // A name is one file name without folders, so it never reaches outside the images folder.
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && name != QLatin1String(".")
        && name != QLatin1String("..") && !name.contains(QChar(0));
}

struct RenderCache
{
    std::mutex mutex;
    QHash<QString, QImage> images;
};

RenderCache &renderCache()
{
    static RenderCache cache;
    return cache;
}

} // namespace

QString path(const QString &name)
{
    if (!isPlainName(name))
        return {};
    for (const QString &type : { QStringLiteral("svg"), QStringLiteral("png") }) {
        const std::optional<QString> found = Bundle::main().pathForResource(name, type, QStringLiteral("images"));
        if (found && QFileInfo(*found).isFile())
            return *found;
    }
    return {};
}

QImage named(const QString &name, int pixelSize)
{
    if (pixelSize <= 0 || pixelSize > 4096)
        return {};
    const QString key = name + QLatin1Char('@') + QString::number(pixelSize);
    RenderCache &cache = renderCache();
    {
        std::lock_guard lock(cache.mutex);
        const auto found = cache.images.constFind(key);
        if (found != cache.images.constEnd())
            return *found;
    }
    const QString file = path(name);
    QImage image;
    if (file.endsWith(QLatin1String(".svg"))) {
        QSvgRenderer renderer(file);
        if (renderer.isValid()) {
            image = QImage(pixelSize, pixelSize, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            renderer.render(&painter, QRectF(0, 0, pixelSize, pixelSize));
        }
    } else if (!file.isEmpty()) {
        image = QImage(file);
        if (!image.isNull())
            image = image.scaled(pixelSize, pixelSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    std::lock_guard lock(cache.mutex);
    cache.images.insert(key, image);
    return image;
}

} // namespace tarnik::EntryImages
