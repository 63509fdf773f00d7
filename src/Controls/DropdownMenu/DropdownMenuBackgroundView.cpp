#include "Controls/DropdownMenu/DropdownMenuBackgroundView.h"

#include <QLinearGradient>
#include <QPainter>

namespace tarnik {

DropdownMenuBackgroundView::DropdownMenuBackgroundView(const QRect &frame, QWidget *parent)
    : QWidget(parent)
{
    setGeometry(frame);
    setAttribute(Qt::WA_TranslucentBackground);
}

void DropdownMenuBackgroundView::setIsWhite(bool white)
{
    m_isWhite = white;
    updateGradient();
}

void DropdownMenuBackgroundView::updateGradient()
{
    m_hasGradient = true;
    update();
}

void DropdownMenuBackgroundView::paintEvent(QPaintEvent *)
{
    if (!m_hasGradient || height() <= 0)
        return;
    const float w = m_isWhite ? 1.0f : 0.0f;
    QLinearGradient gradient(QPointF(0, 0), QPointF(0, height()));
    gradient.setColorAt(0.0, QColor::fromRgbF(w, w, w, 1.0f));
    gradient.setColorAt(1.0, QColor::fromRgbF(w, w, w, 0.7f));
    QPainter painter(this);
    painter.fillRect(rect(), gradient);
}

} // namespace tarnik
