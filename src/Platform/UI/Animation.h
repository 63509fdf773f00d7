#pragma once

#include "Platform/UI/TimingFunction.h"

#include <QString>
#include <functional>
#include <memory>
#include <vector>

namespace tarnik {

// One timed change, the layer-animation idea of the phone toolkit: a cycle of
// `duration` seconds, paced by `timing`, repeated `repeatCount` times (a huge
// count repeats for ever), optionally running back after each forward run.
// `beginTime` is the offset inside an AnimationGroup. Animations are plain
// values run by the AnimationDriver on the GUI thread.
class Animation
{
public:
    virtual ~Animation();

    double duration = 0.25;
    double beginTime = 0.0;
    TimingFunction timing = TimingFunction::linear();
    double repeatCount = 1.0;
    bool autoreverses = false;
    bool removedOnCompletion = true;
    QString keyPath;

    // The whole running time, every repeat and reverse included; infinity when
    // it repeats for ever.
    double activeDuration() const;
    bool repeatsForever() const;

    // Shows the state at `localTime` seconds after the animation started.
    void applyAtTime(double localTime);

protected:
    // Shows the state at the given paced fraction of one cycle.
    virtual void apply(double progress) = 0;
};

// An animation that hands its paced progress to a function.
class BasicAnimation : public Animation
{
public:
    explicit BasicAnimation(std::function<void(double progress)> step = {});
    static std::shared_ptr<BasicAnimation> fromTo(double from, double to, std::function<void(double value)> setter);

    std::function<void(double)> step;

protected:
    void apply(double progress) override;
};

// Key-frame values at key times (fractions of the cycle, evenly spread when
// not given); between two key times the value moves linearly, after the last
// key time it stays at the last value.
class KeyframeAnimation : public Animation
{
public:
    std::vector<double> values;
    std::vector<double> keyTimes;
    std::function<void(double value)> setter;

    double valueAt(double progress) const;

protected:
    void apply(double progress) override;
};

// Animations run together; each child starts `beginTime` seconds into the
// group's cycle and is left at its last state when it ends before the group.
class AnimationGroup : public Animation
{
public:
    std::vector<std::shared_ptr<Animation>> animations;

protected:
    void apply(double progress) override;
};

} // namespace tarnik
