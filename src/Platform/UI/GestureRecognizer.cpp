#include "Platform/UI/GestureRecognizer.h"

#include "Platform/UI/AnimationDriver.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>
#include <cmath>
#include <utility>

namespace tarnik {

namespace {
constexpr double kSlop = 10.0;

double distance(const QPointF &a, const QPointF &b)
{
    return std::hypot(a.x() - b.x(), a.y() - b.y());
}
} // namespace

GestureRecognizer::GestureRecognizer(Action action, QObject *parent)
    : QObject(parent)
{
    if (action)
        m_actions.push_back(std::move(action));
}

GestureRecognizer::~GestureRecognizer()
{
    stopFollowingTouch();
    if (m_includesSubviews && QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(this);
}

void GestureRecognizer::setIncludesSubviews(bool include)
{
    QCoreApplication *app = QCoreApplication::instance();
    if (include == m_includesSubviews || !app)
        return;
    m_includesSubviews = include;
    // Presses reach a subview before its ancestors' filters (and never, when the subview accepts
    // them), so they are watched where every event passes, the view's own included.
    if (include) {
        if (m_view)
            m_view->removeEventFilter(this);
        app->installEventFilter(this);
    } else {
        app->removeEventFilter(this);
        if (m_view)
            m_view->installEventFilter(this);
    }
}

void GestureRecognizer::addTarget(Action action)
{
    if (action)
        m_actions.push_back(std::move(action));
}

void GestureRecognizer::attach(QWidget *view)
{
    if (m_view)
        m_view->removeEventFilter(this);
    m_view = view;
    if (view) {
        setParent(view);
        if (!m_includesSubviews)
            view->installEventFilter(this);
    }
}

void GestureRecognizer::setEnabled(bool enabled)
{
    m_enabled = enabled;
    if (!enabled && (m_state == State::began || m_state == State::changed)) {
        setState(State::cancelled);
        deliver();
    }
}

QPointF GestureRecognizer::location(QWidget *in) const
{
    QWidget *w = in ? in : m_view.data();
    return w ? QPointF(w->mapFromGlobal(m_current)) : m_current;
}

void GestureRecognizer::setState(State state)
{
    if (state == State::began && shouldBegin && !shouldBegin(this))
        state = State::failed;
    m_state = state;
}

void GestureRecognizer::feed(Phase phase, const QPointF &global, double time)
{
    if (!m_enabled)
        return;
    if (time < 0.0)
        time = AnimationDriver::shared().currentTime();
    m_current = global;
    switch (phase) {
    case Phase::began:
        m_tracking = true;
        m_ignoreUntilLift = false;
        touchesBegan(global, time);
        break;
    case Phase::moved:
        if (!m_tracking || m_ignoreUntilLift)
            return;
        touchesMoved(global, time);
        break;
    case Phase::ended:
        if (!m_tracking)
            return;
        m_tracking = false;
        stopFollowingTouch();
        if (std::exchange(m_ignoreUntilLift, false))
            return;
        touchesEnded(global, time);
        break;
    case Phase::cancelled:
        if (!m_tracking)
            return;
        m_tracking = false;
        stopFollowingTouch();
        if (std::exchange(m_ignoreUntilLift, false))
            return;
        touchesCancelled(global, time);
        break;
    }
    deliver();
}

void GestureRecognizer::deliver()
{
    const State s = m_state;
    const bool report = s == State::changed || (s != m_delivered && s != State::possible && s != State::failed);
    // A gesture that never began does not report its cancellation.
    const bool silentCancel = s == State::cancelled && m_delivered == State::possible;
    if (report && !silentCancel) {
        m_delivered = s;
        auto actions = m_actions;
        QPointer<GestureRecognizer> guard(this);
        for (auto &action : actions) {
            if (!guard)
                return;
            action(this);
        }
        if (!guard)
            return;
    }
    if (m_state == State::ended || m_state == State::cancelled || m_state == State::failed) {
        // A gesture that failed or was cancelled while the finger is still
        // down does not start again before the finger lifts.
        if (m_tracking && m_state != State::ended)
            m_ignoreUntilLift = true;
        m_state = State::possible;
        m_delivered = State::possible;
        reset();
    }
}

void GestureRecognizer::touchesBegan(const QPointF &, double) { }
void GestureRecognizer::touchesMoved(const QPointF &, double) { }
void GestureRecognizer::touchesEnded(const QPointF &, double) { }

void GestureRecognizer::touchesCancelled(const QPointF &, double)
{
    if (m_state == State::began || m_state == State::changed)
        setState(State::cancelled);
    else
        setState(State::failed);
}

void GestureRecognizer::reset() { }

void GestureRecognizer::followTouch()
{
    // The press reached the view through its window; the window hears every
    // later event of the touch first, whatever widget (if any) gets it then.
    QWidget *top = m_view ? m_view->window() : nullptr;
    QWindow *window = top ? top->windowHandle() : nullptr;
    if (!window || window == m_touchWindow)
        return;
    stopFollowingTouch();
    m_touchWindow = window;
    // Watching the whole application already shows the window's events.
    if (!m_includesSubviews)
        window->installEventFilter(this);
}

void GestureRecognizer::stopFollowingTouch()
{
    if (m_touchWindow)
        m_touchWindow->removeEventFilter(this);
    m_touchWindow = nullptr;
    m_lastWindowEvent.reset();
    m_subviewPress.reset();
}

bool GestureRecognizer::touchBegins(QWidget *receiver, QMouseEvent *event)
{
    if (!m_view || receiver == m_view || !m_view->isAncestorOf(receiver) || !m_view->isVisible())
        return false;
    for (QWidget *w = receiver; w && w != m_view; w = w->parentWidget()) {
        if (qobject_cast<QAbstractButton *>(w) || qobject_cast<QAbstractSlider *>(w))
            return false;
    }
    if (m_tracking && m_subviewPress && *m_subviewPress == event->globalPosition())
        return false; // the same press, passed on to the subview's parent
    return true;
}

bool GestureRecognizer::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick && type != QEvent::MouseMove
        && type != QEvent::MouseButtonRelease)
        return false;
    auto *e = static_cast<QMouseEvent *>(event);
    const bool fromWindow = watched == m_touchWindow && m_touchWindow;
    if (m_includesSubviews && !fromWindow && watched != m_view) {
        // Watching the whole application: only a press on one of the view's subviews counts.
        if ((type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) && watched->isWidgetType()
            && e->button() == Qt::LeftButton && touchBegins(static_cast<QWidget *>(watched), e)) {
            feed(Phase::began, e->globalPosition());
            if (m_tracking) {
                m_subviewPress = e->globalPosition();
                followTouch();
            }
        }
        return false;
    }
    if (!fromWindow && watched != m_view)
        return false;
    if (fromWindow) {
        if (type == QEvent::MouseMove || type == QEvent::MouseButtonRelease)
            m_lastWindowEvent = std::make_pair(int(type), e->globalPosition());
    } else if (m_lastWindowEvent && m_lastWindowEvent->first == int(type)
        && m_lastWindowEvent->second == e->globalPosition()) {
        // The same event again, now delivered to the view: already fed.
        m_lastWindowEvent.reset();
        return false;
    }
    switch (type) {
    // The second press of a double click arrives as a double-click event;
    // it is a touch down like any other (a double tap needs it).
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonPress:
        if (m_subviewPress && *m_subviewPress == e->globalPosition() && m_tracking) {
            m_subviewPress.reset(); // already begun when a subview had it
            break;
        }
        if (!fromWindow && e->button() == Qt::LeftButton) {
            feed(Phase::began, e->globalPosition());
            if (m_tracking)
                followTouch();
        }
        break;
    case QEvent::MouseMove:
        if (e->buttons() & Qt::LeftButton)
            feed(Phase::moved, e->globalPosition());
        else if (fromWindow)
            // The button went up where nobody saw it (another window took the release).
            feed(Phase::cancelled, e->globalPosition());
        break;
    case QEvent::MouseButtonRelease:
        if (e->button() == Qt::LeftButton)
            feed(Phase::ended, e->globalPosition());
        break;
    default:
        break;
    }
    return false;
}

