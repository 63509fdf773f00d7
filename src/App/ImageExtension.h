#pragma once

#include "Import/MediaKind.h"

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QSizeF>
#include <optional>

namespace tarnik {

// Image shaping for artwork and thumbnails. Every image made here is at scale 1
// (one pixel per point) because it is stored, cached or sent rather than only
// shown; a fractional size in points is rounded up to whole pixels. Sizes of
// source images are taken in points (pixels over their device pixel ratio).
// Stateless and safe on any thread: each call paints into its own image.

// An image of 1 x 1 filled with the colour.
QImage imageFromColor(const QColor &color);

// The image centre-cropped to width / height = `ratio`. The image itself when
// it already has that ratio exactly, when it is empty or when the ratio is not
// a positive finite number.
QImage croppedToAspectRatio(const QImage &image, double ratio);

// The image redrawn at the largest size of its own ratio that fits `target`
// (scaled up when smaller). The image itself when it or the target is empty.
QImage aspectFitted(const QImage &image, const QSizeF &target);

// Artwork for a media kind given by its artwork ratio and width: cropped to
// `ratio`, and when `resized`, fitted to width x (width / ratio).
QImage artwork(const QImage &image, double ratio, double width, bool resized);

// Artwork bytes for an import: the data decoded, shaped with artwork() and
// encoded as JPEG at quality 1.0; the data unchanged when it is no image or
// the encoding fails.
QByteArray artworkData(const QByteArray &data, double ratio, double width, bool resized);

// The same for a media kind's artwork ratio and width (500 x 500 for square kinds).
QImage artwork(const QImage &image, MediaKind kind, bool resized);
QByteArray artworkData(const QByteArray &data, MediaKind kind, bool resized);

// The data decoded, centre-cropped to `ratio` and encoded as JPEG at quality
// 1.0; the data unchanged when it is no image or the encoding fails.
QByteArray croppedJPEGData(const QByteArray &data, double ratio);

// JPEG bytes at a compression quality from 0.0 to 1.0 (1.0 is the best, Qt's
// 100; 0.6 is 60). Nothing for an empty image or when the encoding fails.
std::optional<QByteArray> jpegData(const QImage &image, double quality);

// PNG bytes of the image; nothing for an empty image or when encoding fails.
std::optional<QByteArray> pngData(const QImage &image);

} // namespace tarnik
