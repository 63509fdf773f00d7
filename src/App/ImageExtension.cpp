#include "App/ImageExtension.h"

#include <QBuffer>
#include <QPainter>
#include <cmath>

namespace tarnik {

namespace {

QSizeF pointSize(const QImage &image)
{
    const double scale = image.devicePixelRatio() > 0 ? image.devicePixelRatio() : 1.0;
    return QSizeF(image.width() / scale, image.height() / scale);
}

// A transparent canvas of `size` points at scale 1, rounded up to whole pixels.
// A null image when the size is empty or absurdly large.
QImage canvas(const QSizeF &size)
{
    if (!(size.width() > 0) || !(size.height() > 0) || size.width() > 32768 || size.height() > 32768)
        return {};
    QImage image(int(std::ceil(size.width())), int(std::ceil(size.height())), QImage::Format_ARGB32_Premultiplied);
    if (!image.isNull())
        image.fill(Qt::transparent);
    return image;
}

// Paints the whole image into `rect` of a fresh canvas; the image itself when
// no canvas can be made.
QImage redraw(const QImage &image, const QSizeF &size, const QRectF &rect)
{
    QImage result = canvas(size);
    if (result.isNull())
        return image;
    QPainter painter(&result);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    QImage source = image;
    source.setDevicePixelRatio(1.0);
    painter.drawImage(rect, source);
    painter.end();
    return result;
}

bool isUsableRatio(double ratio)
{
    return std::isfinite(ratio) && ratio > 0;
}

} // namespace

QImage imageFromColor(const QColor &color)
{
    QImage image(1, 1, QImage::Format_ARGB32_Premultiplied);
    image.fill(color);
    return image;
}

QImage croppedToAspectRatio(const QImage &image, double ratio)
{
    const QSizeF size = pointSize(image);
    const double w = size.width();
    const double h = size.height();
    if (image.isNull() || !(w > 0) || !(h > 0) || !isUsableRatio(ratio))
        return image;
    if (h < w / ratio) {
        // Wider than the ratio: keep the height, cut the sides.
        const double width = h * ratio;
        return redraw(image, QSizeF(width, h), QRectF(-(w - width) / 2, 0, w, h));
    }
    if (w / ratio < h) {
        // Taller than the ratio: keep the width, cut top and bottom.
        const double height = w / ratio;
        return redraw(image, QSizeF(w, height), QRectF(0, -(h - height) / 2, w, h));
    }
    return image;
}

QImage aspectFitted(const QImage &image, const QSizeF &target)
{
    const QSizeF size = pointSize(image);
    // An empty image or box has no ratio to keep: nothing to divide by.
    if (image.isNull() || !(size.width() > 0) || !(size.height() > 0) || !(target.width() > 0)
        || !(target.height() > 0))
        return image;
    const double imageRatio = size.width() / size.height();
    const double targetRatio = target.width() / target.height();
    QSizeF fitted = target;
    if (targetRatio < imageRatio)
        fitted = QSizeF(target.width(), target.width() / imageRatio);
    else if (targetRatio > imageRatio)
        fitted = QSizeF(imageRatio * target.height(), target.height());
    return redraw(image, fitted, QRectF(QPointF(0, 0), fitted));
}

QImage artwork(const QImage &image, double ratio, double width, bool resized)
{
    const QImage cropped = croppedToAspectRatio(image, ratio);
    if (!resized || !isUsableRatio(ratio))
        return cropped;
    return aspectFitted(cropped, QSizeF(width, width / ratio));
}

std::optional<QByteArray> jpegData(const QImage &image, double quality)
{
    if (image.isNull() || !std::isfinite(quality))
        return std::nullopt;
    const int qtQuality = int(std::lround(std::clamp(quality, 0.0, 1.0) * 100.0));
    // JPEG has no alpha: what is transparent comes out black, as it does on the phone.
    const QImage opaque = image.convertToFormat(QImage::Format_RGB32);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!opaque.save(&buffer, "JPEG", qtQuality) || bytes.isEmpty())
        return std::nullopt;
    return bytes;
}

std::optional<QByteArray> pngData(const QImage &image)
{
    if (image.isNull())
        return std::nullopt;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG") || bytes.isEmpty())
        return std::nullopt;
    return bytes;
}

QByteArray artworkData(const QByteArray &data, double ratio, double width, bool resized)
{
    const QImage image = QImage::fromData(data);
    if (image.isNull())
        return data;
    return jpegData(artwork(image, ratio, width, resized), 1.0).value_or(data);
}

QImage artwork(const QImage &image, MediaKind kind, bool resized)
{
    return artwork(image, kind.artworkAspectRatio(), kind.artworkWidth(), resized);
}

QByteArray artworkData(const QByteArray &data, MediaKind kind, bool resized)
{
    return artworkData(data, kind.artworkAspectRatio(), kind.artworkWidth(), resized);
}

QByteArray croppedJPEGData(const QByteArray &data, double ratio)
{
    const QImage image = QImage::fromData(data);
    if (image.isNull())
        return data;
    return jpegData(croppedToAspectRatio(image, ratio), 1.0).value_or(data);
}

} // namespace tarnik
