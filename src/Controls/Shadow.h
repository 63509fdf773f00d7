#pragma once

#include <QColor>
#include <QImage>
#include <QMargins>
#include <QSizeF>

class QPainter;

namespace tarnik {

// A drop shadow: how far it falls, how soft it is and its colour.
struct Shadow
{
    QSizeF offset;
    double blur = 0.0;
    QColor color;

    Shadow() = default;
    Shadow(const QSizeF &offsetValue, double blurValue, const QColor &colorValue)
        : offset(offsetValue)
        , blur(blurValue)
        , color(colorValue)
    {
    }

    // The panels' shadow: offset (2, 2), blur 8, dark grey at 20 %. Once.
    static const Shadow &defaultShadow();
};

// A small picture of the shadow a rounded square casts, to be stretched over
// any panel: the corners (cap insets) are kept as drawn and the rest tiled.
struct ResizableImage
{
    QImage image; // scale 1: one pixel per point
    QMargins capInsets;
};

// The shadow around (never under) a rounded square of side `sideLength`
// with `cornerRadius`; the picture is sideLength + 2 x blur wide and its cap
// insets are cornerRadius + blur. With `shouldDrawCapInsets` purple guide
// lines mark the cap insets and a red line outlines the picture. A size that
// leaves no pixel (side + 2 x blur below 1) gives a null picture.
ResizableImage resizableShadowImage(double sideLength, double cornerRadius, const Shadow &shadow, bool shouldDrawCapInsets);

// Draws a resizable picture into `target`: corners as they are, edges and
// middle tiled.
void drawResizableImage(QPainter &painter, const QRect &target, const ResizableImage &image);

} // namespace tarnik
