#include "Player/CustomTabBar.h"

#include "Platform/UI/TabBarItem.h"

#include <QAccessible>
#include <QAccessibleWidget>

namespace tarnik {

namespace {

// One page tab of the bar, named by its item's title; pressing it taps the tab.
class TabAccessible : public QAccessibleInterface, public QAccessibleActionInterface
{
public:
    TabAccessible(CustomTabBar *bar, int index)
        : m_bar(bar)
        , m_index(index)
    {
    }
    bool isValid() const override { return m_bar && m_index < m_bar->items().size(); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return nullptr; }
    QAccessibleInterface *parent() const override { return QAccessible::queryAccessibleInterface(m_bar); }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override
    {
        if (t != QAccessible::Name || !isValid())
            return {};
        TabBarItem *item = m_bar->items().at(m_index);
        return item ? item->title() : QString();
    }
    void setText(QAccessible::Text, const QString &) override { }
    QRect rect() const override
    {
        if (!isValid())
            return {};
        const QRect r = m_bar->itemRect(m_index);
        return QRect(m_bar->mapToGlobal(r.topLeft()), r.size());
    }
    QAccessible::Role role() const override { return QAccessible::PageTab; }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        s.selectable = true;
        s.selected = isValid() && m_bar->selectedIndex() == m_index;
        s.invisible = !m_bar || !m_bar->isVisible();
        return s;
    }
    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface *>(this) : nullptr;
    }
    QStringList actionNames() const override { return { pressAction() }; }
    void doAction(const QString &name) override
    {
        if (name == pressAction() && isValid())
            Q_EMIT m_bar->itemTapped(m_index);
    }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

private:
    QPointer<CustomTabBar> m_bar;
    int m_index;
};

class TabBarAccessible : public QAccessibleWidget
{
public:
    explicit TabBarAccessible(CustomTabBar *bar)
        : QAccessibleWidget(bar, QAccessible::PageTabList)
    {
    }
    ~TabBarAccessible() override
    {
        for (QAccessible::Id id : std::as_const(m_ids))
            QAccessible::deleteAccessibleInterface(id);
    }
    int childCount() const override { return int(bar()->items().size()); }
    QAccessibleInterface *child(int index) const override
    {
        if (index < 0 || index >= childCount())
            return nullptr;
        while (m_ids.size() <= index) {
            auto *tab = new TabAccessible(bar(), int(m_ids.size()));
            m_ids.append(QAccessible::registerAccessibleInterface(tab));
        }
        return QAccessible::accessibleInterface(m_ids.at(index));
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        for (int i = 0; i < m_ids.size(); ++i) {
            if (QAccessible::accessibleInterface(m_ids.at(i)) == child)
                return i;
        }
        return -1;
    }

private:
    CustomTabBar *bar() const { return static_cast<CustomTabBar *>(widget()); }
    mutable QList<QAccessible::Id> m_ids;
};

QAccessibleInterface *tabBarFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("tarnik::CustomTabBar") && object && object->isWidgetType())
        return new TabBarAccessible(static_cast<CustomTabBar *>(object));
    return nullptr;
}

} // namespace

CustomTabBar::CustomTabBar(QWidget *parent)
    : TabBar(parent)
{
    static const bool installed = [] {
        QAccessible::installFactory(&tabBarFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

void CustomTabBar::layoutItems()
{
    // Titles stay on a regular width; a compact bar shows only its icons,
    // lowered to the middle, and moves the titles far out of sight.
    const bool regular = isRegularWidth();
    const QMargins insets = regular ? QMargins() : QMargins(0, 6, 0, -6);
    const QPointF offset = regular ? QPointF() : QPointF(0, 30000);
    for (TabBarItem *item : items()) {
        if (!item)
            continue;
        item->setImageInsets(insets);
        item->setTitlePositionAdjustment(offset);
    }
}

} // namespace tarnik
