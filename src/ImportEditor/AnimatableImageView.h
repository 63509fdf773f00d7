#pragma once

#include "Controls/ImageView.h"

#include <QImage>
#include <QRectF>
#include <QTransform>
#include <QWidget>

namespace tarnik {

class ImageView;

// A picture shown the way an image view shows it for a content mode, but laid
// out by hand in an inner image view, so that an animation that changes the
// frame and the content mode together moves the picture's size and place with
// it (the image viewer's flight from a thumbnail to the full screen).
//
// frame(), contentMode() and transform() answer the values last set (the
// model); inside a View::animate() block the widgets move towards them over
// the animation. The transform is a scale and a translation about the view's
// centre, as the drag to dismiss uses. GUI thread only.
class AnimatableImageView : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(double presentedX READ presentedX WRITE setPresentedX)
    Q_PROPERTY(double presentedY READ presentedY WRITE setPresentedY)
    Q_PROPERTY(double presentedWidth READ presentedWidth WRITE setPresentedWidth)
    Q_PROPERTY(double presentedHeight READ presentedHeight WRITE setPresentedHeight)
    Q_PROPERTY(double innerX READ innerX WRITE setInnerX)
    Q_PROPERTY(double innerY READ innerY WRITE setInnerY)
    Q_PROPERTY(double innerWidth READ innerWidth WRITE setInnerWidth)
    Q_PROPERTY(double innerHeight READ innerHeight WRITE setInnerHeight)
    Q_PROPERTY(double scaleX READ scaleX WRITE setScaleX)
    Q_PROPERTY(double scaleY READ scaleY WRITE setScaleY)
    Q_PROPERTY(double translateX READ translateX WRITE setTranslateX)
    Q_PROPERTY(double translateY READ translateY WRITE setTranslateY)
    Q_PROPERTY(double cornerRadius READ cornerRadius WRITE setCornerRadius)
public:
    AnimatableImageView();

    ImageView *imageView() const { return m_imageView; }

    QImage image() const { return m_image; }
    void setImage(const QImage &image);
    ImageView::ContentMode contentMode() const { return m_contentMode; }
    void setContentMode(ImageView::ContentMode mode);
    QRectF frame() const { return m_frame; }
    void setFrame(const QRectF &frame);
    QTransform transform() const { return m_transform; }
    void setTransform(const QTransform &transform);
    double cornerRadius() const { return m_cornerRadius; }
    void setCornerRadius(double radius);

    // Lays the inner image view out for the image, the frame and the content mode.
    void update();

    // The inner image view's bounds (origin 0, 0) and centre as last laid out.
    QRectF imageViewBounds() const { return QRectF(0, 0, m_inner.width(), m_inner.height()); }
    QPointF imageViewCenter() const { return m_inner.center(); }

    double presentedX() const { return m_presented.x(); }
    void setPresentedX(double v);
    double presentedY() const { return m_presented.y(); }
    void setPresentedY(double v);
    double presentedWidth() const { return m_presented.width(); }
    void setPresentedWidth(double v);
    double presentedHeight() const { return m_presented.height(); }
    void setPresentedHeight(double v);
    double innerX() const { return m_presentedInner.x(); }
    void setInnerX(double v);
    double innerY() const { return m_presentedInner.y(); }
    void setInnerY(double v);
    double innerWidth() const { return m_presentedInner.width(); }
    void setInnerWidth(double v);
    double innerHeight() const { return m_presentedInner.height(); }
    void setInnerHeight(double v);
    double scaleX() const { return m_scale.x(); }
    void setScaleX(double v);
    double scaleY() const { return m_scale.y(); }
    void setScaleY(double v);
    double translateX() const { return m_translate.x(); }
    void setTranslateX(double v);
    double translateY() const { return m_translate.y(); }
    void setTranslateY(double v);

private:
    void applyGeometry();

    ImageView *m_imageView;
    QImage m_image;
    ImageView::ContentMode m_contentMode = ImageView::ContentMode::scaleToFill;
    QRectF m_frame;
    QTransform m_transform;
    double m_cornerRadius = 0.0;
    // The inner view's rectangle in this view's coordinates (model).
    QRectF m_inner;
    // What the widgets show now (moves towards the model inside animations).
    QRectF m_presented;
    QRectF m_presentedInner;
    QPointF m_scale { 1.0, 1.0 };
    QPointF m_translate;
};

} // namespace tarnik
