#pragma once

#include <QColor>
#include <QRectF>
#include <optional>

class QPainter;

namespace tarnik {

// One dot of a dot ring: a disc in `color` with a shaded rim toward its upper
// left and a crescent of the highlight colour at its lower right. A value type
// painted by its ring; GUI thread only.
class DotLayer
{
public:
    static QColor defaultShadowColor(); // dark grey at alpha 0.5

    DotLayer(const QColor &color, std::optional<QColor> shadowColor, double shadowMultiplier);

    QColor color() const { return m_color; }
    // Also makes the colour the end of the rim shading.
    void setColor(const QColor &color);
    double shadowMultiplier() const { return m_shadowMultiplier; }
    void setShadowMultiplier(double multiplier) { m_shadowMultiplier = multiplier; }
    std::optional<QColor> highlightColor() const { return m_highlightColor; }
    void setHighlightColor(std::optional<QColor> color) { m_highlightColor = color; }
    // The start of the rim shading; none when the shading has no colours.
    std::optional<QColor> shadowColor() const { return m_gradientColors.first; }
    void setShadowColor(std::optional<QColor> color);

    // In the ring's coordinates, whose origin is the ring's centre.
    QRectF frame() const { return m_frame; }
    void setFrame(const QRectF &frame) { m_frame = frame; }

    void paint(QPainter &painter) const;

private:
    QColor m_color;
    double m_shadowMultiplier;
    std::optional<QColor> m_highlightColor = QColor(Qt::white);
    // The back disc keeps the colour of set-up time; the front disc covers it.
    QColor m_backColor;
    struct
    {
        std::optional<QColor> first;
        QColor second;
    } m_gradientColors;
    QRectF m_frame;
};

} // namespace tarnik
