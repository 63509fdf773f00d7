#include "Platform/UI/PresentationController.h"

#include "Platform/UI/DefaultTransitions.h"
#include "Platform/UI/DeviceProfile.h"
#include "Platform/UI/PercentDrivenInteractiveTransition.h"
#include "Platform/UI/PopoverPresentationController.h"
#include "Platform/UI/TransitionContext.h"
#include "Platform/UI/View.h"
#include "Platform/UI/Window.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

namespace tarnik {

PresentationContainer::PresentationContainer(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("PresentationContainer"));
}

void PresentationContainer::paintEvent(QPaintEvent *)
{
    if (!dimmed)
        return;
    QPainter p(this);
    p.fillRect(rect(), QColor(0, 0, 0, 100));
}

void PresentationContainer::mousePressEvent(QMouseEvent *event)
{
    if (onPressOutside)
        onPressOutside(event->position().toPoint());
    event->accept();
}

PresentationController::PresentationController(ViewController *presenting, ViewController *presented, bool adopted)
    : QObject(presenting)
    , m_presenting(presenting)
    , m_presented(presented)
    , m_adopted(adopted)
{
}

PresentationController::~PresentationController()
{
    if (m_container)
        delete m_container.data();
}

ModalPresentationStyle PresentationController::effectiveStyle() const
{
    const ModalPresentationStyle style = m_presented->modalPresentationStyle();
    if (DeviceProfile::isPad())
        return style;
    if (style == ModalPresentationStyle::formSheet)
        return ModalPresentationStyle::fullScreen;
    if (style == ModalPresentationStyle::popover) {
        PopoverPresentationController *popover = m_presented->popoverPresentationController();
        if (popover && popover->delegate()) {
            const ModalPresentationStyle adapted = popover->delegate()->adaptivePresentationStyle(popover);
            return adapted;
        }
        return ModalPresentationStyle::fullScreen;
    }
    return style;
}

bool PresentationController::coversPresenter() const
{
    return effectiveStyle() == ModalPresentationStyle::fullScreen;
}

QRect PresentationController::frameOfPresentedView() const
{
    if (!m_container)
        return {};
    const QRect bounds = m_container->rect();
    switch (effectiveStyle()) {
    case ModalPresentationStyle::formSheet: {
        QSizeF size = m_presented->preferredContentSize();
        if (!size.isValid() || size.isEmpty())
            size = QSizeF(540, 620);
        const QSize s = size.toSize().boundedTo(bounds.size());
        return QRect(bounds.x() + (bounds.width() - s.width()) / 2, bounds.y() + (bounds.height() - s.height()) / 2,
            s.width(), s.height());
    }
    case ModalPresentationStyle::popover:
        if (PopoverPresentationController *popover = m_presented->popoverPresentationController())
            return popover->frameIn(m_container, m_presented->preferredContentSize());
        return bounds;
    default:
        return bounds;
    }
}

std::shared_ptr<ViewControllerAnimatedTransitioning> PresentationController::animator(bool presenting) const
{
    if (auto delegate = m_presented->transitioningDelegate()) {
        auto custom = presenting ? delegate->animationControllerForPresented(m_presented, m_presenting, m_presenting)
                                 : delegate->animationControllerForDismissed(m_presented);
        if (custom)
            return custom;
    }
    const ModalPresentationStyle style = effectiveStyle();
    if (style == ModalPresentationStyle::popover
        || m_presented->modalTransitionStyle == ModalTransitionStyle::crossDissolve)
        return std::make_shared<CrossDissolveTransition>(presenting);
    return std::make_shared<CoverVerticalTransition>(presenting);
}

