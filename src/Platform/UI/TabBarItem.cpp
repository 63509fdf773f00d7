#include "Platform/UI/TabBarItem.h"

namespace tarnik {

TabBarItem::TabBarItem(const QString &title, const QIcon &image, int tag, QObject *parent)
    : QObject(parent)
    , m_title(title)
    , m_image(image)
    , m_tag(tag)
{
}

TabBarItem::Appearance &TabBarItem::appearance()
{
    static Appearance shared;
    return shared;
}

void TabBarItem::setTitle(const QString &title)
{
    m_title = title;
    Q_EMIT changed();
}

void TabBarItem::setImage(const QIcon &image)
{
    m_image = image;
    Q_EMIT changed();
}

void TabBarItem::setSelectedImage(const QIcon &image)
{
    m_selectedImage = image;
    Q_EMIT changed();
}

void TabBarItem::setBadgeValue(const QString &badge)
{
    m_badge = badge;
    Q_EMIT changed();
}

void TabBarItem::setTitleTextAttributes(const TextAttributes &attributes, ControlState state)
{
    m_attributes[state] = attributes;
    Q_EMIT changed();
}

TextAttributes TabBarItem::titleTextAttributes(ControlState state) const
{
    return m_attributes.value(state).mergedOver(appearance().titleTextAttributes.value(state));
}

void TabBarItem::setTitlePositionAdjustment(const QPointF &offset)
{
    m_titleOffset = offset;
    Q_EMIT changed();
}

void TabBarItem::setImageInsets(const QMargins &insets)
{
    m_imageInsets = insets;
    Q_EMIT changed();
}

} // namespace tarnik
