#include "Platform/UI/BarButtonItem.h"

#include <QWidget>

namespace tarnik {

BarButtonItem::BarButtonItem(const QString &title, Style style, Action action, QObject *parent)
    : QObject(parent)
    , m_title(title)
    , m_style(style)
    , m_action(std::move(action))
{
}

BarButtonItem::BarButtonItem(const QIcon &image, Style style, Action action, QObject *parent)
    : QObject(parent)
    , m_image(image)
    , m_style(style)
    , m_action(std::move(action))
{
}

BarButtonItem *BarButtonItem::flexibleSpace(QObject *parent)
{
    auto *item = new BarButtonItem(QString(), Style::plain, Action(), parent);
    item->m_kind = Kind::flexibleSpace;
    return item;
}

BarButtonItem *BarButtonItem::fixedSpace(int width, QObject *parent)
{
    auto *item = new BarButtonItem(QString(), Style::plain, Action(), parent);
    item->m_kind = Kind::fixedSpace;
    item->m_width = width;
    return item;
}

BarButtonItem *BarButtonItem::withCustomView(QWidget *view, QObject *parent)
{
    auto *item = new BarButtonItem(QString(), Style::plain, Action(), parent);
    item->m_kind = Kind::customView;
    item->m_customView = view;
    return item;
}

BarButtonItem::~BarButtonItem()
{
    if (m_kind == Kind::customView)
        delete m_customView.data();
}

BarButtonItem::Appearance &BarButtonItem::appearance()
{
    static Appearance shared;
    return shared;
}

void BarButtonItem::setTitle(const QString &title)
{
    m_title = title;
    Q_EMIT changed();
}

void BarButtonItem::setImage(const QIcon &image)
{
    m_image = image;
    Q_EMIT changed();
}

void BarButtonItem::setStyle(Style style)
{
    m_style = style;
    Q_EMIT changed();
}

void BarButtonItem::setEnabled(bool enabled)
{
    m_enabled = enabled;
    Q_EMIT changed();
}

void BarButtonItem::setTintColor(std::optional<QColor> color)
{
    m_tint = color;
    Q_EMIT changed();
}

void BarButtonItem::setWidth(int width)
{
    m_width = width;
    Q_EMIT changed();
}

void BarButtonItem::setTitleTextAttributes(const TextAttributes &attributes, ControlState state)
{
    m_attributes[state] = attributes;
    Q_EMIT changed();
}

TextAttributes BarButtonItem::titleTextAttributes(ControlState state) const
{
    const TextAttributes shared = appearance().titleTextAttributes.value(state);
    return m_attributes.value(state).mergedOver(shared);
}

void BarButtonItem::trigger()
{
    if (!m_enabled || m_kind != Kind::button)
        return;
    if (m_action)
        m_action(this);
}

} // namespace tarnik
