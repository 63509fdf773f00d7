#pragma once

#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <cmath>
#include <type_traits>

namespace tarnik {

// Angle and rounding helpers of the circular slider, also used by the import
// editor's volume display. Angles are in screen coordinates: 0 along +x,
// growing clockwise because y points down.

inline constexpr double kPi = 3.14159265358979323846;

template<typename T> T toRadian(T degrees)
{
    static_assert(std::is_floating_point_v<T>);
    return degrees * T(kPi) / T(180);
}

// Degrees; a negative result is lifted by one turn, so -pi/2 reads as 270.
template<typename T> T toDegree(T radians)
{
    static_assert(std::is_floating_point_v<T>);
    const T degrees = radians * T(180) / T(kPi);
    return degrees < 0 ? degrees + T(360) : degrees;
}

// The span from `from` to `to` (degrees) in the given direction: (0, 360]
// clockwise, [0, 360) anticlockwise; equal angles give 360 clockwise and 0
// anticlockwise.
double angleDifferenceInDegree(double from, double to, bool isClockwise);

// x truncated (toward minus infinity) to `places` decimal places, 0 to 18:
// 2.789 to 2 places is 2.78, -1.25 to 1 place is -1.3. Values that are not
// finite come back unchanged.
template<typename T> T roundedDown(T x, int places)
{
    static_assert(std::is_floating_point_v<T>);
    if (!std::isfinite(x))
        return x;
    const T whole = std::floor(x);
    const T power = T(static_cast<long long>(std::pow(10.0f, float(places))));
    return whole + std::floor((x - whole) * power) / power;
}

// A circle (an ellipse on a non-square rectangle) of `multiplier` times the
// rectangle's size, centred in it. The multiplier is held to 0...1; NaN is 0.
QPainterPath circlePath(const QRectF &bounds, double multiplier);

} // namespace tarnik
