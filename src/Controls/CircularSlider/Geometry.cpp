#include "Controls/CircularSlider/Geometry.h"

#include <algorithm>

namespace tarnik {

double angleDifferenceInDegree(double from, double to, bool isClockwise)
{
    if (isClockwise)
        return to > from ? to - from : to - from + 360;
    return to <= from ? from - to : from - to + 360;
}

QPainterPath circlePath(const QRectF &bounds, double multiplier)
{
    const double m = std::isnan(multiplier) ? 0.0 : std::clamp(multiplier, 0.0, 1.0);
    const double k = (1 - m) / 2;
    QPainterPath path;
    path.addEllipse(
        bounds.adjusted(k * bounds.width(), k * bounds.height(), -k * bounds.width(), -k * bounds.height()));
    return path;
}

} // namespace tarnik
