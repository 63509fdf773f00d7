#pragma once

#include <QColor>
#include <QImage>

namespace tarnik {

// A one-colour symbol drawn in `tint`: every pixel takes the tint at the picture's own
// coverage (alpha), as template images do. The device pixel ratio is kept.
QImage templateImage(const QImage &image, const QColor &tint);

} // namespace tarnik
