#include "Controls/CircularSlider/PointerView.h"

#include "Controls/CircularSlider/SliderConstants.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace tarnik {

PointerView::PointerView(QWidget *parent)
    : QWidget(parent)
    , m_color1(SliderConstants::lightColor4())
    , m_color2(Qt::white)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void PointerView::setColor1(const QColor &color)
{
    m_color1 = color;
    update();
}

void PointerView::setColor2(const QColor &color)
{
    m_color2 = color;
    update();
}

void PointerView::setFrameF(const QRectF &frame)
{
    const double sum = frame.x() + frame.y() + frame.width() + frame.height();
    if (!std::isfinite(sum) || frame.width() < 0 || frame.height() < 0 || std::abs(sum) > 1e7)
        return;
    m_frame = frame;
    setGeometry(frame.toAlignedRect());
    update();
}

void PointerView::paintEvent(QPaintEvent *)
{
    if (m_frame.isEmpty())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF r = m_frame.translated(-QPointF(geometry().topLeft()));
    QPainterPath oval;
    oval.addEllipse(r);
    QLinearGradient gradient(QPointF(0, r.top()), QPointF(0, r.top() + r.height()));
    gradient.setColorAt(0, m_color1);
    gradient.setColorAt(1, m_color2);
    painter.fillPath(oval, gradient);
}

} // namespace tarnik
