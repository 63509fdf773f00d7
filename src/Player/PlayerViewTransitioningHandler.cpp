#include "Player/PlayerViewTransitioningHandler.h"

#include "Player/PlayerViewTransitioningInteractor.h"

namespace tarnik {

PlayerViewTransitioningHandler::PlayerViewTransitioningHandler(
    ViewController *fromViewController, ViewController *toViewController)
    : m_animator(std::make_shared<PlayerViewTransitioningAnimator>())
    , m_presentationInteractor(std::make_shared<PlayerViewTransitioningInteractor>(
          fromViewController, toViewController, AnimatedTransitioningType::presentation))
    , m_dismissalInteractor(std::make_shared<PlayerViewTransitioningInteractor>(
          toViewController, fromViewController, AnimatedTransitioningType::dismissal))
{
}

PlayerViewTransitioningHandler::~PlayerViewTransitioningHandler() = default;

std::shared_ptr<ViewControllerAnimatedTransitioning> PlayerViewTransitioningHandler::animationControllerForPresented(
    ViewController *, ViewController *, ViewController *)
{
    m_animator->transitionType = AnimatedTransitioningType::presentation;
    return m_animator;
}

std::shared_ptr<ViewControllerAnimatedTransitioning> PlayerViewTransitioningHandler::animationControllerForDismissed(
    ViewController *)
{
    m_animator->transitionType = AnimatedTransitioningType::dismissal;
    return m_animator;
}

std::shared_ptr<ViewControllerInteractiveTransitioning>
PlayerViewTransitioningHandler::interactionControllerForPresentation(ViewControllerAnimatedTransitioning *)
{
    // Only a drag under way drives a transition: anything else that presents
    // the full player gets the plain animation instead of one that waits for a finger.
    if (disableInteractiveTransitioning || !m_presentationInteractor->isInteracting())
        return nullptr;
    return m_presentationInteractor;
}

std::shared_ptr<ViewControllerInteractiveTransitioning>
PlayerViewTransitioningHandler::interactionControllerForDismissal(ViewControllerAnimatedTransitioning *)
{
    if (disableInteractiveTransitioning || !m_dismissalInteractor->isInteracting())
        return nullptr;
    return m_dismissalInteractor;
}

} // namespace tarnik
