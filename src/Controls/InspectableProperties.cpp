#include "Controls/InspectableProperties.h"

#include "Platform/UI/Slider.h"
#include "Platform/UI/View.h"

#include <QPainterPath>
#include <QPalette>
#include <QVariant>
#include <QWidget>

namespace tarnik::Inspectable {

namespace {

constexpr const char *kCornerRadius = "layerCornerRadius";
constexpr const char *kMasksToBounds = "layerMasksToBounds";
constexpr const char *kShadowRadius = "layerShadowRadius";
constexpr const char *kShadowOpacity = "layerShadowOpacity";
constexpr const char *kShadowOffset = "layerShadowOffset";
constexpr const char *kShadowColor = "layerShadowColor";

// Radius and clipping together clip the children too.
void applyMask(QWidget *view)
{
    if (masksToBounds(view) && cornerRadius(view) > 0.0) {
        QPainterPath path;
        path.addRoundedRect(QRectF(view->rect()), cornerRadius(view), cornerRadius(view));
        View::mask(view, path, false);
    } else if (!view->mask().isEmpty()) {
        view->clearMask();
    }
    view->update();
}

} // namespace

double cornerRadius(const QWidget *view)
{
    return view ? view->property(kCornerRadius).toDouble() : 0.0;
}

void setCornerRadius(QWidget *view, double radius)
{
    if (!view)
        return;
    view->setProperty(kCornerRadius, radius);
    applyMask(view);
}

bool masksToBounds(const QWidget *view)
{
    return view && view->property(kMasksToBounds).toBool();
}

void setMasksToBounds(QWidget *view, bool masks)
{
    if (!view)
        return;
    view->setProperty(kMasksToBounds, masks);
    applyMask(view);
}

double shadowRadius(const QWidget *view)
{
    // The layer's default shadow radius is 3.
    const QVariant v = view ? view->property(kShadowRadius) : QVariant();
    return v.isValid() ? v.toDouble() : 3.0;
}

void setShadowRadius(QWidget *view, double radius)
{
    if (view) {
        view->setProperty(kShadowRadius, radius);
        view->update();
    }
}

float shadowOpacity(const QWidget *view)
{
    return view ? view->property(kShadowOpacity).toFloat() : 0.0f;
}

void setShadowOpacity(QWidget *view, float opacity)
{
    if (view) {
        view->setProperty(kShadowOpacity, opacity);
        view->update();
    }
}

QSizeF shadowOffset(const QWidget *view)
{
    const QVariant v = view ? view->property(kShadowOffset) : QVariant();
    return v.isValid() ? v.toSizeF() : QSizeF(0, -3);
}

void setShadowOffset(QWidget *view, const QSizeF &offset)
{
    if (view) {
        view->setProperty(kShadowOffset, offset);
        view->update();
    }
}

std::optional<QColor> shadowColor(const QWidget *view)
{
    const QVariant v = view ? view->property(kShadowColor) : QVariant();
    if (!v.isValid())
        return std::nullopt;
    return v.value<QColor>();
}

void setShadowColor(QWidget *view, const std::optional<QColor> &color)
{
    if (!view)
        return;
    view->setProperty(kShadowColor, color ? QVariant::fromValue(*color) : QVariant());
    view->update();
}

std::optional<QImage> bgImage(const QWidget *)
{
    return std::nullopt;
}

void setBgImage(QWidget *view, const std::optional<QImage> &image)
{
    if (!view || !image)
        return;
    QPalette palette = view->palette();
    palette.setBrush(QPalette::Window, QBrush(*image));
    view->setPalette(palette);
    view->setAutoFillBackground(true);
}

std::optional<QImage> thumbImage(const Slider *slider)
{
    return slider ? slider->thumbImage() : std::nullopt;
}

void setThumbImage(Slider *slider, const std::optional<QImage> &image)
{
    if (slider)
        slider->setThumbImage(image);
}

double thumbImageSize(const Slider *)
{
    return 0.0;
}

void setThumbImageSize(Slider *slider, double size)
{
    if (!slider || !slider->thumbImage())
        return;
    slider->setThumbCapInset(size);
}

std::optional<double> thumbImageCapInset(const Slider *slider)
{
    return slider ? slider->thumbCapInset() : std::nullopt;
}

} // namespace tarnik::Inspectable
