#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

namespace tarnik {

// The picture of a browser row: artwork, a thumbnail or a file-type icon, fitted into the view
// with its aspect ratio kept, with an optional rounded border. It paints itself with the view
// transform and the wiggle values the animation helpers keep on it, so the pop-in and the
// edit-mode wobble show. GUI thread only.
class EntryImageView : public QWidget
{
    Q_OBJECT
public:
    explicit EntryImageView(QWidget *parent = nullptr);

    QImage image() const { return m_image; }
    void setImage(const QImage &image);
    double borderWidth() const { return m_borderWidth; }
    void setBorderWidth(double width);
    double cornerRadius() const { return m_cornerRadius; }
    void setCornerRadius(double radius);
    QColor borderColor() const { return m_borderColor; }
    void setBorderColor(const QColor &color);
    // Where the picture is drawn, in the view's coordinates (before any transform).
    QRectF imageRect() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_image;
    double m_borderWidth = 0;
    double m_cornerRadius = 0;
    QColor m_borderColor;
};

} // namespace tarnik