// Tap

void TapGestureRecognizer::touchesBegan(const QPointF &global, double time)
{
    if (m_lastTap >= 0.0 && time - m_lastTap > 0.35)
        m_taps = 0;
    m_start = global;
    m_moved = false;
}

void TapGestureRecognizer::touchesMoved(const QPointF &global, double)
{
    if (distance(global, m_start) > kSlop)
        m_moved = true;
}

void TapGestureRecognizer::touchesEnded(const QPointF &global, double time)
{
    if (m_moved || distance(global, m_start) > kSlop) {
        m_taps = 0;
        m_lastTap = -1.0;
        return;
    }
    ++m_taps;
    m_lastTap = time;
    if (m_taps >= std::max(1, numberOfTapsRequired)) {
        m_taps = 0;
        m_lastTap = -1.0;
        setState(State::ended);
    }
}

// Pan

QPointF PanGestureRecognizer::translation(QWidget *) const
{
    return m_current - m_origin;
}

void PanGestureRecognizer::setTranslation(const QPointF &t, QWidget *)
{
    m_origin = m_current - t;
}

QPointF PanGestureRecognizer::velocity(QWidget *) const
{
    return m_velocity;
}

void PanGestureRecognizer::touchesBegan(const QPointF &global, double time)
{
    m_origin = global;
    m_lastPoint = global;
    m_lastTime = time;
    m_velocity = {};
}

