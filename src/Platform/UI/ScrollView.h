#pragma once

#include "Platform/UI/AnimationDriver.h"
#include "Platform/UI/EdgeInsets.h"

#include <QElapsedTimer>
#include <QPointF>
#include <QPointer>
#include <QRectF>
#include <QSizeF>
#include <QWidget>
#include <deque>
#include <memory>

namespace tarnik {

class ScrollView;

// What a scroll view tells its owner. Every call has an empty default; the
// owner overrides the ones it needs. Calls arrive on the GUI thread, in the
// order the toolkit makes them: will-begin-dragging, did-scroll while the
// finger moves, did-end-dragging (with whether it glides on), then
// will-begin-decelerating, did-scroll while it glides and did-end-decelerating.
class ScrollViewDelegate
{
public:
    virtual ~ScrollViewDelegate();

    virtual void scrollViewDidScroll(ScrollView *) { }
    virtual void scrollViewWillBeginDragging(ScrollView *) { }
    virtual void scrollViewDidEndDragging(ScrollView *, bool /*willDecelerate*/) { }
    virtual void scrollViewWillBeginDecelerating(ScrollView *) { }
    virtual void scrollViewDidEndDecelerating(ScrollView *) { }
    // After an animated setContentOffset / scrollRectToVisible has ended.
    virtual void scrollViewDidEndScrollingAnimation(ScrollView *) { }

    // Zooming: the content child that grows and shrinks (none: no zooming).
    virtual QWidget *viewForZooming(ScrollView *) { return nullptr; }
    virtual void scrollViewWillBeginZooming(ScrollView *, QWidget * /*view*/) { }
    virtual void scrollViewDidZoom(ScrollView *) { }
    virtual void scrollViewDidEndZooming(ScrollView *, QWidget * /*view*/, double /*scale*/) { }
};

// The phone toolkit's scroll view on a QWidget. The widget is the visible
// window onto a content plane of `contentSize`; the content offset is the
// point of that plane shown at the widget's top-left corner. It is negative
// when the content is pulled past its top (with `bounces`, a drag past an
// edge moves at a damped rate and springs back when released).
//
// Direct child widgets are content: they move with the offset. Their
// geometry stays in widget coordinates, as for any QWidget; place them in
// content coordinates with setContentFrame(). A child may sit outside the
// content rectangle (a pull-to-refresh band above the top, say).
//
// Input: a mouse or a touch drag (Qt turns unhandled touches into mouse
// events) scrolls with the finger and glides on with kinetic deceleration;
// the wheel scrolls by its delta; Ctrl + wheel and the trackpad's pinch zoom
// when the delegate names a view for zooming. Every animation, the glide
// included, runs on the AnimationDriver, so tests move time by hand.
// Children that take mouse presses themselves (buttons, text fields) keep
// them: a drag that starts on such a child does not scroll. A gesture
// recogniser attached to the scroll view that has begun when the finger
// passes the slop keeps the drag too.
//
// GUI thread only. The delegate is held weakly (a plain pointer the owner
// clears or outlives); it is never called from the destructor.
class ScrollView : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(double contentOffsetX READ contentOffsetX WRITE setContentOffsetX)
    Q_PROPERTY(double contentOffsetY READ contentOffsetY WRITE setContentOffsetY)
    Q_PROPERTY(double contentInsetTop READ contentInsetTop WRITE setContentInsetTop)
    Q_PROPERTY(double contentInsetBottom READ contentInsetBottom WRITE setContentInsetBottom)
    Q_PROPERTY(double zoomScale READ zoomScale WRITE setZoomScale)
public:
    // Deceleration per millisecond of a glide.
    static constexpr double kDecelerationRateNormal = 0.998;
    static constexpr double kDecelerationRateFast = 0.99;

    explicit ScrollView(QWidget *parent = nullptr);
    ~ScrollView() override;

