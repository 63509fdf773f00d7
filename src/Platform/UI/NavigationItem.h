#pragma once

#include "Platform/UI/BarButtonItem.h"

#include <QList>
#include <QObject>
#include <QPointer>

class QWidget;

namespace tarnik {

// What a screen shows in the navigation bar while it is on top: a title or a
// title view, left and right bar button items, and the back item the next
// screen's back button takes its title from. The bar redraws on changed().
class NavigationItem : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~NavigationItem() override;

    QString title() const { return m_title; }
    void setTitle(const QString &title);
    QWidget *titleView() const { return m_titleView; }
    // The item owns its title view.
    void setTitleView(QWidget *view);

    QList<BarButtonItem *> leftBarButtonItems() const { return m_left; }
    QList<BarButtonItem *> rightBarButtonItems() const { return m_right; }
    BarButtonItem *leftBarButtonItem() const { return m_left.value(0); }
    BarButtonItem *rightBarButtonItem() const { return m_right.value(0); }
    void setLeftBarButtonItem(BarButtonItem *item, bool animated = false);
    void setRightBarButtonItem(BarButtonItem *item, bool animated = false);
    void setLeftBarButtonItems(const QList<BarButtonItem *> &items, bool animated = false);
    void setRightBarButtonItems(const QList<BarButtonItem *> &items, bool animated = false);

    BarButtonItem *backBarButtonItem() const { return m_back; }
    void setBackBarButtonItem(BarButtonItem *item);
    bool hidesBackButton() const { return m_hidesBack; }
    void setHidesBackButton(bool hides);

Q_SIGNALS:
    void changed();

private:
    void adopt(const QList<BarButtonItem *> &items);

    QString m_title;
    QPointer<QWidget> m_titleView;
    QList<BarButtonItem *> m_left;
    QList<BarButtonItem *> m_right;
    BarButtonItem *m_back = nullptr;
    bool m_hidesBack = false;
};

} // namespace tarnik
