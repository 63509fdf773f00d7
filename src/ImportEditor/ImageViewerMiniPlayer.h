#pragma once

#include <functional>

namespace tarnik {

class ViewController;

// What the image viewer's transitions ask of the root tab bar controller that
// hosts the mini player: whether it is that controller with a mini player
// that is in view, and to move the mini player (show true: out of the way;
// false: back). By default the root tab bar controller of the player
// (CustomTabBarController) answers; tests install a fake. GUI thread only.
class ImageViewerMiniPlayer
{
public:
    virtual ~ImageViewerMiniPlayer() = default;
    // The screen is the mini player's host and it has a mini player view.
    virtual bool hostsMiniPlayer(ViewController *screen) = 0;
    // The host's mini player is up (in view above the tab bar).
    virtual bool isMiniPlayerUp(ViewController *screen) = 0;
    virtual void updateMiniPlayer(ViewController *screen, bool show) = 0;

    // The installed link, or the default one.
    static ImageViewerMiniPlayer *installed();
    // Null restores the default.
    static void install(ImageViewerMiniPlayer *link);
};

} // namespace tarnik
