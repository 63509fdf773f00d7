#include "Platform/UI/AnimationDriver.h"
#include "Platform/UI/DefaultTransitions.h"
#include "Platform/UI/NavigationController.h"
#include "Platform/UI/PercentDrivenInteractiveTransition.h"
#include "Platform/UI/PopoverPresentationController.h"
#include "Platform/UI/TabBarController.h"
#include "Platform/UI/View.h"
#include "Support/UiTestSupport.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QWidget>

using namespace tarnik;
using test::RecordingViewController;

namespace {

// Slides the presented view in from the left edge and records what the
// context gave it.
class RecordingAnimator : public ViewControllerAnimatedTransitioning
{
public:
    explicit RecordingAnimator(bool isPresenting)
        : presenting(isPresenting)
    {
    }
    double transitionDuration(ViewControllerContextTransitioning *context) override
    {
        return context->isInteractive() ? 0.6 : 0.3;
    }
    void animateTransition(ViewControllerContextTransitioning *context) override
    {
        ++runs;
        using Key = ViewControllerContextTransitioning::Key;
        QWidget *container = context->containerView();
        if (presenting) {
            QWidget *to = context->view(Key::to);
            View::addSubview(container, to);
            View::setFrame(to, QRect(-container->width(), 0, container->width(), container->height()));
            View::animate(
                transitionDuration(context), [&] { View::setFrame(to, container->rect()); },
                [context](bool) { context->completeTransition(!context->transitionWasCancelled()); }, 0.0,
                TimingFunction::linear());
        } else {
            QWidget *from = context->view(Key::from);
            View::animate(
                transitionDuration(context),
                [&] { View::setFrame(from, container->rect().translated(-container->width(), 0)); },
                [context](bool) { context->completeTransition(!context->transitionWasCancelled()); }, 0.0,
                TimingFunction::linear());
        }
    }
    void animationEnded(bool completed) override { ended.push_back(completed); }
    bool presenting;
    int runs = 0;
    std::vector<bool> ended;
};

class Handler : public ViewControllerTransitioningDelegate
{
public:
    std::shared_ptr<RecordingAnimator> present = std::make_shared<RecordingAnimator>(true);
    std::shared_ptr<RecordingAnimator> dismiss = std::make_shared<RecordingAnimator>(false);
    std::shared_ptr<PercentDrivenInteractiveTransition> interactor;
    bool interactive = false;

    std::shared_ptr<ViewControllerAnimatedTransitioning> animationControllerForPresented(
        ViewController *, ViewController *, ViewController *) override
    {
        return present;
    }
    std::shared_ptr<ViewControllerAnimatedTransitioning> animationControllerForDismissed(ViewController *) override
    {
        return dismiss;
    }
    std::shared_ptr<ViewControllerInteractiveTransitioning> interactionControllerForPresentation(
        ViewControllerAnimatedTransitioning *) override
    {
        return interactive ? interactor : nullptr;
    }
    std::shared_ptr<ViewControllerInteractiveTransitioning> interactionControllerForDismissal(
        ViewControllerAnimatedTransitioning *) override
    {
        return interactive ? interactor : nullptr;
    }
};

} // namespace

class PresentationTest : public test::ScreenTest
{
};

TEST_F(PresentationTest, RootLoadsAndAppearsWhenTheWindowShows)
{
    QStringList log;
    auto *root = new RecordingViewController(QStringLiteral("root"), &log);
    Window w;
    w.resize(300, 500);
    w.setRootViewController(root);
    EXPECT_EQ(log, QStringList { QStringLiteral("root:load") });
    w.show();
    EXPECT_EQ(log,
        (QStringList {
            QStringLiteral("root:load"), QStringLiteral("root:willAppear"), QStringLiteral("root:didAppear") }));
    EXPECT_EQ(root->view()->geometry(), w.rect());
    w.resize(500, 300);
    EXPECT_EQ(root->lastTransitionSize, QSizeF(500, 300));
}

