#pragma once

#include "Controls/ImageView.h"
#include "Platform/UI/GestureRecognizer.h"
#include "Platform/UI/ScrollView.h"
#include "Platform/UI/ViewController.h"

#include <QAbstractButton>
#include <QImage>
#include <QPointF>
#include <QPointer>
#include <deque>
#include <memory>

namespace tarnik {

class ImageViewerControllerDelegate;
class ImageViewerTransitioningHandler;

// Shows one picture over the whole window: zoom (pinch, Ctrl + wheel, double
// click), pan, a close button, and, when a delegate is set and there is a
// picture, a select button that closes the viewer and then hands the picture
// to the delegate. Given the image view the picture comes from, the viewer
// grows out of it, shrinks back into it, and a vertical drag flings it away
// (ImageViewerTransitioningHandler); without one it cross-dissolves.
//
// Made in code only; presented over the full screen. The delegate is held
// weakly (dropped when it is a QObject that goes). GUI thread only.
class ImageViewerController : public ViewController, public ScrollViewDelegate
{
    Q_OBJECT
public:
    // Made with its picture and source: the view loads at once.
    ImageViewerController(ImageView *sourceImageView, const QImage &image, QObject *parent = nullptr);
    // Made by the storyboard: set the source and the picture before the view
    // loads (before presenting); later calls change nothing.
    explicit ImageViewerController(QObject *parent = nullptr);
    ~ImageViewerController() override;

    void setSourceImageView(ImageView *sourceImageView);
    void setImage(const QImage &image);

    ImageViewerControllerDelegate *delegate() const;
    void setDelegate(ImageViewerControllerDelegate *delegate);

    bool restoreMiniPlayerView = false;

    ScrollView *scrollView() const { return m_scrollView; }
    QAbstractButton *selectButton() const { return m_selectButton; }
    QAbstractButton *closeButton() const { return m_closeButton; }
    ImageView *sourceImageView() const { return m_sourceImageView; }
    ImageView *imageView() const { return m_imageView; }
    QImage image() const { return m_image; }
    ImageViewerTransitioningHandler *transitioningHandler() const { return m_transitioningHandler.get(); }
    QPointF currentOffsetPercentage() const { return m_currentOffsetPercentage; }
    bool userdidInteract() const { return m_userdidInteract; }
    PanGestureRecognizer *panGestureRecognizer() const { return m_pan; }
    TapGestureRecognizer *doubleTapGestureRecognizer() const { return m_doubleTap; }

    // The smaller of the two ratios of scroll view bounds to picture size.
    double fittingScale() const;

    void closeButtonTapped();
    void selectButtonTapped();
    void handleTapGesture(GestureRecognizer *recognizer);
    void handlePanGesture(GestureRecognizer *recognizer);

    // The dismissal threshold of a drag: (|translation| + velocity) over the
    // height beyond which a released drag finishes the dismissal.
    static constexpr double kDismissThreshold = 0.25;

    // ScrollViewDelegate
    QWidget *viewForZooming(ScrollView *) override;
    void scrollViewDidZoom(ScrollView *) override;
    void scrollViewDidEndZooming(ScrollView *, QWidget *view, double scale) override;

protected:
    void loadView() override;
    void viewDidLoad() override;
    void viewWillLayoutSubviews() override;
    void layoutChildViews() override;
    void viewDidLayoutSubviews() override;

private:
    void centerImage();
    bool gestureShouldBegin();
    // Velocity of the drag over its last tenth of a second (points per
    // second); zero when the finger rested longer than that before lifting.
    QPointF recentVelocity() const;

    ImageViewerControllerDelegate *m_delegate = nullptr;
    QPointer<QObject> m_delegateObject;
    bool m_delegateIsObject = false;

    QPointer<ScrollView> m_scrollView;
    QPointer<QAbstractButton> m_selectButton;
    QPointer<QAbstractButton> m_closeButton;
    QPointer<ImageView> m_sourceImageView;
    QPointer<ImageView> m_imageView;
    QImage m_image;
    std::shared_ptr<ImageViewerTransitioningHandler> m_transitioningHandler;
    QPointF m_currentOffsetPercentage;
    bool m_userdidInteract = false;
    QPointer<PanGestureRecognizer> m_pan;
    QPointer<TapGestureRecognizer> m_doubleTap;

    struct DragSample
    {
        double time;
        QPointF translation;
    };
    std::deque<DragSample> m_dragSamples;
};

} // namespace tarnik
