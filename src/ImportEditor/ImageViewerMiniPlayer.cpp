#include "ImportEditor/ImageViewerMiniPlayer.h"

namespace tarnik {

namespace {
ImageViewerMiniPlayer *g_link = nullptr;
}

ImageViewerMiniPlayer *ImageViewerMiniPlayer::installed()
{
    return g_link;
}

void ImageViewerMiniPlayer::install(ImageViewerMiniPlayer *link)
{
    g_link = link;
}

} // namespace tarnik
