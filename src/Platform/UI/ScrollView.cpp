#include "Platform/UI/ScrollView.h"

#include "Platform/UI/GestureRecognizer.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <vector>

namespace tarnik {

namespace {

constexpr double kSlop = 10.0;
// Glides step in milliseconds, as the deceleration rate is given per millisecond.
constexpr double kStep = 0.001;
constexpr double kMaxVelocity = 8000.0;
constexpr double kRestVelocity = 2.0;
// Angular frequency of the spring that brings content back to an edge or
// onto a page: settles in about half a second without swinging past.
constexpr double kSpring = 12.0;
constexpr double kPageSpring = 16.0;
constexpr double kScrollAnimationDuration = 0.3;
constexpr double kIndicatorWidth = 3.0;

double rubberBandDistance(double overflow, double dimension)
{
    if (dimension <= 0.0)
        return 0.0;
    const double sign = overflow < 0 ? -1.0 : 1.0;
    const double d = std::abs(overflow);
    return sign * (1.0 - 1.0 / (d * 0.55 / dimension + 1.0)) * dimension;
}

// One axis of a glide, simulated ahead in fixed steps so every run with the
// same start is the same: exponential slow-down inside the limits, a
// critically damped spring back to the edge outside them (or onto a page).
std::vector<double> simulateAxis(
    double x, double v, double lo, double hi, double rate, bool bounces, std::optional<double> target, double omega)
{
    std::vector<double> out;
    out.push_back(x);
    v = std::clamp(v, -kMaxVelocity, kMaxVelocity);
    const double perStep = std::pow(std::clamp(rate, 0.5, 0.99999), kStep * 1000.0);
    const int maxSteps = 20000;
    for (int i = 0; i < maxSteps; ++i) {
        std::optional<double> anchor = target;
        if (!anchor) {
            if (x < lo - 1e-9)
                anchor = lo;
            else if (x > hi + 1e-9)
                anchor = hi;
        }
        if (anchor) {
            const double d = x - *anchor;
            const double a = -omega * omega * d - 2.0 * omega * v;
            v += a * kStep;
            const double next = x + v * kStep;
            // Settled, or crossed back over the edge it springs to.
            const bool crossed = !target && ((d < 0 && next > *anchor) || (d > 0 && next < *anchor));
            if (crossed || (std::abs(next - *anchor) < 0.25 && std::abs(v) < 10.0)) {
                out.push_back(*anchor);
                return out;
            }
            x = next;
        } else {
            v *= perStep;
            double next = x + v * kStep;
            if (!bounces && (next < lo || next > hi)) {
                out.push_back(std::clamp(next, lo, hi));
                return out;
            }
            x = next;
            if (std::abs(v) < kRestVelocity && x >= lo && x <= hi) {
                out.push_back(x);
                return out;
            }
        }
        out.push_back(x);
    }
    return out;
}

} // namespace

ScrollViewDelegate::~ScrollViewDelegate() = default;

// A precomputed path of the content offset over time.
class ScrollView::Motion
{
public:
    std::vector<double> xs;
    std::vector<double> ys;
    // For a plain animated scroll: an eased move between two offsets.
    bool tween = false;
    QPointF from;
    QPointF to;
    double tweenDuration = kScrollAnimationDuration;

    double duration() const
    {
        if (tween)
            return tweenDuration;
        return double(std::max(xs.size(), ys.size()) - 1) * kStep;
    }

    static double at(const std::vector<double> &v, double t)
    {
        if (v.empty())
            return 0.0;
        const double i = t / kStep;
        const size_t n = v.size();
        if (i <= 0.0)
            return v.front();
        const size_t k = size_t(i);
        if (k + 1 >= n)
            return v.back();
        const double f = i - double(k);
        return v[k] + (v[k + 1] - v[k]) * f;
    }

    QPointF position(double t) const
    {
        if (tween) {
            const double p = TimingFunction::easeInOut().value(std::clamp(t / tweenDuration, 0.0, 1.0));
            return from + (to - from) * p;
        }
        return QPointF(at(xs, t), at(ys, t));
    }

    QPointF velocity(double t) const
    {
        const double dt = 0.004;
        return (position(t + dt) - position(t)) / dt;
    }

