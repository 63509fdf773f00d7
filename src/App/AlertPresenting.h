#pragma once

#include <QString>
#include <functional>
#include <memory>

namespace tarnik {

class ViewController;
class TabBarController;

// The tapped action of an alert, as its handler receives it.
struct AlertAction
{
    QString title;
};
using AlertActionHandler = std::function<void(const AlertAction &)>;

// The seam between the global helpers and the screens: what
// _getTabBarController(), _getTopPresentedViewController() and
// _showTarnikDefaultAlert() need to know about the window and its screens. The
// screen layer installs the real one; tests install a recording fake. With none
// installed there is no window: no tab bar, no top screen, and alerts are
// dropped. Every call is made on the GUI thread, except weakReference(), which
// _showTarnikDefaultAlert() calls on its caller's thread.
class AlertPresenting
{
public:
    virtual ~AlertPresenting() = default;

    // The key window's root screen; null when there is no key window or no root.
    virtual ViewController *rootViewController() = 0;
    // The screen as a tab bar controller; null when it is of another class.
    virtual TabBarController *asTabBarController(ViewController *screen) = 0;
    // The tab bar controller's selected screen, or null.
    virtual ViewController *selectedViewController(TabBarController *tabBar) = 0;
    // The screen that `screen` presents, or null.
    virtual ViewController *presentedViewController(ViewController *screen) = 0;
    // The top screen when `screen` is a navigation controller that has one; null otherwise.
    virtual ViewController *navigationTopViewController(ViewController *screen) = 0;
    // A reference to `screen` that yields null once the screen is gone, so a
    // queued alert never uses a destroyed presenter.
    virtual std::function<ViewController *()> weakReference(ViewController *screen) = 0;
    // Presents, animated, an alert with a title, a message and the one action;
    // tapping the action closes the alert and then calls the handler, if any.
    virtual void presentAlert(ViewController *presenter, const QString &title, const QString &message,
        const AlertAction &action, AlertActionHandler handler)
        = 0;
};

// The installed presenter (may be null). Install and read on the GUI thread;
// queued alerts keep the presenter they found alive until they ran.
std::shared_ptr<AlertPresenting> alertPresenter();
void setAlertPresenter(std::shared_ptr<AlertPresenting> presenter);

} // namespace tarnik
