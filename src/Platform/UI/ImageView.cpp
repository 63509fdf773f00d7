#include "Platform/UI/ImageView.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace tarnik {

ImageView::ImageView(QWidget *parent)
    : QWidget(parent)
{
}

void ImageView::setImage(const QImage &image)
{
    m_image = image;
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
    return m_image.isNull() ? QSizeF() : m_image.deviceIndependentSize();
}

void ImageView::sizeToFit()
{
    const QSizeF size = imageSize();
    resize(QSize(int(std::ceil(size.width())), int(std::ceil(size.height()))));
}

QSize ImageView::sizeHint() const
{
    const QSizeF size = imageSize();
    return size.isEmpty() ? QWidget::sizeHint() : size.toSize();
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
        const double sx = W / w;
        const double sy = H / h;
        const double scale = mode == ContentMode::scaleAspectFit ? std::min(sx, sy) : std::max(sx, sy);
        return QRectF((W - w * scale) / 2.0, (H - h * scale) / 2.0, w * scale, h * scale);
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

void ImageView::paintEvent(QPaintEvent *)
{
    if (m_image.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::Antialiasing);
    if (m_cornerRadius > 0) {
        QPainterPath clip;
        clip.addRoundedRect(QRectF(rect()), m_cornerRadius, m_cornerRadius);
        painter.setClipPath(clip);
    }
    painter.drawImage(imageRect(m_contentMode, imageSize(), QSizeF(size())), m_image);
}

} // namespace tarnik
