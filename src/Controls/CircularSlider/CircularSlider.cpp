#include "Controls/CircularSlider/CircularSlider.h"

#include "Controls/CircularSlider/DotView.h"
#include "Controls/CircularSlider/Geometry.h"
#include "Controls/CircularSlider/KnobView.h"
#include "Controls/CircularSlider/PointerView.h"
#include "Controls/CircularSlider/Renderer.h"
#include "Platform/UI/FatalError.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
#include <QLineEdit>
#include <QMouseEvent>
#include <algorithm>
#include <cmath>
#include <mutex>

namespace tarnik {

namespace {

// The knob as assistive technology sees it: a dial whose value is the value
// text and can be set.
class AccessibleCircularSlider : public QAccessibleWidget, public QAccessibleValueInterface
{
public:
    explicit AccessibleCircularSlider(QWidget *widget)
        : QAccessibleWidget(widget, QAccessible::Dial)
    {
    }
    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return slider()->renderer()->textField()->text();
        return QAccessibleWidget::text(t);
    }
    QVariant currentValue() const override { return slider()->value(); }
    void setCurrentValue(const QVariant &value) override { slider()->setValue(value.toDouble()); }
    QVariant maximumValue() const override { return slider()->maximumValue(); }
    QVariant minimumValue() const override { return slider()->minimumValue(); }
    QVariant minimumStepSize() const override { return 1.0; }

private:
    CircularSlider *slider() const { return static_cast<CircularSlider *>(widget()); }
};

QAccessibleInterface *accessibleFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("tarnik::CircularSlider") && object && object->isWidgetType())
        return new AccessibleCircularSlider(static_cast<QWidget *>(object));
    return nullptr;
}

} // namespace

CircularSlider::CircularSlider(QWidget *parent)
    : QWidget(parent)
{
    static std::once_flag installed;
    std::call_once(installed, [] { QAccessible::installFactory(&accessibleFactory); });
    setFocusPolicy(Qt::ClickFocus);
    setValue(m_minimumValue);
}

CircularSlider::~CircularSlider()
{
    // The renderer's views are children of this widget and go with it.
    m_renderer.reset();
}

Renderer *CircularSlider::renderer() const
{
    if (!m_renderer)
        m_renderer = std::make_unique<Renderer>(const_cast<CircularSlider *>(this));
    return m_renderer.get();
}

double CircularSlider::value() const
{
    return m_minimumValue + (m_maximumValue - m_minimumValue) * double(renderer()->value());
}

void CircularSlider::setValue(double value)
{
    if (!(m_minimumValue <= m_maximumValue))
        fatalError(QStringLiteral("`maximumValue` should be greater then `minimumValue`."));
    double clamped = m_minimumValue <= value ? value : m_minimumValue;
    clamped = clamped < m_maximumValue ? clamped : m_maximumValue;
    const double range = m_maximumValue - m_minimumValue;
    // An empty range has one position, its start; 0/0 would be no position.
    const double fraction = range > 0 && std::isfinite(range) ? (clamped - m_minimumValue) / range : 0.0;
    renderer()->setValue(std::isfinite(fraction) ? float(fraction) : 0.0f);
}

float CircularSlider::normalizedValue() const
{
    const double range = m_maximumValue - m_minimumValue;
    if (!(range > 0) || !std::isfinite(range))
        return 0.0f;
    return float((value() - m_minimumValue) / range);
}

void CircularSlider::setNormalizedValue(float fraction)
{
    setValue(m_minimumValue + (m_maximumValue - m_minimumValue) * double(fraction));
}

double CircularSlider::startAngle() const
{
    return toDegree(renderer()->startAngle());
}

void CircularSlider::setStartAngle(double degrees)
{
    renderer()->setStartAngle(toRadian(degrees));
}

double CircularSlider::endAngle() const
{
    return toDegree(renderer()->endAngle());
}

void CircularSlider::setEndAngle(double degrees)
{
    renderer()->setEndAngle(toRadian(degrees));
}

bool CircularSlider::isClockwise() const
{
    return renderer()->isClockwise();
}

