#include "Browser/EntryImageView.h"

#include "Platform/UI/View.h"

#include <QPainter>
#include <QPainterPath>

namespace tarnik {

EntryImageView::EntryImageView(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void EntryImageView::setImage(const QImage &image)
{
    m_image = image;
    update();
}

void EntryImageView::setBorderWidth(double width)
{
    m_borderWidth = width;
    update();
}

void EntryImageView::setCornerRadius(double radius)
{
    m_cornerRadius = radius;
    update();
}

void EntryImageView::setBorderColor(const QColor &color)
{
    m_borderColor = color;
    update();
}

QRectF EntryImageView::imageRect() const
{
    if (m_image.isNull() || width() <= 0 || height() <= 0)
        return {};
    QSizeF size = QSizeF(m_image.size()) / m_image.devicePixelRatio();
    size.scale(QSizeF(this->size()), Qt::KeepAspectRatio);
    return QRectF(QPointF((width() - size.width()) / 2.0, (height() - size.height()) / 2.0), size);
}

void EntryImageView::paintEvent(QPaintEvent *)
{
    if (m_image.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF centre = QRectF(rect()).center();
    QTransform t;
    t.translate(centre.x(), centre.y() + property("transform.translation.y").toDouble());
    t.rotateRadians(property("transform.rotation.z").toDouble());
    const QTransform own = View::transform(this);
    t.scale(own.m11(), own.m22());
    t.translate(-centre.x(), -centre.y());
    painter.setTransform(t);
    const QRectF target = imageRect();
    if (m_cornerRadius > 0) {
        QPainterPath clip;
        clip.addRoundedRect(target, m_cornerRadius, m_cornerRadius);
        painter.setClipPath(clip);
    }
    painter.drawImage(target, m_image);
    if (m_borderWidth > 0) {
        painter.setClipping(false);
        painter.setPen(QPen(m_borderColor, m_borderWidth));
        painter.setBrush(Qt::NoBrush);
        const double half = m_borderWidth / 2.0;
        painter.drawRoundedRect(target.adjusted(half, half, -half, -half), m_cornerRadius, m_cornerRadius);
    }
}

} // namespace tarnik
