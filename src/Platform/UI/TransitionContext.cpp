#include "Platform/UI/TransitionContext.h"

#include "Platform/UI/ViewController.h"

#include <algorithm>
#include <vector>

namespace tarnik {

namespace {
std::vector<std::shared_ptr<TransitionContext>> &running()
{
    static std::vector<std::shared_ptr<TransitionContext>> contexts;
    return contexts;
}
} // namespace

void TransitionContext::retainUntilComplete(const std::shared_ptr<TransitionContext> &context)
{
    if (context && !context->m_completed)
        running().push_back(context);
}

TransitionContext::TransitionContext(
    QWidget *container, ViewController *from, ViewController *to, bool animated, std::function<void(bool)> completion)
    : m_container(container)
    , m_from(from)
    , m_to(to)
    , m_animated(animated)
    , m_completion(std::move(completion))
{
}

void TransitionContext::setFrames(ViewController *vc, const QRect &initial, const QRect &final)
{
    m_frames.insert(vc, { initial, final });
}

ViewController *TransitionContext::viewController(Key key) const
{
    return key == Key::from ? m_from : m_to;
}

QWidget *TransitionContext::view(Key key) const
{
    ViewController *vc = viewController(key);
    return vc ? vc->view() : nullptr;
}

QRect TransitionContext::initialFrame(ViewController *vc) const
{
    return m_frames.value(vc).first;
}

QRect TransitionContext::finalFrame(ViewController *vc) const
{
    return m_frames.value(vc).second;
}

void TransitionContext::completeTransition(bool didComplete)
{
    if (m_completed)
        return;
    m_completed = true;
    std::shared_ptr<TransitionContext> self;
    auto &contexts = running();
    auto it = std::find_if(contexts.begin(), contexts.end(), [this](const auto &c) { return c.get() == this; });
    if (it != contexts.end()) {
        self = *it; // released when this call returns
        contexts.erase(it);
    }
    auto completion = std::move(m_completion);
    if (completion)
        completion(didComplete);
}

} // namespace tarnik
