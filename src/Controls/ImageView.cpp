#include "Controls/ImageView.h"

#include "Platform/UI/AnimationDriver.h"
#include "Platform/UI/TemplateImage.h"

#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <cfloat>
#include <cmath>

namespace tarnik {

namespace {
const QString kAnimationKey = QStringLiteral("contents");
}

ImageView::ImageView(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
}

ImageView::ImageView(const QImage &image, QWidget *parent)
    : ImageView(parent)
{
    m_image = image;
}

ImageView::~ImageView() = default;

void ImageView::setImage(const QImage &image)
{
    m_image = image;
    updateGeometry();
    update();
}

void ImageView::setContentMode(ContentMode mode)
{
    m_contentMode = mode;
    update();
}

void ImageView::setCornerRadius(double radius)
{
    m_cornerRadius = radius;
    update();
}

QSizeF ImageView::imageSize() const
{
    return m_image.isNull() ? QSizeF() : QSizeF(m_image.size()) / std::max(1.0, m_image.devicePixelRatio());
}

void ImageView::sizeToFit()
{
    const QSizeF size = imageSize();
    resize(QSize(int(std::ceil(size.width())), int(std::ceil(size.height()))));
}

QRectF ImageView::imageRect(ContentMode mode, const QSizeF &imageSize, const QSizeF &bounds)
{
    const double w = imageSize.width();
    const double h = imageSize.height();
    const double W = bounds.width();
    const double H = bounds.height();
    if (w <= 0 || h <= 0)
        return {};
    switch (mode) {
    case ContentMode::scaleToFill:
        return QRectF(0, 0, W, H);
    case ContentMode::scaleAspectFit:
    case ContentMode::scaleAspectFill:
    case ContentMode::redraw: {
        const QSizeF scaled = imageSize.scaled(
            bounds, mode == ContentMode::scaleAspectFit ? Qt::KeepAspectRatio : Qt::KeepAspectRatioByExpanding);
        return QRectF(QPointF((W - scaled.width()) / 2.0, (H - scaled.height()) / 2.0), scaled);
    }
    case ContentMode::center:
        return QRectF((W - w) / 2.0, (H - h) / 2.0, w, h);
    case ContentMode::top:
        return QRectF((W - w) / 2.0, 0, w, h);
    case ContentMode::bottom:
        return QRectF((W - w) / 2.0, H - h, w, h);
    case ContentMode::left:
        return QRectF(0, (H - h) / 2.0, w, h);
    case ContentMode::right:
        return QRectF(W - w, (H - h) / 2.0, w, h);
    case ContentMode::topLeft:
        return QRectF(0, 0, w, h);
    case ContentMode::topRight:
        return QRectF(W - w, 0, w, h);
    case ContentMode::bottomLeft:
        return QRectF(0, H - h, w, h);
    case ContentMode::bottomRight:
        return QRectF(W - w, H - h, w, h);
    }
    return {};
}

void ImageView::setTemplate(bool isTemplate)
{
    m_template = isTemplate;
    update();
}

void ImageView::setTintColor(const QColor &color)
{
    m_tint = color;
    update();
}

void ImageView::startAnimating()
{
    if (m_animationImages.isEmpty())
        return;
    m_animating = true;
    m_frame = 0;
    const int count = int(m_animationImages.size());
    auto anim = std::make_shared<BasicAnimation>();
    QPointer<ImageView> guard(this);
    anim->step = [guard, count](double p) {
        if (!guard)
            return;
        const int frame = std::min(count - 1, int(std::floor(p * count)));
        if (frame != guard->m_frame) {
            guard->m_frame = frame;
            guard->update();
        }
    };
    anim->duration = animationDuration > 0.0 ? animationDuration : count / 30.0;
    anim->repeatCount = animationRepeatCount > 0 ? animationRepeatCount : FLT_MAX;
    AnimationDriver::shared().addAnimation(this, kAnimationKey, anim);
    update();
}

void ImageView::stopAnimating()
{
    if (!m_animating)
        return;
    m_animating = false;
    AnimationDriver::shared().removeAnimation(this, kAnimationKey);
    update();
}

QImage ImageView::displayedImage() const
{
    if (m_animating && m_frame >= 0 && m_frame < m_animationImages.size())
        return m_animationImages.at(m_frame);
    return m_image;
}

QSize ImageView::sizeHint() const
{
    const QImage shown = displayedImage();
    return shown.isNull() ? QSize(0, 0) : shown.size() / std::max(1.0, shown.devicePixelRatio());
}

void ImageView::paintEvent(QPaintEvent *)
{
    QImage picture = displayedImage();
    if (picture.isNull() || width() <= 0 || height() <= 0)
        return;
    const QSizeF natural = QSizeF(picture.size()) / std::max(1.0, picture.devicePixelRatio());
    const QRectF target = imageRect(m_contentMode, natural, QSizeF(size()));
    if (m_template)
        picture = templateImage(picture, m_tint);
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setClipRect(rect());
    if (m_cornerRadius > 0) {
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath clip;
        clip.addRoundedRect(QRectF(rect()), m_cornerRadius, m_cornerRadius);
        painter.setClipPath(clip);
    }
    painter.drawImage(target, picture);
}

} // namespace tarnik
