#include "Controls/CircularSlider/CircularLayer.h"

#include "Controls/CircularSlider/Geometry.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <algorithm>

namespace tarnik {

std::optional<GradientDirection> gradientDirectionFromRawValue(int rawValue)
{
    if (rawValue < 0 || rawValue > 7)
        return std::nullopt;
    return static_cast<GradientDirection>(rawValue);
}

std::pair<QPointF, QPointF> points(GradientDirection direction, QSizeF size)
{
    const double w = size.width();
    const double h = size.height();
    switch (direction) {
    case GradientDirection::leftToRight:
        return { { 0, 0 }, { w, 0 } };
    case GradientDirection::rightToLeft:
        return { { w, 0 }, { 0, 0 } };
    case GradientDirection::topToBottom:
        return { { 0, 0 }, { 0, h } };
    case GradientDirection::bottomToTop:
        return { { 0, h }, { 0, 0 } };
    case GradientDirection::topLeftToBottomRight:
        return { { 0, 0 }, { w, h } };
    case GradientDirection::topRightToBottomLeft:
        return { { w, 0 }, { 0, h } };
    case GradientDirection::bottomLeftToTopRight:
        return { { 0, h }, { w, 0 } };
    case GradientDirection::bottomRightToTopLeft:
        return { { w, h }, { 0, 0 } };
    }
    return { { 0, 0 }, { 0, h } };
}

CircularLayer::CircularLayer(GradientType gradientType, QList<QColor> colors, CircleMaskType maskType,
    QList<double> locations, double multiplier)
    : m_gradientType(gradientType)
    , m_locations(std::move(locations))
    , m_colors(std::move(colors))
    , m_maskType(maskType)
    , m_multiplier(multiplier)
{
}

void CircularLayer::setColor(int index, const QColor &color)
{
    if (index >= 0 && index < m_colors.size())
        m_colors[index] = color;
}

void CircularLayer::paint(QPainter &painter) const
{
    const QRectF bounds(QPointF(0, 0), m_frame.size());
    if (m_colors.isEmpty() || m_colors.size() != m_locations.size() || bounds.isEmpty()
        || !std::isfinite(m_frame.x() + m_frame.y() + m_frame.width() + m_frame.height()))
        return;

    QGradient gradient;
    if (m_gradientType.isRadial) {
        const QPointF centre = bounds.center();
        gradient = QRadialGradient(centre, (bounds.width() + bounds.height()) / 2);
    } else {
        const auto [start, end] = points(m_gradientType.direction, bounds.size());
        gradient = QLinearGradient(start, end);
    }
    for (qsizetype i = 0; i < m_colors.size(); ++i)
        gradient.setColorAt(std::clamp(m_locations[i], 0.0, 1.0), m_colors[i]);

    painter.save();
    painter.translate(m_frame.topLeft());
    painter.setOpacity(painter.opacity() * m_opacity);
    // The gradient covers the bounds only: a ring's line outside them shows nothing.
    painter.setClipRect(bounds, Qt::IntersectClip);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPainterPath circle = circlePath(bounds, m_multiplier);
    if (m_maskType.isStroke) {
        if (m_maskType.width > 0 && std::isfinite(m_maskType.width)) {
            painter.setBrush(Qt::NoBrush);
            painter.setPen(QPen(QBrush(gradient), m_maskType.width));
            painter.drawPath(circle);
        }
    } else {
        painter.fillPath(circle, QBrush(gradient));
    }
    painter.restore();
}

} // namespace tarnik
