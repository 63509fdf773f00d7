#include "Platform/UI/GestureRecognizer.h"
#include "Platform/UI/TabBar.h"
#include "Platform/UI/View.h"
#include "Player/ArtworkView.h"
#include "Player/PanDirectionGestureRecognizer.h"
#include "Player/PlayerViewTransitioningHandler.h"
#include "Player/PlayerViewTransitioningInteractor.h"
#include "Support/PlayerScreenSupport.h"

#include <QToolButton>

using namespace tarnik;
using namespace tarnik::test;
using Phase = GestureRecognizer::Phase;

class PlayerTransitionTest : public PlayerScreenTest
{
public:
    void SetUp() override
    {
        PlayerScreenTest::SetUp();
        mini()->play(entries(2), 0);
        wait(0.3);
        ASSERT_EQ(mini()->animate(), PlayerViewAnimation::up);
    }
    PlayerViewController *full() const { return host->playerViewController(); }
    bool isPresented() const { return host->presentedViewController() == full(); }
    PanDirectionGestureRecognizer *presentPan() const
    {
        return host->transitioningHandler()->presentationInteractor()->panGesture();
    }
    PanDirectionGestureRecognizer *dismissPan() const
    {
        return host->transitioningHandler()->dismissalInteractor()->panGesture();
    }
    // A vertical drag: the finger goes down at y0 and through the given ys,
    // 0.05 s apart, then lifts.
    void drag(PanDirectionGestureRecognizer *pan, double y0, const QList<double> &ys)
    {
        double t = 100.0 + ++m_drags * 10.0;
        pan->feed(Phase::began, { 50, y0 }, t);
        for (double y : ys)
            pan->feed(Phase::moved, { 50, y }, t += 0.05);
        pan->feed(Phase::ended, { 50, ys.isEmpty() ? y0 : ys.last() }, t + 0.05);
    }
    // The distance a drag covers for progress 1: the mini bar's top edge.
    double distance() const { return mini()->mapTo(mini()->window(), QPoint(0, 0)).y(); }
    int snapshots() const
    {
        int n = 0;
        for (QWidget *w : window->findChildren<QWidget *>(QStringLiteral("Snapshot")))
            n += w->isVisible() ? 1 : 0;
        return n;
    }

private:
    int m_drags = 0;
};

TEST_F(PlayerTransitionTest, ATapPresentsInAThirdOfASecondAndTheCloseButtonDismisses)
{
    QWidget *tabBar = host->tabBar();
    host->miniPlayerViewTapped();
    EXPECT_TRUE(host->transitioningHandler()->disableInteractiveTransitioning);
    // The full player starts where the mini bar's top edge is, small.
    EXPECT_EQ(full()->view()->y(), distance());
    EXPECT_EQ(View::transform(full()->playerView()->imageView()), QTransform::fromScale(0.65, 0.65));
    EXPECT_TRUE(mini()->isHidden());
    EXPECT_TRUE(tabBar->isHidden());
    EXPECT_EQ(snapshots(), 1);
    wait(0.31);
    EXPECT_TRUE(isPresented());
    EXPECT_EQ(full()->view()->geometry(), host->view()->rect());
    EXPECT_EQ(View::transform(full()->playerView()->imageView()), QTransform());
    EXPECT_EQ(View::alpha(full()->fakeMiniPlayer()), 0.0);
    EXPECT_FALSE(host->transitioningHandler()->disableInteractiveTransitioning);
    EXPECT_TRUE(tabBar->isHidden());
    // The snapshot has slid just below the screen.
    QWidget *snapshot = host->transitioningHandler()->animator()->tabBarSnapshot();
    ASSERT_NE(snapshot, nullptr);
    EXPECT_EQ(snapshot->y(), host->view()->height());

    full()->playerView()->closeButton()->click();
    EXPECT_EQ(snapshots(), 1);
    wait(0.31);
    EXPECT_FALSE(isPresented());
    EXPECT_FALSE(mini()->isHidden());
    EXPECT_FALSE(tabBar->isHidden());
    EXPECT_EQ(snapshots(), 0);
    EXPECT_EQ(mini()->animate(), PlayerViewAnimation::up);
    EXPECT_FALSE(host->transitioningHandler()->disableInteractiveTransitioning);
}

