#pragma once

#include "Controls/ImageView.h"

#include <QColor>

namespace tarnik {

// The picture of a browser row: artwork, a thumbnail or a file-type icon, fitted into the view
// with its aspect ratio kept, with an optional rounded border. It is the kit's image view (aspect
// fit, the corner radius its own), so the image viewer can grow out of it and shrink back into
// it. It paints itself with the view transform and the wiggle values the animation helpers keep
// on it, so the pop-in and the edit-mode wobble show. GUI thread only.
class EntryImageView : public ImageView
{
    Q_OBJECT
public:
    explicit EntryImageView(QWidget *parent = nullptr);

    double borderWidth() const { return m_borderWidth; }
    void setBorderWidth(double width);
    QColor borderColor() const { return m_borderColor; }
    void setBorderColor(const QColor &color);
    // Where the picture is drawn, in the view's coordinates (before any transform).
    QRectF imageRect() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    double m_borderWidth = 0;
    QColor m_borderColor;
};

} // namespace tarnik
