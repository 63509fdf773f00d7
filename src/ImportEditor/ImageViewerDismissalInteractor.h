#pragma once

#include "Platform/UI/Transitioning.h"

#include <QTransform>
#include <memory>

namespace tarnik {

class ImageViewerDismissalTransition;

// Hands the viewer's drag to the dismissal transition, call for call.
class ImageViewerDismissalInteractor : public ViewControllerInteractiveTransitioning
{
public:
    explicit ImageViewerDismissalInteractor(std::shared_ptr<ImageViewerDismissalTransition> dismissalTransition);

    const std::shared_ptr<ImageViewerDismissalTransition> dismissalTransition;

    void startInteractiveTransition(ViewControllerContextTransitioning *context) override;
    void update(double percentage);
    void update(const QTransform &transform);
    void cancel();
    void finish();
};

} // namespace tarnik