void PresentationController::present(bool animated, std::function<void()> completion)
{
    Window *window = m_presenting->window();
    m_completion = std::move(completion);
    m_focusBefore = QApplication::focusWidget();
    m_presented->m_beingPresented = true;
    m_presented->loadViewIfNeeded();
    m_container = new PresentationContainer(window);
    m_container->setGeometry(window ? window->rect() : QRect());
    const ModalPresentationStyle style = effectiveStyle();
    m_container->dimmed = style == ModalPresentationStyle::formSheet || style == ModalPresentationStyle::popover;
    m_container->onPressOutside = [this](const QPoint &pos) { pressedOutside(pos); };
    m_container->show();
    m_container->raise();
    if (window)
        window->registerPresentation(this);

    QWidget *view = m_presented->view();
    m_container->presentedView = view;
    if (!view->parentWidget())
        view->hide();

    m_presented->beginAppearanceTransition(true, animated);
    if (coversPresenter())
        m_presenting->beginAppearanceTransition(false, animated);

    m_context = std::make_shared<TransitionContext>(
        m_container, m_presenting, m_presented, animated, completionFor(&PresentationController::finishPresentation));
    const QRect full = m_container->rect();
    m_context->setFrames(m_presenting, full, full);
    m_context->setFrames(m_presented, QRect(), frameOfPresentedView());
    run(animated, true);
}

void PresentationController::dismiss(bool animated, std::function<void()> completion)
{
    if (!m_presented) {
        if (completion)
            completion();
        return;
    }
    if (m_presented->m_presentation)
        m_presented->m_presentation->tearDown();
    m_completion = std::move(completion);
    m_restoreFocus
        = !QApplication::focusWidget() || (m_presented->isViewLoaded() && View::containsFocus(m_presented->view()));
    m_presented->m_beingDismissed = true;
    m_presented->beginAppearanceTransition(false, animated);
    if (coversPresenter())
        m_presenting->beginAppearanceTransition(true, animated);
    m_context = std::make_shared<TransitionContext>(
        m_container, m_presented, m_presenting, animated, completionFor(&PresentationController::finishDismissal));
    const QRect current = View::frame(m_presented->view());
    m_context->setFrames(m_presented, current, current);
    m_context->setFrames(
        m_presenting, m_container ? m_container->rect() : QRect(), m_container ? m_container->rect() : QRect());
    run(animated, false);
}

std::function<void(bool)> PresentationController::completionFor(void (PresentationController::*finish)(bool))
{
    // Only the current transition of a presentation that still exists may
    // finish it: one superseded by a dismissal, or whose presentation was
    // taken down, ends quietly.
    QPointer<PresentationController> self(this);
    const int generation = ++m_generation;
    return [self, generation, finish](bool done) {
        if (self && self->m_generation == generation && !self->m_tornDown)
            (self.data()->*finish)(done);
    };
}

void PresentationController::run(bool animated, bool presenting)
{
    auto context = m_context;
    TransitionContext::retainUntilComplete(context);
    if (!animated) {
        if (presenting) {
            View::addSubview(m_container, m_presented->view());
            View::setFrame(m_presented->view(), context->finalFrame(m_presented));
        }
        context->completeTransition(true);
        return;
    }
    m_animator = animator(presenting);
    if (auto delegate = m_presented->transitioningDelegate()) {
        m_interactor = presenting ? delegate->interactionControllerForPresentation(m_animator.get())
                                  : delegate->interactionControllerForDismissal(m_animator.get());
    } else {
        m_interactor.reset();
    }
    if (m_interactor) {
        context->setInteractive(true);
        if (auto *percent = dynamic_cast<PercentDrivenInteractiveTransition *>(m_interactor.get()))
            percent->setAnimator(m_animator.get());
        m_interactor->startInteractiveTransition(context.get());
    } else {
        m_animator->animateTransition(context.get());
    }
}

void PresentationController::finishPresentation(bool didComplete)
{
    auto keepAlive = m_context;
    auto animatorAlive = m_animator;
    QPointer<PresentationController> self(this);
    ViewController *presented = m_presented;
    ViewController *presenting = m_presenting;
    auto completion = std::move(m_completion);
    if (presented)
        presented->m_beingPresented = false;
    if (didComplete) {
        if (presented)
            presented->endAppearanceTransition();
        if (coversPresenter())
            presenting->endAppearanceTransition();
        if (m_animator)
            m_animator->animationEnded(true);
        m_interactor.reset();
        // The keyboard works on the screen on top: the focus moves into it
        // unless the screen placed it there itself.
        if (presented && presented->isViewLoaded()) {
            QWidget *view = presented->view();
            QWidget *focus = QApplication::focusWidget();
            if (!focus || !(focus == view || view->isAncestorOf(focus)))
                View::focusFirstControl(view);
        }
        if (completion)
            completion();
        return;
    }
    // A cancelled (interactive) presentation leaves everything as before.
    if (presented) {
        presented->beginAppearanceTransition(false, false);
        presented->endAppearanceTransition();
    }
    if (coversPresenter()) {
        presenting->beginAppearanceTransition(true, false);
        presenting->endAppearanceTransition();
    }
    if (m_animator)
        m_animator->animationEnded(false);
    unlink();
    if (completion)
        completion();
}

