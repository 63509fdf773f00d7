#pragma once

#include "Controls/ImageView.h"
#include "ImportEditor/AnimatableImageView.h"
#include "Platform/UI/Transitioning.h"

#include <QPointer>
#include <QTransform>
#include <QWidget>

namespace tarnik {

// Takes the image viewer away: its picture flies back into the source image
// view (taking that view's content mode and corner radius) while the black
// backdrop fades out and a snapshot of the tab bar below slides back up. The
// viewer's drag drives it through update(percentage) / update(transform) and
// then finish() or cancel(); a plain dismissal runs start() and finish's
// animation by itself. The context is used only between start() and the end
// of the transition.
class ImageViewerDismissalTransition : public ViewControllerAnimatedTransitioning
{
public:
    enum class TransitionState { start, end };
    static constexpr double kDuration = 0.5;

    ImageViewerDismissalTransition(ImageView *fromImageView, ImageView *toImageView);
    ~ImageViewerDismissalTransition() override;

    double transitionDuration(ViewControllerContextTransitioning *) override { return kDuration; }
    void animateTransition(ViewControllerContextTransitioning *context) override;

    void start(ViewControllerContextTransitioning *context);
    void update(const QTransform &transform);
    void update(double percentage);
    void cancel();
    void finish();
    void animationsFor(TransitionState state);
    void completeDismissal();

    AnimatableImageView *animatableImageView() const { return m_animatableImageView; }
    QWidget *fadeView() const { return m_fadeView; }
    QWidget *tabBarSnapshot();
    QTransform translationTransform() const { return m_translationTransform; }
    QTransform scaleTransform() const { return m_scaleTransform; }

private:
    void applyTransforms();
    class TabBarController *toTabBarController() const;

    ViewControllerContextTransitioning *m_transitionContext = nullptr;
    QPointer<ImageView> m_fromImageView;
    QPointer<ImageView> m_toImageView;
    QPointer<AnimatableImageView> m_animatableImageView;
    QPointer<QWidget> m_fromView;
    QPointer<QWidget> m_fadeView;
    QTransform m_translationTransform;
    QTransform m_scaleTransform;
    QPointer<QWidget> m_tabBarSnapshot;
    bool m_snapshotMade = false;
};

} // namespace tarnik
