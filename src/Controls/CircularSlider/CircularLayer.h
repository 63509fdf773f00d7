#pragma once

#include <QColor>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <optional>
#include <utility>

class QPainter;

namespace tarnik {

// The eight directions of a linear gradient over a rectangle; raw values 0 to 7.
enum class GradientDirection {
    leftToRight = 0,
    rightToLeft,
    topToBottom,
    bottomToTop,
    topLeftToBottomRight,
    topRightToBottomLeft,
    bottomLeftToTopRight,
    bottomRightToTopLeft,
};

// Nothing for a raw value outside 0 to 7.
std::optional<GradientDirection> gradientDirectionFromRawValue(int rawValue);
// Start and end point for a rectangle of that size; (0, 0) is its top-left corner.
std::pair<QPointF, QPointF> points(GradientDirection direction, QSizeF size);

struct GradientType
{
    bool isRadial = false;
    GradientDirection direction = GradientDirection::topToBottom;

    static GradientType linear(GradientDirection d) { return { false, d }; }
    static GradientType radial() { return { true, GradientDirection::topToBottom }; }
    bool operator==(const GradientType &) const = default;
};

// A ring of a line width (stroke) or a disc (fill).
struct CircleMaskType
{
    bool isStroke = false;
    double width = 0;

    static CircleMaskType fill() { return { false, 0 }; }
    static CircleMaskType stroke(double lineWidth) { return { true, lineWidth }; }
    bool operator==(const CircleMaskType &) const = default;
};

// A gradient over a rectangle, masked to a centred circle (a ring or a disc)
// of `multiplier` times the rectangle's size. The knob stacks several; the
// owning widget paints them in order. A value type; GUI thread only.
class CircularLayer
{
public:
    CircularLayer(GradientType gradientType, QList<QColor> colors, CircleMaskType maskType,
        QList<double> locations = { 0, 1 }, double multiplier = 1.0);

    GradientType gradientType() const { return m_gradientType; }
    void setGradientType(GradientType type) { m_gradientType = type; }
    QList<double> locations() const { return m_locations; }
    void setLocations(QList<double> locations) { m_locations = std::move(locations); }
    QList<QColor> colors() const { return m_colors; }
    void setColors(QList<QColor> colors) { m_colors = std::move(colors); }
    void setColor(int index, const QColor &color);
    CircleMaskType maskType() const { return m_maskType; }
    void setMaskType(CircleMaskType type) { m_maskType = type; }
    double multiplier() const { return m_multiplier; }
    void setMultiplier(double multiplier) { m_multiplier = multiplier; }

    // Where the layer lies in its widget.
    QRectF frame() const { return m_frame; }
    void setFrame(const QRectF &frame) { m_frame = frame; }
    double opacity() const { return m_opacity; }
    void setOpacity(double opacity) { m_opacity = opacity; }

    // Paints nothing when the colours and locations differ in number (no
    // gradient can be made) or the frame is empty or not finite.
    void paint(QPainter &painter) const;

private:
    GradientType m_gradientType;
    QList<double> m_locations;
    QList<QColor> m_colors;
    CircleMaskType m_maskType;
    double m_multiplier;
    QRectF m_frame;
    double m_opacity = 1.0;
};

} // namespace tarnik
