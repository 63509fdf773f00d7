#pragma once

#include "Platform/UI/PercentDrivenInteractiveTransition.h"
#include "Platform/UI/ViewController.h"
#include "Player/PanDirectionGestureRecognizer.h"
#include "Player/PlayerViewTransitioningAnimator.h"

#include <QPointer>
#include <optional>

namespace tarnik {



class PlayerView;


// Drives the full player's presentation (an upward drag on the mini bar) or
// dismissal (a downward drag on the full player) with the finger. Progress is
// the drag's share of the distance from the mini bar's top edge to the top of
// the screen; at the lift the transition completes when the last step went
// forward by more than 0.03 or the progress is beyond 0.3 without a step
// back, and is cancelled otherwise. GUI thread.
class PlayerViewTransitioningInteractor : public PercentDrivenInteractiveTransition
{
public:
    PlayerViewTransitioningInteractor(
        ViewController *fromViewController, ViewController *toViewController, AnimatedTransitioningType type);
    ~PlayerViewTransitioningInteractor() override;

    ViewController *fromViewController() const { return m_from; }
    ViewController *toViewController() const { return m_to; }
    AnimatedTransitioningType transitionType() const { return m_type; }
    bool shouldComplete() const { return m_shouldComplete; }
    std::optional<double> lastProgress() const { return m_lastProgress; }
    PanDirectionGestureRecognizer *panGesture() const { return m_pan; }

    // The host's mini player, for either direction; none when the host is not
    // the tab bar host.
    PlayerView *miniPlayerView() const;

    void handlePanGesture(GestureRecognizer *recognizer);
    // A drag is under way (it began and has not ended).
    bool isInteracting() const;

private:
    QPointer<ViewController> m_from;
    QPointer<ViewController> m_to;
    AnimatedTransitioningType m_type;
    bool m_shouldComplete = false;
    std::optional<double> m_lastProgress;
    QPointer<PanDirectionGestureRecognizer> m_pan;
};

} // namespace tarnik
