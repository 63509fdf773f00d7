#include "Browser/PaddedLabel.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace tarnik {

PaddedLabel::PaddedLabel(double top, double bottom, double left, double right, QWidget *parent)
    : QLabel(parent)
    , topInset(top)
    , bottomInset(bottom)
    , leftInset(left)
    , rightInset(right)
{
}

QRectF PaddedLabel::textRect(const QRectF &rect) const
{
    return QRectF(rect.x() + leftInset, rect.y() + topInset, rect.width() - (leftInset + rightInset),
        rect.height() - (topInset + bottomInset));
}

QSize PaddedLabel::sizeHint() const
{
    const QFontMetricsF metrics(font());
    const double w = text().isEmpty() ? 0.0 : metrics.horizontalAdvance(text());
    const double h = metrics.height();
    const double width = std::max(w, kMinimumTextWidth) + leftInset + rightInset;
    const double height = h + topInset + bottomInset;
    return QSize(int(std::ceil(width)), int(std::ceil(height)));
}

void PaddedLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(textRect(QRectF(rect())), int(alignment()), text());
}

} // namespace tarnik
