#include "App/ScreenAlertPresenter.h"

#include "Platform/UI/AlertController.h"
#include "Platform/UI/NavigationController.h"
#include "Platform/UI/TabBarController.h"
#include "Platform/UI/Window.h"

#include <QPointer>

namespace tarnik {

ViewController *ScreenAlertPresenter::rootViewController()
{
    Window *window = Window::keyWindow();
    return window ? window->rootViewController() : nullptr;
}

TabBarController *ScreenAlertPresenter::asTabBarController(ViewController *screen)
{
    return qobject_cast<TabBarController *>(screen);
}

ViewController *ScreenAlertPresenter::selectedViewController(TabBarController *tabBar)
{
    return tabBar ? tabBar->selectedViewController() : nullptr;
}

ViewController *ScreenAlertPresenter::presentedViewController(ViewController *screen)
{
    return screen ? screen->presentedViewController() : nullptr;
}

ViewController *ScreenAlertPresenter::navigationTopViewController(ViewController *screen)
{
    auto *nav = qobject_cast<NavigationController *>(screen);
    return nav ? nav->topViewController() : nullptr;
}

std::function<ViewController *()> ScreenAlertPresenter::weakReference(ViewController *screen)
{
    QPointer<ViewController> weak(screen);
    return [weak] { return weak.data(); };
}

void ScreenAlertPresenter::presentAlert(ViewController *presenter, const QString &title, const QString &message,
    const AlertAction &action, AlertActionHandler handler)
{
    if (!presenter)
        return;
    auto *alert = new AlertController(title, message, AlertController::Style::alert);
    alert->addAction(new AlertControllerAction(action.title, AlertControllerAction::Style::defaultStyle,
        [action, handler = std::move(handler)](AlertControllerAction *) {
            if (handler)
                handler(action);
        }));
    presenter->present(alert, true);
    // A presenter that could not present (it already presents something that
    // is not on top, or it left the window) leaves the alert unowned.
    if (!alert->presentingViewController())
        delete alert;
}

} // namespace tarnik
