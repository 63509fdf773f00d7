#include "Platform/UI/NavigationItem.h"

#include <QWidget>

namespace tarnik {

NavigationItem::~NavigationItem()
{
    delete m_titleView.data();
}

void NavigationItem::adopt(const QList<BarButtonItem *> &items)
{
    // Items without an owner live as long as the screen's navigation item.
    for (BarButtonItem *item : items) {
        if (item && !item->parent())
            item->setParent(this);
    }
}

void NavigationItem::setTitle(const QString &title)
{
    m_title = title;
    Q_EMIT changed();
}

void NavigationItem::setTitleView(QWidget *view)
{
    if (m_titleView && m_titleView != view)
        m_titleView->deleteLater();
    m_titleView = view;
    Q_EMIT changed();
}

void NavigationItem::setLeftBarButtonItem(BarButtonItem *item, bool animated)
{
    setLeftBarButtonItems(item ? QList<BarButtonItem *> { item } : QList<BarButtonItem *> {}, animated);
}

void NavigationItem::setRightBarButtonItem(BarButtonItem *item, bool animated)
{
    setRightBarButtonItems(item ? QList<BarButtonItem *> { item } : QList<BarButtonItem *> {}, animated);
}

void NavigationItem::setLeftBarButtonItems(const QList<BarButtonItem *> &items, bool)
{
    adopt(items);
    m_left = items;
    Q_EMIT changed();
}

void NavigationItem::setRightBarButtonItems(const QList<BarButtonItem *> &items, bool)
{
    adopt(items);
    m_right = items;
    Q_EMIT changed();
}

void NavigationItem::setBackBarButtonItem(BarButtonItem *item)
{
    adopt({ item });
    m_back = item;
    Q_EMIT changed();
}

void NavigationItem::setHidesBackButton(bool hides)
{
    m_hidesBack = hides;
    Q_EMIT changed();
}

} // namespace tarnik
