#pragma once

#include <QImage>
#include <functional>
#include <memory>
#include <optional>

class QWidget;

namespace tarnik {

// Lets the user choose a picture file for the artwork. The result comes
// once, on the GUI thread: the picture, or none when the user cancelled or
// the file is no readable picture (truncated, not an image, or too large to
// decode). Tests replace it.
class PhotoPicker
{
public:
    virtual ~PhotoPicker() = default;
    virtual void pick(QWidget *parent, std::function<void(std::optional<QImage>)> done) = 0;

    // Qt's own file dialog in the user's Pictures folder, filtered to images,
    // opened without a nested event loop.
    static std::shared_ptr<PhotoPicker> fileDialog();
    // Reads a picture file; none when it cannot be decoded within Qt's
    // allocation limit.
    static std::optional<QImage> readPicture(const QString &path);
};

} // namespace tarnik
