#pragma once

namespace tarnik {

// How a view lays out a picture inside its bounds; the raw values are the
// phone toolkit's, which the transitions carry from one view to another.
enum class ContentMode {
    scaleToFill = 0,
    scaleAspectFit = 1,
    scaleAspectFill = 2,
    redraw = 3,
    center = 4,
    top = 5,
    bottom = 6,
    left = 7,
    right = 8,
    topLeft = 9,
    topRight = 10,
    bottomLeft = 11,
    bottomRight = 12,
};

} // namespace tarnik