void CircularSlider::setIsClockwise(bool clockwise)
{
    renderer()->setIsClockwise(clockwise);
}

// Forwarding properties.

QColor CircularSlider::color1() const
{
    return renderer()->knobView()->color1();
}
void CircularSlider::setColor1(const QColor &color)
{
    renderer()->knobView()->setColor1(color);
}
QColor CircularSlider::color2() const
{
    return renderer()->knobView()->color2();
}
void CircularSlider::setColor2(const QColor &color)
{
    renderer()->knobView()->setColor2(color);
}
QColor CircularSlider::color3() const
{
    return renderer()->knobView()->color3();
}
void CircularSlider::setColor3(const QColor &color)
{
    renderer()->knobView()->setColor3(color);
}
QColor CircularSlider::color4() const
{
    return renderer()->knobView()->color4();
}

void CircularSlider::setColor4(const QColor &color)
{
    renderer()->knobView()->setColor4(color);
    renderer()->pointerView()->setColor1(color);
}

QColor CircularSlider::highlightColor() const
{
    return renderer()->knobView()->highlightColor();
}

void CircularSlider::setHighlightColor(const QColor &color)
{
    Renderer *r = renderer();
    r->knobView()->setHighlightColor(color);
    r->maxiDotView()->setHighlightColor(color);
    r->miniDotView()->setHighlightColor(color);
    r->setTextShadow(color, 1.0f, QSizeF(0.5, 0.5), 0);
}

double CircularSlider::knobOuterCircleMultiplier() const
{
    return renderer()->knobView()->outerCircleMultiplier();
}

void CircularSlider::setKnobOuterCircleMultiplier(double multiplier)
{
    Renderer *r = renderer();
    r->knobView()->setOuterCircleMultiplier(multiplier);
    const double radius = width() * 0.5 * multiplier;
    r->miniDotView()->setOuterCircleRadius(radius);
    r->maxiDotView()->setOuterCircleRadius(radius);
}

double CircularSlider::knobMiddleCircleMultiplier() const
{
    return renderer()->knobView()->middleCircleMultiplier();
}
void CircularSlider::setKnobMiddleCircleMultiplier(double m)
{
    renderer()->knobView()->setMiddleCircleMultiplier(m);
}
double CircularSlider::knobInnerCircleMultiplier() const
{
    return renderer()->knobView()->innerCircleMultiplier();
}
void CircularSlider::setKnobInnerCircleMultiplier(double m)
{
    renderer()->knobView()->setInnerCircleMultiplier(m);
}
float CircularSlider::knobShadowOpacity() const
{
    return renderer()->knobView()->knobShadowOpacity();
}
void CircularSlider::setKnobShadowOpacity(float opacity)
{
    renderer()->knobView()->setKnobShadowOpacity(opacity);
}
double CircularSlider::pointerDistanceFromInnerCircleEdge() const
{
    return renderer()->pointerViewDistanceFromEdge();
}
void CircularSlider::setPointerDistanceFromInnerCircleEdge(double d)
{
    renderer()->setPointerViewDistanceFromEdge(d);
}
double CircularSlider::pointerSizeMultiplier() const
{
    return renderer()->pointerViewMultiplier();
}
void CircularSlider::setPointerSizeMultiplier(double m)
{
    renderer()->setPointerViewMultiplier(m);
}
QColor CircularSlider::pointerColor1() const
{
    return renderer()->pointerView()->color1();
}
void CircularSlider::setPointerColor1(const QColor &color)
{
    renderer()->pointerView()->setColor1(color);
}
QColor CircularSlider::pointerColor2() const
{
    return renderer()->pointerView()->color2();
}
void CircularSlider::setPointerColor2(const QColor &color)
{
    renderer()->pointerView()->setColor2(color);
}
bool CircularSlider::textIsHidden() const
{
    return renderer()->textFieldIsHidden();
}
void CircularSlider::setTextIsHidden(bool hidden)
{
    renderer()->setTextFieldIsHidden(hidden);
}
double CircularSlider::textFontSizeMultiplier() const
{
    return renderer()->fontSizeMultiplier();
}
void CircularSlider::setTextFontSizeMultiplier(double m)
{
    renderer()->setFontSizeMultiplier(m);
}
QColor CircularSlider::textColor() const
{
    return renderer()->textField()->palette().color(QPalette::Text);
}

