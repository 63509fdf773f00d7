#include "Platform/UI/Switch.h"

#include <QPainter>

namespace tarnik {

Switch::Switch(QWidget *parent)
    : QCheckBox(parent)
{
    setFixedSize(sizeHint());
    setCursor(Qt::PointingHandCursor);
}

void Switch::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF track = QRectF(rect()).adjusted(1, 1, -1, -1);
    const double radius = track.height() / 2.0;
    painter.setPen(isChecked() ? Qt::NoPen : QPen(QColor(0xe5, 0xe5, 0xea), 1.5));
    painter.setBrush(isChecked() ? QColor(0x4c, 0xd9, 0x64) : QColor(Qt::white));
    if (!isEnabled())
        painter.setOpacity(0.5);
    painter.drawRoundedRect(track, radius, radius);
    const double knob = track.height() - 4.0;
    const double x = isChecked() ? track.right() - 2.0 - knob : track.left() + 2.0;
    painter.setPen(QPen(QColor(0, 0, 0, 40), 0.5));
    painter.setBrush(Qt::white);
    painter.drawEllipse(QRectF(x, track.top() + 2.0, knob, knob));
}

} // namespace tarnik
