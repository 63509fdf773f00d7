#include "ImportEditor/ImageViewerTransitioningHandler.h"

namespace tarnik {

ImageViewerTransitioningHandler::ImageViewerTransitioningHandler(ImageView *fromImageView, ImageView *toImageView)
    : presentationTransition(std::make_shared<ImageViewerPresentationTransition>(fromImageView))
    , dismissalTransition(std::make_shared<ImageViewerDismissalTransition>(toImageView, fromImageView))
    , dismissalInteractor(std::make_shared<ImageViewerDismissalInteractor>(dismissalTransition))
{
}

std::shared_ptr<ViewControllerAnimatedTransitioning> ImageViewerTransitioningHandler::animationControllerForPresented(
    ViewController *, ViewController *, ViewController *)
{
    return presentationTransition;
}

std::shared_ptr<ViewControllerAnimatedTransitioning> ImageViewerTransitioningHandler::animationControllerForDismissed(
    ViewController *)
{
    return dismissalTransition;
}

std::shared_ptr<ViewControllerInteractiveTransitioning>
ImageViewerTransitioningHandler::interactionControllerForDismissal(ViewControllerAnimatedTransitioning *)
{
    return dismissInteractively ? dismissalInteractor : nullptr;
}

} // namespace tarnik
