#include "Platform/UI/PopoverPresentationController.h"

#include "Platform/UI/BarButtonItem.h"

#include <QWidget>
#include <algorithm>

namespace tarnik {

PopoverPresentationController::PopoverPresentationController(ViewController *presented)
    : QObject(presented)
{
}

bool PopoverPresentationController::hasAnchor() const
{
    return m_sourceView || (m_barButtonItem && m_barButtonItem->view());
}

QRect PopoverPresentationController::frameIn(QWidget *container, const QSizeF &size) const
{
    const QRect bounds = container->rect();
    QSize s = size.isValid() && !size.isEmpty() ? size.toSize() : QSize(320, 480);
    s = s.boundedTo(bounds.size() - QSize(20, 20)).expandedTo(QSize(1, 1));

    QRectF anchor;
    QWidget *anchorView = nullptr;
    if (m_barButtonItem && m_barButtonItem->view()) {
        anchorView = m_barButtonItem->view();
        anchor = QRectF(anchorView->rect());
    } else if (m_sourceView) {
        anchorView = m_sourceView;
        anchor = m_sourceRect;
    }
    if (!anchorView) {
        // No anchor: centred in the container.
        return QRect(bounds.x() + (bounds.width() - s.width()) / 2, bounds.y() + (bounds.height() - s.height()) / 2,
            s.width(), s.height());
    }
    const QPointF inWindow = QPointF(anchorView->mapTo(container->window(), QPoint(0, 0))) + anchor.topLeft();
    const QPointF origin = inWindow - QPointF(container->mapTo(container->window(), QPoint(0, 0)));
    const QRectF a(origin, anchor.size());
    QRect frame;
    if (permittedArrowDirections == 0) {
        frame = QRect(
            qRound(a.center().x() - s.width() / 2.0), qRound(a.center().y() - s.height() / 2.0), s.width(), s.height());
    } else {
        const int x = qRound(a.center().x() - s.width() / 2.0);
        const bool roomBelow = a.bottom() + 10 + s.height() <= bounds.bottom();
        const int y = qRound(roomBelow ? a.bottom() + 10 : a.top() - 10 - s.height());
        frame = QRect(QPoint(x, y), s);
    }
    frame.moveLeft(
        std::clamp(frame.left(), bounds.left() + 10, std::max(bounds.left() + 10, bounds.right() - 10 - s.width())));
    frame.moveTop(
        std::clamp(frame.top(), bounds.top() + 10, std::max(bounds.top() + 10, bounds.bottom() - 10 - s.height())));
    return frame;
}

void PopoverPresentationController::reposition()
{
    PopoverPresentationControllerDelegate *current = delegate();
    if (!current)
        return;
    QRectF rect = m_sourceRect;
    QWidget *view = m_sourceView;
    current->popoverPresentationControllerWillReposition(this, rect, view);
    m_sourceRect = rect;
    m_sourceView = view;
}

} // namespace tarnik
