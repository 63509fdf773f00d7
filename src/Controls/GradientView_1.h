#pragma once

#include <QColor>
#include <QWidget>

namespace tarnik {

// Paints its whole height with a vertical gradient from color1 (top row)
// to color2 (bottom row); the colour does not vary across. Red to blue until
// a layout sets the colours. GUI thread only.
class GradientView_1 : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QColor color1 READ color1 WRITE setColor1)
    Q_PROPERTY(QColor color2 READ color2 WRITE setColor2)
public:
    explicit GradientView_1(QWidget *parent = nullptr);
    explicit GradientView_1(const QRect &frame, QWidget *parent = nullptr);

    QColor color1() const { return m_color1; }
    void setColor1(const QColor &color);
    QColor color2() const { return m_color2; }
    void setColor2(const QColor &color);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_color1 = Qt::red;
    QColor m_color2 = Qt::blue;
};

} // namespace tarnik
