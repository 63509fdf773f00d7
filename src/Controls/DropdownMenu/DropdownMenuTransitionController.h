#pragma once

#include "Platform/UI/Transitioning.h"

namespace tarnik {

// Presents and dismisses the full-screen dropdown menu without a platform
// animation: it only puts the menu's navigation controller into the
// container (or takes it out) and lets the menu's own row animations carry
// the motion, completing the transition when they end.
class DropdownMenuTransitionController : public ViewControllerAnimatedTransitioning
{
public:
    bool isDismissing = false;

    double transitionDuration(ViewControllerContextTransitioning *context) override;
    void animateTransition(ViewControllerContextTransitioning *context) override;
};

} // namespace tarnik
