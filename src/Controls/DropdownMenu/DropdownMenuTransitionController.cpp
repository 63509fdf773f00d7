#include "Controls/DropdownMenu/DropdownMenuTransitionController.h"

#include "Controls/DropdownMenu/DropdownMenu.h"
#include "Platform/Dispatch.h"
#include "Platform/UI/NavigationController.h"
#include "Platform/UI/View.h"

#include <QPointer>

namespace tarnik {

namespace {
DropdownMenu *menuOf(ViewController *controller)
{
    auto *nav = qobject_cast<NavigationController *>(controller);
    return nav ? qobject_cast<DropdownMenu *>(nav->topViewController()) : nullptr;
}
} // namespace

double DropdownMenuTransitionController::transitionDuration(ViewControllerContextTransitioning *)
{
    return 0.0;
}

void DropdownMenuTransitionController::animateTransition(ViewControllerContextTransitioning *context)
{
    using Key = ViewControllerContextTransitioning::Key;
    QWidget *container = context->containerView();
    if (!isDismissing) {
        ViewController *to = context->viewController(Key::to);
        DropdownMenu *menu = menuOf(to);
        if (!menu) {
            context->completeTransition(true);
            return;
        }
        QWidget *view = to->view();
        View::addSubview(container, view);
        view->setGeometry(container->rect());
        QPointer<DropdownMenu> guard(menu);
        // After the navigation controller's view is in the container.
        Dispatch::main([guard, context] {
            if (!guard) {
                context->completeTransition(true);
                return;
            }
            guard->showMenu([context] { context->completeTransition(true); });
        });
        return;
    }
    ViewController *from = context->viewController(Key::from);
    DropdownMenu *menu = menuOf(from);
    if (!menu) {
        context->completeTransition(true);
        return;
    }
    QPointer<QWidget> view = from->view();
    menu->hideMenu([view, context] {
        if (view)
            View::removeFromSuperview(view);
        context->completeTransition(true);
    });
}

} // namespace tarnik