    double started = 0.0;
};

ScrollView::ScrollView(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_NoMousePropagation, false);
    m_verticalIndicator = new QWidget(this);
    m_horizontalIndicator = new QWidget(this);
    for (QWidget *indicator : { m_verticalIndicator, m_horizontalIndicator }) {
        indicator->setObjectName(QStringLiteral("scrollIndicator"));
        indicator->setAttribute(Qt::WA_TransparentForMouseEvents);
        indicator->setAutoFillBackground(true);
        QPalette p = indicator->palette();
        p.setColor(QPalette::Window, QColor(0, 0, 0, 90));
        indicator->setPalette(p);
        indicator->hide();
    }
}

ScrollView::~ScrollView()
{
    m_destroying = true;
    m_delegate = nullptr;
    if (m_motionId)
        AnimationDriver::shared().stop(m_motionId);
    if (m_indicatorHide)
        AnimationDriver::shared().cancelScheduled(m_indicatorHide);
}

bool ScrollView::isFixedChild(const QWidget *child) const
{
    return child == m_verticalIndicator || child == m_horizontalIndicator
        || child->property("tarnikFixedChild").toBool();
}

void ScrollView::addFixedChild(QWidget *child)
{
    child->setProperty("tarnikFixedChild", true);
}

// Geometry

void ScrollView::contentBoundsChanged()
{
    restartGlideIfNeeded();
    clampOffsetIfIdle();
    updateIndicators();
}

void ScrollView::setContentSize(const QSizeF &size)
{
    if (size == m_contentSize)
        return;
    m_contentSize = size;
    contentBoundsChanged();
}

void ScrollView::setContentInset(const EdgeInsets &insets)
{
    if (insets == m_contentInset)
        return;
    m_contentInset = insets;
    contentBoundsChanged();
}

void ScrollView::setContentInsetTop(double top)
{
    EdgeInsets i = m_contentInset;
    i.top = top;
    setContentInset(i);
}

void ScrollView::setContentInsetBottom(double bottom)
{
    EdgeInsets i = m_contentInset;
    i.bottom = bottom;
    setContentInset(i);
}

void ScrollView::setScrollIndicatorInsets(const EdgeInsets &insets)
{
    m_indicatorInsets = insets;
    updateIndicators();
}

void ScrollView::setScrollEnabled(bool enabled)
{
    m_scrollEnabled = enabled;
    if (!enabled && m_dragging)
        touchCancelled();
}

QPointF ScrollView::minimumContentOffset() const
{
    return QPointF(-m_contentInset.left, -m_contentInset.top);
}

QPointF ScrollView::maximumContentOffset() const
{
    const QPointF lo = minimumContentOffset();
    return QPointF(std::max(lo.x(), m_contentSize.width() + m_contentInset.right - width()),
        std::max(lo.y(), m_contentSize.height() + m_contentInset.bottom - height()));
}

QPointF ScrollView::clampOffset(const QPointF &offset) const
{
    const QPointF lo = minimumContentOffset();
    const QPointF hi = maximumContentOffset();
    return QPointF(std::clamp(offset.x(), lo.x(), hi.x()), std::clamp(offset.y(), lo.y(), hi.y()));
}

bool ScrollView::canScrollHorizontally() const
{
    return alwaysBounceHorizontal || m_contentSize.width() + m_contentInset.horizontal() > width();
}

bool ScrollView::canScrollVertically() const
{
    return alwaysBounceVertical || m_contentSize.height() + m_contentInset.vertical() > height();
}

void ScrollView::setContentFrame(QWidget *child, const QRectF &frame)
{
    if (!child)
        return;
    if (child->parentWidget() != this)
        child->setParent(this);
    const QRectF r = frame.translated(-QPointF(m_applied));
    child->setGeometry(QRect(qRound(r.x()), qRound(r.y()), qRound(frame.width()), qRound(frame.height())));
}

QRectF ScrollView::contentFrame(const QWidget *child) const
{
    return child ? QRectF(child->geometry()).translated(QPointF(m_applied)) : QRectF();
}

// Offset

