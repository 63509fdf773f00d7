#include "Platform/UI/Toolbar.h"

#include "Platform/UI/BarButton.h"
#include "Platform/UI/BarButtonItem.h"

#include <QPainter>

namespace tarnik {

Toolbar::Toolbar(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("Toolbar"));
    setFixedHeight(kHeight);
}

void Toolbar::setItems(const QList<BarButtonItem *> &items)
{
    // Buttons are the toolbar's own; custom views belong to their items.
    for (QWidget *w : std::as_const(m_views)) {
        if (qobject_cast<BarButton *>(w))
            w->deleteLater();
        else if (w && w->parentWidget() == this)
            w->hide();
    }
    m_views.clear();
    m_items.clear();
    for (BarButtonItem *item : items) {
        m_items.append(item);
        QWidget *view = nullptr;
        if (item->kind() == BarButtonItem::Kind::button) {
            auto *button = new BarButton(item, this);
            button->setFallbackColor(m_tint);
            view = button;
        } else if (item->kind() == BarButtonItem::Kind::customView && item->customView()) {
            view = item->customView();
            view->setParent(this);
            item->setView(view);
        }
        if (view)
            view->show();
        m_views.append(view);
    }
    relayout();
}

QList<BarButtonItem *> Toolbar::items() const
{
    QList<BarButtonItem *> out;
    for (const auto &item : m_items) {
        if (item)
            out.append(item);
    }
    return out;
}

void Toolbar::setTintColor(const QColor &color)
{
    m_tint = color;
    setItems(items());
}

void Toolbar::relayout()
{
    int fixed = 16;
    int flexible = 0;
    for (int i = 0; i < m_items.size(); ++i) {
        BarButtonItem *item = m_items[i];
        if (!item)
            continue;
        if (item->kind() == BarButtonItem::Kind::flexibleSpace)
            ++flexible;
        else if (item->kind() == BarButtonItem::Kind::fixedSpace)
            fixed += item->width();
        else if (m_views[i])
            fixed += m_views[i]->sizeHint().width() + 8;
    }
    const int spare = std::max(0, width() - fixed);
    const int each = flexible ? spare / flexible : 0;
    int x = 8;
    for (int i = 0; i < m_items.size(); ++i) {
        BarButtonItem *item = m_items[i];
        if (!item)
            continue;
        if (item->kind() == BarButtonItem::Kind::flexibleSpace) {
            x += each;
        } else if (item->kind() == BarButtonItem::Kind::fixedSpace) {
            x += item->width();
        } else if (QWidget *w = m_views[i]) {
            const QSize s = w->sizeHint();
            w->setGeometry(x, (height() - s.height()) / 2, s.width(), s.height());
            x += s.width() + 8;
        }
    }
}

void Toolbar::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    relayout();
}

void Toolbar::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), QColor(248, 248, 248, 235));
    p.fillRect(QRect(0, 0, width(), 1), QColor(0, 0, 0, 60));
}

} // namespace tarnik
