#pragma once

#include "Controls/CircularSlider/CircularLayer.h"

#include <QColor>
#include <QWidget>

namespace tarnik {

// The round knob of the circular slider: a soft shadow under it, a thin outer
// ring, the outer disc, a glow ring in the on colour, a drop shadow under the
// middle disc, the middle disc and the inner disc, painted bottom to top.
// The three multipliers are fractions of the knob's width and must stay in
// the order inner < middle < outer: a write that breaks it is a programming
// error and stops the program. GUI thread only.
class KnobView : public QWidget
{
    Q_OBJECT

public:
    explicit KnobView(QWidget *parent = nullptr);

    QColor color1() const { return m_color1; }
    void setColor1(const QColor &color);
    QColor color2() const { return m_color2; }
    void setColor2(const QColor &color);
    QColor color3() const { return m_color3; }
    void setColor3(const QColor &color);
    QColor color4() const { return m_color4; }
    void setColor4(const QColor &color);
    QColor highlightColor() const { return m_highlightColor; }
    void setHighlightColor(const QColor &color);
    QColor onColor() const { return m_onColor; }
    void setOnColor(const QColor &color);
    float knobShadowOpacity() const { return m_knobShadowOpacity; }
    void setKnobShadowOpacity(float opacity);
    double outerCircleMultiplier() const { return m_outerCircleMultiplier; }
    void setOuterCircleMultiplier(double multiplier);
    double middleCircleMultiplier() const { return m_middleCircleMultiplier; }
    void setMiddleCircleMultiplier(double multiplier);
    double innerCircleMultiplier() const { return m_innerCircleMultiplier; }
    void setInnerCircleMultiplier(double multiplier);

    const CircularLayer &backgroundLayer() const { return m_backgroundLayer; }
    const CircularLayer &outerCircleStroke() const { return m_outerCircleStroke; }
    const CircularLayer &outerCircle() const { return m_outerCircle; }
    const CircularLayer &glowCircleLayer() const { return m_glowCircleLayer; }
    const CircularLayer &middleCircle() const { return m_middleCircle; }
    const CircularLayer &innerCircle() const { return m_innerCircle; }

    // The layers follow the view's bounds.
    void layoutSubviews();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void checkMultiplierOrder() const;
    void paintMiddleCircleShadow(QPainter &painter) const;

    QColor m_color1;
    QColor m_color2;
    QColor m_color3;
    QColor m_color4;
    QColor m_highlightColor;
    QColor m_onColor;
    float m_knobShadowOpacity = 0.4f;
    double m_outerCircleMultiplier;
    double m_middleCircleMultiplier;
    double m_innerCircleMultiplier;

    CircularLayer m_backgroundLayer;
    CircularLayer m_outerCircleStroke;
    CircularLayer m_outerCircle;
    CircularLayer m_glowCircleLayer;
    CircularLayer m_middleCircle;
    CircularLayer m_innerCircle;
};

} // namespace tarnik
