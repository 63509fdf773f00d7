#include "ImportEditor/ImageViewerDismissalInteractor.h"

#include "ImportEditor/ImageViewerDismissalTransition.h"

namespace tarnik {

ImageViewerDismissalInteractor::ImageViewerDismissalInteractor(
    std::shared_ptr<ImageViewerDismissalTransition> transition)
    : dismissalTransition(std::move(transition))
{
}

void ImageViewerDismissalInteractor::startInteractiveTransition(ViewControllerContextTransitioning *context)
{
    dismissalTransition->start(context);
}

void ImageViewerDismissalInteractor::update(double percentage)
{
    dismissalTransition->update(percentage);
}

void ImageViewerDismissalInteractor::update(const QTransform &transform)
{
    dismissalTransition->update(transform);
}

void ImageViewerDismissalInteractor::cancel()
{
    dismissalTransition->cancel();
}

void ImageViewerDismissalInteractor::finish()
{
    dismissalTransition->finish();
}

} // namespace tarnik
