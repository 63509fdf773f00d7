#pragma once

#include "Platform/UI/Transitioning.h"
#include "Player/PlayerViewTransitioningAnimator.h"

#include <memory>

namespace tarnik {

class PlayerViewTransitioningInteractor;
class ViewController;

// The full player's transitioning delegate: one animator for both ways and a
// finger-driven interactor for each, unless disableInteractiveTransitioning
// is set (the tab bar host sets it around a tap or the close button, so those
// run on their own). Made once by the host; lives for the process.
class PlayerViewTransitioningHandler : public ViewControllerTransitioningDelegate
{
public:
    PlayerViewTransitioningHandler(ViewController *fromViewController, ViewController *toViewController);
    ~PlayerViewTransitioningHandler() override;

    std::shared_ptr<PlayerViewTransitioningAnimator> animator() const { return m_animator; }
    std::shared_ptr<PlayerViewTransitioningInteractor> presentationInteractor() const { return m_presentationInteractor; }
    std::shared_ptr<PlayerViewTransitioningInteractor> dismissalInteractor() const { return m_dismissalInteractor; }
    bool disableInteractiveTransitioning = false;

    std::shared_ptr<ViewControllerAnimatedTransitioning> animationControllerForPresented(
        ViewController *presented, ViewController *presenting, ViewController *source) override;
    std::shared_ptr<ViewControllerAnimatedTransitioning> animationControllerForDismissed(
        ViewController *dismissed) override;
    std::shared_ptr<ViewControllerInteractiveTransitioning> interactionControllerForPresentation(
        ViewControllerAnimatedTransitioning *animator) override;
    std::shared_ptr<ViewControllerInteractiveTransitioning> interactionControllerForDismissal(
        ViewControllerAnimatedTransitioning *animator) override;

private:
    std::shared_ptr<PlayerViewTransitioningAnimator> m_animator;
    std::shared_ptr<PlayerViewTransitioningInteractor> m_presentationInteractor;
    std::shared_ptr<PlayerViewTransitioningInteractor> m_dismissalInteractor;
};

} // namespace tarnik
