#include "ImportEditor/ImageViewerPresentationTransition.h"

#include "Controls/ImageView.h"
#include "ImportEditor/AnimatableImageView.h"
#include "ImportEditor/ImageViewerController.h"
#include "Platform/UI/TabBar.h"
#include "Platform/UI/TabBarController.h"
#include "Platform/UI/View.h"
#include "Player/MiniPlayerHost.h"

namespace tarnik {

using Key = ViewControllerContextTransitioning::Key;

ImageViewerPresentationTransition::ImageViewerPresentationTransition(ImageView *fromImageView)
    : m_fromImageView(fromImageView)
{
}

ImageViewerPresentationTransition::~ImageViewerPresentationTransition()
{
    if (m_tabBarSnapshot)
        delete m_tabBarSnapshot.data();
}

QRect ImageViewerPresentationTransition::frameIn(const QWidget *view, const QWidget *container)
{
    if (!view || !container)
        return {};
    if (!view->parentWidget())
        return view->geometry();
    return QRect(container->mapFromGlobal(view->parentWidget()->mapToGlobal(view->pos())), view->size());
}

QWidget *ImageViewerPresentationTransition::tabBarSnapshot()
{
    if (m_snapshotMade)
        return m_tabBarSnapshot;
    if (!m_transitionContext)
        return nullptr;
    m_snapshotMade = true;
    auto *tabBarController = qobject_cast<TabBarController *>(m_transitionContext->viewController(Key::from));
    QWidget *container = m_transitionContext->containerView();
    if (!tabBarController || !container || !tabBarController->tabBar())
        return nullptr;
    TabBar *bar = tabBarController->tabBar();
    QWidget *snapshot = View::snapshotView(bar);
    snapshot->setObjectName(QStringLiteral("TabBarSnapshot"));
    // Sits exactly over the real tab bar; sliding by its height takes it off screen.
    View::setFrame(snapshot, QRect(0, container->height() - bar->height(), bar->width(), bar->height()));
    m_tabBarSnapshot = snapshot;
    return snapshot;
}

void ImageViewerPresentationTransition::animateTransition(ViewControllerContextTransitioning *context)
{
    m_transitionContext = context;
    QWidget *container = context->containerView();
    ViewController *fromController = context->viewController(Key::from);
    ViewController *toController = context->viewController(Key::to);
    QWidget *toView = context->view(Key::to);
    View::addSubview(container, toView);
    View::setFrame(toView, container->rect());
    toView->hide();

    auto *animatable = new AnimatableImageView;
    animatable->setObjectName(QStringLiteral("FlyingPicture"));
    if (m_fromImageView) {
        animatable->setImage(m_fromImageView->image());
        animatable->setFrame(frameIn(m_fromImageView, container));
        animatable->setContentMode(m_fromImageView->contentMode());
    }

    auto *backdrop = new QWidget;
    backdrop->setObjectName(QStringLiteral("Backdrop"));
    backdrop->setAutoFillBackground(true);
    QPalette palette = backdrop->palette();
    palette.setColor(QPalette::Window, Qt::black);
    backdrop->setPalette(palette);
    backdrop->setGeometry(container->rect());
    View::setAlpha(backdrop, 0.0);
    if (m_fromImageView)
        View::setAlpha(m_fromImageView, 0.0);

    View::addSubview(container, backdrop);
    View::addSubview(container, animatable);
    auto *tabBarController = qobject_cast<TabBarController *>(fromController);
    QWidget *snapshot = tabBarSnapshot();
    if (snapshot) {
        View::addSubview(container, snapshot);
        tabBarController->tabBar()->hide();
    }

    if (MiniPlayerHost *host = MiniPlayerHost::ofHost(fromController); host && host->isMiniPlayerUp()) {
        host->updateMiniPlayer(true);
        if (auto *viewer = qobject_cast<ImageViewerController *>(toController))
            viewer->restoreMiniPlayerView = true;
    }

    const QRect bounds = container->rect();
    QPointer<QWidget> toGuard(toView);
    QPointer<QWidget> backdropGuard(backdrop);
    QPointer<AnimatableImageView> animatableGuard(animatable);
    QPointer<QWidget> snapshotGuard(snapshot);
    QPointer<TabBarController> tabBarGuard(tabBarController);
    View::animateSpring(
        kDuration, 0.0, 0.8, 0.0,
        [&] {
            animatable->setContentMode(ImageView::ContentMode::scaleAspectFit);
            animatable->setFrame(bounds);
            View::setAlpha(backdrop, 1.0);
            if (snapshot)
                View::setFrame(snapshot, View::frame(snapshot).translated(0, snapshot->height()));
        },
        [context, toGuard, backdropGuard, animatableGuard, snapshotGuard, tabBarGuard](bool) {
            if (toGuard)
                toGuard->show();
            if (backdropGuard)
                backdropGuard->deleteLater();
            View::removeFromSuperview(backdropGuard);
            if (animatableGuard)
                animatableGuard->deleteLater();
            View::removeFromSuperview(animatableGuard);
            View::removeFromSuperview(snapshotGuard);
            if (tabBarGuard && tabBarGuard->tabBar())
                tabBarGuard->tabBar()->show();
            context->completeTransition(true);
        });
}

} // namespace tarnik
