#include "Controls/CircularSlider/KnobView.h"

#include "Controls/CircularSlider/Geometry.h"
#include "Controls/CircularSlider/SliderConstants.h"
#include "Platform/UI/FatalError.h"

#include <QPainter>

namespace tarnik {

namespace {
QColor withAlpha(QColor color, float alpha)
{
    color.setAlphaF(alpha);
    return color;
}
} // namespace

KnobView::KnobView(QWidget *parent)
    : QWidget(parent)
    , m_color1(SliderConstants::lightColor1())
    , m_color2(SliderConstants::lightColor2())
    , m_color3(SliderConstants::lightColor3())
    , m_color4(SliderConstants::lightColor4())
    , m_highlightColor(Qt::white)
    , m_onColor(SliderConstants::dotBlueColor())
    , m_outerCircleMultiplier(SliderConstants::outerMultiplier)
    , m_middleCircleMultiplier(SliderConstants::middleMultiplier)
    , m_innerCircleMultiplier(SliderConstants::innerMultiplier)
    , m_backgroundLayer(GradientType::radial(), { Qt::black, Qt::transparent }, CircleMaskType::fill(), { 0, 0.45 }, 1)
    , m_outerCircleStroke(GradientType::linear(GradientDirection::topToBottom), { m_color1, m_highlightColor },
          CircleMaskType::stroke(1.2), { 0, 0.4 }, m_outerCircleMultiplier)
    , m_outerCircle(GradientType::linear(GradientDirection::topToBottom), { m_color1, m_color2 },
          CircleMaskType::fill(), { 0, 1 }, m_outerCircleMultiplier)
    , m_glowCircleLayer(GradientType::linear(GradientDirection::topToBottom), { m_onColor, m_onColor },
          CircleMaskType::stroke(5), { 0, 1 }, m_middleCircleMultiplier)
    , m_middleCircle(GradientType::linear(GradientDirection::topToBottom), { m_color2, m_color3 },
          CircleMaskType::fill(), { 0, 1 }, m_middleCircleMultiplier)
    , m_innerCircle(GradientType::linear(GradientDirection::topLeftToBottomRight), { m_color2, m_color4 },
          CircleMaskType::fill(), { 0, 1 }, m_innerCircleMultiplier)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    m_backgroundLayer.setOpacity(0.5);
}

void KnobView::setColor1(const QColor &color)
{
    m_color1 = color;
    m_outerCircleStroke.setColor(0, color);
    m_outerCircle.setColor(0, color);
    update();
}

void KnobView::setColor2(const QColor &color)
{
    m_color2 = color;
    m_outerCircle.setColor(1, color);
    m_middleCircle.setColor(0, color);
    m_innerCircle.setColor(0, color);
    update();
}

void KnobView::setColor3(const QColor &color)
{
    m_color3 = color;
    m_middleCircle.setColor(1, color);
    update();
}

void KnobView::setColor4(const QColor &color)
{
    m_color4 = color;
    m_innerCircle.setColor(1, color);
    update();
}

void KnobView::setHighlightColor(const QColor &color)
{
    m_highlightColor = color;
    m_outerCircleStroke.setColor(1, color);
    update();
}

void KnobView::setOnColor(const QColor &color)
{
    m_onColor = color;
    m_glowCircleLayer.setColors({ color, withAlpha(color, 0.7f) });
    update();
}

void KnobView::setKnobShadowOpacity(float opacity)
{
    m_knobShadowOpacity = opacity;
    update();
}

void KnobView::setOuterCircleMultiplier(double multiplier)
{
    m_outerCircleMultiplier = multiplier;
    checkMultiplierOrder();
    m_outerCircleStroke.setMultiplier(multiplier);
    m_outerCircle.setMultiplier(multiplier);
    update();
}

void KnobView::setMiddleCircleMultiplier(double multiplier)
{
    m_middleCircleMultiplier = multiplier;
    checkMultiplierOrder();
    m_middleCircle.setMultiplier(multiplier);
    m_glowCircleLayer.setMultiplier(multiplier);
    update();
}

void KnobView::setInnerCircleMultiplier(double multiplier)
{
    m_innerCircleMultiplier = multiplier;
    checkMultiplierOrder();
    m_innerCircle.setMultiplier(multiplier);
    update();
}

void KnobView::checkMultiplierOrder() const
{
    if (!(m_innerCircleMultiplier < m_middleCircleMultiplier && m_middleCircleMultiplier < m_outerCircleMultiplier))
        fatalError(QStringLiteral(
            "Values should be: innerCircleMultiplier < middleCircleMultiplier < outerCircleMultiplier."));
}

void KnobView::layoutSubviews()
{
    const QRectF bounds(rect());
    for (CircularLayer *layer : { &m_backgroundLayer, &m_outerCircleStroke, &m_outerCircle, &m_glowCircleLayer,
             &m_middleCircle, &m_innerCircle })
        layer->setFrame(bounds);
    update();
}

void KnobView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutSubviews();
}

// The shadow caster sits under the middle disc, which hides all of it but its
// soft shadow, offset downward. The blur is built from stacked translucent
// discs, widest and faintest first.
void KnobView::paintMiddleCircleShadow(QPainter &painter) const
{
    const QRectF bounds(rect());
    const QPainterPath disc = circlePath(bounds, m_middleCircleMultiplier);
    if (!(m_knobShadowOpacity > 0))
        return;
    const double radius = 6;
    const int steps = 6;
    const QRectF base = disc.boundingRect().translated(2, 11);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < steps; ++i) {
        const double grow = radius * double(steps - i) / steps;
        painter.setBrush(withAlpha(Qt::black, std::min(1.0f, m_knobShadowOpacity) / steps));
        painter.drawEllipse(base.adjusted(-grow, -grow, grow, grow));
    }
    painter.setBrush(withAlpha(Qt::black, std::min(1.0f, m_knobShadowOpacity) / steps));
    painter.drawEllipse(base);
    painter.setBrush(SliderConstants::lightColor3());
    painter.drawPath(disc);
    painter.restore();
}

void KnobView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    m_backgroundLayer.paint(painter);
    m_outerCircleStroke.paint(painter);
    m_outerCircle.paint(painter);
    m_glowCircleLayer.paint(painter);
    paintMiddleCircleShadow(painter);
    m_middleCircle.paint(painter);
    m_innerCircle.paint(painter);
}

} // namespace tarnik