TEST_F(PresentationTest, FullScreenPresentationAndDismissalRunTheirCallbacksInOrder)
{
    makeWindow();
    QStringList log;
    auto *root = new RecordingViewController(QStringLiteral("root"), &log);
    window->setRootViewController(root);
    log.clear();
    QPointer<RecordingViewController> modal = new RecordingViewController(QStringLiteral("modal"), &log);
    bool presented = false;
    root->present(modal, true, [&] { presented = true; });
    EXPECT_EQ(root->presentedViewController(), modal.data());
    EXPECT_EQ(modal->presentingViewController(), root);
    EXPECT_TRUE(modal->isBeingPresented());
    EXPECT_FALSE(presented); // non-blocking: the transition is still running
    advance(0.15);
    EXPECT_GT(modal->view()->y(), 0); // sliding up from the bottom
    advance(0.2);
    EXPECT_TRUE(presented);
    EXPECT_EQ(modal->view()->geometry(), window->rect());
    EXPECT_EQ(log,
        (QStringList { QStringLiteral("modal:load"), QStringLiteral("modal:willAppear"),
            QStringLiteral("root:willDisappear"), QStringLiteral("modal:didAppear"),
            QStringLiteral("root:didDisappear") }));
    log.clear();
    bool dismissed = false;
    modal->dismiss(true, [&] { dismissed = true; });
    EXPECT_TRUE(modal->isBeingDismissed());
    settle();
    EXPECT_TRUE(dismissed);
    EXPECT_EQ(root->presentedViewController(), nullptr);
    EXPECT_EQ(log,
        (QStringList { QStringLiteral("modal:willDisappear"), QStringLiteral("root:willAppear"),
            QStringLiteral("modal:didDisappear"), QStringLiteral("root:didAppear") }));
    // The presenter adopted the screen that had no owner and lets it go.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(modal.isNull());
}

TEST_F(PresentationTest, ScreensWithAnOwnerSurviveTheirDismissalAndCanBePresentedAgain)
{
    makeWindow();
    auto *root = new ViewController;
    window->setRootViewController(root);
    QPointer<ViewController> kept = new ViewController(root);
    for (int i = 0; i < 2; ++i) {
        root->present(kept, false);
        EXPECT_EQ(root->presentedViewController(), kept.data());
        root->dismiss(false);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ASSERT_FALSE(kept.isNull());
        EXPECT_EQ(root->presentedViewController(), nullptr);
        EXPECT_FALSE(kept->view()->isVisible());
    }
}

TEST_F(PresentationTest, AScreenDeletedWhilePresentedGivesThePresenterItsScreenBack)
{
    makeWindow();
    QStringList log;
    auto *root = new RecordingViewController(QStringLiteral("root"), &log);
    window->setRootViewController(root);
    for (const bool animated : { false, true }) {
        auto *modal = new ViewController(root); // owned elsewhere, deleted by its owner
        root->present(modal, animated);
        advance(0.1);
        log.clear();
        delete modal;
        settle();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(root->presentedViewController(), nullptr) << animated;
        // No overlay is left over the window to swallow its clicks.
        EXPECT_EQ(window->findChild<QWidget *>(QStringLiteral("PresentationContainer")), nullptr) << animated;
        if (!animated) {
            EXPECT_EQ(log, (QStringList { QStringLiteral("root:willAppear"), QStringLiteral("root:didAppear") }));
        }
        auto *next = new ViewController;
        root->present(next, false);
        EXPECT_EQ(root->presentedViewController(), next) << animated;
        root->dismiss(false);
    }
}

TEST_F(PresentationTest, ChildScreensPresentThroughTheirRootAndSeeItsPresentation)
{
    makeWindow();
    auto *tabs = new TabBarController;
    auto *inner = new ViewController;
    auto *nav = new NavigationController(inner);
    tabs->setViewControllers({ new ViewController, nav });
    window->setRootViewController(tabs);
    auto *modal = new ViewController;
    inner->present(modal, false);
    EXPECT_EQ(modal->presentingViewController(), tabs);
    EXPECT_EQ(nav->presentedViewController(), modal);
    EXPECT_EQ(inner->presentedViewController(), modal);
    // A second presentation from a screen that already presents does nothing.
    QPointer<ViewController> second = new ViewController;
    nav->present(second, false);
    EXPECT_EQ(tabs->presentedViewController(), modal);
    EXPECT_EQ(second->presentingViewController(), nullptr);
    delete second;
    // Dismissing from a child takes down what its root presents.
    inner->dismiss(false);
    EXPECT_EQ(tabs->presentedViewController(), nullptr);
}

