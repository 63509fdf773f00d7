#include "ImportEditor/ImageViewerDismissalTransition.h"

#include "Controls/ImageView.h"
#include "ImportEditor/AnimatableImageView.h"
#include "ImportEditor/ImageViewerController.h"
#include "ImportEditor/ImageViewerPresentationTransition.h"
#include "Platform/UI/TabBar.h"
#include "Platform/UI/TabBarController.h"
#include "Platform/UI/View.h"
#include "Player/MiniPlayerHost.h"

#include <QPalette>

namespace tarnik {

using Key = ViewControllerContextTransitioning::Key;

ImageViewerDismissalTransition::ImageViewerDismissalTransition(ImageView *fromImageView, ImageView *toImageView)
    : m_fromImageView(fromImageView)
    , m_toImageView(toImageView)
    , m_animatableImageView(new AnimatableImageView)
    , m_fadeView(new QWidget)
{
    m_animatableImageView->setObjectName(QStringLiteral("FlyingPicture"));
    m_fadeView->setObjectName(QStringLiteral("Backdrop"));
    m_fadeView->setAutoFillBackground(true);
}

ImageViewerDismissalTransition::~ImageViewerDismissalTransition()
{
    // The widgets are parentless while no transition runs; one still in a
    // container goes with it.
    for (QWidget *view :
        { static_cast<QWidget *>(m_animatableImageView.data()), m_fadeView.data(), m_tabBarSnapshot.data() }) {
        if (view && !view->parentWidget())
            delete view;
    }
}

TabBarController *ImageViewerDismissalTransition::toTabBarController() const
{
    return m_transitionContext ? qobject_cast<TabBarController *>(m_transitionContext->viewController(Key::to))
                               : nullptr;
}

QWidget *ImageViewerDismissalTransition::tabBarSnapshot()
{
    if (m_snapshotMade)
        return m_tabBarSnapshot;
    if (!m_transitionContext)
        return nullptr;
    m_snapshotMade = true;
    TabBarController *tabBarController = toTabBarController();
    QWidget *container = m_transitionContext->containerView();
    if (!tabBarController || !container || !tabBarController->tabBar())
        return nullptr;
    TabBar *bar = tabBarController->tabBar();
    QWidget *snapshot = View::snapshotView(bar);
    snapshot->setObjectName(QStringLiteral("TabBarSnapshot"));
    // Waits just below the screen.
    View::setFrame(snapshot, QRect(0, container->height(), bar->width(), bar->height()));
    m_tabBarSnapshot = snapshot;
    return snapshot;
}

void ImageViewerDismissalTransition::animateTransition(ViewControllerContextTransitioning *context)
{
    start(context);
    View::animate(
        kDuration, [this] { animationsFor(TransitionState::end); }, [this](bool) { completeDismissal(); }, 0.0,
        TimingFunction::easeInOut());
}

void ImageViewerDismissalTransition::start(ViewControllerContextTransitioning *context)
{
    m_transitionContext = context;
    QWidget *container = context->containerView();
    QImage picture = m_fromImageView ? m_fromImageView->image() : QImage();
    if (picture.isNull() && m_toImageView)
        picture = m_toImageView->image();
    m_animatableImageView->setImage(picture);
    m_animatableImageView->setFrame(ImageViewerPresentationTransition::frameIn(m_fromImageView, container));
    m_animatableImageView->setContentMode(ImageView::ContentMode::scaleAspectFit);

    m_fromView = context->view(Key::from);
    if (m_fromView)
        m_fromView->hide();

    QPalette palette = m_fadeView->palette();
    palette.setColor(QPalette::Window, Qt::black);
    m_fadeView->setPalette(palette);
    m_fadeView->setGeometry(container->rect());
    View::addSubview(container, m_fadeView);
    View::addSubview(container, m_animatableImageView);
    if (QWidget *snapshot = tabBarSnapshot()) {
        View::addSubview(container, snapshot);
        // A drag cancelled before left it up; it starts below the screen.
        View::setFrame(snapshot, QRect(0, container->height(), snapshot->width(), snapshot->height()));
    }
    if (TabBarController *tabBarController = toTabBarController())
        tabBarController->tabBar()->hide();
}

void ImageViewerDismissalTransition::animationsFor(TransitionState state)
{
    if (!m_transitionContext)
        return;
    QWidget *container = m_transitionContext->containerView();
    if (state == TransitionState::start) {
        m_animatableImageView->setContentMode(ImageView::ContentMode::scaleAspectFit);
        m_animatableImageView->setTransform(QTransform());
        m_animatableImageView->setFrame(ImageViewerPresentationTransition::frameIn(m_fromImageView, container));
        View::setAlpha(m_fadeView, 1.0);
        return;
    }
    if (m_toImageView) {
        m_animatableImageView->setContentMode(m_toImageView->contentMode());
        m_animatableImageView->setCornerRadius(m_toImageView->property("cornerRadius").toDouble());
    }
    m_animatableImageView->setTransform(QTransform());
    m_animatableImageView->setFrame(ImageViewerPresentationTransition::frameIn(m_toImageView, container));
    View::setAlpha(m_fadeView, 0.0);
    if (toTabBarController() && m_tabBarSnapshot && container)
        View::setFrame(m_tabBarSnapshot,
            QRect(0, container->height() - m_tabBarSnapshot->height(), m_tabBarSnapshot->width(),
                m_tabBarSnapshot->height()));
}

void ImageViewerDismissalTransition::applyTransforms()
{
    m_animatableImageView->setTransform(m_scaleTransform * m_translationTransform);
}

void ImageViewerDismissalTransition::update(double percentage)
{
    if (!m_transitionContext)
        return;
    View::setAlpha(m_fadeView, 1.0 - percentage);
    m_scaleTransform = QTransform::fromScale(1.0 - percentage, 1.0 - percentage);
    applyTransforms();
    QWidget *container = m_transitionContext->containerView();
    if (toTabBarController() && m_tabBarSnapshot && container)
        View::setFrame(m_tabBarSnapshot,
            QRect(0, qRound(container->height() - m_tabBarSnapshot->height() * percentage), m_tabBarSnapshot->width(),
                m_tabBarSnapshot->height()));
}

void ImageViewerDismissalTransition::update(const QTransform &transform)
{
    if (!m_transitionContext)
        return;
    m_translationTransform = transform;
    applyTransforms();
}

void ImageViewerDismissalTransition::finish()
{
    if (!m_transitionContext)
        return;
    m_transitionContext->finishInteractiveTransition();
    View::animate(
        kDuration, [this] { animationsFor(TransitionState::end); }, [this](bool) { completeDismissal(); }, 0.0,
        TimingFunction::easeInOut());
}

void ImageViewerDismissalTransition::cancel()
{
    if (!m_transitionContext)
        return;
    m_transitionContext->cancelInteractiveTransition();
    View::animate(
        kDuration, [this] { animationsFor(TransitionState::start); },
        [this](bool) {
            ViewControllerContextTransitioning *context = m_transitionContext;
            if (!context)
                return;
            if (m_fromView)
                m_fromView->show();
            View::removeFromSuperview(m_animatableImageView);
            View::removeFromSuperview(m_fadeView);
            // The snapshot goes too, or it would stay over the viewer that
            // remains; the real tab bar is under the viewer again.
            View::removeFromSuperview(m_tabBarSnapshot);
            if (TabBarController *tabBarController = toTabBarController())
                tabBarController->tabBar()->show();
            m_transitionContext = nullptr;
            context->completeTransition(false);
        },
        0.0, TimingFunction::easeInOut());
}

void ImageViewerDismissalTransition::completeDismissal()
{
    ViewControllerContextTransitioning *context = m_transitionContext;
    if (!context)
        return;
    if (m_toImageView)
        View::setAlpha(m_toImageView, 1.0);
    View::removeFromSuperview(m_fadeView);
    View::removeFromSuperview(m_animatableImageView);
    View::removeFromSuperview(m_tabBarSnapshot);
    TabBarController *tabBarController = toTabBarController();
    if (tabBarController)
        tabBarController->tabBar()->show();
    View::removeFromSuperview(m_fromView);
    auto *viewer = qobject_cast<ImageViewerController *>(context->viewController(Key::from));
    if (viewer && viewer->restoreMiniPlayerView) {
        if (MiniPlayerHost *host = MiniPlayerHost::ofHost(context->viewController(Key::to)))
            host->updateMiniPlayer(false);
        viewer->restoreMiniPlayerView = false;
    }
    m_transitionContext = nullptr;
    context->completeTransition(true);
}

} // namespace tarnik
