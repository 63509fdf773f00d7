#pragma once

#include "Controls/DesignableViews.h"

namespace tarnik {

// The player's picture: the designable image view showing its picture fitted
// into the view (aspect kept) over a background colour (the picture layer's),
// drawn with the view's transform (View::setTransform) about its centre, so
// the full player can shrink it while paused. GUI thread.
class ArtworkView : public DesignableImageView
{
    Q_OBJECT
public:
    explicit ArtworkView(QWidget *parent = nullptr);

    // The name of the bundle picture shown, or empty for an image of the item.
    QString imageName() const { return m_imageName; }
    void setImage(const QImage &image, const QString &name = {});
    QColor backgroundColor() const { return m_background; }
    void setBackgroundColor(const QColor &color);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    // Presses end here: the picture's own recognisers answer them, not the bar's.
    void mousePressEvent(QMouseEvent *event) override;

private:
    QString m_imageName;
    QColor m_background = Qt::transparent;
};

} // namespace tarnik
