#include "Platform/UI/Animation.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tarnik {

namespace {
// Repeat counts at or above this are "for ever" (the toolkit's idiom is the
// largest finite float).
constexpr double kForever = 1e30;
} // namespace

Animation::~Animation() = default;

bool Animation::repeatsForever() const
{
    return !(repeatCount < kForever);
}

double Animation::activeDuration() const
{
    if (repeatsForever())
        return std::numeric_limits<double>::infinity();
    const double cycles = std::max(1.0, repeatCount);
    return std::max(0.0, duration) * (autoreverses ? 2.0 : 1.0) * cycles;
}

void Animation::applyAtTime(double localTime)
{
    if (!(duration > 0.0)) {
        apply(timing.value(1.0));
        return;
    }
    const double total = activeDuration();
    double t = std::clamp(localTime, 0.0, total);
    const double period = duration * (autoreverses ? 2.0 : 1.0);
    double inPeriod = 0.0;
    if (t >= total && std::isfinite(total)) {
        inPeriod = period; // the very end of the last period
    } else {
        inPeriod = std::fmod(t, period);
    }
    double fraction = 0.0;
    if (autoreverses)
        fraction = inPeriod <= duration ? inPeriod / duration : (period - inPeriod) / duration;
    else
        fraction = inPeriod / duration;
    apply(timing.value(std::clamp(fraction, 0.0, 1.0)));
}

BasicAnimation::BasicAnimation(std::function<void(double)> stepFunction)
    : step(std::move(stepFunction))
{
}

std::shared_ptr<BasicAnimation> BasicAnimation::fromTo(double from, double to, std::function<void(double)> setter)
{
    return std::make_shared<BasicAnimation>(
        [from, to, setter = std::move(setter)](double p) { setter(from + (to - from) * p); });
}

void BasicAnimation::apply(double progress)
{
    if (step)
        step(progress);
}

double KeyframeAnimation::valueAt(double progress) const
{
    if (values.empty())
        return 0.0;
    if (values.size() == 1)
        return values.front();
    std::vector<double> times = keyTimes;
    if (times.size() != values.size()) {
        times.clear();
        for (std::size_t i = 0; i < values.size(); ++i)
            times.push_back(double(i) / double(values.size() - 1));
    }
    if (progress <= times.front())
        return values.front();
    for (std::size_t i = 1; i < times.size(); ++i) {
        if (progress <= times[i]) {
            const double span = times[i] - times[i - 1];
            const double f = span > 0 ? (progress - times[i - 1]) / span : 1.0;
            return values[i - 1] + (values[i] - values[i - 1]) * f;
        }
    }
    return values.back();
}

void KeyframeAnimation::apply(double progress)
{
    if (setter)
        setter(valueAt(progress));
}

void AnimationGroup::apply(double progress)
{
    const double groupTime = progress * duration;
    for (const auto &child : animations) {
        if (!child)
            continue;
        const double local = groupTime - child->beginTime;
        if (local >= 0.0)
            child->applyAtTime(local);
    }
}

} // namespace tarnik
