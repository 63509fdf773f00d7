#pragma once

#include <QPointer>
#include <QToolButton>

namespace tarnik {

class BarButtonItem;

// The widget a bar makes for one BarButtonItem: it shows the item's title or
// image in the colour and font of the item's attributes for its state (the
// focused state while it has the keyboard focus), and a click triggers the item.
// Reached with Tab, it wears a ring in its title's colour (its stylesheet takes
// the style's own focus frame away).
class BarButton : public QToolButton
{
    Q_OBJECT
public:
    explicit BarButton(BarButtonItem *item, QWidget *parent = nullptr);
    BarButtonItem *item() const { return m_item; }
    // The colour used when neither the item nor the appearance gives one.
    void setFallbackColor(const QColor &color);
    void refresh();

protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QPointer<BarButtonItem> m_item;
    QColor m_fallback = QColor(0x99, 0x99, 0x99);
    QColor m_color; // the title's colour in the current state
};

} // namespace tarnik
