#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>

namespace tarnik::Utilities {

// Geometry for placing a picture of a given size inside a view's bounds by
// content mode. Every rectangle but the aspect-fit one starts at (0, 0); every
// point is the centre for the picture, measured from the bounds' top-left
// corner. Pure functions, safe anywhere.

QRectF rect(const QSizeF &size);
// The largest rectangle of the picture's aspect ratio inside the bounds,
// centred in them. The bounds themselves for an empty picture size.
QRectF aspectFitRect(const QSizeF &size, const QRectF &bounds);
// The rectangle at the origin that covers the bounds with the picture's aspect
// ratio; the longer side is rounded down to whole points. An empty rectangle
// for an empty picture size or empty bounds.
QRectF aspectFillRect(const QSizeF &size, const QRectF &bounds);

QPointF centerPoint(const QSizeF &boundsSize);
QPointF topCenter(const QSizeF &size, const QSizeF &boundsSize);
QPointF bottomCenter(const QSizeF &size, const QSizeF &boundsSize);
QPointF leftCenter(const QSizeF &size, const QSizeF &boundsSize);
QPointF rightCenter(const QSizeF &size, const QSizeF &boundsSize);
QPointF topLeftCenter(const QSizeF &size);
QPointF topRightCenter(const QSizeF &size, const QSizeF &boundsSize);
QPointF bottomLeftCenter(const QSizeF &size, const QSizeF &boundsSize);
QPointF bottomRightCenter(const QSizeF &size, const QSizeF &boundsSize);

} // namespace tarnik::Utilities
