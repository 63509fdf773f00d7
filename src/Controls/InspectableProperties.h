#pragma once

#include <QColor>
#include <QImage>
#include <QSizeF>
#include <optional>

class QWidget;

namespace tarnik {

class Slider;

// The layer and background properties any view can be given by name from a
// layout. They live on the widget itself (as its "layer"), so they apply to
// any view; views that draw themselves (the designable views) paint them: a
// rounded, clipped background and a drop shadow inside their bounds.
// Corner radius and clipping together also mask the widget's children. GUI
// thread only.
namespace Inspectable {

double cornerRadius(const QWidget *view);
void setCornerRadius(QWidget *view, double radius);
bool masksToBounds(const QWidget *view);
void setMasksToBounds(QWidget *view, bool masks);
double shadowRadius(const QWidget *view);
void setShadowRadius(QWidget *view, double radius);
float shadowOpacity(const QWidget *view);
void setShadowOpacity(QWidget *view, float opacity);
QSizeF shadowOffset(const QWidget *view);
void setShadowOffset(QWidget *view, const QSizeF &offset);
// None when the layer has no shadow colour; setting none removes it.
std::optional<QColor> shadowColor(const QWidget *view);
void setShadowColor(QWidget *view, const std::optional<QColor> &color);
// Always none; an image becomes the view's background as a tiled pattern,
// none leaves the background as it is.
std::optional<QImage> bgImage(const QWidget *view);
void setBgImage(QWidget *view, const std::optional<QImage> &image);

// The thumb picture of a slider for the normal state.
std::optional<QImage> thumbImage(const Slider *slider);
void setThumbImage(Slider *slider, const std::optional<QImage> &image);
// Always 0; with a thumb picture set, makes it resizable with all four cap
// insets equal to `size`, otherwise does nothing.
double thumbImageSize(const Slider *slider);
void setThumbImageSize(Slider *slider, double size);
// The cap inset of the thumb picture, none while it is not resizable.
std::optional<double> thumbImageCapInset(const Slider *slider);

} // namespace Inspectable

} // namespace tarnik
