#pragma once

#include "Platform/UI/PopoverPresentationController.h"
#include "Platform/UI/ViewController.h"

namespace tarnik {

class TabBar;
class TabBarController;

// Hears tab taps; may refuse a selection.
class TabBarControllerDelegate
{
public:
    virtual ~TabBarControllerDelegate() = default;
    virtual bool shouldSelect(TabBarController *, ViewController *) { return true; }
    virtual void didSelect(TabBarController *, ViewController *) { }
};

// Screens in tabs with the tab bar at the bottom. The selected screen fills
// the area above the bar. A view can be inserted just below the bar in the
// stacking order (the mini player's place); its owner positions it, usually
// just above the bar. Setting selectedIndex in code does not ask the
// delegate; a tap on the bar does. The delegate is held weakly.
class TabBarController : public ViewController, public PopoverPresentationControllerDelegate
{
    Q_OBJECT
public:
    explicit TabBarController(QObject *parent = nullptr);

    QList<ViewController *> viewControllers() const { return m_tabs; }
    void setViewControllers(const QList<ViewController *> &controllers, bool animated = false);
    int selectedIndex() const { return m_selected; }
    void setSelectedIndex(int index);
    ViewController *selectedViewController() const { return m_tabs.value(m_selected); }
    void setSelectedViewController(ViewController *controller);

    TabBar *tabBar();
    // Replaces the bar (before the view loads), for a subclass of TabBar.
    void setTabBar(TabBar *bar);
    // Held weakly: a delegate that is a QObject is dropped when destroyed.
    void setDelegate(TabBarControllerDelegate *delegate)
    {
        m_delegate = delegate;
        m_delegateObject = dynamic_cast<QObject *>(delegate);
        m_delegateIsObject = !m_delegateObject.isNull();
    }
    TabBarControllerDelegate *delegate() const
    {
        return m_delegateIsObject && m_delegateObject.isNull() ? nullptr : m_delegate;
    }

    void insertSubviewBelowTabBar(QWidget *view);
    // The tapped item; asks the delegate, then selects.
    void tapTab(int index);

    // Presents a screen as a popover centred on this controller's view,
    // without arrows, kept centred when the window changes size.
    void presentCenteredPopover(ViewController *controller);
    void popoverPresentationControllerWillReposition(
        PopoverPresentationController *, QRectF &rect, QWidget *&view) override;

protected:
    void loadView() override;
    void layoutChildViews() override;
    QList<ViewController *> visibleChildren() const override;
    void childTitleChanged(ViewController *child) override;

private:
    void showSelected(ViewController *previous);
    void refreshItems();

    QList<ViewController *> m_tabs;
    int m_selected = -1;
    TabBar *m_tabBar = nullptr;
    QWidget *m_content = nullptr;
    TabBarControllerDelegate *m_delegate = nullptr;
    QPointer<QObject> m_delegateObject;
    bool m_delegateIsObject = false;
};

} // namespace tarnik
