#include "Tools/TrimmerTimeField.h"

#include "App/Constants.h"
#include "App/Extensions.h"

#include <QPainter>

namespace tarnik {

TrimmerTimeField::TrimmerTimeField(int tag, QWidget *parent)
    : QLineEdit(parent)
    , m_tag(tag)
{
    setAlignment(Qt::AlignCenter);
    setFrame(false);
}

QColor TrimmerTimeField::accentColor()
{
    static const QColor color = colorWithHex(u"25b2cc");
    return color;
}

int TrimmerTimeField::accentLength()
{
    return Common::timeFractionDigits;
}

void TrimmerTimeField::paintEvent(QPaintEvent *event)
{
    if (hasFocus() || text().size() <= accentLength() || (!isReadOnly() && hasSelectedText())) {
        QLineEdit::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    const QString head = text().left(text().size() - accentLength());
    const QString tail = text().right(accentLength());
    const QFontMetricsF metrics(font());
    const double total = metrics.horizontalAdvance(text());
    double x = (width() - total) / 2;
    const double baseline = (height() + metrics.ascent() - metrics.descent()) / 2;
    painter.setFont(font());
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text));
    painter.drawText(QPointF(x, baseline), head);
    x += metrics.horizontalAdvance(head);
    painter.setPen(accentColor());
    painter.drawText(QPointF(x, baseline), tail);
}

} // namespace tarnik