std::shared_ptr<BasicAnimation> ScrollView::motionAnimation(std::shared_ptr<Motion> motion, quint64 generation)
{
    QPointer<ScrollView> guard(this);
    auto anim = std::make_shared<BasicAnimation>([guard, motion, generation](double p) {
        if (guard && guard->m_motionGeneration == generation) {
            guard->m_inMotionStep = true;
            guard->applyOffset(motion->position(p * motion->duration()));
            if (guard)
                guard->m_inMotionStep = false;
        }
    });
    return anim;
}

void ScrollView::setContentOffset(const QPointF &offset, bool animated)
{
    if (!animated) {
        if (m_motionId && !m_motionIsGlide)
            stopMotion();
        applyOffset(offset);
        return;
    }
    stopMotion();
    if (offset == m_offset) {
        if (m_delegate)
            m_delegate->scrollViewDidEndScrollingAnimation(this);
        return;
    }
    auto motion = std::make_shared<Motion>();
    motion->tween = true;
    motion->from = m_offset;
    motion->to = offset;
    m_motion = motion;
    m_motionIsGlide = false;
    const quint64 generation = ++m_motionGeneration;
    QPointer<ScrollView> guard(this);
    auto anim = motionAnimation(motion, generation);
    anim->duration = motion->duration();
    m_motionId = AnimationDriver::shared().run(anim, 0.0, [guard, generation](bool finished) {
        if (guard)
            guard->finishGlide(generation, finished);
    });
}

void ScrollView::applyOffset(const QPointF &offset)
{
    if (offset == m_offset && m_applied == QPoint(qRound(offset.x()), qRound(offset.y())))
        return;
    m_offset = offset;
    const QPoint applied(qRound(offset.x()), qRound(offset.y()));
    const QPoint delta = applied - m_applied;
    m_applied = applied;
    if (!delta.isNull()) {
        for (QObject *object : children()) {
            auto *child = qobject_cast<QWidget *>(object);
            if (child && !child->isWindow() && !isFixedChild(child))
                child->move(child->pos() - delta);
        }
    }
    updateIndicators();
    didScroll();
}

void ScrollView::didScroll()
{
    if (m_delegate)
        m_delegate->scrollViewDidScroll(this);
    setNeedsLayout();
    layoutIfNeeded();
}

void ScrollView::clampOffsetIfIdle()
{
    if (m_tracking || m_dragging || m_decelerating || m_motionId)
        return;
    const QPointF clamped = clampOffset(m_offset);
    if (clamped != m_offset)
        applyOffset(clamped);
}

void ScrollView::scrollRectToVisible(const QRectF &rect, bool animated)
{
    const QRectF visible = EdgeInsets { m_contentInset }.inset(bounds());
    QPointF target = m_offset;
    if (rect.width() >= visible.width() || rect.left() < visible.left())
        target.setX(m_offset.x() + rect.left() - visible.left());
    else if (rect.right() > visible.right())
        target.setX(m_offset.x() + rect.right() - visible.right());
    if (rect.height() >= visible.height() || rect.top() < visible.top())
        target.setY(m_offset.y() + rect.top() - visible.top());
    else if (rect.bottom() > visible.bottom())
        target.setY(m_offset.y() + rect.bottom() - visible.bottom());
    setContentOffset(clampOffset(target), animated);
}

// Layout

void ScrollView::setNeedsLayout()
{
    m_needsLayout = true;
    if (!m_layoutPosted && !m_destroying) {
        m_layoutPosted = true;
        QCoreApplication::postEvent(this, new QEvent(QEvent::LayoutRequest));
    }
}

void ScrollView::layoutIfNeeded()
{
    if (!m_needsLayout || m_inLayout || m_destroying)
        return;
    m_inLayout = true;
    m_needsLayout = false;
    layoutSubviews();
    m_inLayout = false;
}

bool ScrollView::event(QEvent *event)
{
    if (event->type() == QEvent::LayoutRequest) {
        m_layoutPosted = false;
        layoutIfNeeded();
        return true;
    }
    if (event->type() == QEvent::NativeGesture) {
        auto *e = static_cast<QNativeGestureEvent *>(event);
        if (e->gestureType() == Qt::ZoomNativeGesture && zoomingView()) {
            if (!m_zooming) {
                m_zooming = true;
                if (m_delegate)
                    m_delegate->scrollViewWillBeginZooming(this, zoomingView());
            }
            zoomAround(m_zoomScale * (1.0 + e->value()), e->position(), true);
            return true;
        }
        if (e->gestureType() == Qt::EndNativeGesture && m_zooming) {
            m_zooming = false;
            if (m_delegate)
                m_delegate->scrollViewDidEndZooming(this, zoomingView(), m_zoomScale);
            return true;
        }
    }
    return QWidget::event(event);
}

