#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QWidget>
#include <optional>

namespace tarnik {

// A view that shows one picture, or plays a sequence of pictures, the image
// view of the phone toolkit. Content modes: scale to fill, aspect fit (the
// whole picture, centred), aspect fill (and redraw, drawn the same), centre
// and the eight edge and corner placements at natural size; the raw values
// are the toolkit's. With a corner radius the picture is clipped to a rounded
// rectangle. Sizes are points (pixels over the device pixel ratio). A template
// picture is drawn in the view's tint colour, keeping only its alpha. The
// sequence runs on the AnimationDriver, so tests step it by hand. GUI thread
// only.
class ImageView : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(double cornerRadius READ cornerRadius WRITE setCornerRadius)
public:
    enum class ContentMode {
        scaleToFill = 0,
        scaleAspectFit = 1,
        scaleAspectFill = 2,
        redraw = 3,
        center = 4,
        top = 5,
        bottom = 6,
        left = 7,
        right = 8,
        topLeft = 9,
        topRight = 10,
        bottomLeft = 11,
        bottomRight = 12,
    };

    explicit ImageView(QWidget *parent = nullptr);
    explicit ImageView(const QImage &image, QWidget *parent = nullptr);
    ~ImageView() override;

    QImage image() const { return m_image; }
    void setImage(const QImage &image);
    ContentMode contentMode() const { return m_contentMode; }
    void setContentMode(ContentMode mode);
    bool isTemplate() const { return m_template; }
    // Draws the picture as a template: its alpha filled with the tint colour.
    void setTemplate(bool isTemplate);
    QColor tintColor() const { return m_tint; }
    void setTintColor(const QColor &color);

    QList<QImage> animationImages() const { return m_animationImages; }
    void setAnimationImages(const QList<QImage> &images) { m_animationImages = images; }
    double animationDuration = 0.0; // seconds per cycle; 0 means 1/30 s per picture
    int animationRepeatCount = 0; // 0 repeats for ever
    void startAnimating();
    void stopAnimating();
    bool isAnimating() const { return m_animating; }
    // The picture shown now (the current frame while animating).
    QImage displayedImage() const;

    double cornerRadius() const { return m_cornerRadius; }
    void setCornerRadius(double radius);
    // The picture's size in points; empty without a picture.
    QSizeF imageSize() const;
    // Resizes the view to the picture's size.
    void sizeToFit();
    // Where a picture of `imageSize` is drawn for a content mode in a view of `bounds` size.
    static QRectF imageRect(ContentMode mode, const QSizeF &imageSize, const QSizeF &bounds);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_image;
    ContentMode m_contentMode = ContentMode::scaleToFill;
    double m_cornerRadius = 0.0;
    bool m_template = false;
    QColor m_tint = QColor(0x00, 0x7a, 0xff);
    QList<QImage> m_animationImages;
    bool m_animating = false;
    int m_frame = 0;
};

} // namespace tarnik
