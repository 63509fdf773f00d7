#include "Platform/UI/TimingFunction.h"

#include <algorithm>
#include <cmath>

namespace tarnik {

namespace {

// Cubic Bezier from (0,0) to (1,1) with control points (x1,y1), (x2,y2):
// solve x(s) = t for s by bisection (monotone in s), then return y(s).
double cubicBezier(double x1, double y1, double x2, double y2, double t)
{
    const auto coord = [](double a, double b, double s) {
        const double u = 1.0 - s;
        return 3 * u * u * s * a + 3 * u * s * s * b + s * s * s;
    };
    double lo = 0.0;
    double hi = 1.0;
    double s = t;
    for (int i = 0; i < 60; ++i) {
        s = (lo + hi) / 2;
        if (coord(x1, x2, s) < t)
            lo = s;
        else
            hi = s;
    }
    return coord(y1, y2, s);
}

} // namespace

TimingFunction TimingFunction::spring(double dampingRatio, double initialVelocity)
{
    TimingFunction f(Curve::spring);
    f.m_damping = std::isfinite(dampingRatio) ? std::clamp(dampingRatio, 0.01, 1.0) : 1.0;
    f.m_velocity = std::isfinite(initialVelocity) ? initialVelocity : 0.0;
    return f;
}

double TimingFunction::value(double t) const
{
    if (!(t > 0.0))
        return 0.0;
    if (t >= 1.0)
        return 1.0;
    switch (m_curve) {
    case Curve::linear:
        return t;
    case Curve::easeIn:
        return cubicBezier(0.42, 0.0, 1.0, 1.0, t);
    case Curve::easeOut:
        return cubicBezier(0.0, 0.0, 0.58, 1.0, t);
    case Curve::easeInOut:
        return cubicBezier(0.42, 0.0, 0.58, 1.0, t);
    case Curve::spring: {
        // Natural frequency chosen so the envelope has decayed to 1/1000 of
        // the change at the end of the cycle; the last frame snaps to 1.
        const double zeta = m_damping;
        const double omega = std::log(1000.0) / zeta;
        const double v0 = -m_velocity;
        if (zeta >= 0.999) {
            return 1.0 - std::exp(-omega * t) * (1.0 + (omega + v0) * t);
        }
        const double omegaD = omega * std::sqrt(1.0 - zeta * zeta);
        const double envelope = std::exp(-zeta * omega * t);
        return 1.0 - envelope * (std::cos(omegaD * t) + (zeta * omega + v0) / omegaD * std::sin(omegaD * t));
    }
    }
    return t;
}

} // namespace tarnik
