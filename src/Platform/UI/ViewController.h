#pragma once

#include "Platform/UI/NavigationItem.h"
#include "Platform/UI/TabBarItem.h"
#include "Platform/UI/Transitioning.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QSizeF>
#include <QWidget>
#include <functional>
#include <memory>

class QKeyEvent;

namespace tarnik {

class BarButtonItem;
class NavigationController;
class NavigationItem;
class PopoverPresentationController;
class PresentationController;
class TabBarController;
class TabBarItem;
class Window;

enum class ModalPresentationStyle { fullScreen = 0, formSheet = 2, custom = 4, overFullScreen = 5, popover = 7 };
enum class ModalTransitionStyle { coverVertical = 0, crossDissolve = 2 };

// A screen: it owns one root widget (any QWidget: a plain view, a scroll or
// collection view, a custom painter), made on first use by loadView() and
// then viewDidLoad(). Containers (navigation, tab bar) hold child screens
// and forward the appear/disappear calls to the ones on screen; a screen can
// present another modally (the presented one covers it in the window, with a
// default or custom transition) and dismiss it again.
//
// Ownership: a container owns its children (QObject parent). A presented
// screen that has no QObject parent is adopted by its presenter and deleted
// after its dismissal; one with an owner (say a player kept by the root) is
// left to its owner. GUI thread only. Every subclass declares Q_OBJECT: the
// class name is the screen's storyboard identifier.
class ViewController : public QObject
{
    Q_OBJECT
public:
    enum class Appearance { disappeared, appearing, appeared, disappearing };

    explicit ViewController(QObject *parent = nullptr);
    ~ViewController() override;

    // The class name without namespace, as storyboards know screens.
    QString className() const;

    QWidget *view();
    bool isViewLoaded() const { return !m_view.isNull(); }
    void loadViewIfNeeded() { view(); }
    // Replaces the root view (before or instead of loadView()).
    void setView(QWidget *view);

    QString title() const { return m_title; }
    void setTitle(const QString &title);
    NavigationItem *navigationItem();
    TabBarItem *tabBarItem();
    void setTabBarItem(TabBarItem *item);
    QList<BarButtonItem *> toolbarItems() const { return m_toolbarItems; }
    void setToolbarItems(const QList<BarButtonItem *> &items, bool animated = false);
    bool hidesBottomBarWhenPushed = false;

    // Containment.
    ViewController *parentViewController() const { return m_parentVC; }
    QList<ViewController *> childViewControllers() const { return m_children; }
    void addChildViewController(ViewController *child);
    void removeFromParentViewController();
    NavigationController *navigationController() const;
    TabBarController *tabBarController() const;
    Window *window() const;

    // Presentation.
    void present(ViewController *controller, bool animated, std::function<void()> completion = {});
    void dismiss(bool animated, std::function<void()> completion = {});
    ViewController *presentedViewController() const;
    ViewController *presentingViewController() const;
    bool isBeingPresented() const { return m_beingPresented; }
    bool isBeingDismissed() const { return m_beingDismissed; }

    ModalPresentationStyle modalPresentationStyle() const { return m_style; }
    void setModalPresentationStyle(ModalPresentationStyle style);
    ModalTransitionStyle modalTransitionStyle = ModalTransitionStyle::coverVertical;
    QSizeF preferredContentSize() const { return m_preferredContentSize; }
    void setPreferredContentSize(const QSizeF &size) { m_preferredContentSize = size; }
    // Held weakly, as the toolkit does: the owner of the delegate keeps it.
    void setTransitioningDelegate(std::weak_ptr<ViewControllerTransitioningDelegate> delegate);
    // The same for a delegate that is not shared: when it is a QObject (a
    // screen that animates itself) it is dropped when destroyed; otherwise the
    // caller keeps it alive as long as it is set.
    void setTransitioningDelegate(ViewControllerTransitioningDelegate *delegate);
    std::shared_ptr<ViewControllerTransitioningDelegate> transitioningDelegate() const;
    // Exists while the style is popover.
    PopoverPresentationController *popoverPresentationController() const { return m_popover; }

    // Height of the bars above the screen: the bottom of the navigation bar
    // when in a navigation controller, else the status bar's height.
    double topBarHeight() const;
    // The content size for form sheets presented from this screen.
    QSizeF preferredFormSheetSize() const;

    Appearance appearance() const { return m_appearance; }
    // Container plumbing: a container calls these on the children it shows
    // or hides; they call the hooks and forward to visible children.
    void beginAppearanceTransition(bool appearing, bool animated);
    void endAppearanceTransition();

    // Called by the window when the screen size changes; forwards to children
    // and presented screens. Overrides call the base.
    virtual void viewWillTransition(const QSizeF &size);

    // The escape gesture (Escape on a desktop) for the screen on top: the
    // visible children answer first; a presented screen is dismissed. True
    // when it was handled. Screens that close in their own way override it.
    virtual bool accessibilityPerformEscape();
    // A key press that reached this screen's view unhandled (from the focused
    // widget inside it, or from the window for the screen on top). True when
    // the screen used it. Overrides call the base for keys they do not use.
    virtual bool handleKeyPress(QKeyEvent *event);

protected:
    virtual void loadView();
    virtual void viewDidLoad() { }
    virtual void viewWillAppear(bool /*animated*/) { }
    virtual void viewDidAppear(bool /*animated*/) { }
    virtual void viewWillDisappear(bool /*animated*/) { }
    virtual void viewDidDisappear(bool /*animated*/) { }
    virtual void viewWillLayoutSubviews() { }
    virtual void viewDidLayoutSubviews() { }
    // Containers lay out their children's views here.
    virtual void layoutChildViews() { }
    // The children that are on screen and hear appearance calls with this one.
    virtual QList<ViewController *> visibleChildren() const { return {}; }
    // Containers react to an item's title change.
    virtual void childTitleChanged(ViewController *) { }

    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    friend class PresentationController;
    friend class Window;
    void runLayout();
    ViewController *presentationRoot();

    QPointer<QWidget> m_view;
    bool m_loading = false;
    QString m_title;
    QPointer<NavigationItem> m_navigationItem;
    QPointer<TabBarItem> m_tabBarItem;
    QList<BarButtonItem *> m_toolbarItems;
    ViewController *m_parentVC = nullptr;
    QList<ViewController *> m_children;
    QPointer<Window> m_window;
    Appearance m_appearance = Appearance::disappeared;
    bool m_appearanceAnimated = false;

    PresentationController *m_presentation = nullptr; // the one this screen presents
    QPointer<ViewController> m_presenting;
    bool m_beingPresented = false;
    bool m_beingDismissed = false;
    ModalPresentationStyle m_style = ModalPresentationStyle::fullScreen;
    QSizeF m_preferredContentSize;
    std::weak_ptr<ViewControllerTransitioningDelegate> m_transitioningDelegate;
    ViewControllerTransitioningDelegate *m_plainDelegate = nullptr;
    QPointer<QObject> m_plainDelegateObject;
    bool m_plainDelegateIsObject = false;
    PopoverPresentationController *m_popover = nullptr;
};

} // namespace tarnik
