#include "Platform/UI/DefaultTransitions.h"

#include "Platform/UI/View.h"
#include "Platform/UI/ViewController.h"

#include <QPointer>
#include <QWidget>

namespace tarnik {

using Key = ViewControllerContextTransitioning::Key;

void CoverVerticalTransition::animateTransition(ViewControllerContextTransitioning *context)
{
    QWidget *container = context->containerView();
    const int height = container ? container->height() : 0;
    if (m_presenting) {
        ViewController *to = context->viewController(Key::to);
        QWidget *view = context->view(Key::to);
        const QRect final = context->finalFrame(to);
        View::addSubview(container, view);
        View::setFrame(view, final.translated(0, height));
        View::animate(
            transitionDuration(context), [&] { View::setFrame(view, final); },
            [context](bool) { context->completeTransition(!context->transitionWasCancelled()); });
        return;
    }
    QWidget *view = context->view(Key::from);
    const QRect start = View::frame(view);
    View::animate(
        transitionDuration(context), [&] { View::setFrame(view, start.translated(0, height)); },
        [context](bool) { context->completeTransition(!context->transitionWasCancelled()); });
}

void CrossDissolveTransition::animateTransition(ViewControllerContextTransitioning *context)
{
    if (m_presenting) {
        ViewController *to = context->viewController(Key::to);
        QWidget *view = context->view(Key::to);
        View::addSubview(context->containerView(), view);
        View::setFrame(view, context->finalFrame(to));
        View::setAlpha(view, 0.0);
        View::animate(
            transitionDuration(context), [&] { View::setAlpha(view, 1.0); },
            [context](bool) { context->completeTransition(!context->transitionWasCancelled()); });
        return;
    }
    QPointer<QWidget> view = context->view(Key::from);
    View::animate(
        transitionDuration(context), [&] { View::setAlpha(view, 0.0); },
        [context, view](bool) {
            const bool done = !context->transitionWasCancelled();
            // A screen that is shown again later starts opaque.
            if (view)
                View::setAlpha(view, 1.0);
            context->completeTransition(done);
        });
}

} // namespace tarnik
