#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QWidget>
#include <optional>

namespace tarnik {

// A view that shows one picture, or plays a sequence of pictures, the image
// view of the phone toolkit. Content modes: aspect fit (the whole picture,
// centred), aspect fill, scale to fill and centre (natural size). A template
// picture is drawn in the view's tint colour, keeping only its alpha. The
// sequence runs on the AnimationDriver, so tests step it by hand. GUI thread
// only.
class ImageView : public QWidget
{
    Q_OBJECT
public:
    enum class ContentMode { scaleToFill, scaleAspectFit, scaleAspectFill, center };

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

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_image;
    ContentMode m_contentMode = ContentMode::scaleToFill;
    bool m_template = false;
    QColor m_tint = QColor(0x00, 0x7a, 0xff);
    QList<QImage> m_animationImages;
    bool m_animating = false;
    int m_frame = 0;
};

} // namespace tarnik
