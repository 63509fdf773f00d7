#pragma once

#include "Controls/CircularSlider/DotView.h"
#include "Controls/CircularSlider/KnobView.h"
#include "Controls/CircularSlider/PointerView.h"

#include <QColor>
#include <QLineEdit>
#include <QObject>
#include <QPointer>
#include <QRectF>
#include <QSizeF>
#include <optional>

namespace tarnik {

class CircularSlider;

// Builds and arranges the views of one circular slider: the knob, the mini and
// maxi dot rings, the pointer and the value text field, all subviews of the
// slider. Keeps the slider's position as a fraction from 0 (start angle) to 1
// (end angle); every write of it refreshes the text, the pointer and the maxi
// ring and makes the slider send valueChanged. The text field also takes a
// typed whole number, confirmed with Return. The slider owns the renderer; the
// renderer holds the slider weakly. GUI thread only.
class Renderer : public QObject
{
    Q_OBJECT

public:
    explicit Renderer(CircularSlider *circularSlider);
    ~Renderer() override;

    CircularSlider *circularSlider() const { return m_circularSlider; }
    KnobView *knobView() const { return m_knobView; }
    PointerView *pointerView() const { return m_pointerView; }
    QLineEdit *textField() const { return m_textField; }
    DotView *miniDotView() const { return m_miniDotView; }
    DotView *maxiDotView() const { return m_maxiDotView; }

    bool isClockwise() const { return m_isClockwise; }
    void setIsClockwise(bool clockwise);
    bool textFieldIsHidden() const { return m_textFieldIsHidden; }
    void setTextFieldIsHidden(bool hidden) { m_textFieldIsHidden = hidden; }
    double fontSizeMultiplier() const { return m_fontSizeMultiplier; }
    void setFontSizeMultiplier(double multiplier) { m_fontSizeMultiplier = multiplier; }
    double pointerViewDistanceFromEdge() const { return m_pointerViewDistanceFromEdge; }
    void setPointerViewDistanceFromEdge(double distance) { m_pointerViewDistanceFromEdge = distance; }
    double pointerViewMultiplier() const { return m_pointerViewMultiplier; }
    void setPointerViewMultiplier(double multiplier) { m_pointerViewMultiplier = multiplier; }
    double startAngle() const { return m_startAngle; } // radians
    void setStartAngle(double radians);
    double endAngle() const { return m_endAngle; } // radians
    void setEndAngle(double radians);
    float value() const { return m_value; }
    void setValue(float fraction);

    void layoutViews(const QRectF &bounds);
    // The text's colour and font; a family the system lacks falls back to the default one.
    void setTextFont(const QString &name, const QColor &textColor, double size);
    void setTextShadow(
        std::optional<QColor> color, float opacity = 1.0f, QSizeF offset = QSizeF(1, 1), double radius = 0);
    // Takes the typed text as the value when it is a whole number, else puts the value text back.
    void keyboardDoneButtonTapped();

    void updateText();
    void updatePointer(const QRectF &bounds);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void layoutTextField(const QRectF &bounds);
    void layoutDotViews(const QRectF &bounds);
    void fitTextToWidth();

    QPointer<CircularSlider> m_circularSlider;
    QPointer<KnobView> m_knobView;
    QPointer<PointerView> m_pointerView;
    QPointer<QLineEdit> m_textField;
    QPointer<DotView> m_miniDotView;
    QPointer<DotView> m_maxiDotView;
    bool m_isClockwise = true;
    bool m_textFieldIsHidden = false;
    double m_fontSizeMultiplier = 0.5;
    double m_pointerViewDistanceFromEdge = 10;
    double m_pointerViewMultiplier = 0.15;
    double m_startAngle = 2.356194490192345;
    double m_endAngle = 0.7853981633974483;
    float m_value = 0;
    double m_fontSize = 0;
};

} // namespace tarnik
