#pragma once

#include "ImportEditor/ImageViewerDismissalInteractor.h"
#include "ImportEditor/ImageViewerDismissalTransition.h"
#include "ImportEditor/ImageViewerPresentationTransition.h"
#include "Platform/UI/Transitioning.h"

#include <memory>

namespace tarnik {

class ImageView;

// The image viewer's transitioning delegate: the flight out of the source
// image view, the flight back into it, and the drag that drives the flight
// back while dismissInteractively is set. Lives as long as its viewer.
class ImageViewerTransitioningHandler : public ViewControllerTransitioningDelegate
{
public:
    ImageViewerTransitioningHandler(ImageView *fromImageView, ImageView *toImageView);

    const std::shared_ptr<ImageViewerPresentationTransition> presentationTransition;
    const std::shared_ptr<ImageViewerDismissalTransition> dismissalTransition;
    const std::shared_ptr<ImageViewerDismissalInteractor> dismissalInteractor;
    bool dismissInteractively = false;

    std::shared_ptr<ViewControllerAnimatedTransitioning> animationControllerForPresented(
        ViewController *presented, ViewController *presenting, ViewController *source) override;
    std::shared_ptr<ViewControllerAnimatedTransitioning> animationControllerForDismissed(
        ViewController *dismissed) override;
    std::shared_ptr<ViewControllerInteractiveTransitioning> interactionControllerForDismissal(
        ViewControllerAnimatedTransitioning *animator) override;
};

} // namespace tarnik
