#pragma once

#include <QColor>
#include <QList>
#include <QPointF>
#include <QWidget>
#include <memory>

namespace tarnik {

class Renderer;

// The knob-style value control: a knob with a pointer, rings of dots and the
// value in its middle, turned by dragging around its centre. It holds a value
// between a minimum and a maximum; the position itself lives in its renderer
// as a fraction. It speaks through three signals, the control events of the
// screen layer: editingDidBegin when a touch (mouse press) begins,
// valueChanged on every refresh of the value (also one that leaves it
// unchanged), editingDidEnd when the touch ends or a typed number is taken.
// Every setting is a Qt property, so a screen can set it by name.
// A minimum above the maximum is a programming error: setting the value then
// stops the program. GUI thread only.
class CircularSlider : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(double minimumValue READ minimumValue WRITE setMinimumValue)
    Q_PROPERTY(double maximumValue READ maximumValue WRITE setMaximumValue)
    Q_PROPERTY(qint64 labelDecimalPlaces READ labelDecimalPlaces WRITE setLabelDecimalPlaces)
    Q_PROPERTY(double value READ value WRITE setValue NOTIFY valueChanged)
    Q_PROPERTY(float normalizedValue READ normalizedValue WRITE setNormalizedValue)
    Q_PROPERTY(double startAngle READ startAngle WRITE setStartAngle)
    Q_PROPERTY(double endAngle READ endAngle WRITE setEndAngle)
    Q_PROPERTY(bool isClockwise READ isClockwise WRITE setIsClockwise)
    Q_PROPERTY(QColor color1 READ color1 WRITE setColor1)
    Q_PROPERTY(QColor color2 READ color2 WRITE setColor2)
    Q_PROPERTY(QColor color3 READ color3 WRITE setColor3)
    Q_PROPERTY(QColor color4 READ color4 WRITE setColor4)
    Q_PROPERTY(QColor highlightColor READ highlightColor WRITE setHighlightColor)
    Q_PROPERTY(double knobOuterCircleMultiplier READ knobOuterCircleMultiplier WRITE setKnobOuterCircleMultiplier)
    Q_PROPERTY(double knobMiddleCircleMultiplier READ knobMiddleCircleMultiplier WRITE setKnobMiddleCircleMultiplier)
    Q_PROPERTY(double knobInnerCircleMultiplier READ knobInnerCircleMultiplier WRITE setKnobInnerCircleMultiplier)
    Q_PROPERTY(float knobShadowOpacity READ knobShadowOpacity WRITE setKnobShadowOpacity)
    Q_PROPERTY(double pointerDistanceFromInnerCircleEdge READ pointerDistanceFromInnerCircleEdge WRITE
            setPointerDistanceFromInnerCircleEdge)
    Q_PROPERTY(double pointerSizeMultiplier READ pointerSizeMultiplier WRITE setPointerSizeMultiplier)
    Q_PROPERTY(QColor pointerColor1 READ pointerColor1 WRITE setPointerColor1)
    Q_PROPERTY(QColor pointerColor2 READ pointerColor2 WRITE setPointerColor2)
    Q_PROPERTY(bool textIsHidden READ textIsHidden WRITE setTextIsHidden)
    Q_PROPERTY(double textFontSizeMultiplier READ textFontSizeMultiplier WRITE setTextFontSizeMultiplier)
    Q_PROPERTY(QColor textColor READ textColor WRITE setTextColor)
    Q_PROPERTY(bool maxidotViewIsHidden READ maxidotViewIsHidden WRITE setMaxidotViewIsHidden)
    Q_PROPERTY(QColor maxidotOffColor READ maxidotOffColor WRITE setMaxidotOffColor)
    Q_PROPERTY(QColor maxidotOnColor READ maxidotOnColor WRITE setMaxidotOnColor)
    Q_PROPERTY(QColor maxidotMaxColor READ maxidotMaxColor WRITE setMaxidotMaxColor)
    Q_PROPERTY(int maxidotCount READ maxidotCount WRITE setMaxidotCount)
    Q_PROPERTY(double maxidotRadiusMultiplier READ maxidotRadiusMultiplier WRITE setMaxidotRadiusMultiplier)
    Q_PROPERTY(double maxidotInset READ maxidotInset WRITE setMaxidotInset)
    Q_PROPERTY(int maxidotMaxDotCount READ maxidotMaxDotCount WRITE setMaxidotMaxDotCount)
    Q_PROPERTY(bool minidotViewIsHidden READ minidotViewIsHidden WRITE setMinidotViewIsHidden)
    Q_PROPERTY(QColor minidotColor READ minidotColor WRITE setMinidotColor)
    Q_PROPERTY(QColor minidotHighlightColor READ minidotHighlightColor WRITE setMinidotHighlightColor)
    Q_PROPERTY(int minidotCountPerSegment READ minidotCountPerSegment WRITE setMinidotCountPerSegment)
    Q_PROPERTY(double minidotRadiusMultiplier READ minidotRadiusMultiplier WRITE setMinidotRadiusMultiplier)
    Q_PROPERTY(double minidotInset READ minidotInset WRITE setMinidotInset)
    Q_PROPERTY(bool minidotHideHighlight READ minidotHideHighlight WRITE setMinidotHideHighlight)

public:
    explicit CircularSlider(QWidget *parent = nullptr);
    ~CircularSlider() override;

