#include "Platform/UI/TabBarController.h"

#include "Platform/UI/TabBar.h"
#include "Platform/UI/TabBarItem.h"
#include "Platform/UI/View.h"

#include <QWidget>

namespace tarnik {

TabBarController::TabBarController(QObject *parent)
    : ViewController(parent)
{
}

// Until the view is loaded and takes the bar as its child, nobody else would delete it: it goes
// with the controller then. Once the view has it, it goes with the view.
static void deleteWhenOrphaned(TabBarController *controller, TabBar *bar)
{
    QObject::connect(controller, &QObject::destroyed, bar, [bar] {
        if (!bar->parent())
            delete bar;
    });
}

void TabBarController::setTabBar(TabBar *bar)
{
    if (isViewLoaded() || !bar)
        return;
    delete m_tabBar;
    m_tabBar = bar;
    deleteWhenOrphaned(this, bar);
}

TabBar *TabBarController::tabBar()
{
    if (!m_tabBar) {
        m_tabBar = new TabBar;
        deleteWhenOrphaned(this, m_tabBar);
    }
    return m_tabBar;
}

void TabBarController::loadView()
{
    auto *root = new QWidget;
    root->setAutoFillBackground(true);
    m_content = new QWidget(root);
    m_content->setObjectName(QStringLiteral("TabContent"));
    TabBar *bar = tabBar();
    bar->setParent(root);
    bar->show();
    connect(bar, &TabBar::itemTapped, this, &TabBarController::tapTab);
    setView(root);
    refreshItems();
    showSelected(nullptr);
}

void TabBarController::layoutChildViews()
{
    if (!m_content)
        return;
    QWidget *root = view();
    const int barHeight = m_tabBar->isHidden() ? 0 : m_tabBar->height();
    m_tabBar->setGeometry(0, root->height() - m_tabBar->height(), root->width(), m_tabBar->height());
    m_content->setGeometry(0, 0, root->width(), root->height() - barHeight);
    if (ViewController *selected = selectedViewController()) {
        if (selected->isViewLoaded())
            selected->view()->setGeometry(m_content->rect());
    }
}

QList<ViewController *> TabBarController::visibleChildren() const
{
    if (ViewController *selected = selectedViewController())
        return { selected };
    return {};
}

void TabBarController::childTitleChanged(ViewController *)
{
    refreshItems();
}

void TabBarController::refreshItems()
{
    QList<TabBarItem *> items;
    for (ViewController *vc : std::as_const(m_tabs))
        items.append(vc->tabBarItem());
    tabBar()->setItems(items);
    tabBar()->setSelectedIndex(m_selected);
}

void TabBarController::setViewControllers(const QList<ViewController *> &controllers, bool)
{
    ViewController *previous = selectedViewController();
    for (ViewController *vc : std::as_const(m_tabs)) {
        if (!controllers.contains(vc)) {
            vc->removeFromParentViewController();
            if (vc->isViewLoaded())
                View::removeFromSuperview(vc->view());
            vc->deleteLater();
        }
    }
    m_tabs.clear();
    for (ViewController *vc : controllers) {
        if (!vc || m_tabs.contains(vc))
            continue;
        addChildViewController(vc);
        m_tabs.append(vc);
    }
    m_selected = m_tabs.isEmpty() ? -1 : std::clamp(m_selected, 0, int(m_tabs.size()) - 1);
    refreshItems();
    if (isViewLoaded())
        showSelected(m_tabs.contains(previous) ? previous : nullptr);
}

void TabBarController::setSelectedIndex(int index)
{
    if (index < 0 || index >= m_tabs.size() || index == m_selected)
        return;
    ViewController *previous = selectedViewController();
    m_selected = index;
    tabBar()->setSelectedIndex(index);
    if (isViewLoaded())
        showSelected(previous);
}

void TabBarController::setSelectedViewController(ViewController *controller)
{
    setSelectedIndex(int(m_tabs.indexOf(controller)));
}

void TabBarController::tapTab(int index)
{
    ViewController *vc = m_tabs.value(index);
    if (!vc)
        return;
    if (TabBarControllerDelegate *d = delegate(); d && !d->shouldSelect(this, vc))
        return;
    setSelectedIndex(index);
    if (TabBarControllerDelegate *d = delegate())
        d->didSelect(this, vc);
}

void TabBarController::showSelected(ViewController *previous)
{
    ViewController *next = selectedViewController();
    const bool onScreen = appearance() == Appearance::appeared || appearance() == Appearance::appearing;
    if (previous == next) {
        if (next && next->view()->parentWidget() != m_content) {
            View::addSubview(m_content, next->view());
            layoutChildViews();
        }
        return;
    }
    if (onScreen) {
        if (previous)
            previous->beginAppearanceTransition(false, false);
        if (next)
            next->beginAppearanceTransition(true, false);
    }
    if (previous && previous->isViewLoaded())
        View::removeFromSuperview(previous->view());
    if (next)
        View::addSubview(m_content, next->view());
    layoutChildViews();
    if (onScreen) {
        if (previous)
            previous->endAppearanceTransition();
        if (next)
            next->endAppearanceTransition();
    }
}

void TabBarController::insertSubviewBelowTabBar(QWidget *view)
{
    if (!view)
        return;
    QWidget *root = this->view();
    view->setParent(root);
    view->show();
    view->stackUnder(m_tabBar);
}

void TabBarController::presentCenteredPopover(ViewController *controller)
{
    if (!controller)
        return;
    if (PopoverPresentationController *popover = controller->popoverPresentationController()) {
        popover->setDelegate(this);
        popover->setSourceView(view());
        const QRect bounds = view()->rect();
        popover->setSourceRect(QRectF(bounds.x() + bounds.width() / 2.0, bounds.y() + bounds.height() / 2.0, 0, 0));
        popover->permittedArrowDirections = 0;
    }
    present(controller, true);
}

void TabBarController::popoverPresentationControllerWillReposition(
    PopoverPresentationController *, QRectF &rect, QWidget *&)
{
    const QRect bounds = view()->rect();
    rect = QRectF(bounds.x() + bounds.width() / 2.0, bounds.y() + bounds.height() / 2.0, 0, 0);
}

} // namespace tarnik