TEST_F(PresentationTest, DismissingAScreenThatPresentsTakesDownItsPresentationFirst)
{
    makeWindow();
    auto *root = new ViewController;
    window->setRootViewController(root);
    auto *a = new ViewController;
    auto *b = new ViewController;
    root->present(a, false);
    a->present(b, false);
    // Dismissing a takes down only b (what a presents).
    a->dismiss(false);
    EXPECT_EQ(root->presentedViewController(), a);
    EXPECT_EQ(a->presentedViewController(), nullptr);
    // Dismissing root takes down a and everything above it at once.
    auto *c = new ViewController;
    a->present(c, false);
    root->dismiss(false);
    EXPECT_EQ(root->presentedViewController(), nullptr);
}

TEST_F(PresentationTest, FormSheetsAndPopoversAdaptToTheDevice)
{
    struct Row
    {
        UserInterfaceIdiom idiom;
        ModalPresentationStyle style;
        QRect expected;
    };
    const Row rows[] = {
        { UserInterfaceIdiom::pad, ModalPresentationStyle::formSheet, QRect(184, 312, 400, 400) },
        { UserInterfaceIdiom::phone, ModalPresentationStyle::formSheet, QRect(0, 0, 375, 667) },
        { UserInterfaceIdiom::pad, ModalPresentationStyle::popover, QRect(234, 362, 300, 300) },
        { UserInterfaceIdiom::phone, ModalPresentationStyle::popover, QRect(0, 0, 375, 667) },
        { UserInterfaceIdiom::pad, ModalPresentationStyle::overFullScreen, QRect(0, 0, 768, 1024) },
    };
    for (const Row &row : rows) {
        makeWindow(row.idiom);
        auto *root = new ViewController;
        window->setRootViewController(root);
        auto *sheet = new ViewController;
        sheet->setModalPresentationStyle(row.style);
        sheet->setPreferredContentSize(
            row.style == ModalPresentationStyle::popover ? QSizeF(300, 300) : QSizeF(400, 400));
        if (auto *popover = sheet->popoverPresentationController()) {
            popover->setSourceView(root->view());
            popover->setSourceRect(QRectF(384, 512, 0, 0));
            popover->permittedArrowDirections = 0;
        }
        root->present(sheet, false);
        EXPECT_EQ(sheet->view()->geometry(), row.expected) << int(row.style) << " " << int(row.idiom);
        window.reset();
    }
}

TEST_F(PresentationTest, CustomTransitionGetsTheContextAndTheDelegateIsHeldWeakly)
{
    makeWindow();
    auto *root = new ViewController;
    window->setRootViewController(root);
    auto handler = std::make_shared<Handler>();
    auto *modal = new ViewController(root);
    modal->setModalPresentationStyle(ModalPresentationStyle::custom);
    modal->setTransitioningDelegate(handler);
    bool done = false;
    root->present(modal, true, [&] { done = true; });
    EXPECT_EQ(handler->present->runs, 1);
    advance(0.15);
    // Halfway: half the width, to the pixel the clock's rounding gives.
    EXPECT_NEAR(modal->view()->x(), -window->width() / 2.0, 1.0);
    settle();
    EXPECT_TRUE(done);
    EXPECT_EQ(handler->present->ended, std::vector<bool> { true });
    root->dismiss(true);
    settle();
    EXPECT_EQ(handler->dismiss->ended, std::vector<bool> { true });

    // Once the handler is gone, the default transition runs.
    handler.reset();
    EXPECT_EQ(modal->transitioningDelegate(), nullptr);
    root->present(modal, true);
    settle();
    EXPECT_EQ(root->presentedViewController(), modal);
}

