#pragma once

#include "Controls/CircularSlider/DotLayer.h"

#include <QColor>
#include <QWidget>
#include <optional>
#include <vector>

namespace tarnik {

enum class DotType { mini, maxi };

// One ring of dots around the slider's knob. The maxi ring has a few larger
// dots that light up with the value, the last `maxDotCount` of them shading
// from the on colour to red; the mini ring is a fixed scale of tiny dots
// between the maxi positions. The ring is centred on `ringOrigin()` (the
// slider's centre) and its width is the slider's. Counts and sizes that are
// derived from the angles are fixed when first read. GUI thread only.
class DotView : public QWidget
{
    Q_OBJECT

public:
    DotView(DotType type, bool isClockwise, double startAngle, double endAngle, QWidget *parent = nullptr);

    DotType type() const { return m_type; }
    void setType(DotType type) { m_type = type; }
    bool isClockwise() const { return m_isClockwise; }
    void setIsClockwise(bool clockwise);
    double startAngle() const { return m_startAngle; } // radians
    void setStartAngle(double radians) { m_startAngle = radians; }
    double endAngle() const { return m_endAngle; } // radians
    void setEndAngle(double radians) { m_endAngle = radians; }
    int dotCountPerSegment() const { return m_dotCountPerSegment; }
    void setDotCountPerSegment(int count) { m_dotCountPerSegment = count; }
    std::optional<double> outerCircleRadius() const { return m_outerCircleRadius; }
    void setOuterCircleRadius(std::optional<double> radius);
    int maxDotCount();
    void setMaxDotCount(int count) { m_maxDotCount = count; }
    double dotInset();
    void setDotInset(double inset) { m_dotInset = inset; }
    int maxiDotCount();
    void setMaxiDotCount(int count) { m_maxiDotCount = count; }
    double dotRadiusMultiplier();
    void setDotRadiusMultiplier(double multiplier) { m_dotRadiusMultiplier = multiplier; }
    QColor offColor() const { return m_offColor; }
    void setOffColor(const QColor &color);
    QColor onColor() const { return m_onColor; }
    void setOnColor(const QColor &color);
    QColor maxColor() const { return m_maxColor; }
    void setMaxColor(const QColor &color);
    std::optional<QColor> highlightColor() const { return m_highlightColor; }
    void setHighlightColor(std::optional<QColor> color);
    int currentIndex() const { return m_currentIndex; }
    float value() const { return m_value; }

    // Where the ring is centred in this widget, and the width its dot sizes follow.
    QPointF ringOrigin() const { return m_origin; }
    void setRingGeometry(const QPointF &origin, double width);

    double angleSpan(); // radians
    int dotCount();
    double angleStep(); // radians; 0 for a ring of fewer than two positions
    double dotRadius();

    // The dots, in creation order; a dot's index is its position here.
    const std::vector<DotLayer> &dots() const { return m_dots; }

    // Throws the dots away and makes new ones in the off colour, unplaced until the next layout.
    void resetDots();
    // Lights the maxi ring's dots up to the fraction `value` (0 to 1); a mini ring ignores it.
    void update(float value);
    // Places the dots and repaints them for the current value.
    void layoutSubviews();
    void layoutIfNeeded();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void createDots();

    DotType m_type = DotType::maxi;
    bool m_isClockwise = true;
    double m_startAngle;
    double m_endAngle;
    int m_dotCountPerSegment = 6;
    std::optional<double> m_outerCircleRadius;
    std::optional<int> m_maxDotCount;
    std::optional<double> m_dotInset;
    std::optional<int> m_maxiDotCount;
    std::optional<double> m_dotRadiusMultiplier;
    QColor m_offColor;
    QColor m_onColor;
    QColor m_maxColor;
    std::optional<QColor> m_highlightColor = QColor(Qt::white);
    int m_currentIndex = 0;
    float m_value = 0;

    QPointF m_origin;
    double m_width = 0;
    std::vector<DotLayer> m_dots;
    bool m_needsLayout = true;
};

} // namespace tarnik
