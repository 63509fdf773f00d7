#include "Platform/UI/NavigationController.h"

#include "Platform/UI/AnimationDriver.h"
#include "Platform/UI/NavigationBar.h"
#include "Platform/UI/NavigationItem.h"
#include "Platform/UI/Toolbar.h"
#include "Platform/UI/View.h"

#include <QKeyEvent>
#include <QWidget>

namespace tarnik {

namespace {
std::function<void(NavigationController *)> &loadHook()
{
    static std::function<void(NavigationController *)> hook;
    return hook;
}
} // namespace

NavigationController::NavigationController(ViewController *rootViewController, QObject *parent)
    : ViewController(parent)
{
    if (rootViewController) {
        addChildViewController(rootViewController);
        m_stack.append(rootViewController);
    }
}

void NavigationController::setViewDidLoadHook(std::function<void(NavigationController *)> hook)
{
    loadHook() = std::move(hook);
}

void NavigationController::loadView()
{
    auto *root = new QWidget;
    root->setAutoFillBackground(true);
    m_content = new QWidget(root);
    m_content->setObjectName(QStringLiteral("NavigationContent"));
    m_bar = new NavigationBar(root);
    m_toolbar = new Toolbar(root);
    m_toolbar->setVisible(!m_toolbarHidden);
    connect(m_bar, &NavigationBar::backTapped, this, [this] { popViewController(true); });
    setView(root);
}

void NavigationController::viewDidLoad()
{
    if (ViewController *top = topViewController())
        View::addSubview(m_content, top->view());
    updateBars();
    layoutChildViews();
    if (loadHook())
        loadHook()(this);
}

NavigationBar *NavigationController::navigationBar()
{
    loadViewIfNeeded();
    return m_bar;
}

Toolbar *NavigationController::toolbar()
{
    loadViewIfNeeded();
    return m_toolbar;
}

ViewController *NavigationController::visibleViewController() const
{
    if (ViewController *presented = presentedViewController())
        return presented;
    return topViewController();
}

QRect NavigationController::contentRect() const
{
    QWidget *root = const_cast<NavigationController *>(this)->view();
    const int top = m_barHidden ? 0 : NavigationBar::kHeight;
    const int bottom = m_toolbarHidden ? 0 : Toolbar::kHeight - m_toolbarOffset;
    return QRect(0, top, root->width(), std::max(0, root->height() - top - bottom));
}

void NavigationController::layoutChildViews()
{
    if (!m_content)
        return;
    QWidget *root = view();
    m_bar->setGeometry(0, 0, root->width(), NavigationBar::kHeight);
    m_bar->setVisible(!m_barHidden);
    m_toolbar->setGeometry(0, root->height() - Toolbar::kHeight + m_toolbarOffset, root->width(), Toolbar::kHeight);
    const QRect content = contentRect();
    m_content->setGeometry(content);
    // During a push or pop the transition places the two views itself.
    ViewController *top = topViewController();
    if (m_transitions == 0 && top && top->isViewLoaded() && top->view()->parentWidget() == m_content)
        top->view()->setGeometry(0, 0, content.width(), content.height());
}

QList<ViewController *> NavigationController::visibleChildren() const
{
    if (ViewController *top = topViewController())
        return { top };
    return {};
}

void NavigationController::childTitleChanged(ViewController *child)
{
    if (child == topViewController() || m_stack.indexOf(child) == m_stack.size() - 2)
        updateBars();
}

bool NavigationController::isOnScreen() const
{
    return appearance() == Appearance::appeared || appearance() == Appearance::appearing;
}

void NavigationController::updateBars()
{
    if (!m_bar)
        return;
    ViewController *top = topViewController();
    ViewController *below = m_stack.size() >= 2 ? m_stack[m_stack.size() - 2] : nullptr;
    QString backTitle;
    if (below)
        backTitle = below->title().isEmpty() ? QStringLiteral("Back") : below->title();
    m_bar->setItems(top ? top->navigationItem() : nullptr, below ? below->navigationItem() : nullptr, backTitle);
    m_toolbar->setItems(top ? top->toolbarItems() : QList<BarButtonItem *> {});
}

void NavigationController::transition(
    ViewController *from, ViewController *to, bool animated, bool forward, const QList<ViewController *> &removed)
{
    const bool visible = isViewLoaded() && isOnScreen();
    const bool animate = animated && visible && from && to && from != to;
    if (visible && from != to) {
        if (from)
            from->beginAppearanceTransition(false, animate);
        if (to)
            to->beginAppearanceTransition(true, animate);
    }
    if (!isViewLoaded()) {
        for (ViewController *vc : removed)
            vc->deleteLater();
        return;
    }
    updateBars();
    const QRect content(0, 0, m_content->width(), m_content->height());
    if (to) {
        View::addSubview(m_content, to->view());
        to->view()->setGeometry(content);
    }
    QPointer<ViewController> fromGuard(from);
    QPointer<ViewController> toGuard(to);
    QPointer<NavigationController> self(this);
    auto finish = [self, fromGuard, toGuard, removed, visible, animate](bool) {
        if (!self)
            return;
        if (animate)
            --self->m_transitions;
        // The keyboard's focus follows the user into the screen that came.
        const bool focusLeaves
            = fromGuard && fromGuard != toGuard && fromGuard->isViewLoaded() && View::containsFocus(fromGuard->view());
        if (fromGuard && fromGuard != toGuard && fromGuard->isViewLoaded())
            View::removeFromSuperview(fromGuard->view());
        if (visible && fromGuard != toGuard) {
            if (fromGuard)
                fromGuard->endAppearanceTransition();
            if (toGuard)
                toGuard->endAppearanceTransition();
        }
        for (ViewController *vc : removed) {
            if (vc != toGuard)
                vc->deleteLater();
        }
        self->layoutChildViews();
        if (focusLeaves && toGuard)
            View::focusFirstControl(toGuard->view());
    };
    if (!animate) {
        finish(true);
        return;
    }
    const int w = content.width();
    ++m_transitions;
    QWidget *toView = to->view();
    QWidget *fromView = from->view();
    if (forward) {
        toView->raise();
        View::setFrame(toView, content.translated(w, 0));
    } else {
        fromView->raise();
        View::setFrame(toView, content.translated(-w / 3, 0));
    }
    View::animate(
        0.35,
        [&] {
            View::setFrame(toView, content);
            View::setFrame(fromView, forward ? content.translated(-w / 3, 0) : content.translated(w, 0));
        },
        finish);
}

bool NavigationController::handleKeyPress(QKeyEvent *event)
{
    // Back a level, as a desktop file manager goes: Backspace or Alt+Left.
    const bool back = (event->key() == Qt::Key_Backspace && event->modifiers() == Qt::NoModifier)
        || (event->key() == Qt::Key_Left && event->modifiers() == Qt::AltModifier);
    if (back && m_stack.size() > 1) {
        if (m_transitions == 0)
            popViewController(true);
        return true;
    }
    return ViewController::handleKeyPress(event);
}

void NavigationController::pushViewController(ViewController *controller, bool animated)
{
    if (!controller || m_stack.contains(controller))
        return;
    ViewController *from = topViewController();
    addChildViewController(controller);
    m_stack.append(controller);
    transition(from, controller, animated, true, {});
}

ViewController *NavigationController::popViewController(bool animated)
{
    if (m_stack.size() < 2)
        return nullptr;
    ViewController *popped = m_stack.takeLast();
    popped->removeFromParentViewController();
    transition(popped, topViewController(), animated, false, { popped });
    return popped;
}

QList<ViewController *> NavigationController::popToRootViewController(bool animated)
{
    if (m_stack.isEmpty())
        return {};
    return popToViewController(m_stack.first(), animated);
}

QList<ViewController *> NavigationController::popToViewController(ViewController *controller, bool animated)
{
    const int index = m_stack.indexOf(controller);
    if (index < 0 || index == m_stack.size() - 1)
        return {};
    ViewController *from = topViewController();
    const QList<ViewController *> popped = m_stack.mid(index + 1);
    m_stack = m_stack.mid(0, index + 1);
    for (ViewController *vc : popped) {
        vc->removeFromParentViewController();
        if (vc != from && vc->isViewLoaded())
            View::removeFromSuperview(vc->view());
    }
    transition(from, controller, animated, false, popped);
    return popped;
}

void NavigationController::setViewControllers(const QList<ViewController *> &controllers, bool animated)
{
    ViewController *from = topViewController();
    QList<ViewController *> removed;
    for (ViewController *vc : std::as_const(m_stack)) {
        if (!controllers.contains(vc)) {
            vc->removeFromParentViewController();
            removed.append(vc);
            if (vc != from && vc->isViewLoaded())
                View::removeFromSuperview(vc->view());
        }
    }
    m_stack.clear();
    for (ViewController *vc : controllers) {
        if (!vc || m_stack.contains(vc))
            continue;
        addChildViewController(vc);
        m_stack.append(vc);
        if (vc != controllers.last() && vc != from && vc->isViewLoaded() && vc->view()->parentWidget())
            View::removeFromSuperview(vc->view());
    }
    ViewController *to = topViewController();
    const bool forward = !from || !m_stack.contains(from);
    transition(from, to, animated, forward, removed);
}

void NavigationController::setNavigationBarHidden(bool hidden, bool)
{
    m_barHidden = hidden;
    if (isViewLoaded())
        layoutChildViews();
}

void NavigationController::setToolbarHidden(bool hidden, bool animated)
{
    if (m_toolbarHidden == hidden && (!m_toolbar || m_toolbar->isVisible() == !hidden))
        return;
    if (!isViewLoaded() || !animated) {
        m_toolbarHidden = hidden;
        m_toolbarOffset = 0;
        if (m_toolbar)
            m_toolbar->setVisible(!hidden);
        if (isViewLoaded())
            layoutChildViews();
        return;
    }
    // The toolbar slides below the bottom edge (or up from it).
    m_toolbar->show();
    m_toolbarHidden = false;
    m_toolbarOffset = hidden ? 0 : Toolbar::kHeight;
    layoutChildViews();
    QPointer<NavigationController> guard(this);
    auto anim = BasicAnimation::fromTo(m_toolbarOffset, hidden ? Toolbar::kHeight : 0, [guard](double v) {
        if (guard) {
            guard->m_toolbarOffset = int(v);
            guard->layoutChildViews();
        }
    });
    anim->duration = 0.25;
    anim->timing = TimingFunction::easeInOut();
    AnimationDriver::shared().run(anim, 0.0, [guard, hidden](bool) {
        if (!guard)
            return;
        guard->m_toolbarHidden = hidden;
        guard->m_toolbarOffset = 0;
        guard->m_toolbar->setVisible(!hidden);
        guard->layoutChildViews();
    });
}

} // namespace tarnik
