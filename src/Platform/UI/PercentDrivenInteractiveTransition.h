#pragma once

#include "Platform/UI/AnimationDriver.h"
#include "Platform/UI/Transitioning.h"

#include <QList>
#include <memory>

namespace tarnik {

// Drives the animator's animations by a fraction: startInteractiveTransition
// runs the animator with its animations paused at their start; update() shows
// them at a fraction of the transition's duration; finish() plays the rest
// forward; cancel() plays them back to the start. In both cases the
// animator's own completions then run and it completes the transition (the
// context reports the cancellation). Subclass it to add gesture handling.
class PercentDrivenInteractiveTransition : public ViewControllerInteractiveTransitioning
{
public:
    PercentDrivenInteractiveTransition();
    ~PercentDrivenInteractiveTransition() override;

    void startInteractiveTransition(ViewControllerContextTransitioning *context) override;
    void updateInteractiveTransition(double percentComplete);
    void cancelInteractiveTransition();
    void finishInteractiveTransition();

    double percentComplete() const { return m_percent; }
    double duration() const { return m_duration; }
    double completionSpeed = 1.0;
    // The animator a presenting controller hands in before the start.
    void setAnimator(ViewControllerAnimatedTransitioning *animator) { m_animator = animator; }

private:
    ViewControllerContextTransitioning *m_context = nullptr;
    ViewControllerAnimatedTransitioning *m_animator = nullptr;
    QList<AnimationDriver::Id> m_animations;
    double m_percent = 0.0;
    double m_duration = 0.0;
};

} // namespace tarnik
