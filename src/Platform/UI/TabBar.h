#pragma once

#include "Platform/UI/DeviceProfile.h"

#include <QList>
#include <QPointer>
#include <QWidget>

namespace tarnik {

class TabBarItem;

// The row of tabs at the bottom of a tab bar controller. A tap on an item
// asks the controller (itemTapped); the controller sets the selection.
// From the keyboard the bar is one stop of the Tab chain; there Left and
// Right (Home and End) ask for the neighbouring (first, last) tab, as a
// desktop tab bar does, and a ring shows the focus on the selected tab.
// Titles and images take the item's colours for its state; a subclass may
// change the items' insets and offsets in layoutItems().
class TabBar : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kHeight = 49;
    explicit TabBar(QWidget *parent = nullptr);

    void setItems(const QList<TabBarItem *> &items);
    QList<TabBarItem *> items() const;
    int selectedIndex() const { return m_selected; }
    void setSelectedIndex(int index);
    QColor barTintColor() const { return m_barTint; }
    void setBarTintColor(const QColor &color);
    // The rectangle of an item, for tests and anchors.
    QRect itemRect(int index) const;
    // The horizontal size class: regular where the window plays a pad (the bar spans the window).
    bool isRegularWidth() const { return width() >= DeviceProfile::kRegularWidth; }

Q_SIGNALS:
    void itemTapped(int index);

protected:
    virtual void layoutItems() { }
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QList<QPointer<TabBarItem>> m_items;
    int m_selected = -1;
    QColor m_barTint = QColor(0x22, 0x25, 0x28);
};

} // namespace tarnik
