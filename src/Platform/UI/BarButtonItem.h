#pragma once

#include "Platform/UI/TextAttributes.h"

#include <QIcon>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <functional>

class QWidget;

namespace tarnik {

// A button of a navigation bar or a toolbar: a title or an image, a style,
// an enabled state, per-state title attributes and an action. Flexible and
// fixed spaces and custom views are items too. The shared appearance holds
// the per-state defaults that the launch sets. The bar that shows an item
// keeps the widget it made for it in view(), so popovers can anchor there.
// GUI thread only.
class BarButtonItem : public QObject
{
    Q_OBJECT
public:
    enum class Style { plain = 0, bordered = 1, done = 2 };
    enum class Kind { button, flexibleSpace, fixedSpace, customView };
    using Action = std::function<void(BarButtonItem *)>;

    struct Appearance
    {
        QMap<ControlState, TextAttributes> titleTextAttributes;
    };

    explicit BarButtonItem(
        const QString &title = {}, Style style = Style::plain, Action action = {}, QObject *parent = nullptr);
    BarButtonItem(const QIcon &image, Style style, Action action = {}, QObject *parent = nullptr);
    static BarButtonItem *flexibleSpace(QObject *parent = nullptr);
    static BarButtonItem *fixedSpace(int width, QObject *parent = nullptr);
    // The item owns the view (it is deleted with the item).
    static BarButtonItem *withCustomView(QWidget *view, QObject *parent = nullptr);
    ~BarButtonItem() override;

    static Appearance &appearance();

    Kind kind() const { return m_kind; }
    QString title() const { return m_title; }
    void setTitle(const QString &title);
    QIcon image() const { return m_image; }
    void setImage(const QIcon &image);
    Style style() const { return m_style; }
    void setStyle(Style style);
    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled);
    std::optional<QColor> tintColor() const { return m_tint; }
    void setTintColor(std::optional<QColor> color);
    int width() const { return m_width; }
    void setWidth(int width);
    QWidget *customView() const { return m_customView; }

    void setTitleTextAttributes(const TextAttributes &attributes, ControlState state);
    // The item's own attributes for the state, over the shared appearance's.
    TextAttributes titleTextAttributes(ControlState state) const;

    void setAction(Action action) { m_action = std::move(action); }
    // Runs the action, as a tap on the enabled item does.
    void trigger();

    QWidget *view() const { return m_view; }
    void setView(QWidget *view) { m_view = view; }

Q_SIGNALS:
    void changed();

private:
    Kind m_kind = Kind::button;
    QString m_title;
    QIcon m_image;
    Style m_style = Style::plain;
    bool m_enabled = true;
    std::optional<QColor> m_tint;
    int m_width = 0;
    QPointer<QWidget> m_customView;
    QPointer<QWidget> m_view;
    QMap<ControlState, TextAttributes> m_attributes;
    Action m_action;
};

} // namespace tarnik
