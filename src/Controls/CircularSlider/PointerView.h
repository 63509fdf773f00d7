#pragma once

#include <QColor>
#include <QRectF>
#include <QWidget>

namespace tarnik {

// The small round marker on the knob at the angle of the current value: a
// disc (an ellipse in a non-square frame) filled top to bottom from color1 to
// color2. Its frame is fractional; the widget covers the pixels around it.
// GUI thread only.
class PointerView : public QWidget
{
    Q_OBJECT

public:
    explicit PointerView(QWidget *parent = nullptr);

    QColor color1() const { return m_color1; }
    void setColor1(const QColor &color);
    QColor color2() const { return m_color2; }
    void setColor2(const QColor &color);

    // The disc's frame in the parent's coordinates. A frame that is not
    // finite or has a negative size is refused and the old one kept.
    QRectF frameF() const { return m_frame; }
    void setFrameF(const QRectF &frame);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_color1;
    QColor m_color2;
    QRectF m_frame;
};

} // namespace tarnik
