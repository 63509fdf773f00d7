#include "Controls/DesignableViews.h"

#include "Controls/InspectableProperties.h"
#include "Controls/Shadow.h"
#include "Platform/UI/VisualEffectView.h"

#include <QPainter>
#include <QPainterPath>

namespace tarnik {

namespace {

// Keeps the corner mask in step with the size.
void refreshMask(QWidget *view)
{
    Inspectable::setCornerRadius(view, Inspectable::cornerRadius(view));
}

} // namespace

void paintLayer(QWidget *view)
{
    const double radius = Inspectable::cornerRadius(view);
    const std::optional<QColor> shadow = Inspectable::shadowColor(view);
    const float opacity = Inspectable::shadowOpacity(view);
    QPainter painter(view);
    painter.setRenderHint(QPainter::Antialiasing);
    if (shadow && opacity > 0.0f && !Inspectable::masksToBounds(view)) {
        const double blur = Inspectable::shadowRadius(view);
        const int pad = int(std::ceil(blur * 2));
        QImage picture(view->size() + QSize(2 * pad, 2 * pad), QImage::Format_ARGB32_Premultiplied);
        picture.fill(Qt::transparent);
        {
            QPainter shape(&picture);
            shape.setRenderHint(QPainter::Antialiasing);
            QColor c = *shadow;
            c.setAlphaF(c.alphaF() * std::clamp(opacity, 0.0f, 1.0f));
            shape.setPen(Qt::NoPen);
            shape.setBrush(c);
            const QSizeF offset = Inspectable::shadowOffset(view);
            shape.drawRoundedRect(QRectF(QPointF(pad + offset.width(), pad + offset.height()), QSizeF(view->size())), radius, radius);
        }
        painter.drawImage(-pad, -pad, VisualEffectView::blurred(picture, std::max(1, int(blur / 2))));
    }
    const QBrush background = view->palette().brush(QPalette::Window);
    if (view->autoFillBackground() || view->testAttribute(Qt::WA_StyledBackground)) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(background);
        painter.drawRoundedRect(QRectF(view->rect()), radius, radius);
    }
}

DesignableView::DesignableView(QWidget *parent)
    : QWidget(parent)
{
}

DesignableView::DesignableView(const QRect &frame, QWidget *parent)
    : QWidget(parent)
{
    setGeometry(frame);
}

void DesignableView::paintEvent(QPaintEvent *)
{
    paintLayer(this);
}

void DesignableView::resizeEvent(QResizeEvent *)
{
    refreshMask(this);
}

DesignableImageView::DesignableImageView(QWidget *parent)
    : ImageView(parent)
{
}

DesignableImageView::DesignableImageView(const QImage &image, QWidget *parent)
    : ImageView(image, parent)
{
}

DesignableImageView::DesignableImageView(const QImage &image, const QImage &highlighted, QWidget *parent)
    : ImageView(image, parent)
    , m_highlightedImage(highlighted)
{
}

DesignableImageView::DesignableImageView(const QRect &frame, QWidget *parent)
    : ImageView(parent)
{
    setGeometry(frame);
}

void DesignableImageView::resizeEvent(QResizeEvent *)
{
    refreshMask(this);
}

DesignableSlider::DesignableSlider(QWidget *parent)
    : Slider(parent)
{
}

DesignableSlider::DesignableSlider(const QRect &frame, QWidget *parent)
    : Slider(parent)
{
    setGeometry(frame);
}

DesignableButton::DesignableButton(QWidget *parent)
    : QPushButton(parent)
{
}

DesignableButton::DesignableButton(const QRect &frame, QWidget *parent)
    : QPushButton(parent)
{
    setGeometry(frame);
}

void DesignableButton::resizeEvent(QResizeEvent *event)
{
    QPushButton::resizeEvent(event);
    refreshMask(this);
}

} // namespace tarnik
