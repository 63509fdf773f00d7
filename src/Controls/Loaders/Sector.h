#pragma once

#include <QColor>
#include <QObject>
#include <QPainterPath>
#include <QPointF>

namespace tarnik {

// One arc of the spinner's ring: a stroked path around (0, 0) placed at
// `position` in its view, with its own opacity that the pulse animates. It
// draws nothing by itself; the spinner paints its sectors. GUI thread only.
class Sector : public QObject
{
    Q_OBJECT
    Q_PROPERTY(double opacity READ opacity WRITE setOpacity)
public:
    explicit Sector(QObject *parent = nullptr);

    QPainterPath path;
    QPointF position;
    QColor fillColor = Qt::transparent;
    QColor strokeColor = Qt::black;
    double lineWidth = 1.0;

    double opacity() const { return m_opacity; }
    void setOpacity(double opacity);

private:
    double m_opacity = 1.0;
};

} // namespace tarnik