void ScrollView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    contentBoundsChanged();
    setNeedsLayout();
    layoutIfNeeded();
}

void ScrollView::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
}

// Dragging

void ScrollView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    event->accept();
    touchBegan(event->position());
}

void ScrollView::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton) || !m_tracking) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    event->accept();
    touchMoved(event->position());
}

void ScrollView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_tracking) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    event->accept();
    touchEnded(event->position());
}

void ScrollView::touchBegan(const QPointF &position)
{
    if (!shouldTrackTouch(position))
        return;
    m_stoppedMotionOnPress = m_decelerating || m_motionId != 0;
    if (m_motionId)
        stopMotion();
    m_tracking = true;
    m_dragging = false;
    m_pressPosition = position;
    m_dragStartOffset = m_offset;
    m_samples.clear();
    m_samples.push_back({ AnimationDriver::shared().currentTime(), position });
    if (!m_stoppedMotionOnPress)
        contentTouchDown(mapToContent(position));
}

void ScrollView::touchMoved(const QPointF &position)
{
    if (!m_tracking)
        return;
    const double now = AnimationDriver::shared().currentTime();
    m_samples.push_back({ now, position });
    while (m_samples.size() > 2 && now - m_samples.front().time > 0.1)
        m_samples.pop_front();
    if (!m_dragging) {
        const QPointF d = position - m_pressPosition;
        if (std::hypot(d.x(), d.y()) < kSlop)
            return;
        // A recogniser attached to this view that took the drag (a pan that
        // dismisses a picture, say) keeps it; the content stays put.
        bool claimed = false;
        for (auto *recognizer : findChildren<GestureRecognizer *>(Qt::FindDirectChildrenOnly)) {
            const auto state = recognizer->state();
            claimed = claimed || state == GestureRecognizer::State::began || state == GestureRecognizer::State::changed;
        }
        if (claimed || !m_scrollEnabled || (!canScrollHorizontally() && !canScrollVertically())) {
            // Not a tap any more, but nothing to scroll either.
            contentTouchCancelled();
            m_stoppedMotionOnPress = true;
            return;
        }
        m_dragging = true;
        m_dragOrigin = position;
        m_dragStartOffset = m_offset;
        m_pageAtDragStart = m_offset;
        contentTouchCancelled();
        QPointer<ScrollView> guard(this);
        if (m_delegate)
            m_delegate->scrollViewWillBeginDragging(this);
        if (!guard || !m_tracking)
            return;
        flashIndicators();
    }
    QPointF raw = m_dragStartOffset - (position - m_dragOrigin);
    if (!canScrollHorizontally())
        raw.setX(m_dragStartOffset.x());
    if (!canScrollVertically())
        raw.setY(m_dragStartOffset.y());
    applyOffset(bounces ? rubberBand(raw) : clampOffset(raw));
}

QPointF ScrollView::rubberBand(const QPointF &raw) const
{
    // Past an edge the content follows the finger ever more reluctantly.
    const QPointF lo = minimumContentOffset();
    const QPointF hi = maximumContentOffset();
    auto axis = [](double v, double min, double max, double dimension) {
        if (v < min)
            return min + rubberBandDistance(v - min, dimension);
        if (v > max)
            return max + rubberBandDistance(v - max, dimension);
        return v;
    };
    // The drag started inside the limits, so the raw overflow is the finger's.
    return QPointF(axis(raw.x(), lo.x(), hi.x(), width()), axis(raw.y(), lo.y(), hi.y(), height()));
}

