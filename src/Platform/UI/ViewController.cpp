#include "Platform/UI/ViewController.h"

#include "Platform/UI/DeviceProfile.h"
#include "Platform/UI/NavigationBar.h"
#include "Platform/UI/NavigationController.h"
#include "Platform/UI/NavigationItem.h"
#include "Platform/UI/PopoverPresentationController.h"
#include "Platform/UI/PresentationController.h"
#include "Platform/UI/TabBar.h"
#include "Platform/UI/TabBarController.h"
#include "Platform/UI/TabBarItem.h"
#include "Platform/UI/Window.h"

#include <QEvent>
#include <QKeyEvent>
#include <QWidget>
#include <algorithm>

namespace tarnik {

ViewController::ViewController(QObject *parent)
    : QObject(parent)
{
}

ViewController::~ViewController()
{
    if (m_parentVC)
        m_parentVC->m_children.removeAll(this);
    for (ViewController *child : std::as_const(m_children))
        child->m_parentVC = nullptr;
    if (m_presentation) {
        m_presentation->disconnect();
        delete m_presentation;
        m_presentation = nullptr;
    }
    if (m_presenting && m_presenting->m_presentation && m_presenting->m_presentation->presented() == this)
        m_presenting->m_presentation->presentedDestroyed();
    delete m_view.data();
}

QString ViewController::className() const
{
    QString name = QString::fromLatin1(metaObject()->className());
    const int colon = name.lastIndexOf(QLatin1Char(':'));
    return colon >= 0 ? name.mid(colon + 1) : name;
}

QWidget *ViewController::view()
{
    if (!m_view && !m_loading) {
        m_loading = true;
        loadView();
        if (!m_view)
            setView(new QWidget);
        m_loading = false;
        viewDidLoad();
    }
    return m_view;
}

void ViewController::setView(QWidget *view)
{
    if (m_view)
        m_view->removeEventFilter(this);
    m_view = view;
    if (view) {
        if (view->objectName().isEmpty())
            view->setObjectName(className());
        view->installEventFilter(this);
    }
}

void ViewController::loadView()
{
    auto *view = new QWidget;
    view->setAutoFillBackground(true);
    setView(view);
}

bool ViewController::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_view && event->type() == QEvent::Resize)
        runLayout();
    if (watched == m_view && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (handleKeyPress(key)) {
            key->accept();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

bool ViewController::accessibilityPerformEscape()
{
    for (ViewController *child : visibleChildren()) {
        if (child && child->accessibilityPerformEscape())
            return true;
    }
    if (presentingViewController()) {
        if (!m_beingDismissed)
            dismiss(true);
        return true;
    }
    return false;
}

bool ViewController::handleKeyPress(QKeyEvent *)
{
    return false;
}

void ViewController::runLayout()
{
    viewWillLayoutSubviews();
    layoutChildViews();
    viewDidLayoutSubviews();
}

void ViewController::setTitle(const QString &title)
{
    m_title = title;
    navigationItem()->setTitle(title);
    tabBarItem()->setTitle(title);
    if (m_parentVC)
        m_parentVC->childTitleChanged(this);
}

NavigationItem *ViewController::navigationItem()
{
    if (!m_navigationItem) {
        m_navigationItem = new NavigationItem(this);
        m_navigationItem->setTitle(m_title);
    }
    return m_navigationItem;
}

TabBarItem *ViewController::tabBarItem()
{
    if (!m_tabBarItem)
        m_tabBarItem = new TabBarItem(m_title, {}, 0, this);
    return m_tabBarItem;
}

void ViewController::setTabBarItem(TabBarItem *item)
{
    if (item && !item->parent())
        item->setParent(this);
    m_tabBarItem = item;
    if (m_parentVC)
        m_parentVC->childTitleChanged(this);
}

void ViewController::setToolbarItems(const QList<BarButtonItem *> &items, bool)
{
    for (BarButtonItem *item : items) {
        if (item && !item->parent())
            item->setParent(this);
    }
    m_toolbarItems = items;
    if (m_parentVC)
        m_parentVC->childTitleChanged(this);
}

void ViewController::addChildViewController(ViewController *child)
{
    if (!child || child == this || child->m_parentVC == this)
        return;
    if (child->m_parentVC)
        child->removeFromParentViewController();
    child->setParent(this);
    child->m_parentVC = this;
    m_children.append(child);
}

void ViewController::removeFromParentViewController()
{
    if (!m_parentVC)
        return;
    m_parentVC->m_children.removeAll(this);
    m_parentVC = nullptr;
}

NavigationController *ViewController::navigationController() const
{
    for (ViewController *p = m_parentVC; p; p = p->m_parentVC) {
        if (auto *nav = qobject_cast<NavigationController *>(p))
            return nav;
    }
    return nullptr;
}

TabBarController *ViewController::tabBarController() const
{
    for (ViewController *p = m_parentVC; p; p = p->m_parentVC) {
        if (auto *tab = qobject_cast<TabBarController *>(p))
            return tab;
    }
    return nullptr;
}

ViewController *ViewController::presentationRoot()
{
    ViewController *p = this;
    while (p->m_parentVC)
        p = p->m_parentVC;
    return p;
}

Window *ViewController::window() const
{
    const ViewController *p = this;
    while (p->m_parentVC)
        p = p->m_parentVC;
    if (p->m_window)
        return p->m_window;
    if (p->m_presenting)
        return p->m_presenting->window();
    return nullptr;
}

void ViewController::present(ViewController *controller, bool animated, std::function<void()> completion)
{
    if (!controller || controller == this)
        return;
    ViewController *presenter = presentationRoot();
    // Like the toolkit: a screen that already presents, a screen that is
    // shown elsewhere, or a presenter outside any window does nothing.
    if (presenter->m_presentation || controller->m_presenting || controller->m_parentVC || !presenter->window())
        return;
    const bool adopted = controller->parent() == nullptr;
    if (adopted)
        controller->setParent(presenter);
    auto *presentation = new PresentationController(presenter, controller, adopted);
    presenter->m_presentation = presentation;
    controller->m_presenting = presenter;
    presentation->present(animated, std::move(completion));
}

void ViewController::dismiss(bool animated, std::function<void()> completion)
{
    ViewController *root = presentationRoot();
    if (root->m_presentation) {
        root->m_presentation->dismiss(animated, std::move(completion));
        return;
    }
    if (root->m_presenting && root->m_presenting->m_presentation) {
        root->m_presenting->m_presentation->dismiss(animated, std::move(completion));
        return;
    }
    if (completion)
        completion();
}

ViewController *ViewController::presentedViewController() const
{
    for (const ViewController *p = this; p; p = p->m_parentVC) {
        if (p->m_presentation)
            return p->m_presentation->presented();
    }
    return nullptr;
}

ViewController *ViewController::presentingViewController() const
{
    for (const ViewController *p = this; p; p = p->m_parentVC) {
        if (p->m_presenting)
            return p->m_presenting;
    }
    return nullptr;
}

void ViewController::setTransitioningDelegate(std::weak_ptr<ViewControllerTransitioningDelegate> delegate)
{
    m_transitioningDelegate = std::move(delegate);
    m_plainDelegate = nullptr;
    m_plainDelegateObject = nullptr;
    m_plainDelegateIsObject = false;
}

void ViewController::setTransitioningDelegate(ViewControllerTransitioningDelegate *delegate)
{
    m_transitioningDelegate.reset();
    m_plainDelegate = delegate;
    m_plainDelegateObject = dynamic_cast<QObject *>(delegate);
    m_plainDelegateIsObject = !m_plainDelegateObject.isNull();
}

std::shared_ptr<ViewControllerTransitioningDelegate> ViewController::transitioningDelegate() const
{
    if (auto shared = m_transitioningDelegate.lock())
        return shared;
    if (!m_plainDelegate || (m_plainDelegateIsObject && m_plainDelegateObject.isNull()))
        return nullptr;
    // Not owned: an empty owner with the plain pointer.
    return std::shared_ptr<ViewControllerTransitioningDelegate>(std::shared_ptr<void>(), m_plainDelegate);
}

void ViewController::setModalPresentationStyle(ModalPresentationStyle style)
{
    m_style = style;
    if (style == ModalPresentationStyle::popover && !m_popover)
        m_popover = new PopoverPresentationController(this);
}

double ViewController::topBarHeight() const
{
    if (NavigationController *nav = navigationController()) {
        const QRect frame = nav->navigationBar()->geometry();
        return frame.y() + frame.height();
    }
    return DeviceProfile::statusBarHeight();
}

QSizeF ViewController::preferredFormSheetSize() const
{
    const double width = std::min(DeviceProfile::minLength() - 30.0, 500.0);
    double height = DeviceProfile::maxLength() - topBarHeight() - 20.0;
    if (TabBarController *tab = tabBarController())
        height -= tab->tabBar()->geometry().height() + 60.0;
    return QSizeF(width, height);
}

void ViewController::beginAppearanceTransition(bool appearing, bool animated)
{
    m_appearanceAnimated = animated;
    if (appearing) {
        if (m_appearance == Appearance::appeared || m_appearance == Appearance::appearing)
            return;
        m_appearance = Appearance::appearing;
        loadViewIfNeeded();
        viewWillAppear(animated);
    } else {
        if (m_appearance == Appearance::disappeared || m_appearance == Appearance::disappearing)
            return;
        m_appearance = Appearance::disappearing;
        viewWillDisappear(animated);
    }
    for (ViewController *child : visibleChildren())
        child->beginAppearanceTransition(appearing, animated);
}

void ViewController::endAppearanceTransition()
{
    if (m_appearance == Appearance::appearing) {
        m_appearance = Appearance::appeared;
        viewDidAppear(m_appearanceAnimated);
    } else if (m_appearance == Appearance::disappearing) {
        m_appearance = Appearance::disappeared;
        viewDidDisappear(m_appearanceAnimated);
    } else {
        return;
    }
    for (ViewController *child : visibleChildren())
        child->endAppearanceTransition();
}

void ViewController::viewWillTransition(const QSizeF &size)
{
    for (ViewController *child : std::as_const(m_children))
        child->viewWillTransition(size);
    if (m_presentation && m_presentation->presented())
        m_presentation->presented()->viewWillTransition(size);
}

} // namespace tarnik