    double minimumValue() const { return m_minimumValue; }
    // Changes what value() reads at once (the fraction stays); redraws nothing.
    void setMinimumValue(double minimum) { m_minimumValue = minimum; }
    double maximumValue() const { return m_maximumValue; }
    void setMaximumValue(double maximum) { m_maximumValue = maximum; }
    qint64 labelDecimalPlaces() const { return m_labelDecimalPlaces; }
    void setLabelDecimalPlaces(qint64 places) { m_labelDecimalPlaces = places; }

    double value() const;
    // Clamps to the range (NaN gives the minimum), refreshes and sends valueChanged.
    void setValue(double value);
    // The value as a fraction of the range; 0 for an empty range.
    float normalizedValue() const;
    void setNormalizedValue(float fraction);

    double startAngle() const; // degrees, 0 up to 360
    void setStartAngle(double degrees);
    double endAngle() const;
    void setEndAngle(double degrees);
    bool isClockwise() const;
    void setIsClockwise(bool clockwise);

    QColor color1() const;
    void setColor1(const QColor &color);
    QColor color2() const;
    void setColor2(const QColor &color);
    QColor color3() const;
    void setColor3(const QColor &color);
    QColor color4() const;
    void setColor4(const QColor &color);
    QColor highlightColor() const;
    void setHighlightColor(const QColor &color);
    double knobOuterCircleMultiplier() const;
    void setKnobOuterCircleMultiplier(double multiplier);
    double knobMiddleCircleMultiplier() const;
    void setKnobMiddleCircleMultiplier(double multiplier);
    double knobInnerCircleMultiplier() const;
    void setKnobInnerCircleMultiplier(double multiplier);
    float knobShadowOpacity() const;
    void setKnobShadowOpacity(float opacity);
    double pointerDistanceFromInnerCircleEdge() const;
    void setPointerDistanceFromInnerCircleEdge(double distance);
    double pointerSizeMultiplier() const;
    void setPointerSizeMultiplier(double multiplier);
    QColor pointerColor1() const;
    void setPointerColor1(const QColor &color);
    QColor pointerColor2() const;
    void setPointerColor2(const QColor &color);
    bool textIsHidden() const;
    void setTextIsHidden(bool hidden);
    double textFontSizeMultiplier() const;
    void setTextFontSizeMultiplier(double multiplier);
    QColor textColor() const;
    void setTextColor(const QColor &color);
    bool maxidotViewIsHidden() const;
    void setMaxidotViewIsHidden(bool hidden);
    QColor maxidotOffColor() const;
    void setMaxidotOffColor(const QColor &color);
    QColor maxidotOnColor() const;
    void setMaxidotOnColor(const QColor &color);
    QColor maxidotMaxColor() const;
    void setMaxidotMaxColor(const QColor &color);
    int maxidotCount() const;
    // An even count is raised by one, so a dot always marks the middle.
    void setMaxidotCount(int count);
    double maxidotRadiusMultiplier() const;
    void setMaxidotRadiusMultiplier(double multiplier);
    double maxidotInset() const;
    void setMaxidotInset(double inset);
    int maxidotMaxDotCount() const;
    void setMaxidotMaxDotCount(int count);
    bool minidotViewIsHidden() const;
    void setMinidotViewIsHidden(bool hidden);
    QColor minidotColor() const;
    void setMinidotColor(const QColor &color);
    QColor minidotHighlightColor() const;
    void setMinidotHighlightColor(const QColor &color);
    int minidotCountPerSegment() const;
    void setMinidotCountPerSegment(int count);
    double minidotRadiusMultiplier() const;
    void setMinidotRadiusMultiplier(double multiplier);
    double minidotInset() const;
    void setMinidotInset(double inset);
    // True while the mini ring has a highlight colour.
    bool minidotHideHighlight() const;
    void setMinidotHideHighlight(bool hide);

    void setLabelFont(const QString &name, const QColor &textColor, double multiplier);
    void setLabelShadow(const QColor &color, float opacity = 1.0f, QSizeF offset = QSizeF(1, 1), double radius = 0);
    // The text until the next refresh of the value writes the number again.
    void setLabelText(const QString &text);

    // The rings of dots lie around the knob, beyond its outer circle; a widget shows nothing outside
    // itself, so a slider that keeps them inside draws its knob smaller by what they would overhang.
    bool keepsRingsInside() const { return m_keepsRingsInside; }
    void setKeepsRingsInside(bool keep);

    Renderer *renderer() const;
    void layoutSubviews();

    // The touch handling, fed by the mouse (and touches Qt turns into mouse
    // events); the first point of the list counts, an empty list does nothing.
    void touchesBegan(const QList<QPointF> &touches);
    void touchesMoved(const QList<QPointF> &touches);
    void touchesEnded(const QList<QPointF> &touches);

    // Tells assistive technology the new value text.
    void updateAccessibleValue();

Q_SIGNALS:
    void editingDidBegin();
    void valueChanged();
    void editingDidEnd();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    double touchAngle(const QPointF &point) const;

    double m_minimumValue = 0;
    double m_maximumValue = 100;
    qint64 m_labelDecimalPlaces = 0;
    mutable std::unique_ptr<Renderer> m_renderer;
    double m_lastTouchAngle = 0;
    bool m_keepsRingsInside = false;
};

} // namespace tarnik
