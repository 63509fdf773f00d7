#pragma once

#include "Platform/UI/ContentMode.h"

#include <QImage>
#include <QWidget>

namespace tarnik {

// The phone toolkit's image view: a widget that draws one picture in its
// bounds by content mode (scale-aspect-fit by default here, as screens mostly
// want), clipped to its bounds and, with a corner radius, to a rounded
// rectangle. Sizes are points: a picture's size is its pixels over its device
// pixel ratio. GUI thread only.
class ImageView : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(double cornerRadius READ cornerRadius WRITE setCornerRadius)
public:
    explicit ImageView(QWidget *parent = nullptr);

    QImage image() const { return m_image; }
    void setImage(const QImage &image);
    ContentMode contentMode() const { return m_contentMode; }
    void setContentMode(ContentMode mode);
    double cornerRadius() const { return m_cornerRadius; }
    void setCornerRadius(double radius);

    // The picture's size in points; empty without a picture.
    QSizeF imageSize() const;
    // Resizes the view to the picture's size.
    void sizeToFit();
    QSize sizeHint() const override;

    // Where the picture is drawn for a content mode, in a view of `bounds` size.
    static QRectF imageRect(ContentMode mode, const QSizeF &imageSize, const QSizeF &bounds);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_image;
    ContentMode m_contentMode = ContentMode::scaleAspectFit;
    double m_cornerRadius = 0.0;
};

} // namespace tarnik
