#pragma once

#include "App/AlertPresenting.h"

namespace tarnik {

// The real presenter behind the global alert helpers: it reads the key
// window's screens and shows alerts as AlertController screens. GUI thread,
// except weakReference().
class ScreenAlertPresenter : public AlertPresenting
{
public:
    ViewController *rootViewController() override;
    TabBarController *asTabBarController(ViewController *screen) override;
    ViewController *selectedViewController(TabBarController *tabBar) override;
    ViewController *presentedViewController(ViewController *screen) override;
    ViewController *navigationTopViewController(ViewController *screen) override;
    std::function<ViewController *()> weakReference(ViewController *screen) override;
    void presentAlert(ViewController *presenter, const QString &title, const QString &message,
        const AlertAction &action, AlertActionHandler handler) override;
};

} // namespace tarnik
