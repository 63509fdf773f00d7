#pragma once

#include "Platform/UI/Transitioning.h"

#include <QPointer>
#include <QWidget>

namespace tarnik {

class CustomTabBarController;
class PlayerViewController;

enum class AnimatedTransitioningType { presentation, dismissal };

// Animates the full player out of the mini bar and back into it: the full
// player's view grows from the mini bar's top edge to the whole screen (its
// picture from 0.65 to full size, its placeholder bar fading out) while a
// snapshot of the tab bar slides below the screen; the dismissal runs the
// other way. Only between the tab bar host and the full player; other
// transitions do nothing. GUI thread.
class PlayerViewTransitioningAnimator : public ViewControllerAnimatedTransitioning
{
public:
    AnimatedTransitioningType transitionType = AnimatedTransitioningType::presentation;
    static constexpr double scale = 0.65;
    QWidget *tabBarSnapshot() const { return m_tabBarSnapshot; }

    double transitionDuration(ViewControllerContextTransitioning *context) override;
    void animateTransition(ViewControllerContextTransitioning *context) override;

    void animatePresentation(ViewControllerContextTransitioning *context);
    void animateDismissal(ViewControllerContextTransitioning *context);

private:
    void snapshotTabBar(QWidget *tabBar, QWidget *container, bool presenting);

    QPointer<QWidget> m_tabBarSnapshot;
};

} // namespace tarnik
