#pragma once

#include "Platform/UI/Transitioning.h"

namespace tarnik {

// The default modal transition: the presented screen slides up from the
// bottom edge and slides back down when dismissed.
class CoverVerticalTransition : public ViewControllerAnimatedTransitioning
{
public:
    explicit CoverVerticalTransition(bool presenting)
        : m_presenting(presenting)
    {
    }
    double transitionDuration(ViewControllerContextTransitioning *) override { return 0.3; }
    void animateTransition(ViewControllerContextTransitioning *context) override;

private:
    bool m_presenting;
};

// Fades the presented screen in and out (alerts, popovers, cross-dissolve).
class CrossDissolveTransition : public ViewControllerAnimatedTransitioning
{
public:
    explicit CrossDissolveTransition(bool presenting)
        : m_presenting(presenting)
    {
    }
    double transitionDuration(ViewControllerContextTransitioning *) override { return 0.25; }
    void animateTransition(ViewControllerContextTransitioning *context) override;

private:
    bool m_presenting;
};

} // namespace tarnik
