#include "Controls/CircularSlider/DotLayer.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace tarnik {

QColor DotLayer::defaultShadowColor()
{
    QColor c(Qt::darkGray);
    c.setAlphaF(0.5f);
    return c;
}

DotLayer::DotLayer(const QColor &color, std::optional<QColor> shadowColor, double shadowMultiplier)
    : m_color(color)
    , m_shadowMultiplier(shadowMultiplier)
    , m_backColor(color)
{
    m_gradientColors.second = color;
    setShadowColor(shadowColor);
}

void DotLayer::setColor(const QColor &color)
{
    m_color = color;
    m_gradientColors.first = m_gradientColors.first.value_or(color);
    m_gradientColors.second = color;
}

void DotLayer::setShadowColor(std::optional<QColor> color)
{
    m_gradientColors.first = color.value_or(m_color);
    m_gradientColors.second = m_color;
}

void DotLayer::paint(QPainter &painter) const
{
    const double w = m_frame.width();
    const double h = m_frame.height();
    if (!(w > 0 && h > 0) || !std::isfinite(m_frame.x() + m_frame.y() + w + h))
        return;
    const double m = m_shadowMultiplier;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    // The back disc's hard shadow, offset to the lower right: the highlight crescent.
    if (m_highlightColor) {
        painter.setBrush(*m_highlightColor);
        painter.drawEllipse(m_frame.translated(w * m, h * m));
    }
    painter.setBrush(m_backColor);
    painter.drawEllipse(m_frame);
    painter.setBrush(m_color);
    painter.drawEllipse(m_frame);
    // Rim shading: a ring inside the rim, the shading colour toward the upper left.
    if (m > 0 && std::isfinite(m)) {
        QLinearGradient gradient(m_frame.topLeft(), m_frame.topLeft() + QPointF(w / 2, h / 2));
        gradient.setColorAt(0, m_gradientColors.first.value_or(m_color));
        gradient.setColorAt(1, m_gradientColors.second);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(QBrush(gradient), w * m));
        painter.drawEllipse(m_frame.adjusted(w * m / 2, h * m / 2, -w * m / 2, -h * m / 2));
    }
    painter.restore();
}

} // namespace tarnik