TEST_F(PresentationTest, InteractivePresentationFollowsTheFingerAndCanBeCancelledOrFinished)
{
    makeWindow();
    QStringList log;
    auto *root = new RecordingViewController(QStringLiteral("root"), &log);
    window->setRootViewController(root);
    auto handler = std::make_shared<Handler>();
    handler->interactive = true;
    handler->interactor = std::make_shared<PercentDrivenInteractiveTransition>();
    auto *modal = new RecordingViewController(QStringLiteral("modal"), &log, root);
    modal->setModalPresentationStyle(ModalPresentationStyle::custom);
    modal->setTransitioningDelegate(handler);

    int completions = 0;
    log.clear();
    root->present(modal, true, [&] { ++completions; });
    advance(1.0);
    EXPECT_EQ(modal->view()->x(), -375); // waits for the finger
    handler->interactor->updateInteractiveTransition(0.5);
    EXPECT_NEAR(modal->view()->x(), -187, 1);
    handler->interactor->cancelInteractiveTransition();
    settle();
    EXPECT_EQ(completions, 1);
    EXPECT_EQ(root->presentedViewController(), nullptr);
    EXPECT_EQ(handler->present->ended, std::vector<bool> { false });
    EXPECT_EQ(root->appearance(), ViewController::Appearance::appeared);
    EXPECT_EQ(modal->appearance(), ViewController::Appearance::disappeared);
    EXPECT_FALSE(modal->view()->isVisible());

    root->present(modal, true, [&] { ++completions; });
    handler->interactor->updateInteractiveTransition(0.8);
    handler->interactor->finishInteractiveTransition();
    settle();
    EXPECT_EQ(completions, 2);
    EXPECT_EQ(root->presentedViewController(), modal);
    EXPECT_EQ(modal->view()->geometry(), window->rect());
    EXPECT_EQ(modal->appearance(), ViewController::Appearance::appeared);

    // A cancelled interactive dismissal leaves the screen presented.
    root->dismiss(true);
    handler->interactor->updateInteractiveTransition(0.3);
    handler->interactor->cancelInteractiveTransition();
    settle();
    EXPECT_EQ(root->presentedViewController(), modal);
    EXPECT_EQ(modal->view()->geometry(), window->rect());
    EXPECT_EQ(modal->appearance(), ViewController::Appearance::appeared);
}

TEST_F(PresentationTest, ScreensOutsideAWindowCannotPresent)
{
    ViewController loose;
    QPointer<ViewController> modal = new ViewController;
    loose.present(modal, false);
    EXPECT_EQ(loose.presentedViewController(), nullptr);
    delete modal;
}

TEST_F(PresentationTest, DismissingWhileThePresentationStillAnimatesIsSafe)
{
    makeWindow();
    auto *root = new ViewController;
    window->setRootViewController(root);
    int presented = 0;
    int dismissed = 0;
    root->present(new ViewController, true, [&] { ++presented; });
    advance(0.1);
    root->dismiss(false, [&] { ++dismissed; });
    EXPECT_EQ(root->presentedViewController(), nullptr);
    settle(); // the superseded transition ends without touching what is gone
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(dismissed, 1);
    EXPECT_EQ(presented, 0);
    // The window going away mid-transition is safe too.
    root->present(new ViewController, true);
    advance(0.1);
    window.reset();
    settle();
}

namespace {
// A screen that animates its own presentation, as a menu does.
class SelfAnimatingScreen : public ViewController, public ViewControllerTransitioningDelegate
{
public:
    SelfAnimatingScreen() { setTransitioningDelegate(this); }
    std::shared_ptr<ViewControllerAnimatedTransitioning> animationControllerForPresented(
        ViewController *, ViewController *, ViewController *) override
    {
        ++asked;
        return std::make_shared<CrossDissolveTransition>(true);
    }
    int asked = 0;
};
} // namespace

TEST_F(PresentationTest, AScreenCanBeItsOwnTransitioningDelegate)
{
    makeWindow();
    auto *root = new ViewController;
    window->setRootViewController(root);
    auto *menu = new SelfAnimatingScreen;
    menu->setModalPresentationStyle(ModalPresentationStyle::custom);
    EXPECT_EQ(menu->transitioningDelegate().get(), menu);
    root->present(menu, true);
    settle();
    EXPECT_EQ(menu->asked, 1);
    // A delegate screen that is gone is no longer asked.
    auto *other = new ViewController(root);
    {
        SelfAnimatingScreen gone;
        other->setTransitioningDelegate(static_cast<ViewControllerTransitioningDelegate *>(&gone));
        EXPECT_NE(other->transitioningDelegate(), nullptr);
    }
    EXPECT_EQ(other->transitioningDelegate(), nullptr);
}

TEST_F(PresentationTest, SnapshotsShowTheViewAsItIs)
{
    QWidget view;
    view.resize(40, 20);
    view.setStyleSheet(QStringLiteral("background: red;"));
    std::unique_ptr<QWidget> snapshot(View::snapshotView(&view));
    ASSERT_TRUE(snapshot);
    EXPECT_EQ(snapshot->size(), QSize(40, 20));
    EXPECT_EQ(snapshot->parentWidget(), nullptr);
}
