#include "Player/ArtworkView.h"

#include "Platform/UI/View.h"

#include <QDynamicPropertyChangeEvent>
#include <QMouseEvent>
#include <QPainter>

namespace tarnik {

ArtworkView::ArtworkView(QWidget *parent)
    : DesignableImageView(parent)
{
    setAccessibleName(QStringLiteral("Artwork"));
    setContentMode(ContentMode::scaleAspectFit);
}

void ArtworkView::setImage(const QImage &image, const QString &name)
{
    m_imageName = name;
    DesignableImageView::setImage(image);
}

void ArtworkView::setBackgroundColor(const QColor &color)
{
    m_background = color;
    update();
}

bool ArtworkView::event(QEvent *event)
{
    if (event->type() == QEvent::DynamicPropertyChange
        && static_cast<QDynamicPropertyChangeEvent *>(event)->propertyName() == View::kTransformProperty)
        update();
    return DesignableImageView::event(event);
}

void ArtworkView::mousePressEvent(QMouseEvent *event)
{
    event->accept();
}

void ArtworkView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c = QRectF(rect()).center();
    p.translate(c);
    p.setTransform(View::transform(this), true);
    p.translate(-c);
    p.fillRect(rect(), m_background);
    const QImage picture = displayedImage();
    if (picture.isNull())
        return;
    const QSizeF natural = QSizeF(picture.size()) / std::max(1.0, picture.devicePixelRatio());
    p.drawImage(imageRect(contentMode(), natural, QSizeF(size())), picture);
}

} // namespace tarnik
