#pragma once

#include <QRect>
#include <memory>

class QWidget;

namespace tarnik {

class ViewController;

// The transition context handed to an animator: the two screens, their
// views, the container the transition happens in, and the frames. The
// animator must call completeTransition() exactly once, with false when an
// interactive transition was cancelled.
class ViewControllerContextTransitioning
{
public:
    enum class Key { from, to };

    virtual ~ViewControllerContextTransitioning() = default;
    virtual QWidget *containerView() const = 0;
    virtual ViewController *viewController(Key key) const = 0;
    virtual QWidget *view(Key key) const = 0;
    virtual QRect initialFrame(ViewController *vc) const = 0;
    virtual QRect finalFrame(ViewController *vc) const = 0;
    virtual bool isAnimated() const = 0;
    virtual bool isInteractive() const = 0;
    virtual bool transitionWasCancelled() const = 0;
    virtual void updateInteractiveTransition(double percentComplete) = 0;
    virtual void finishInteractiveTransition() = 0;
    virtual void cancelInteractiveTransition() = 0;
    virtual void completeTransition(bool didComplete) = 0;
};

// Animates one presentation or dismissal.
class ViewControllerAnimatedTransitioning
{
public:
    virtual ~ViewControllerAnimatedTransitioning() = default;
    virtual double transitionDuration(ViewControllerContextTransitioning *context) = 0;
    virtual void animateTransition(ViewControllerContextTransitioning *context) = 0;
    virtual void animationEnded(bool /*transitionCompleted*/) { }
};

// Drives a transition from outside (a finger); see PercentDrivenInteractiveTransition.
class ViewControllerInteractiveTransitioning
{
public:
    virtual ~ViewControllerInteractiveTransitioning() = default;
    virtual void startInteractiveTransition(ViewControllerContextTransitioning *context) = 0;
};

// A screen's transitioning delegate vends its animators and interaction
// controllers; returning null picks the default.
class ViewControllerTransitioningDelegate
{
public:
    virtual ~ViewControllerTransitioningDelegate() = default;
    virtual std::shared_ptr<ViewControllerAnimatedTransitioning> animationControllerForPresented(
        ViewController * /*presented*/, ViewController * /*presenting*/, ViewController * /*source*/)
    {
        return nullptr;
    }
    virtual std::shared_ptr<ViewControllerAnimatedTransitioning> animationControllerForDismissed(
        ViewController * /*dismissed*/)
    {
        return nullptr;
    }
    virtual std::shared_ptr<ViewControllerInteractiveTransitioning> interactionControllerForPresentation(
        ViewControllerAnimatedTransitioning * /*animator*/)
    {
        return nullptr;
    }
    virtual std::shared_ptr<ViewControllerInteractiveTransitioning> interactionControllerForDismissal(
        ViewControllerAnimatedTransitioning * /*animator*/)
    {
        return nullptr;
    }
};

} // namespace tarnik
