#include "Player/PlayerViewTransitioningAnimator.h"

#include "Platform/UI/DeviceProfile.h"
#include "Platform/UI/TabBar.h"
#include "Platform/UI/View.h"
#include "Player/ArtworkView.h"
#include "Player/CustomTabBarController.h"
#include "Player/PlayerView.h"
#include "Player/PlayerViewController.h"

namespace tarnik {

namespace {
using Key = ViewControllerContextTransitioning::Key;

// Where the mini bar's top edge is now, raise included, in the container.
int miniPlayerTop(CustomTabBarController *host, QWidget *container)
{
    PlayerView *mini = host->miniPlayerView();
    if (!mini || !container)
        return container ? container->height() : 0;
    QWidget *window = container->window();
    return container->mapFrom(window, mini->mapTo(window, QPoint(0, 0))).y();
}
} // namespace

double PlayerViewTransitioningAnimator::transitionDuration(ViewControllerContextTransitioning *context)
{
    return context && context->isInteractive() ? 0.6 : 0.3;
}

void PlayerViewTransitioningAnimator::animateTransition(ViewControllerContextTransitioning *context)
{
    if (transitionType == AnimatedTransitioningType::presentation)
        animatePresentation(context);
    else
        animateDismissal(context);
}

void PlayerViewTransitioningAnimator::snapshotTabBar(QWidget *tabBar, QWidget *container, bool presenting)
{
    if (!tabBar)
        return;
    if (tabBar->isHidden())
        tabBar->show();
    if (QWidget *snapshot = View::snapshotView(tabBar)) {
        const int h = snapshot->height();
        const int screenHeight = container ? container->height() : int(DeviceProfile::screenSize().height());
        // The snapshot starts where the real bar is (presentation) or just
        // below the screen (dismissal); the animation moves it to the other place.
        const int y = presenting ? screenHeight - h : screenHeight;
        View::setFrame(snapshot, QRect(tabBar->x(), y, snapshot->width(), h));
        if (container)
            View::addSubview(container, snapshot);
        // The earlier snapshot (left below the screen after a presentation,
        // or in the bar's place after a cancelled dismissal) goes now.
        delete m_tabBarSnapshot.data();
        m_tabBarSnapshot = snapshot;
    }
    tabBar->hide();
}

void PlayerViewTransitioningAnimator::animatePresentation(ViewControllerContextTransitioning *context)
{
    auto *host = qobject_cast<CustomTabBarController *>(context->viewController(Key::from));
    auto *player = qobject_cast<PlayerViewController *>(context->viewController(Key::to));
    if (!host || !player)
        return;
    QWidget *container = context->containerView();
    const int miniY = miniPlayerTop(host, container);
    QWidget *tabBar = host->tabBar();
    const QRect hostFrame = context->initialFrame(host);
    PlayerView *mini = host->miniPlayerView();
    QWidget *playerView = player->view();
    PlayerView *fake = player->fakeMiniPlayer();
    ArtworkView *picture = player->playerView()->imageView();

    View::addSubview(container, playerView);
    snapshotTabBar(tabBar, container, true);
    View::setFrame(playerView, QRect(0, miniY, hostFrame.width(), hostFrame.height()));
    if (fake)
        View::setAlpha(fake, 1.0);
    if (picture)
        View::setTransform(picture, QTransform::fromScale(scale, scale));
    if (mini)
        mini->hide();
    tabBar->hide();

    View::animate(
        0.1,
        [fake] {
            if (fake)
                View::setAlpha(fake, 0.0);
        },
        {}, 0.0, TimingFunction::linear());
    QPointer<QWidget> snapshot = m_tabBarSnapshot;
    const QPointer<PlayerView> miniGuard(mini);
    const QPointer<QWidget> barGuard(tabBar);
    const QPointer<QWidget> viewGuard(playerView);
    const int screenHeight = container->height();
    View::animate(
        transitionDuration(context),
        [=] {
            View::setFrame(playerView, hostFrame);
            if (picture)
                View::setTransform(picture, QTransform());
            if (snapshot)
                View::setFrame(snapshot, QRect(snapshot->x(), screenHeight, snapshot->width(), snapshot->height()));
        },
        [context, snapshot, miniGuard, barGuard, viewGuard](bool) {
            if (context->transitionWasCancelled()) {
                if (miniGuard)
                    miniGuard->show();
                if (barGuard)
                    barGuard->show();
                // Nothing holds a snapshot taken out of the view: it goes for good.
                delete snapshot.data();
                if (viewGuard)
                    View::removeFromSuperview(viewGuard);
                context->completeTransition(false);
            } else {
                context->completeTransition(true);
            }
        },
        0.0, TimingFunction::linear());
}

void PlayerViewTransitioningAnimator::animateDismissal(ViewControllerContextTransitioning *context)
{
    auto *player = qobject_cast<PlayerViewController *>(context->viewController(Key::from));
    auto *host = qobject_cast<CustomTabBarController *>(context->viewController(Key::to));
    if (!host || !player)
        return;
    QWidget *container = context->containerView();
    const int miniY = miniPlayerTop(host, container);
    QWidget *tabBar = host->tabBar();
    QWidget *playerView = player->view();
    const QRect start = context->initialFrame(player);
    PlayerView *mini = host->miniPlayerView();
    PlayerView *fake = player->fakeMiniPlayer();
    ArtworkView *picture = player->playerView()->imageView();

    snapshotTabBar(tabBar, container, false);
    if (fake)
        View::setAlpha(fake, -0.4);
    QPointer<QWidget> snapshot = m_tabBarSnapshot;
    const QPointer<PlayerView> miniGuard(mini);
    const QPointer<QWidget> barGuard(tabBar);
    const QPointer<QWidget> viewGuard(playerView);
    const int screenHeight = container->height();
    View::animate(
        transitionDuration(context),
        [=] {
            View::setFrame(playerView, QRect(start.x(), miniY, start.width(), start.height()));
            if (fake)
                View::setAlpha(fake, 1.0);
            if (picture)
                View::setTransform(picture, QTransform::fromScale(scale, scale));
            if (snapshot) {
                View::setFrame(snapshot,
                    QRect(snapshot->x(), screenHeight - snapshot->height(), snapshot->width(), snapshot->height()));
            }
        },
        [context, snapshot, miniGuard, barGuard, viewGuard](bool) {
            if (context->transitionWasCancelled()) {
                context->completeTransition(false);
                return;
            }
            if (viewGuard)
                View::removeFromSuperview(viewGuard);
            delete snapshot.data();
            if (miniGuard)
                miniGuard->show();
            if (barGuard)
                barGuard->show();
            context->completeTransition(true);
        },
        0.0, TimingFunction::linear());
}

} // namespace tarnik
