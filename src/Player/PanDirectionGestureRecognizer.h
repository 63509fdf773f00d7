#pragma once

#include "Platform/UI/GestureRecognizer.h"

namespace tarnik {

enum class PanDirection { vertical, horizontal };

// A pan that accepts a drag along one axis only: when, as the gesture
// begins, the drag moves faster across its axis than along it, it cancels
// itself (silently: its actions never heard it begin), leaving the drag to
// other recognisers and scroll views. A tie keeps the gesture, a velocity
// that is not a number never cancels, and once the gesture has changed the
// axis is no longer tested, so a drag that turns later keeps going.
// GUI thread; owned by the widget it is attached to.
class PanDirectionGestureRecognizer : public PanGestureRecognizer
{
    Q_OBJECT
public:
    PanDirectionGestureRecognizer(PanDirection direction, Action action, QObject *parent = nullptr);

    const PanDirection direction;

protected:
    void touchesMoved(const QPointF &global, double time) override;
};

} // namespace tarnik
