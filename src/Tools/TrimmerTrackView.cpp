#include "Tools/TrimmerTrackView.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace tarnik {

TrimmerTrackView::TrimmerTrackView(bool roundsLeftCorners, QWidget *parent)
    : QWidget(parent)
    , m_color(Qt::gray)
    , m_roundsLeftCorners(roundsLeftCorners)
{
}

void TrimmerTrackView::setBackgroundColor(const QColor &color)
{
    m_color = color;
    update();
}

void TrimmerTrackView::setFrame(const QRectF &frame)
{
    if (!std::isfinite(frame.x() + frame.y() + frame.width() + frame.height()))
        return;
    setGeometry(frame.toRect());
}

void TrimmerTrackView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF r(rect());
    const double radius = std::min(5.0, r.height() / 2);
    QPainterPath path;
    path.addRoundedRect(r, radius, radius);
    // Square off the inner side, which meets the handle.
    QPainterPath inner;
    inner.addRect(m_roundsLeftCorners ? r.adjusted(r.width() / 2, 0, 0, 0) : r.adjusted(0, 0, -r.width() / 2, 0));
    painter.fillPath(path.united(inner), m_color);
}

} // namespace tarnik