void ScrollView::touchEnded(const QPointF &position)
{
    if (!m_tracking)
        return;
    m_tracking = false;
    // A tap or the end of a drag may close the screen that owns the view.
    QPointer<ScrollView> guard(this);
    if (!m_dragging) {
        if (!m_stoppedMotionOnPress)
            contentTapped(mapToContent(position));
        if (guard)
            clampOffsetIfIdle();
        return;
    }
    m_dragging = false;
    // Velocity over the last tenth of a second; a finger that rested before
    // lifting throws nothing.
    const double now = AnimationDriver::shared().currentTime();
    QPointF velocity;
    if (m_samples.size() >= 2 && now - m_samples.back().time < 0.1) {
        const Sample &a = m_samples.front();
        const Sample &b = m_samples.back();
        if (b.time - a.time > 0.0)
            velocity = -(b.position - a.position) / (b.time - a.time);
    }
    if (!canScrollHorizontally())
        velocity.setX(0);
    if (!canScrollVertically())
        velocity.setY(0);
    const QPointF clamped = clampOffset(m_offset);
    const bool outside = clamped != m_offset;
    const bool moving = std::hypot(velocity.x(), velocity.y()) > 20.0;
    const bool offPage = m_pagingEnabled && pagingTarget(velocity) != m_offset;
    const bool willDecelerate = outside || moving || offPage;
    if (m_delegate)
        m_delegate->scrollViewDidEndDragging(this, willDecelerate);
    if (!guard)
        return;
    if (willDecelerate)
        startGlide(velocity);
    else
        flashIndicators();
}

void ScrollView::touchCancelled()
{
    if (!m_tracking)
        return;
    const bool wasDragging = m_dragging;
    m_tracking = false;
    m_dragging = false;
    if (!wasDragging) {
        contentTouchCancelled();
        return;
    }
    const bool outside = clampOffset(m_offset) != m_offset;
    if (m_delegate)
        m_delegate->scrollViewDidEndDragging(this, outside);
    if (outside)
        startGlide({});
}

QPointF ScrollView::pagingTarget(const QPointF &velocity) const
{
    const double w = std::max(1.0, double(width()));
    const double h = std::max(1.0, double(height()));
    auto axis = [](double offset, double start, double v, double page, double lo, double hi) {
        const double startPage = std::round(start / page);
        double target = std::round(offset / page);
        if (v > 200.0)
            target = std::max(target, startPage + 1);
        else if (v < -200.0)
            target = std::min(target, startPage - 1);
        target = std::clamp(target, startPage - 1, startPage + 1);
        return std::clamp(target * page, lo, std::max(lo, std::floor(hi / page) * page));
    };
    const QPointF lo = minimumContentOffset();
    const QPointF hi = maximumContentOffset();
    return QPointF(axis(m_offset.x(), m_pageAtDragStart.x(), velocity.x(), w, lo.x(), hi.x()),
        axis(m_offset.y(), m_pageAtDragStart.y(), velocity.y(), h, lo.y(), hi.y()));
}

// Gliding

void ScrollView::startGlide(const QPointF &velocity)
{
    stopMotion();
    auto motion = std::make_shared<Motion>();
    const QPointF lo = minimumContentOffset();
    const QPointF hi = maximumContentOffset();
    if (m_pagingEnabled) {
        const QPointF target = pagingTarget(velocity);
        motion->xs = simulateAxis(
            m_offset.x(), velocity.x(), lo.x(), hi.x(), decelerationRate, bounces, target.x(), kPageSpring);
        motion->ys = simulateAxis(
            m_offset.y(), velocity.y(), lo.y(), hi.y(), decelerationRate, bounces, target.y(), kPageSpring);
    } else {
        motion->xs = simulateAxis(m_offset.x(), velocity.x(), lo.x(), hi.x(), decelerationRate, bounces, {}, kSpring);
        motion->ys = simulateAxis(m_offset.y(), velocity.y(), lo.y(), hi.y(), decelerationRate, bounces, {}, kSpring);
    }
    const bool wasDecelerating = m_decelerating;
    m_decelerating = true;
    if (!wasDecelerating && m_delegate)
        m_delegate->scrollViewWillBeginDecelerating(this);
    if (!m_decelerating)
        return; // the delegate stopped it
    m_motion = motion;
    m_motionIsGlide = true;
    motion->started = AnimationDriver::shared().currentTime();
    const quint64 generation = ++m_motionGeneration;
    QPointer<ScrollView> guard(this);
    auto anim = motionAnimation(motion, generation);
    anim->duration = std::max(kStep, motion->duration());
    m_motionId = AnimationDriver::shared().run(anim, 0.0, [guard, generation](bool finished) {
        if (guard)
            guard->finishGlide(generation, finished);
    });
    flashIndicators();
}

