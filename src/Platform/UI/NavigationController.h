#pragma once

#include "Platform/UI/ViewController.h"

#include <QList>
#include <functional>

namespace tarnik {

class NavigationBar;
class Toolbar;

// A stack of screens with a navigation bar above the top one and an optional
// toolbar below it. Push slides the new screen in from the right, pop slides
// it back out; appearance calls reach the screens that come and go while the
// controller itself is on screen. Popped screens are deleted once control
// returns to the event loop (their pointers stay valid until then).
class NavigationController : public ViewController
{
    Q_OBJECT
public:
    explicit NavigationController(ViewController *rootViewController = nullptr, QObject *parent = nullptr);

    // Runs after every navigation controller's own viewDidLoad (the app's
    // bar style is applied here).
    static void setViewDidLoadHook(std::function<void(NavigationController *)> hook);

    QList<ViewController *> viewControllers() const { return m_stack; }
    ViewController *topViewController() const { return m_stack.isEmpty() ? nullptr : m_stack.last(); }
    // The top screen, or what is presented over the controller.
    ViewController *visibleViewController() const;

    void pushViewController(ViewController *controller, bool animated);
    ViewController *popViewController(bool animated);
    QList<ViewController *> popToRootViewController(bool animated);
    QList<ViewController *> popToViewController(ViewController *controller, bool animated);
    void setViewControllers(const QList<ViewController *> &controllers, bool animated);

    NavigationBar *navigationBar();
    Toolbar *toolbar();
    bool isNavigationBarHidden() const { return m_barHidden; }
    void setNavigationBarHidden(bool hidden, bool animated);
    bool isToolbarHidden() const { return m_toolbarHidden; }
    void setToolbarHidden(bool hidden, bool animated);

    bool handleKeyPress(QKeyEvent *event) override;

protected:
    void loadView() override;
    void viewDidLoad() override;
    void layoutChildViews() override;
    QList<ViewController *> visibleChildren() const override;
    void childTitleChanged(ViewController *child) override;

private:
    void transition(
        ViewController *from, ViewController *to, bool animated, bool forward, const QList<ViewController *> &removed);
    void updateBars();
    QRect contentRect() const;
    bool isOnScreen() const;

    QList<ViewController *> m_stack;
    NavigationBar *m_bar = nullptr;
    Toolbar *m_toolbar = nullptr;
    QWidget *m_content = nullptr;
    bool m_barHidden = false;
    bool m_toolbarHidden = true;
    int m_toolbarOffset = 0; // slides the toolbar while it hides or shows
    int m_transitions = 0; // pushes and pops under way
};

} // namespace tarnik
