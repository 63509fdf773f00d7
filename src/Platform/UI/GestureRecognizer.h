#pragma once

#include <QObject>
#include <QPointF>
#include <QPointer>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

class QMouseEvent;
class QWidget;
class QWindow;

namespace tarnik {

// A gesture recogniser attached to one widget, fed with touches (mouse
// presses, moves and releases of the widget, or synthetic touches in tests).
// As on the phone, a touch belongs to the recogniser from the press on the
// widget until the lift: the rest of the touch is read from the widget's
// window, so hiding the widget, covering it with another one or moving the
// pointer off it (a presentation starting under the finger does all three)
// never leaves a gesture without its end.
// Subclasses decide the state in the touches* hooks; after each hook the
// actions hear the new state (began, changed, ended, cancelled), and a
// gesture that ended, was cancelled or failed goes back to possible. Times
// come from the AnimationDriver's clock unless a touch carries its own.
// Lives on the GUI thread; it is owned by its widget.
class GestureRecognizer : public QObject
{
    Q_OBJECT
public:
    enum class State { possible, began, changed, ended, cancelled, failed };
    enum class Phase { began, moved, ended, cancelled };
    using Action = std::function<void(GestureRecognizer *)>;

    explicit GestureRecognizer(Action action = {}, QObject *parent = nullptr);
    ~GestureRecognizer() override;

    void addTarget(Action action);
    // Installs the recogniser on a widget, which takes ownership of it.
    void attach(QWidget *view);
    QWidget *view() const { return m_view; }

    State state() const { return m_state; }
    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled);

    // Asked before the gesture begins; false makes it fail.
    std::function<bool(GestureRecognizer *)> shouldBegin;

    // Also hears touches that begin on a subview which keeps its presses to
    // itself (a picture with its own recognisers), as a recogniser on the
    // phone sees every touch in its view's subtree. Controls (buttons,
    // sliders) keep their touches.
    bool includesSubviews() const { return m_includesSubviews; }
    void setIncludesSubviews(bool include);

    QPointF location(QWidget *in) const;

    // Feeds one touch at a global position (time: seconds on the driver's
    // clock; negative reads the clock).
    void feed(Phase phase, const QPointF &globalPosition, double time = -1.0);

protected:
    virtual void touchesBegan(const QPointF &global, double time);
    virtual void touchesMoved(const QPointF &global, double time);
    virtual void touchesEnded(const QPointF &global, double time);
    virtual void touchesCancelled(const QPointF &global, double time);
    virtual void reset();

    void setState(State state);
    bool eventFilter(QObject *watched, QEvent *event) override;

    // Reports the current state to the actions (done after every touch).
    void deliver();

    QPointF m_current;

private:
    // Follows the rest of a touch that began on the view through its window.
    void followTouch();
    void stopFollowingTouch();
    bool touchBegins(QWidget *receiver, QMouseEvent *event);

    std::vector<Action> m_actions;
    QPointer<QWidget> m_view;
    // The window whose mouse events carry the touch being tracked, and the
    // last move or release taken from it, which the view may see again.
    QPointer<QWindow> m_touchWindow;
    std::optional<std::pair<int, QPointF>> m_lastWindowEvent;
    bool m_includesSubviews = false;
    // Where a touch began on a subview, so the same press passed on to the view is not a second one.
    std::optional<QPointF> m_subviewPress;
    State m_state = State::possible;
    State m_delivered = State::possible;
    bool m_enabled = true;
    bool m_tracking = false;
    bool m_ignoreUntilLift = false;
};

// Recognised when the finger lifts near where it went down, after the
// required number of taps (each within 0.35 s of the previous one).
class TapGestureRecognizer : public GestureRecognizer
{
    Q_OBJECT
public:
    using GestureRecognizer::GestureRecognizer;
    int numberOfTapsRequired = 1;

protected:
    void touchesBegan(const QPointF &global, double time) override;
    void touchesMoved(const QPointF &global, double time) override;
    void touchesEnded(const QPointF &global, double time) override;

private:
    QPointF m_start;
    int m_taps = 0;
    double m_lastTap = -1.0;
    bool m_moved = false;
};

// Begins once the finger moved 10 points; reports translation (from the
// touch-down point, or from where setTranslation put it) and velocity in
// points per second. lockedAxis makes it a one-axis pan: when, at its start,
// the drag goes faster across the axis than along it, it cancels itself.
class PanGestureRecognizer : public GestureRecognizer
{
    Q_OBJECT
public:
    using GestureRecognizer::GestureRecognizer;

    QPointF translation(QWidget *in = nullptr) const;
    void setTranslation(const QPointF &translation, QWidget *in = nullptr);
    QPointF velocity(QWidget *in = nullptr) const;

    std::optional<Qt::Orientation> lockedAxis;

protected:
    void touchesBegan(const QPointF &global, double time) override;
    void touchesMoved(const QPointF &global, double time) override;
    void touchesEnded(const QPointF &global, double time) override;
    void touchesCancelled(const QPointF &global, double time) override;

private:
    QPointF m_origin;
    QPointF m_lastPoint;
    double m_lastTime = 0.0;
    QPointF m_velocity;
};

// A quick straight drag of at least 50 points in one of the allowed
// directions.
class SwipeGestureRecognizer : public GestureRecognizer
{
    Q_OBJECT
public:
    enum Direction { right = 1, left = 2, up = 4, down = 8 };
    using GestureRecognizer::GestureRecognizer;
    int direction = right;

protected:
    void touchesBegan(const QPointF &global, double time) override;
    void touchesEnded(const QPointF &global, double time) override;

private:
    QPointF m_start;
    double m_startTime = 0.0;
};

// Begins after the finger stayed down for minimumPressDuration without
// moving more than 10 points; reports changes while it moves, ends on lift.
class LongPressGestureRecognizer : public GestureRecognizer
{
    Q_OBJECT
public:
    using GestureRecognizer::GestureRecognizer;
    ~LongPressGestureRecognizer() override;
    double minimumPressDuration = 0.5;

protected:
    void touchesBegan(const QPointF &global, double time) override;
    void touchesMoved(const QPointF &global, double time) override;
    void touchesEnded(const QPointF &global, double time) override;
    void reset() override;

private:
    void timerFired();

    QPointF m_start;
    quint64 m_timer = 0;
};

} // namespace tarnik