    ScrollViewDelegate *delegate() const { return m_delegate; }
    void setDelegate(ScrollViewDelegate *delegate) { m_delegate = delegate; }

    QSizeF contentSize() const { return m_contentSize; }
    void setContentSize(const QSizeF &size);

    QPointF contentOffset() const { return m_offset; }
    void setContentOffset(const QPointF &offset, bool animated = false);
    double contentOffsetX() const { return m_offset.x(); }
    double contentOffsetY() const { return m_offset.y(); }
    void setContentOffsetX(double x) { setContentOffset(QPointF(x, m_offset.y())); }
    void setContentOffsetY(double y) { setContentOffset(QPointF(m_offset.x(), y)); }

    EdgeInsets contentInset() const { return m_contentInset; }
    void setContentInset(const EdgeInsets &insets);
    double contentInsetTop() const { return m_contentInset.top; }
    void setContentInsetTop(double top);
    double contentInsetBottom() const { return m_contentInset.bottom; }
    void setContentInsetBottom(double bottom);
    // The inset the content is really kept in: the content inset (a desktop
    // window has no safe areas or bars over the content to add).
    EdgeInsets adjustedContentInset() const { return m_contentInset; }
    EdgeInsets scrollIndicatorInsets() const { return m_indicatorInsets; }
    void setScrollIndicatorInsets(const EdgeInsets &insets);

    // The visible part of the content plane: the offset and the widget size.
    QRectF bounds() const { return QRectF(m_offset, QSizeF(size())); }
    QPointF minimumContentOffset() const;
    QPointF maximumContentOffset() const;

    bool bounces = true;
    bool alwaysBounceVertical = false;
    bool alwaysBounceHorizontal = false;
    bool showsVerticalScrollIndicator = true;
    bool showsHorizontalScrollIndicator = true;
    double decelerationRate = kDecelerationRateNormal;
    bool isScrollEnabled() const { return m_scrollEnabled; }
    void setScrollEnabled(bool enabled);
    bool isPagingEnabled() const { return m_pagingEnabled; }
    // A paging view also pages by the wheel (a notch a page, along the axis
    // it scrolls) and, holding the focus, by the arrow keys, Page Up / Page
    // Down, Home and End; it takes the focus when clicked.
    void setPagingEnabled(bool enabled);
    // Moves a paging view by whole pages, animated, within its content.
    void scrollByPages(int pages);

    // The finger is down on the content.
    bool isTracking() const { return m_tracking; }
    // The finger moves the content.
    bool isDragging() const { return m_dragging; }
    // The content glides on (or springs back) after the finger lifted.
    bool isDecelerating() const { return m_decelerating; }
    bool isZooming() const { return m_zooming; }

    // Scrolls the least distance that makes the rectangle (content
    // coordinates) visible.
    void scrollRectToVisible(const QRectF &rect, bool animated);

    double zoomScale() const { return m_zoomScale; }
    void setZoomScale(double scale) { setZoomScale(scale, false); }
    void setZoomScale(double scale, bool animated);
    double minimumZoomScale() const { return m_minimumZoomScale; }
    void setMinimumZoomScale(double scale);
    double maximumZoomScale() const { return m_maximumZoomScale; }
    void setMaximumZoomScale(double scale);
    // Zooms so that the rectangle, in the unscaled coordinates of the view for
    // zooming, fills the visible area as far as the scale limits allow.
    void zoomToRect(const QRectF &rect, bool animated);

    // Places a direct child in content coordinates.
    void setContentFrame(QWidget *child, const QRectF &frame);
    QRectF contentFrame(const QWidget *child) const;
    QPointF mapToContent(const QPointF &widgetPoint) const { return widgetPoint + QPointF(m_applied); }
    QPointF mapFromContent(const QPointF &contentPoint) const { return contentPoint - QPointF(m_applied); }

    // Subclasses lay out their content here; it runs after every scroll,
    // resize and request (setNeedsLayout), at most once per request.
    void setNeedsLayout();
    void layoutIfNeeded();

