#pragma once

#include "Controls/ImageView.h"
#include "Platform/UI/Transitioning.h"

#include <QPointer>
#include <QRect>
#include <QWidget>

namespace tarnik {

class TabBarController;

// Brings the image viewer in: a copy of the picture flies from the source
// image view to the whole window over a black backdrop that fades in, while a
// snapshot of the tab bar below (when the viewer covers a tab bar controller)
// slides out of view and the host's mini player is moved out of the way.
class ImageViewerPresentationTransition : public ViewControllerAnimatedTransitioning
{
public:
    static constexpr double kDuration = 0.5;

    explicit ImageViewerPresentationTransition(ImageView *fromImageView);
    ~ImageViewerPresentationTransition() override;

    double transitionDuration(ViewControllerContextTransitioning *) override { return kDuration; }
    void animateTransition(ViewControllerContextTransitioning *context) override;

    ImageView *fromImageView() const { return m_fromImageView; }
    // Made on first use from the context's from-screen, then kept.
    QWidget *tabBarSnapshot();

    // A view's frame in the coordinates of another view of the same window.
    static QRect frameIn(const QWidget *view, const QWidget *container);

private:
    QPointer<ImageView> m_fromImageView;
    ViewControllerContextTransitioning *m_transitionContext = nullptr;
    QPointer<QWidget> m_tabBarSnapshot;
    bool m_snapshotMade = false;
};

} // namespace tarnik
