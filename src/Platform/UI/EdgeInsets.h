#pragma once

#include <QMarginsF>
#include <QRectF>

namespace tarnik {

// Distances from the four edges of a rectangle, in points: the content and
// indicator insets of scroll views and the section insets of grids.
struct EdgeInsets
{
    double top = 0.0;
    double left = 0.0;
    double bottom = 0.0;
    double right = 0.0;

    double horizontal() const { return left + right; }
    double vertical() const { return top + bottom; }
    QRectF inset(const QRectF &rect) const { return rect.adjusted(left, top, -right, -bottom); }

    friend bool operator==(const EdgeInsets &, const EdgeInsets &) = default;
};

} // namespace tarnik
