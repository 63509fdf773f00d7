#include "Player/ArtworkView.h"

#include "Platform/UI/View.h"

#include <QDynamicPropertyChangeEvent>
#include <QMouseEvent>
#include <QPainter>

namespace tarnik {

ArtworkView::ArtworkView(QWidget *parent)
    : QWidget(parent)
{
    setAccessibleName(QStringLiteral("Artwork"));
}

void ArtworkView::setImage(const QImage &image, const QString &name)
{
    m_image = image;
    m_imageName = name;
    update();
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
    return QWidget::event(event);
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
    const QTransform t = View::transform(this);
    p.translate(c);
    p.setTransform(t, true);
    p.translate(-c);
    p.fillRect(rect(), m_background);
    if (m_image.isNull())
        return;
    const QSizeF fitted = QSizeF(m_image.size()).scaled(QSizeF(size()), Qt::KeepAspectRatio);
    const QRectF target(c.x() - fitted.width() / 2, c.y() - fitted.height() / 2, fitted.width(), fitted.height());
    p.drawImage(target, m_image);
}

} // namespace tarnik
