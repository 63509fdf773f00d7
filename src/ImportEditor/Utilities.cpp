#include "ImportEditor/Utilities.h"

#include <cmath>

namespace tarnik::Utilities {

QRectF rect(const QSizeF &size)
{
    return QRectF(QPointF(0, 0), size);
}

QRectF aspectFitRect(const QSizeF &size, const QRectF &bounds)
{
    if (size.width() <= 0 || size.height() <= 0)
        return bounds;
    const double scale = std::min(bounds.width() / size.width(), bounds.height() / size.height());
    const QSizeF fitted = size * scale;
    return QRectF(bounds.x() + (bounds.width() - fitted.width()) / 2.0,
        bounds.y() + (bounds.height() - fitted.height()) / 2.0, fitted.width(), fitted.height());
}

QRectF aspectFillRect(const QSizeF &size, const QRectF &bounds)
{
    if (size.width() <= 0 || size.height() <= 0 || bounds.width() <= 0 || bounds.height() <= 0)
        return QRectF();
    const double ratio = size.width() / size.height();
    if (bounds.width() / bounds.height() < ratio)
        return QRectF(0, 0, std::floor(ratio * bounds.height()), bounds.height());
    return QRectF(0, 0, bounds.width(), std::floor(bounds.width() / ratio));
}

QPointF centerPoint(const QSizeF &boundsSize)
{
    return QPointF(boundsSize.width() / 2.0, boundsSize.height() / 2.0);
}

QPointF topCenter(const QSizeF &size, const QSizeF &boundsSize)
{
    return QPointF(boundsSize.width() / 2.0, size.height() / 2.0);
}

QPointF bottomCenter(const QSizeF &size, const QSizeF &boundsSize)
{
    return QPointF(boundsSize.width() / 2.0, boundsSize.height() - size.height() / 2.0);
}

QPointF leftCenter(const QSizeF &size, const QSizeF &boundsSize)
{
    return QPointF(size.width() / 2.0, boundsSize.height() / 2.0);
}

QPointF rightCenter(const QSizeF &size, const QSizeF &boundsSize)
{
    return QPointF(boundsSize.width() - size.width() / 2.0, boundsSize.height() / 2.0);
}

QPointF topLeftCenter(const QSizeF &size)
{
    return QPointF(size.width() / 2.0, size.height() / 2.0);
}

QPointF topRightCenter(const QSizeF &size, const QSizeF &boundsSize)
{
    return QPointF(boundsSize.width() - size.width() / 2.0, size.height() / 2.0);
}

QPointF bottomLeftCenter(const QSizeF &size, const QSizeF &boundsSize)
{
    return QPointF(size.width() / 2.0, boundsSize.height() - size.height() / 2.0);
}

QPointF bottomRightCenter(const QSizeF &size, const QSizeF &boundsSize)
{
    return QPointF(boundsSize.width() - size.width() / 2.0, boundsSize.height() - size.height() / 2.0);
}

} // namespace tarnik::Utilities
