#include "ImportEditor/AnimatableImageView.h"

#include "App/Globals.h"
#include "Controls/ImageView.h"
#include "ImportEditor/Utilities.h"
#include "Platform/UI/View.h"

#include <QPainterPath>
#include <QRegion>

namespace tarnik {

AnimatableImageView::AnimatableImageView()
    : QWidget(nullptr)
    , m_imageView(new ImageView(this))
{
    m_imageView->setContentMode(ImageView::ContentMode::scaleToFill);
    m_imageView->setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void AnimatableImageView::setImage(const QImage &image)
{
    m_image = image;
    m_imageView->setImage(image);
    update();
}

void AnimatableImageView::setContentMode(ImageView::ContentMode mode)
{
    m_contentMode = mode;
    update();
}

void AnimatableImageView::setFrame(const QRectF &frame)
{
    m_frame = frame;
    View::setValue(this, "presentedX", frame.x());
    View::setValue(this, "presentedY", frame.y());
    View::setValue(this, "presentedWidth", frame.width());
    View::setValue(this, "presentedHeight", frame.height());
    update();
}

void AnimatableImageView::setTransform(const QTransform &transform)
{
    m_transform = transform;
    // Only scales and translations are meaningful here (the drag to dismiss).
    View::setValue(this, "scaleX", transform.m11());
    View::setValue(this, "scaleY", transform.m22());
    View::setValue(this, "translateX", transform.dx());
    View::setValue(this, "translateY", transform.dy());
}

void AnimatableImageView::setCornerRadius(double radius)
{
    m_cornerRadius = radius;
    m_imageView->setCornerRadius(0.0);
    applyGeometry();
}

void AnimatableImageView::update()
{
    if (m_image.isNull())
        return;
    const QSizeF bounds = m_frame.size();
    const QSizeF size = m_image.deviceIndependentSize();
    QRectF inner;
    QPointF center;
    switch (m_contentMode) {
    case ImageView::ContentMode::scaleToFill:
        inner = Utilities::rect(bounds);
        center = Utilities::centerPoint(bounds);
        break;
    case ImageView::ContentMode::scaleAspectFit:
        inner = Utilities::rect(Utilities::aspectFitRect(size, QRectF(QPointF(0, 0), bounds)).size());
        center = Utilities::centerPoint(bounds);
        break;
    case ImageView::ContentMode::scaleAspectFill:
    case ImageView::ContentMode::redraw:
        inner = Utilities::aspectFillRect(size, QRectF(QPointF(0, 0), bounds));
        center = Utilities::centerPoint(bounds);
        break;
    case ImageView::ContentMode::center:
        inner = Utilities::rect(size);
        center = Utilities::centerPoint(bounds);
        break;
    case ImageView::ContentMode::top:
        inner = Utilities::rect(size);
        center = Utilities::topCenter(size, bounds);
        break;
    case ImageView::ContentMode::bottom:
        inner = Utilities::rect(size);
        center = Utilities::bottomCenter(size, bounds);
        break;
    case ImageView::ContentMode::left:
        inner = Utilities::rect(size);
        center = Utilities::leftCenter(size, bounds);
        break;
    case ImageView::ContentMode::right:
        inner = Utilities::rect(size);
        center = Utilities::rightCenter(size, bounds);
        break;
    case ImageView::ContentMode::topLeft:
        inner = Utilities::rect(size);
        center = Utilities::topLeftCenter(size);
        break;
    case ImageView::ContentMode::topRight:
        inner = Utilities::rect(size);
        center = Utilities::topRightCenter(size, bounds);
        break;
    case ImageView::ContentMode::bottomLeft:
        inner = Utilities::rect(size);
        center = Utilities::bottomLeftCenter(size, bounds);
        break;
    case ImageView::ContentMode::bottomRight:
        inner = Utilities::rect(size);
        center = Utilities::bottomRightCenter(size, bounds);
        break;
    default:
        _print(QStringLiteral("Unknown UIView.ImageView::ContentMode"));
        return;
    }
    inner.moveCenter(center);
    m_inner = inner;
    View::setValue(this, "innerX", inner.x());
    View::setValue(this, "innerY", inner.y());
    View::setValue(this, "innerWidth", inner.width());
    View::setValue(this, "innerHeight", inner.height());
}

#define TARNIK_PRESENTED_SETTER(name, expr)                                                                            \
    void AnimatableImageView::name(double v)                                                                           \
    {                                                                                                                  \
        expr;                                                                                                          \
        applyGeometry();                                                                                               \
    }

TARNIK_PRESENTED_SETTER(setPresentedX, m_presented.moveLeft(v))
TARNIK_PRESENTED_SETTER(setPresentedY, m_presented.moveTop(v))
TARNIK_PRESENTED_SETTER(setPresentedWidth, m_presented.setWidth(v))
TARNIK_PRESENTED_SETTER(setPresentedHeight, m_presented.setHeight(v))
TARNIK_PRESENTED_SETTER(setInnerX, m_presentedInner.moveLeft(v))
TARNIK_PRESENTED_SETTER(setInnerY, m_presentedInner.moveTop(v))
TARNIK_PRESENTED_SETTER(setInnerWidth, m_presentedInner.setWidth(v))
TARNIK_PRESENTED_SETTER(setInnerHeight, m_presentedInner.setHeight(v))
TARNIK_PRESENTED_SETTER(setScaleX, m_scale.setX(v))
TARNIK_PRESENTED_SETTER(setScaleY, m_scale.setY(v))
TARNIK_PRESENTED_SETTER(setTranslateX, m_translate.setX(v))
TARNIK_PRESENTED_SETTER(setTranslateY, m_translate.setY(v))

#undef TARNIK_PRESENTED_SETTER

void AnimatableImageView::applyGeometry()
{
    // The transform acts about the frame's centre; the inner view scales with it.
    const QPointF c = m_presented.center();
    const double w = m_presented.width() * m_scale.x();
    const double h = m_presented.height() * m_scale.y();
    const QRectF outer(c.x() - w / 2.0 + m_translate.x(), c.y() - h / 2.0 + m_translate.y(), w, h);
    setGeometry(outer.toRect());
    const QRectF inner(m_presentedInner.x() * m_scale.x(), m_presentedInner.y() * m_scale.y(),
        m_presentedInner.width() * m_scale.x(), m_presentedInner.height() * m_scale.y());
    m_imageView->setGeometry(inner.toRect());
    if (m_cornerRadius > 0) {
        QPainterPath path;
        path.addRoundedRect(QRectF(0, 0, w, h), m_cornerRadius * m_scale.x(), m_cornerRadius * m_scale.y());
        setMask(QRegion(path.toFillPolygon().toPolygon()));
    } else {
        clearMask();
    }
}

} // namespace tarnik