QPointF ScrollView::velocityNow() const
{
    if (!m_motion)
        return {};
    return m_motion->velocity(AnimationDriver::shared().currentTime() - m_motion->started);
}

void ScrollView::restartGlideIfNeeded()
{
    // The limits moved under a glide (an inset animated, content grown):
    // glide on from here toward the new limits.
    if (!m_decelerating || !m_motionIsGlide || !m_motion || m_destroying)
        return;
    startGlide(velocityNow());
}

void ScrollView::finishGlide(quint64 generation, bool finished)
{
    if (generation != m_motionGeneration)
        return;
    const bool glide = m_motionIsGlide;
    m_motionId = 0;
    m_motion.reset();
    if (!finished)
        return;
    if (glide) {
        m_decelerating = false;
        if (m_delegate)
            m_delegate->scrollViewDidEndDecelerating(this);
    } else if (m_delegate) {
        m_delegate->scrollViewDidEndScrollingAnimation(this);
    }
}

void ScrollView::stopMotion()
{
    ++m_motionGeneration;
    if (m_motionId) {
        const AnimationDriver::Id id = m_motionId;
        m_motionId = 0;
        // From inside the motion's own step the driver cannot drop it; the
        // new generation makes it a no-op that runs out by itself.
        if (!m_inMotionStep)
            AnimationDriver::shared().stop(id);
    }
    m_motion.reset();
    m_decelerating = false;
}

// Wheel and zoom

void ScrollView::setPagingEnabled(bool enabled)
{
    m_pagingEnabled = enabled;
    if (enabled && focusPolicy() == Qt::NoFocus)
        setFocusPolicy(Qt::StrongFocus);
}

void ScrollView::scrollByPages(int pages)
{
    const bool horizontal = canScrollHorizontally() || !canScrollVertically();
    const double page = horizontal ? width() : height();
    if (page <= 0 || pages == 0)
        return;
    // Steps made while a page still slides in count from where it is going.
    const QPointF from = m_motion && !m_motionIsGlide ? m_motion->to : m_offset;
    const double along = horizontal ? from.x() : from.y();
    const double target = (std::round(along / page) + pages) * page;
    QPointF offset = from;
    if (horizontal)
        offset.setX(target);
    else
        offset.setY(target);
    offset = clampOffset(offset);
    if (offset != m_offset || m_motionId)
        setContentOffset(offset, true);
}

