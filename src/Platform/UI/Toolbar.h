#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

namespace tarnik {

class BarButtonItem;

// The bar at the bottom of a navigation controller, showing the top screen's
// toolbar items left to right; flexible spaces share the free width.
class Toolbar : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kHeight = 44;
    explicit Toolbar(QWidget *parent = nullptr);

    void setItems(const QList<BarButtonItem *> &items);
    QList<BarButtonItem *> items() const;
    void setTintColor(const QColor &color);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void relayout();

    QList<QPointer<BarButtonItem>> m_items;
    QList<QPointer<QWidget>> m_views;
    QColor m_tint = QColor(0x99, 0x99, 0x99);
};

} // namespace tarnik
