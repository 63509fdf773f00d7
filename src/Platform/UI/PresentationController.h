#pragma once

#include "Platform/UI/Transitioning.h"
#include "Platform/UI/ViewController.h"

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

namespace tarnik {

class TransitionContext;

// The container a presented screen lives in: a widget over the whole window,
// dimmed for form sheets and popovers on pads. A press outside the presented
// view reaches the presentation (popovers close on it).
class PresentationContainer : public QWidget
{
    Q_OBJECT
public:
    explicit PresentationContainer(QWidget *parent);
    bool dimmed = false;
    std::function<void(const QPoint &)> onPressOutside;
    QPointer<QWidget> presentedView;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
};

// One modal presentation: who presents whom, in which container, with which
// style, and the transition that brings it in or takes it away. Owned by the
// presenting screen while the presentation lasts. GUI thread only.
class PresentationController : public QObject
{
    Q_OBJECT
public:
    PresentationController(ViewController *presenting, ViewController *presented, bool adopted);
    ~PresentationController() override;

    ViewController *presenting() const { return m_presenting; }
    ViewController *presented() const { return m_presented; }
    QWidget *containerView() const { return m_container; }

    // The style after adapting to the device (popovers and form sheets cover
    // the screen on phones).
    ModalPresentationStyle effectiveStyle() const;
    QRect frameOfPresentedView() const;
    bool coversPresenter() const;

    void present(bool animated, std::function<void()> completion);
    void dismiss(bool animated, std::function<void()> completion);
    // Takes the presentation down at once, without transition (a screen under
    // it is being dismissed).
    void tearDown();
    // The presented screen is being deleted without a dismissal: the overlay
    // goes and the presenter gets its screen back and may present again.
    void presentedDestroyed();
    void windowResized();

private:
    std::shared_ptr<ViewControllerAnimatedTransitioning> animator(bool presenting) const;
    void run(bool animated, bool presenting);
    void finishPresentation(bool didComplete);
    void finishDismissal(bool didComplete);
    void unlink();
    std::function<void(bool)> completionFor(void (PresentationController::*finish)(bool));
    void pressedOutside(const QPoint &pos);

    ViewController *m_presenting;
    QPointer<ViewController> m_presented;
    bool m_adopted;
    QPointer<PresentationContainer> m_container;
    // Where the keyboard's focus was when the presentation began.
    QPointer<QWidget> m_focusBefore;
    // The focus was in the screen (or nowhere) when its dismissal began.
    bool m_restoreFocus = false;
    std::shared_ptr<TransitionContext> m_context;
    std::shared_ptr<ViewControllerAnimatedTransitioning> m_animator;
    std::shared_ptr<ViewControllerInteractiveTransitioning> m_interactor;
    std::function<void()> m_completion;
    int m_generation = 0;
    bool m_tornDown = false;
};

} // namespace tarnik
