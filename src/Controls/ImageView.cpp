#include "Controls/ImageView.h"

#include "Platform/UI/AnimationDriver.h"

#include <QPainter>
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
    QRectF target(QPointF(0, 0), QSizeF(size()));
    switch (m_contentMode) {
    case ContentMode::scaleToFill:
        break;
    case ContentMode::scaleAspectFit:
    case ContentMode::scaleAspectFill: {
        const QSizeF scaled = natural.scaled(size(),
            m_contentMode == ContentMode::scaleAspectFit ? Qt::KeepAspectRatio : Qt::KeepAspectRatioByExpanding);
        target = QRectF(QPointF((width() - scaled.width()) / 2.0, (height() - scaled.height()) / 2.0), scaled);
        break;
    }
    case ContentMode::center:
        target = QRectF(QPointF((width() - natural.width()) / 2.0, (height() - natural.height()) / 2.0), natural);
        break;
    }
    if (m_template) {
        QImage tinted = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QPainter tp(&tinted);
        tp.setCompositionMode(QPainter::CompositionMode_SourceIn);
        tp.fillRect(tinted.rect(), m_tint);
        tp.end();
        picture = tinted;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setClipRect(rect());
    painter.drawImage(target, picture);
}

} // namespace tarnik