void CircularSlider::setTextColor(const QColor &color)
{
    QLineEdit *field = renderer()->textField();
    QPalette palette = field->palette();
    palette.setColor(QPalette::Text, color);
    field->setPalette(palette);
}

bool CircularSlider::maxidotViewIsHidden() const
{
    return renderer()->maxiDotView()->isHidden();
}
void CircularSlider::setMaxidotViewIsHidden(bool hidden)
{
    renderer()->maxiDotView()->setHidden(hidden);
}
QColor CircularSlider::maxidotOffColor() const
{
    return renderer()->maxiDotView()->offColor();
}
void CircularSlider::setMaxidotOffColor(const QColor &color)
{
    renderer()->maxiDotView()->setOffColor(color);
}
QColor CircularSlider::maxidotOnColor() const
{
    return renderer()->maxiDotView()->onColor();
}

void CircularSlider::setMaxidotOnColor(const QColor &color)
{
    renderer()->maxiDotView()->setOnColor(color);
    renderer()->knobView()->setOnColor(color);
}

QColor CircularSlider::maxidotMaxColor() const
{
    return renderer()->maxiDotView()->maxColor();
}
void CircularSlider::setMaxidotMaxColor(const QColor &color)
{
    renderer()->maxiDotView()->setMaxColor(color);
}
int CircularSlider::maxidotCount() const
{
    return renderer()->maxiDotView()->maxiDotCount();
}

void CircularSlider::setMaxidotCount(int count)
{
    if (count % 2 == 0 && count < INT_MAX)
        ++count;
    for (DotView *ring : { renderer()->maxiDotView(), renderer()->miniDotView() }) {
        ring->setMaxiDotCount(count);
        ring->resetDots();
    }
}

double CircularSlider::maxidotRadiusMultiplier() const
{
    return renderer()->maxiDotView()->dotRadiusMultiplier();
}
void CircularSlider::setMaxidotRadiusMultiplier(double m)
{
    renderer()->maxiDotView()->setDotRadiusMultiplier(m);
}
double CircularSlider::maxidotInset() const
{
    return renderer()->maxiDotView()->dotInset();
}
void CircularSlider::setMaxidotInset(double inset)
{
    renderer()->maxiDotView()->setDotInset(inset);
}
int CircularSlider::maxidotMaxDotCount() const
{
    return renderer()->maxiDotView()->maxDotCount();
}
void CircularSlider::setMaxidotMaxDotCount(int count)
{
    renderer()->maxiDotView()->setMaxDotCount(count);
}
bool CircularSlider::minidotViewIsHidden() const
{
    return renderer()->miniDotView()->isHidden();
}
void CircularSlider::setMinidotViewIsHidden(bool hidden)
{
    renderer()->miniDotView()->setHidden(hidden);
}
QColor CircularSlider::minidotColor() const
{
    return renderer()->miniDotView()->offColor();
}
void CircularSlider::setMinidotColor(const QColor &color)
{
    renderer()->miniDotView()->setOffColor(color);
}

QColor CircularSlider::minidotHighlightColor() const
{
    return renderer()->miniDotView()->highlightColor().value_or(QColor(Qt::white));
}

void CircularSlider::setMinidotHighlightColor(const QColor &color)
{
    renderer()->miniDotView()->setHighlightColor(color);
}
int CircularSlider::minidotCountPerSegment() const
{
    return renderer()->miniDotView()->dotCountPerSegment();
}

void CircularSlider::setMinidotCountPerSegment(int count)
{
    renderer()->miniDotView()->setDotCountPerSegment(count);
    renderer()->miniDotView()->resetDots();
}

double CircularSlider::minidotRadiusMultiplier() const
{
    return renderer()->miniDotView()->dotRadiusMultiplier();
}
void CircularSlider::setMinidotRadiusMultiplier(double m)
{
    renderer()->miniDotView()->setDotRadiusMultiplier(m);
}
double CircularSlider::minidotInset() const
{
    return renderer()->miniDotView()->dotInset();
}
void CircularSlider::setMinidotInset(double inset)
{
    renderer()->miniDotView()->setDotInset(inset);
}
bool CircularSlider::minidotHideHighlight() const
{
    return renderer()->miniDotView()->highlightColor().has_value();
}