void PresentationController::finishDismissal(bool didComplete)
{
    auto keepAlive = m_context;
    auto animatorAlive = m_animator;
    ViewController *presented = m_presented;
    ViewController *presenting = m_presenting;
    auto completion = std::move(m_completion);
    if (presented)
        presented->m_beingDismissed = false;
    if (!didComplete) {
        // The screen stays presented.
        if (presented) {
            presented->beginAppearanceTransition(true, false);
            presented->endAppearanceTransition();
        }
        if (coversPresenter()) {
            presenting->beginAppearanceTransition(false, false);
            presenting->endAppearanceTransition();
        }
        if (m_animator)
            m_animator->animationEnded(false);
        m_interactor.reset();
        return;
    }
    if (presented)
        presented->endAppearanceTransition();
    if (coversPresenter())
        presenting->endAppearanceTransition();
    if (m_animator)
        m_animator->animationEnded(true);
    PopoverPresentationController *popover = presented ? presented->popoverPresentationController() : nullptr;
    unlink();
    // The focus goes back where it was before the screen came.
    if (m_restoreFocus && m_focusBefore && m_focusBefore->isVisible())
        m_focusBefore->setFocus(Qt::OtherFocusReason);
    if (popover && popover->delegate())
        popover->delegate()->popoverPresentationControllerDidDismissPopover(popover);
    if (completion)
        completion();
}

void PresentationController::unlink()
{
    m_tornDown = true;
    ViewController *presented = m_presented;
    if (presented) {
        QWidget *view = presented->isViewLoaded() ? presented->view() : nullptr;
        if (view && m_container && (view->parentWidget() == m_container || m_container->isAncestorOf(view)))
            View::removeFromSuperview(view);
        presented->m_presenting = nullptr;
    }
    if (Window *window = m_presenting->window())
        window->unregisterPresentation(this);
    if (m_container)
        m_container->deleteLater();
    m_container = nullptr;
    if (m_presenting->m_presentation == this)
        m_presenting->m_presentation = nullptr;
    if (presented && m_adopted)
        presented->deleteLater();
    deleteLater();
}

void PresentationController::tearDown()
{
    if (m_presented && m_presented->m_presentation)
        m_presented->m_presentation->tearDown();
    if (m_presented) {
        m_presented->beginAppearanceTransition(false, false);
        m_presented->endAppearanceTransition();
    }
    m_completion = nullptr;
    unlink();
}

void PresentationController::presentedDestroyed()
{
    m_completion = nullptr;
    m_adopted = false; // it is going already
    if (m_presented && coversPresenter()) {
        m_presenting->beginAppearanceTransition(true, false);
        m_presenting->endAppearanceTransition();
    }
    unlink();
}

void PresentationController::windowResized()
{
    Window *window = m_presenting->window();
    if (!m_container || !window)
        return;
    m_container->setGeometry(window->rect());
    if (!m_presented || (m_context && !m_context->isCompleted()))
        return;
    if (effectiveStyle() == ModalPresentationStyle::popover) {
        if (PopoverPresentationController *popover = m_presented->popoverPresentationController())
            popover->reposition();
    }
    QWidget *view = m_presented->view();
    if (view->parentWidget() == m_container)
        View::setFrame(view, frameOfPresentedView());
}

void PresentationController::pressedOutside(const QPoint &)
{
    if (!m_presented || effectiveStyle() != ModalPresentationStyle::popover || !m_context || !m_context->isCompleted())
        return;
    PopoverPresentationController *popover = m_presented->popoverPresentationController();
    if (popover && popover->delegate()
        && !popover->delegate()->popoverPresentationControllerShouldDismissPopover(popover))
        return;
    dismiss(true, {});
}

} // namespace tarnik
