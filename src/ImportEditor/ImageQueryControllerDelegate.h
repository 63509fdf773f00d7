#pragma once

#include <QImage>

namespace tarnik {

class ImageQueryController;

// What the artwork search asks of the screen that presented it. Both calls come
// on the GUI thread. The search holds its delegate weakly (a QPointer on the
// presenter's side is not needed: the presenter outlives the search it shows,
// and the search forgets a delegate set to null).
class ImageQueryControllerDelegate
{
public:
    virtual ~ImageQueryControllerDelegate() = default;

    // The presenter dismisses the search, animated. The search's own Cancel
    // button dismisses it directly and does not send this.
    virtual void imageQueryControllerDidCancel(ImageQueryController *controller) = 0;
    // Sent once the image viewer has closed with a selection: the presenter
    // dismisses the search and takes the picture as the item's artwork.
    virtual void imageQueryController(ImageQueryController *controller, const QImage &image) = 0;
};

} // namespace tarnik
