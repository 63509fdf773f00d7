#include "Controls/GradientView_1.h"

#include <QLinearGradient>
#include <QPainter>

namespace tarnik {

GradientView_1::GradientView_1(QWidget *parent)
    : QWidget(parent)
{
}

GradientView_1::GradientView_1(const QRect &frame, QWidget *parent)
    : GradientView_1(parent)
{
    setGeometry(frame);
}

void GradientView_1::setColor1(const QColor &color)
{
    m_color1 = color;
    update();
}

void GradientView_1::setColor2(const QColor &color)
{
    m_color2 = color;
    update();
}

void GradientView_1::paintEvent(QPaintEvent *)
{
    if (height() <= 0 || width() <= 0 || !m_color1.isValid() || !m_color2.isValid())
        return;
    // Stops at the first and last row's centres, so those rows show exactly
    // color1 and color2.
    QLinearGradient gradient(QPointF(0, 0.5), QPointF(0, std::max(0.5, height() - 0.5)));
    gradient.setColorAt(0.0, m_color1);
    gradient.setColorAt(1.0, m_color2);
    QPainter painter(this);
    painter.fillRect(rect(), gradient);
}

} // namespace tarnik