void PanGestureRecognizer::touchesMoved(const QPointF &global, double time)
{
    const double dt = time - m_lastTime;
    if (dt > 0.0)
        m_velocity = (global - m_lastPoint) / dt;
    m_lastPoint = global;
    m_lastTime = time;
    if (state() == State::possible) {
        if (distance(global, m_origin) < kSlop)
            return;
        setState(State::began);
        if (state() == State::began && lockedAxis) {
            const double vx = std::abs(m_velocity.x());
            const double vy = std::abs(m_velocity.y());
            const bool across = *lockedAxis == Qt::Horizontal ? vx < vy : vy < vx;
            if (across)
                setState(State::cancelled);
        }
    } else if (state() == State::began || state() == State::changed) {
        setState(State::changed);
    }
}

void PanGestureRecognizer::touchesEnded(const QPointF &, double)
{
    if (state() == State::began || state() == State::changed)
        setState(State::ended);
    else
        setState(State::failed);
}

void PanGestureRecognizer::touchesCancelled(const QPointF &global, double time)
{
    GestureRecognizer::touchesCancelled(global, time);
}

// Swipe

void SwipeGestureRecognizer::touchesBegan(const QPointF &global, double time)
{
    m_start = global;
    m_startTime = time;
}

void SwipeGestureRecognizer::touchesEnded(const QPointF &global, double time)
{
    const QPointF d = global - m_start;
    const bool fast = time - m_startTime <= 0.5;
    int seen = 0;
    if (std::abs(d.x()) >= 50.0 && std::abs(d.x()) > 2 * std::abs(d.y()))
        seen = d.x() > 0 ? right : left;
    else if (std::abs(d.y()) >= 50.0 && std::abs(d.y()) > 2 * std::abs(d.x()))
        seen = d.y() > 0 ? down : up;
    setState(fast && (seen & direction) ? State::ended : State::failed);
}

// Long press

LongPressGestureRecognizer::~LongPressGestureRecognizer()
{
    if (m_timer)
        AnimationDriver::shared().cancelScheduled(m_timer);
}

void LongPressGestureRecognizer::touchesBegan(const QPointF &global, double)
{
    m_start = global;
    if (m_timer)
        AnimationDriver::shared().cancelScheduled(m_timer);
    QPointer<LongPressGestureRecognizer> guard(this);
    m_timer = AnimationDriver::shared().schedule(minimumPressDuration, [guard] {
        if (guard)
            guard->timerFired();
    });
}

void LongPressGestureRecognizer::timerFired()
{
    m_timer = 0;
    if (state() != State::possible)
        return;
    setState(State::began);
    deliver();
}

void LongPressGestureRecognizer::touchesMoved(const QPointF &global, double)
{
    if (state() == State::possible) {
        if (distance(global, m_start) > kSlop) {
            if (m_timer)
                AnimationDriver::shared().cancelScheduled(m_timer);
            m_timer = 0;
        }
        return;
    }
    if (state() == State::began || state() == State::changed)
        setState(State::changed);
}

void LongPressGestureRecognizer::touchesEnded(const QPointF &, double)
{
    if (state() == State::began || state() == State::changed)
        setState(State::ended);
    else
        setState(State::failed);
}

void LongPressGestureRecognizer::reset()
{
    if (m_timer)
        AnimationDriver::shared().cancelScheduled(m_timer);
    m_timer = 0;
}

} // namespace tarnik
