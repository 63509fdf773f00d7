#include "Browser/EntryImageView.h"

#include "Platform/UI/View.h"

#include <QPainter>
#include <QPainterPath>

namespace tarnik {

EntryImageView::EntryImageView(QWidget *parent)
    : ImageView(parent)
{
    setContentMode(ContentMode::scaleAspectFit);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void EntryImageView::setBorderWidth(double width)
{
    m_borderWidth = width;
    update();
}

void EntryImageView::setBorderColor(const QColor &color)
{
    m_borderColor = color;
    update();
}

QRectF EntryImageView::imageRect() const
{
    if (image().isNull() || width() <= 0 || height() <= 0)
        return {};
    return ImageView::imageRect(contentMode(), imageSize(), QSizeF(size()));
}

void EntryImageView::paintEvent(QPaintEvent *)
{
    const QImage picture = image();
    if (picture.isNull())
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
    const double radius = cornerRadius();
    if (radius > 0) {
        QPainterPath clip;
        clip.addRoundedRect(target, radius, radius);
        painter.setClipPath(clip);
    }
    painter.drawImage(target, picture);
    if (m_borderWidth > 0) {
        painter.setClipping(false);
        painter.setPen(QPen(m_borderColor, m_borderWidth));
        painter.setBrush(Qt::NoBrush);
        const double half = m_borderWidth / 2.0;
        painter.drawRoundedRect(target.adjusted(half, half, -half, -half), radius, radius);
    }
}

} // namespace tarnik