void ScrollView::keyPressEvent(QKeyEvent *event)
{
    if (!m_pagingEnabled || !m_scrollEnabled) {
        QWidget::keyPressEvent(event);
        return;
    }
    const int pages = int(std::ceil(
        std::max(m_contentSize.width() / std::max(1, width()), m_contentSize.height() / std::max(1, height()))));
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_PageUp:
        scrollByPages(-1);
        break;
    case Qt::Key_Right:
    case Qt::Key_Down:
    case Qt::Key_PageDown:
        scrollByPages(1);
        break;
    case Qt::Key_Home:
        scrollByPages(-pages);
        break;
    case Qt::Key_End:
        scrollByPages(pages);
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void ScrollView::wheelEvent(QWheelEvent *event)
{
    if ((event->modifiers() & Qt::ControlModifier) && zoomingView()) {
        event->accept();
        const double notches = event->angleDelta().y() / 120.0;
        if (notches == 0.0)
            return;
        m_zooming = true;
        if (m_delegate)
            m_delegate->scrollViewWillBeginZooming(this, zoomingView());
        zoomAround(m_zoomScale * std::pow(1.25, notches), event->position(), true);
        m_zooming = false;
        if (m_delegate)
            m_delegate->scrollViewDidEndZooming(this, zoomingView(), m_zoomScale);
        return;
    }
    if (!m_scrollEnabled || (!canScrollHorizontally() && !canScrollVertically())) {
        event->ignore();
        return;
    }
    event->accept();
    if (m_pagingEnabled) {
        // A pager turns a page per notch, whichever way the wheel turns.
        const QPoint angle = event->angleDelta();
        const bool horizontal = canScrollHorizontally();
        const int amount
            = horizontal ? (angle.x() != 0 ? angle.x() : angle.y()) : (angle.y() != 0 ? angle.y() : angle.x());
        if ((amount > 0) != (m_wheelPageDelta > 0))
            m_wheelPageDelta = 0;
        m_wheelPageDelta += amount;
        if (std::abs(m_wheelPageDelta) >= 120) {
            const int pages = m_wheelPageDelta > 0 ? -1 : 1;
            m_wheelPageDelta = 0;
            scrollByPages(pages);
        }
        return;
    }
    QPointF delta = event->pixelDelta();
    if (delta.isNull())
        delta = QPointF(event->angleDelta()) / 120.0 * 3.0 * 20.0; // three 20-point lines a notch
    if (event->modifiers() & Qt::ShiftModifier)
        delta = QPointF(delta.y(), delta.x());
    if (!canScrollHorizontally())
        delta.setX(0);
    if (!canScrollVertically())
        delta.setY(0);
    if (m_motionId)
        stopMotion();
    applyOffset(clampOffset(m_offset - delta));
    flashIndicators();
}

QWidget *ScrollView::zoomingView()
{
    QWidget *view = m_delegate ? m_delegate->viewForZooming(this) : nullptr;
    if (view != m_zoomView) {
        m_zoomView = view;
        m_zoomBaseSize = view ? QSizeF(view->size()) / m_zoomScale : QSizeF();
    }
    return view;
}

void ScrollView::setMinimumZoomScale(double scale)
{
    m_minimumZoomScale = scale;
}

void ScrollView::setMaximumZoomScale(double scale)
{
    m_maximumZoomScale = scale;
}

void ScrollView::zoomAround(double scale, const QPointF &anchorInView, bool notify)
{
    QWidget *view = zoomingView();
    if (!view)
        return;
    scale = std::clamp(scale, m_minimumZoomScale, std::max(m_minimumZoomScale, m_maximumZoomScale));
    // The content point under the anchor stays under it.
    const QRectF before = contentFrame(view);
    const QPointF anchorContent = mapToContent(anchorInView);
    const QPointF unscaled = (anchorContent - before.topLeft()) / m_zoomScale;
    m_zoomScale = scale;
    const QSizeF size = m_zoomBaseSize * scale;
    setContentFrame(view, QRectF(QPointF(0, 0), size));
    m_contentSize = size;
    const QPointF target = unscaled * scale - anchorInView;
    applyOffset(m_tracking || m_dragging ? target : clampOffset(target));
    if (notify && m_delegate)
        m_delegate->scrollViewDidZoom(this);
}

void ScrollView::setZoomScale(double scale, bool animated)
{
    QWidget *view = zoomingView();
    if (!view) {
        return;
    }
    scale = std::clamp(scale, m_minimumZoomScale, std::max(m_minimumZoomScale, m_maximumZoomScale));
    const QPointF center(width() / 2.0, height() / 2.0);
    if (!animated) {
        zoomAround(scale, center, true);
        return;
    }
    const double from = m_zoomScale;
    QPointer<ScrollView> guard(this);
    runZoomAnimation(std::make_shared<BasicAnimation>([guard, from, scale, center](double p) {
        if (guard)
            guard->zoomAround(from + (scale - from) * p, center, true);
    }));
}

void ScrollView::zoomToRect(const QRectF &rect, bool animated)
{
    QWidget *view = zoomingView();
    if (!view || rect.width() <= 0 || rect.height() <= 0)
        return;
    const double hiScale = std::max(m_minimumZoomScale, m_maximumZoomScale);
    const double scale
        = std::clamp(std::min(width() / rect.width(), height() / rect.height()), m_minimumZoomScale, hiScale);
    // Where the rectangle's centre ends up in the middle of the view.
    const QPointF centerScaled = rect.center() * scale;
    const QSizeF contentAfter = m_zoomBaseSize * scale;
    QPointF target = centerScaled - QPointF(width() / 2.0, height() / 2.0);
    const QPointF lo = minimumContentOffset();
    const QPointF hi(std::max(lo.x(), contentAfter.width() + m_contentInset.right - width()),
        std::max(lo.y(), contentAfter.height() + m_contentInset.bottom - height()));
    target = QPointF(std::clamp(target.x(), lo.x(), hi.x()), std::clamp(target.y(), lo.y(), hi.y()));
    const double fromScale = m_zoomScale;
    const QPointF fromOffset = m_offset;
    QPointer<ScrollView> guard(this);
    auto apply = [guard, fromScale, scale, fromOffset, target](double p) {
        if (!guard)
            return;
        QWidget *v = guard->zoomingView();
        if (!v)
            return;
        guard->m_zoomScale = fromScale + (scale - fromScale) * p;
        const QSizeF size = guard->m_zoomBaseSize * guard->m_zoomScale;
        guard->setContentFrame(v, QRectF(QPointF(0, 0), size));
        guard->m_contentSize = size;
        guard->applyOffset(fromOffset + (target - fromOffset) * p);
        if (guard->m_delegate)
            guard->m_delegate->scrollViewDidZoom(guard);
    };
    if (!animated) {
        apply(1.0);
        return;
    }
    runZoomAnimation(std::make_shared<BasicAnimation>(apply));
}

void ScrollView::runZoomAnimation(std::shared_ptr<BasicAnimation> anim)
{
    QPointer<ScrollView> guard(this);
    anim->duration = kScrollAnimationDuration;
    anim->timing = TimingFunction::easeInOut();
    m_zooming = true;
    AnimationDriver::shared().run(anim, 0.0, [guard](bool) {
        if (!guard)
            return;
        guard->m_zooming = false;
        if (guard->m_delegate)
            guard->m_delegate->scrollViewDidEndZooming(guard, guard->zoomingView(), guard->m_zoomScale);
    });
}

// Indicators

void ScrollView::updateIndicators()
{
    if (!m_verticalIndicator || m_destroying)
        return;
    const EdgeInsets &in = m_indicatorInsets;
    const double h = height() - in.vertical();
    const double contentH = m_contentSize.height() + m_contentInset.vertical();
    if (showsVerticalScrollIndicator && contentH > height() && h > 0) {
        const double length = std::max(20.0, h * height() / contentH);
        const double range = std::max(1.0, contentH - height());
        const double p = std::clamp((m_offset.y() + m_contentInset.top) / range, 0.0, 1.0);
        m_verticalIndicator->setGeometry(int(width() - in.right - kIndicatorWidth - 2), int(in.top + p * (h - length)),
            int(kIndicatorWidth), int(length));
    } else {
        m_verticalIndicator->hide();
    }
    const double w = width() - in.horizontal();
    const double contentW = m_contentSize.width() + m_contentInset.horizontal();
    if (showsHorizontalScrollIndicator && contentW > width() && w > 0) {
        const double length = std::max(20.0, w * width() / contentW);
        const double range = std::max(1.0, contentW - width());
        const double p = std::clamp((m_offset.x() + m_contentInset.left) / range, 0.0, 1.0);
        m_horizontalIndicator->setGeometry(int(in.left + p * (w - length)),
            int(height() - in.bottom - kIndicatorWidth - 2), int(length), int(kIndicatorWidth));
    } else {
        m_horizontalIndicator->hide();
    }
}

void ScrollView::flashIndicators()
{
    if (m_destroying)
        return;
    updateIndicators();
    const double contentH = m_contentSize.height() + m_contentInset.vertical();
    const double contentW = m_contentSize.width() + m_contentInset.horizontal();
    if (showsVerticalScrollIndicator && contentH > height()) {
        m_verticalIndicator->show();
        m_verticalIndicator->raise();
    }
    if (showsHorizontalScrollIndicator && contentW > width()) {
        m_horizontalIndicator->show();
        m_horizontalIndicator->raise();
    }
    if (m_indicatorHide)
        AnimationDriver::shared().cancelScheduled(m_indicatorHide);
    QPointer<ScrollView> guard(this);
    m_indicatorHide = AnimationDriver::shared().schedule(0.5, [guard] {
        if (!guard)
            return;
        guard->m_indicatorHide = 0;
        if (guard->m_dragging || guard->m_decelerating) {
            guard->flashIndicators();
            return;
        }
        guard->m_verticalIndicator->hide();
        guard->m_horizontalIndicator->hide();
    });
}

} // namespace tarnik
