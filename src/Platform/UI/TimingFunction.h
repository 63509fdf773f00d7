#pragma once

namespace tarnik {

// The pacing of an animation: maps the elapsed fraction of a cycle (0...1) to
// the fraction of the change shown. The Bezier curves are the toolkit's named
// ones; the spring is a damped oscillator that settles exactly at t = 1.
class TimingFunction
{
public:
    enum class Curve { linear, easeIn, easeOut, easeInOut, spring };

    static TimingFunction linear() { return TimingFunction(Curve::linear); }
    static TimingFunction easeIn() { return TimingFunction(Curve::easeIn); }
    static TimingFunction easeOut() { return TimingFunction(Curve::easeOut); }
    static TimingFunction easeInOut() { return TimingFunction(Curve::easeInOut); }
    // dampingRatio 1 settles without overshoot; below 1 it overshoots and
    // swings back. initialVelocity is in "whole changes per cycle".
    static TimingFunction spring(double dampingRatio, double initialVelocity);

    Curve curve() const { return m_curve; }
    double dampingRatio() const { return m_damping; }
    double initialVelocity() const { return m_velocity; }

    double value(double t) const;

private:
    explicit TimingFunction(Curve curve)
        : m_curve(curve)
    {
    }

    Curve m_curve = Curve::linear;
    double m_damping = 1.0;
    double m_velocity = 0.0;
};

} // namespace tarnik
