#include "Tools/TrimmerHandleView.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace tarnik {

TrimmerHandleView::TrimmerHandleView(QWidget *parent)
    : QWidget(parent)
    , m_tint(Qt::gray)
{
    setCursor(Qt::SizeHorCursor);
}

void TrimmerHandleView::setTintColor(const QColor &color)
{
    m_tint = color;
    update();
}

void TrimmerHandleView::setRestFrame(const QRect &frame)
{
    m_restFrame = frame;
    place();
}

void TrimmerHandleView::setTranslation(double dx)
{
    m_translation = std::isfinite(dx) ? dx : 0;
    place();
}

void TrimmerHandleView::place()
{
    setGeometry(m_restFrame.translated(int(std::lround(m_translation)), 0));
}

void TrimmerHandleView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF r(rect());
    const double barWidth = 4;
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_tint);
    painter.drawRoundedRect(QRectF(r.center().x() - barWidth / 2, 0, barWidth, r.height()), 2, 2);
    // The grip: a rounded tab across the middle, easy to catch.
    const QRectF grip(0, r.center().y() - 14, r.width(), 28);
    painter.drawRoundedRect(grip, 5, 5);
    painter.setPen(QPen(QColor(255, 255, 255, 200), 1.2));
    for (double dx : { -3.0, 0.0, 3.0 })
        painter.drawLine(
            QPointF(grip.center().x() + dx, grip.top() + 8), QPointF(grip.center().x() + dx, grip.bottom() - 8));
}

} // namespace tarnik
