#include "Player/PanDirectionGestureRecognizer.h"

#include <QWidget>
#include <cmath>
#include <utility>

namespace tarnik {

PanDirectionGestureRecognizer::PanDirectionGestureRecognizer(PanDirection direction_, Action action, QObject *parent)
    : PanGestureRecognizer(std::move(action), parent)
    , direction(direction_)
{
}

void PanDirectionGestureRecognizer::touchesMoved(const QPointF &global, double time)
{
    PanGestureRecognizer::touchesMoved(global, time);
    if (state() != State::began)
        return;
    const QPointF v = velocity(view());
    const double vx = std::abs(v.x());
    const double vy = std::abs(v.y());
    // Comparisons with NaN are false, so an unknown velocity keeps the gesture.
    const bool across = direction == PanDirection::horizontal ? vx < vy : vy < vx;
    if (across)
        setState(State::cancelled);
}

} // namespace tarnik
