#include "Platform/UI/PercentDrivenInteractiveTransition.h"

#include <algorithm>

namespace tarnik {

PercentDrivenInteractiveTransition::PercentDrivenInteractiveTransition() = default;
PercentDrivenInteractiveTransition::~PercentDrivenInteractiveTransition() = default;

void PercentDrivenInteractiveTransition::startInteractiveTransition(ViewControllerContextTransitioning *context)
{
    m_context = context;
    m_percent = 0.0;
    m_animations.clear();
    if (!m_animator || !context)
        return;
    m_duration = m_animator->transitionDuration(context);
    auto &driver = AnimationDriver::shared();
    driver.captureBegin();
    m_animator->animateTransition(context);
    m_animations = driver.captureEnd();
    for (auto id : m_animations) {
        driver.pause(id);
        driver.seek(id, driver.localTime(id));
    }
}

void PercentDrivenInteractiveTransition::updateInteractiveTransition(double percent)
{
    m_percent = std::clamp(percent, 0.0, 1.0);
    auto &driver = AnimationDriver::shared();
    // Each animation is shown at the same time into the transition; its own
    // delay (a negative start) is kept.
    for (auto id : m_animations) {
        if (!driver.isRunning(id))
            continue;
        const double t = m_percent * m_duration;
        driver.seek(id, std::min(t, driver.activeDuration(id)));
    }
    if (m_context)
        m_context->updateInteractiveTransition(m_percent);
}

void PercentDrivenInteractiveTransition::cancelInteractiveTransition()
{
    if (m_context)
        m_context->cancelInteractiveTransition();
    auto &driver = AnimationDriver::shared();
    const auto ids = std::exchange(m_animations, {});
    for (auto id : ids)
        driver.resume(id, -std::max(0.01, completionSpeed));
    if (ids.isEmpty() && m_context)
        m_context->completeTransition(false);
}

void PercentDrivenInteractiveTransition::finishInteractiveTransition()
{
    if (m_context)
        m_context->finishInteractiveTransition();
    auto &driver = AnimationDriver::shared();
    const auto ids = std::exchange(m_animations, {});
    for (auto id : ids)
        driver.resume(id, std::max(0.01, completionSpeed));
    if (ids.isEmpty() && m_context)
        m_context->completeTransition(true);
}

} // namespace tarnik