TEST_F(PlayerTransitionTest, DragThresholdsDecideWhetherThePresentationCompletes)
{
    const double d = distance();
    const double y0 = d + 20;
    struct Row
    {
        const char *name;
        QList<double> progress; // after the start
        bool completes;
    };
    const Row rows[] = {
        { "slow and short", { 0.05, 0.07, 0.09, 0.1 }, false },
        { "slow past 0.3", { 0.1, 0.2, 0.31, 0.32 }, true },
        { "a last step of more than 0.03", { 0.02, 0.04, 0.1 }, true },
        { "a last step back", { 0.2, 0.5, 0.45 }, false },
    };
    for (const Row &row : rows) {
        QList<double> ys { y0 - 12 }; // crosses the slop at progress ~0
        for (double p : row.progress)
            ys.append(y0 - 12 - p * d);
        drag(presentPan(), y0, ys);
        wait(0.7);
        EXPECT_EQ(isPresented(), row.completes) << row.name;
        if (row.completes) {
            EXPECT_TRUE(mini()->isHidden()) << row.name;
            full()->playerView()->closeButton()->click();
            wait(0.4);
        } else {
            // Cancelling restores the bar, the tab bar and removes the full player.
            EXPECT_FALSE(mini()->isHidden()) << row.name;
            EXPECT_FALSE(host->tabBar()->isHidden()) << row.name;
            EXPECT_FALSE(full()->view()->isVisible()) << row.name;
        }
        EXPECT_EQ(snapshots(), 0) << row.name;
    }
}

TEST_F(PlayerTransitionTest, ADownwardDragDismissesAndAShortOneLeavesThePlayerPresented)
{
    host->miniPlayerViewTapped();
    wait(0.4);
    ASSERT_TRUE(isPresented());
    const double d = distance();
    // Too short and slow: cancelled, the full player stays.
    drag(dismissPan(), 100, { 112, 112 + 0.05 * d, 112 + 0.06 * d });
    wait(0.7);
    EXPECT_TRUE(isPresented());
    EXPECT_TRUE(full()->view()->isVisible());
    // An upward drag on the full player keeps progress at 0.
    drag(dismissPan(), 400, { 388, 300, 200 });
    wait(0.7);
    EXPECT_TRUE(isPresented());
    // Far enough: dismissed, the mini bar and the tab bar are back.
    drag(dismissPan(), 100, { 112, 112 + 0.2 * d, 112 + 0.4 * d });
    wait(0.7);
    EXPECT_FALSE(isPresented());
    EXPECT_FALSE(mini()->isHidden());
    EXPECT_FALSE(host->tabBar()->isHidden());
    EXPECT_EQ(snapshots(), 0);
}

TEST_F(PlayerTransitionTest, APanThatEndsWithoutMovingDoesNotReuseTheLastDecision)
{
    // A drag that completes leaves shouldComplete true behind it...
    const double d = distance();
    drag(presentPan(), d + 20, { d + 8, d + 8 - 0.5 * d, d + 8 - 0.6 * d });
    wait(0.7);
    ASSERT_TRUE(isPresented());
    full()->playerView()->closeButton()->click();
    wait(0.4);
    auto interactor = host->transitioningHandler()->presentationInteractor();
    EXPECT_TRUE(interactor->shouldComplete());
    // ...a pan that begins and ends without a change event must cancel.
    presentPan()->feed(Phase::began, { 50, d + 20 }, 500.0);
    presentPan()->feed(Phase::moved, { 50, d + 5 }, 500.05);
    presentPan()->feed(Phase::ended, { 50, d + 5 }, 500.1);
    wait(0.7);
    EXPECT_FALSE(isPresented());
    EXPECT_FALSE(mini()->isHidden());
}

TEST_F(PlayerTransitionTest, TheHandlerVendsInteractorsOnlyForADragUnderWay)
{
    auto handler = host->transitioningHandler();
    auto animator = handler->animator();
    EXPECT_EQ(handler->animationControllerForPresented(full(), host, host), animator);
    EXPECT_EQ(animator->transitionType, AnimatedTransitioningType::presentation);
    EXPECT_EQ(handler->animationControllerForDismissed(full()), animator);
    EXPECT_EQ(animator->transitionType, AnimatedTransitioningType::dismissal);
    EXPECT_EQ(handler->interactionControllerForPresentation(animator.get()), nullptr);
    EXPECT_EQ(handler->interactionControllerForDismissal(animator.get()), nullptr);
    // Presenting from code runs the plain animation.
    host->present(full(), true);
    wait(0.31);
    EXPECT_TRUE(isPresented());
}
