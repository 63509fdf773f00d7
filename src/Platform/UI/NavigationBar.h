#pragma once

#include "Platform/UI/TextAttributes.h"

#include <QImage>
#include <QList>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <optional>

class QLabel;

namespace tarnik {

class BarButton;
class BarButtonItem;
class NavigationItem;

// The bar at the top of a navigation controller: a back button (titled by
// the previous screen's back item or title), the top screen's left items,
// its title or title view, and its right items. Its look: translucent, a
// tint for the buttons, a bar tint, title attributes, a background image and
// a shadow image (an empty image draws nothing; none draws the default), and
// hidesShadow.
class NavigationBar : public QWidget
{
    Q_OBJECT
public:
    enum class BarStyle { standard = 0, black = 1 };
    static constexpr int kHeight = 44;

    explicit NavigationBar(QWidget *parent = nullptr);

    bool isTranslucent() const { return m_translucent; }
    void setTranslucent(bool translucent);
    QColor tintColor() const { return m_tint; }
    void setTintColor(const QColor &color);
    std::optional<QColor> barTintColor() const { return m_barTint; }
    void setBarTintColor(std::optional<QColor> color);
    BarStyle barStyle() const { return m_barStyle; }
    void setBarStyle(BarStyle style);
    TextAttributes titleTextAttributes() const { return m_titleAttributes; }
    void setTitleTextAttributes(const TextAttributes &attributes);
    std::optional<QImage> backgroundImage() const { return m_background; }
    void setBackgroundImage(std::optional<QImage> image);
    std::optional<QImage> shadowImage() const { return m_shadow; }
    void setShadowImage(std::optional<QImage> image);
    bool hidesShadow() const { return m_hidesShadow; }
    void setHidesShadow(bool hides);

    // Shows `top`; `back` is the item of the screen below it (none at the root).
    void setItems(NavigationItem *top, NavigationItem *back, const QString &backTitle);
    NavigationItem *topItem() const { return m_top; }
    QWidget *backButton() const;
    QString titleText() const;

Q_SIGNALS:
    void backTapped();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void rebuild();
    void relayout();

    bool m_translucent = true;
    QColor m_tint = QColor(0x99, 0x99, 0x99);
    std::optional<QColor> m_barTint;
    BarStyle m_barStyle = BarStyle::standard;
    TextAttributes m_titleAttributes;
    std::optional<QImage> m_background;
    std::optional<QImage> m_shadow;
    bool m_hidesShadow = false;

    QPointer<NavigationItem> m_top;
    QPointer<NavigationItem> m_back;
    QString m_backTitle;
    QList<QPointer<QWidget>> m_left;
    QList<QPointer<QWidget>> m_right;
    QPointer<QWidget> m_backButton;
    QLabel *m_title = nullptr;
    QPointer<QWidget> m_titleView;
    QList<QPointer<BarButtonItem>> m_ownBackItems;
};

} // namespace tarnik
