#include "Platform/UI/Window.h"

#include "Platform/UI/DeviceProfile.h"
#include "Platform/UI/PresentationController.h"
#include "Platform/UI/View.h"
#include "Platform/UI/ViewController.h"

#include <QApplication>
#include <QKeyEvent>
#include <QResizeEvent>

namespace tarnik {

namespace {
QPointer<Window> g_keyWindow;
} // namespace

Window::Window(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("Window"));
}

Window::~Window()
{
    if (m_root) {
        m_root->m_window = nullptr;
        delete m_root.data();
    }
}

Window *Window::keyWindow()
{
    return g_keyWindow;
}

void Window::makeKey()
{
    g_keyWindow = this;
    DeviceProfile::setScreenWindow(this);
}

void Window::makeKeyAndVisible()
{
    makeKey();
    show();
}

void Window::setRootViewController(ViewController *root)
{
    if (m_root == root)
        return;
    if (m_root) {
        if (isVisible()) {
            m_root->beginAppearanceTransition(false, false);
            m_root->endAppearanceTransition();
        }
        m_root->m_window = nullptr;
        m_root->deleteLater();
    }
    m_root = root;
    if (!root)
        return;
    root->setParent(this);
    root->m_window = this;
    QWidget *view = root->view();
    View::addSubview(this, view);
    view->lower();
    view->setGeometry(rect());
    if (isVisible()) {
        root->beginAppearanceTransition(true, false);
        root->endAppearanceTransition();
    }
}

void Window::registerPresentation(PresentationController *presentation)
{
    m_presentations.append(presentation);
}

void Window::unregisterPresentation(PresentationController *presentation)
{
    m_presentations.removeAll(presentation);
}

ViewController *Window::topViewController() const
{
    for (auto it = m_presentations.crbegin(); it != m_presentations.crend(); ++it) {
        if (*it && (*it)->presented() && !(*it)->presented()->isBeingDismissed())
            return (*it)->presented();
    }
    return m_root;
}

void Window::keyPressEvent(QKeyEvent *event)
{
    ViewController *top = topViewController();
    if (!top) {
        QWidget::keyPressEvent(event);
        return;
    }
    // The screen on top hears keys that did not pass through its view (the
    // focus was elsewhere, or nowhere).
    QWidget *focus = QApplication::focusWidget();
    const bool passedTop = focus && top->isViewLoaded() && (focus == top->view() || top->view()->isAncestorOf(focus));
    if (!passedTop && top->handleKeyPress(event)) {
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && top != m_root) {
        top->accessibilityPerformEscape();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void Window::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (m_root) {
        m_root->viewWillTransition(QSizeF(event->size()));
        m_root->view()->setGeometry(rect());
    }
    const auto presentations = m_presentations;
    for (const auto &p : presentations) {
        if (p)
            p->windowResized();
    }
    Q_EMIT sizeChanged(event->size());
}

void Window::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_root && m_root->appearance() == ViewController::Appearance::disappeared) {
        m_root->beginAppearanceTransition(true, false);
        m_root->endAppearanceTransition();
    }
}

void Window::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (m_root && m_root->appearance() == ViewController::Appearance::appeared) {
        m_root->beginAppearanceTransition(false, false);
        m_root->endAppearanceTransition();
    }
}

} // namespace tarnik
