#pragma once

#include <QImage>
#include <QWidget>

namespace tarnik {

// The player's picture: an image fitted into the view (aspect kept), over a
// faint grey, drawn with the view's transform (View::setTransform) about its
// centre, so the full player can shrink it while paused. GUI thread.
class ArtworkView : public QWidget
{
    Q_OBJECT
public:
    explicit ArtworkView(QWidget *parent = nullptr);

    QImage image() const { return m_image; }
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
    QImage m_image;
    QString m_imageName;
    QColor m_background = QColor(128, 128, 128, 26);
};

} // namespace tarnik
