#include "Platform/UI/TabBar.h"

#include "Platform/UI/ListKeyboard.h"
#include "Platform/UI/TabBarItem.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <optional>

namespace tarnik {

TabBar::TabBar(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("TabBar"));
    setFixedHeight(kHeight);
    // Reached with Tab only: a click chooses a tab without leaving a focus ring behind.
    setFocusPolicy(Qt::TabFocus);
}

void TabBar::setItems(const QList<TabBarItem *> &items)
{
    for (const auto &item : std::as_const(m_items)) {
        if (item)
            disconnect(item, nullptr, this, nullptr);
    }
    m_items.clear();
    for (TabBarItem *item : items) {
        m_items.append(item);
        connect(item, &TabBarItem::changed, this, qOverload<>(&QWidget::update));
    }
    layoutItems();
    update();
}

QList<TabBarItem *> TabBar::items() const
{
    QList<TabBarItem *> out;
    for (const auto &item : m_items)
        out.append(item);
    return out;
}

void TabBar::setSelectedIndex(int index)
{
    m_selected = index;
    update();
}

void TabBar::setBarTintColor(const QColor &color)
{
    m_barTint = color;
    update();
}

QRect TabBar::itemRect(int index) const
{
    if (m_items.isEmpty() || index < 0 || index >= m_items.size())
        return {};
    const int w = width() / int(m_items.size());
    return QRect(index * w, 0, w, height());
}

void TabBar::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutItems();
}

void TabBar::mousePressEvent(QMouseEvent *event)
{
    // Taking the press is what brings the release here.
    event->accept();
}

void TabBar::mouseReleaseEvent(QMouseEvent *event)
{
    for (int i = 0; i < m_items.size(); ++i) {
        if (itemRect(i).contains(event->position().toPoint())) {
            Q_EMIT itemTapped(i);
            return;
        }
    }
}

void TabBar::keyPressEvent(QKeyEvent *event)
{
    const int count = int(m_items.size());
    std::optional<int> target;
    if ((event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier && count > 0) {
        switch (event->key()) {
        case Qt::Key_Left:
            target = std::max(0, m_selected - 1);
            break;
        case Qt::Key_Right:
            target = std::min(count - 1, m_selected + 1);
            break;
        case Qt::Key_Home:
            target = 0;
            break;
        case Qt::Key_End:
            target = count - 1;
            break;
        default:
            break;
        }
    }
    if (!target) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    if (*target != m_selected)
        Q_EMIT itemTapped(*target);
}

void TabBar::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    update();
}

void TabBar::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    update();
}

void TabBar::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), m_barTint);
    p.fillRect(QRect(0, 0, width(), 1), QColor(0, 0, 0, 80));
    for (int i = 0; i < m_items.size(); ++i) {
        TabBarItem *item = m_items[i];
        if (!item)
            continue;
        const bool selected = i == m_selected;
        const QRect r = itemRect(i);
        const TextAttributes attributes
            = item->titleTextAttributes(selected ? ControlState::selected : ControlState::normal);
        const QColor color
            = attributes.foregroundColor.value_or(selected ? QColor(Qt::white) : QColor(0x99, 0x99, 0x99));
        const QIcon icon = selected ? item->selectedImage() : item->image();
        const QMargins insets = item->imageInsets();
        const QRect iconRect(r.center().x() - 12 + insets.left() - insets.right(), r.top() + 5 + insets.top(), 24, 24);
        if (!icon.isNull())
            icon.paint(&p, iconRect, Qt::AlignCenter, selected ? QIcon::Selected : QIcon::Normal);
        else {
            // Without an image, a dot in the item's colour keeps the tab visible.
            p.setPen(Qt::NoPen);
            p.setBrush(color);
            p.drawEllipse(iconRect.center(), 4, 4);
        }
        const QPointF offset = item->titlePositionAdjustment();
        QFont f = attributes.font.value_or(font());
        f.setPointSizeF(std::max(7.0, f.pointSizeF() * 0.8));
        p.setFont(f);
        p.setPen(color);
        p.drawText(
            QRect(r.left(), r.top() + 31, r.width(), 16).translated(offset.toPoint()), Qt::AlignCenter, item->title());
        if (!item->badgeValue().isEmpty()) {
            p.setBrush(QColor(0xc4, 0, 0));
            p.setPen(Qt::white);
            const QRect badge(iconRect.right() - 4, iconRect.top() - 4, 16, 16);
            p.drawEllipse(badge);
            p.drawText(badge, Qt::AlignCenter, item->badgeValue());
        }
        // The ring shows where the keyboard is; a window that merely became active shows none.
        if (selected && hasFocus() && ListKeyboard::lastInputWasKeyboard()) {
            p.save();
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(QPen(QColor(255, 255, 255, 200), 1.5));
            p.setBrush(Qt::NoBrush);
            p.drawRoundedRect(QRectF(r).adjusted(6.5, 3.5, -6.5, -3.5), 8, 8);
            p.restore();
        }
    }
}

} // namespace tarnik
