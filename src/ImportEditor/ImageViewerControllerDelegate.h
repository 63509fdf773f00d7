#pragma once

#include <QImage>

namespace tarnik {

// Receives the picture the user chose in the image viewer, after the viewer
// has closed. GUI thread.
class ImageViewerControllerDelegate
{
public:
    virtual ~ImageViewerControllerDelegate() = default;
    virtual void imageViewerDidSelect(const QImage &image) = 0;
};

} // namespace tarnik
