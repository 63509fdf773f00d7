#include "Platform/UI/BarButton.h"

#include "Platform/UI/BarButtonItem.h"
#include "Platform/UI/ListKeyboard.h"

#include <QPainter>

namespace tarnik {

BarButton::BarButton(BarButtonItem *item, QWidget *parent)
    : QToolButton(parent)
    , m_item(item)
{
    setAutoRaise(true);
    setCursor(Qt::PointingHandCursor);
    setToolButtonStyle(Qt::ToolButtonTextOnly);
    if (item) {
        item->setView(this);
        setObjectName(item->title().isEmpty() ? QStringLiteral("BarButton") : item->title());
        connect(item, &BarButtonItem::changed, this, &BarButton::refresh);
        connect(this, &QToolButton::clicked, item, [item] { item->trigger(); });
    }
    refresh();
}

void BarButton::setFallbackColor(const QColor &color)
{
    m_fallback = color;
    refresh();
}

void BarButton::refresh()
{
    if (!m_item)
        return;
    setText(m_item->title());
    setIcon(m_item->image());
    setToolButtonStyle(m_item->image().isNull() ? Qt::ToolButtonTextOnly : Qt::ToolButtonIconOnly);
    setEnabled(m_item->isEnabled());
    const ControlState state = !m_item->isEnabled() ? ControlState::disabled
        : hasFocus()                                 ? ControlState::focused
                                                     : ControlState::normal;
    TextAttributes attributes = m_item->titleTextAttributes(state);
    // An item with nothing for the focused state looks as it does normally.
    if (state == ControlState::focused)
        attributes = attributes.mergedOver(m_item->titleTextAttributes(ControlState::normal));
    QColor color = attributes.foregroundColor.value_or(m_item->tintColor().value_or(m_fallback));
    if (!m_item->isEnabled() && !attributes.foregroundColor)
        color.setAlphaF(0.3f);
    QFont f = attributes.font.value_or(QFont());
    if (m_item->style() == BarButtonItem::Style::done)
        f.setBold(true);
    setFont(f);
    m_color = color;
    setStyleSheet(
        QStringLiteral("QToolButton { border: none; padding: 4px 8px; color: %1; }").arg(color.name(QColor::HexArgb)));
}

void BarButton::focusInEvent(QFocusEvent *event)
{
    QToolButton::focusInEvent(event);
    refresh();
}

void BarButton::focusOutEvent(QFocusEvent *event)
{
    QToolButton::focusOutEvent(event);
    refresh();
}

void BarButton::paintEvent(QPaintEvent *event)
{
    QToolButton::paintEvent(event);
    // Like the lists and the tab bar: the ring shows where the keyboard is, and a window that merely
    // became active or a click shows none.
    if (!hasFocus() || !ListKeyboard::lastInputWasKeyboard())
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(m_color.isValid() ? m_color : m_fallback, 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5), 6, 6);
}

} // namespace tarnik
