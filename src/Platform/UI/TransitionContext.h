#pragma once

#include "Platform/UI/Transitioning.h"

#include <QHash>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

namespace tarnik {

// The context of one presentation or dismissal (see Transitioning.h). It
// calls its completion once, on the first completeTransition(). Animators
// hold it by plain pointer, so a started context stays alive until it is
// completed, even when its presentation was taken down meanwhile.
class TransitionContext : public ViewControllerContextTransitioning,
                          public std::enable_shared_from_this<TransitionContext>
{
public:
    TransitionContext(QWidget *container, ViewController *from, ViewController *to, bool animated,
        std::function<void(bool)> completion);

    // Keeps the context alive until its completeTransition().
    static void retainUntilComplete(const std::shared_ptr<TransitionContext> &context);

    void setFrames(ViewController *vc, const QRect &initial, const QRect &final);
    void setInteractive(bool interactive) { m_interactive = interactive; }
    double percentComplete() const { return m_percent; }
    bool isCompleted() const { return m_completed; }

    QWidget *containerView() const override { return m_container; }
    ViewController *viewController(Key key) const override;
    QWidget *view(Key key) const override;
    QRect initialFrame(ViewController *vc) const override;
    QRect finalFrame(ViewController *vc) const override;
    bool isAnimated() const override { return m_animated; }
    bool isInteractive() const override { return m_interactive; }
    bool transitionWasCancelled() const override { return m_cancelled; }
    void updateInteractiveTransition(double percentComplete) override { m_percent = percentComplete; }
    void finishInteractiveTransition() override { m_interactive = false; }
    void cancelInteractiveTransition() override
    {
        m_cancelled = true;
        m_interactive = false;
    }
    void completeTransition(bool didComplete) override;

private:
    QPointer<QWidget> m_container;
    ViewController *m_from;
    ViewController *m_to;
    bool m_animated;
    bool m_interactive = false;
    bool m_cancelled = false;
    bool m_completed = false;
    double m_percent = 0.0;
    QHash<ViewController *, QPair<QRect, QRect>> m_frames;
    std::function<void(bool)> m_completion;
};

} // namespace tarnik
