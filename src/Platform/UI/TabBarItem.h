#pragma once

#include "Platform/UI/TextAttributes.h"

#include <QIcon>
#include <QMap>
#include <QMargins>
#include <QObject>
#include <QPointF>

namespace tarnik {

// A screen's entry in the tab bar: title, image, selected image, tag, badge,
// per-state title attributes over the shared appearance that the launch
// sets, and the title offset and image insets a tab bar may adjust.
class TabBarItem : public QObject
{
    Q_OBJECT
public:
    struct Appearance
    {
        QMap<ControlState, TextAttributes> titleTextAttributes;
    };

    explicit TabBarItem(const QString &title = {}, const QIcon &image = {}, int tag = 0, QObject *parent = nullptr);
    static Appearance &appearance();

    QString title() const { return m_title; }
    void setTitle(const QString &title);
    QIcon image() const { return m_image; }
    void setImage(const QIcon &image);
    QIcon selectedImage() const { return m_selectedImage.isNull() ? m_image : m_selectedImage; }
    void setSelectedImage(const QIcon &image);
    int tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }
    QString badgeValue() const { return m_badge; }
    void setBadgeValue(const QString &badge);

    void setTitleTextAttributes(const TextAttributes &attributes, ControlState state);
    TextAttributes titleTextAttributes(ControlState state) const;

    QPointF titlePositionAdjustment() const { return m_titleOffset; }
    void setTitlePositionAdjustment(const QPointF &offset);
    QMargins imageInsets() const { return m_imageInsets; }
    void setImageInsets(const QMargins &insets);

Q_SIGNALS:
    void changed();

private:
    QString m_title;
    QIcon m_image;
    QIcon m_selectedImage;
    int m_tag = 0;
    QString m_badge;
    QMap<ControlState, TextAttributes> m_attributes;
    QPointF m_titleOffset;
    QMargins m_imageInsets;
};

} // namespace tarnik