    // Synthetic input for tests and for views that forward their own
    // events: positions are widget coordinates, time comes from the
    // AnimationDriver's clock.
    void touchBegan(const QPointF &position);
    void touchMoved(const QPointF &position);
    void touchEnded(const QPointF &position);
    void touchCancelled();

protected:
    virtual void layoutSubviews() { }
    // A finger went down at a content point (not while gliding), lifted
    // without dragging (a tap), or turned into a drag / was cancelled.
    virtual void contentTouchDown(const QPointF &) { }
    virtual void contentTapped(const QPointF &) { }
    virtual void contentTouchCancelled() { }
    // Whether a press at this widget point should start tracking at all.
    virtual bool shouldTrackTouch(const QPointF &) { return true; }
    // Children that are part of the frame rather than the content (they
    // keep their place when the content moves).
    bool isFixedChild(const QWidget *child) const;
    void addFixedChild(QWidget *child);
    bool isInLayout() const { return m_inLayout; }

    bool event(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    class Motion;
    friend class Motion;

    void applyOffset(const QPointF &offset);
    void didScroll();
    void stopMotion();
    void startGlide(const QPointF &velocity);
    void finishGlide(quint64 generation, bool finished);
    void restartGlideIfNeeded();
    void clampOffsetIfIdle();
    // The content's size or inset or the view's size changed: a glide aims
    // anew, a resting offset comes back in range, the indicators follow.
    void contentBoundsChanged();
    // Each step moves the offset along the motion, while the motion is still
    // the view's (its generation is the current one).
    std::shared_ptr<BasicAnimation> motionAnimation(std::shared_ptr<Motion> motion, quint64 generation);
    QPointF velocityNow() const;
    bool canScrollHorizontally() const;
    bool canScrollVertically() const;
    QPointF clampOffset(const QPointF &offset) const;
    QPointF rubberBand(const QPointF &raw) const;
    QPointF pagingTarget(const QPointF &velocity) const;
    void zoomAround(double scale, const QPointF &anchorInView, bool notify);
    // Runs an animated zoom step by step and tells the delegate when it ends.
    void runZoomAnimation(std::shared_ptr<BasicAnimation> anim);
    QWidget *zoomingView();
    void updateIndicators();
    void flashIndicators();

    QPointer<QWidget> m_zoomView;
    QSizeF m_zoomBaseSize;
    ScrollViewDelegate *m_delegate = nullptr;
    QSizeF m_contentSize;
    QPointF m_offset;
    QPoint m_applied;
    EdgeInsets m_contentInset;
    EdgeInsets m_indicatorInsets;
    bool m_scrollEnabled = true;
    bool m_pagingEnabled = false;
    int m_wheelPageDelta = 0;
    bool m_tracking = false;
    bool m_dragging = false;
    bool m_decelerating = false;
    bool m_zooming = false;
    bool m_stoppedMotionOnPress = false;
    bool m_needsLayout = false;
    bool m_layoutPosted = false;
    bool m_inLayout = false;
    bool m_destroying = false;
    bool m_inMotionStep = false;
    double m_zoomScale = 1.0;
    double m_minimumZoomScale = 1.0;
    double m_maximumZoomScale = 1.0;

    QPointF m_pressPosition;
    QPointF m_dragOrigin;
    QPointF m_dragStartOffset;
    QPointF m_pageAtDragStart;
    struct Sample
    {
        double time;
        QPointF position;
    };
    std::deque<Sample> m_samples;

    // The running glide or scrolling animation.
    std::shared_ptr<Motion> m_motion;
    AnimationDriver::Id m_motionId = 0;
    quint64 m_motionGeneration = 0;
    bool m_motionIsGlide = false;

    QWidget *m_verticalIndicator = nullptr;
    QWidget *m_horizontalIndicator = nullptr;
    AnimationDriver::Id m_indicatorHide = 0;
};

} // namespace tarnik