void CircularSlider::setMinidotHideHighlight(bool hide)
{
    if (hide)
        renderer()->miniDotView()->setHighlightColor(highlightColor());
    else
        renderer()->miniDotView()->setHighlightColor(std::nullopt);
}

void CircularSlider::setLabelFont(const QString &name, const QColor &textColor, double multiplier)
{
    setTextFontSizeMultiplier(multiplier);
    renderer()->setTextFont(name, textColor, height() * multiplier);
}

void CircularSlider::setLabelShadow(const QColor &color, float opacity, QSizeF offset, double radius)
{
    renderer()->setTextShadow(color, opacity, offset, radius);
}

void CircularSlider::setLabelText(const QString &text)
{
    renderer()->textField()->setText(text);
}

void CircularSlider::setKeepsRingsInside(bool keep)
{
    m_keepsRingsInside = keep;
    layoutSubviews();
}

void CircularSlider::layoutSubviews()
{
    Renderer *r = renderer();
    const QRectF whole(rect());
    r->layoutViews(whole);
    if (!m_keepsRingsInside || whole.isEmpty())
        return;
    // Each ring reaches inset + (its share of the side) x side from the centre; the knob's side is
    // the largest that keeps every ring within half the widget's shorter side.
    const double side = std::min(whole.width(), whole.height());
    double knob = side;
    for (DotView *ring : { r->miniDotView(), r->maxiDotView() }) {
        if (ring->dots().empty() || !ring->outerCircleRadius())
            continue;
        const double inset = ring->dotInset();
        const double perSide = (*ring->outerCircleRadius() + 2 * ring->dotRadius()) / side;
        if (perSide > 0)
            knob = std::min(knob, (side / 2 - inset) / perSide);
    }
    if (knob >= side - 0.5)
        return;
    knob = std::max(1.0, std::floor(knob));
    r->layoutViews(QRectF(whole.center().x() - knob / 2, whole.center().y() - knob / 2, knob, knob));
}

void CircularSlider::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutSubviews();
}

double CircularSlider::touchAngle(const QPointF &point) const
{
    const QPointF d = point - QRectF(rect()).center();
    return toDegree(std::atan2(d.y(), d.x()));
}

void CircularSlider::touchesBegan(const QList<QPointF> &touches)
{
    if (touches.isEmpty())
        return;
    m_lastTouchAngle = touchAngle(touches.first());
    Q_EMIT editingDidBegin();
}

void CircularSlider::touchesMoved(const QList<QPointF> &touches)
{
    if (touches.isEmpty())
        return;
    const double a = touchAngle(touches.first());
    const double p = m_lastTouchAngle;
    m_lastTouchAngle = a;
    const double span = angleDifferenceInDegree(startAngle(), endAngle(), isClockwise());
    float delta = float((a - p) / span);
    // A finger crossing the 0/360 seam jumps by almost a turn; such a move, or
    // any longer than the whole span, is dropped.
    if (!(std::fabs(delta) < 1.0f))
        return;
    if (!isClockwise())
        delta = -delta;
    float f = std::min(renderer()->value() + delta, 1.0f);
    f = f >= 0 ? f : 0;
    renderer()->setValue(f);
}

void CircularSlider::touchesEnded(const QList<QPointF> &)
{
    Q_EMIT editingDidEnd();
}

void CircularSlider::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    touchesBegan({ event->position() });
}

void CircularSlider::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton))
        return QWidget::mouseMoveEvent(event);
    touchesMoved({ event->position() });
}

void CircularSlider::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mouseReleaseEvent(event);
    touchesEnded({ event->position() });
}

void CircularSlider::updateAccessibleValue()
{
    if (!QAccessible::isActive())
        return;
    QAccessibleValueChangeEvent event(this, value());
    QAccessible::updateAccessibility(&event);
}

} // namespace tarnik
