#include "ImportEditor/ImageViewerMiniPlayer.h"

#include "Player/CustomTabBarController.h"
#include "Player/PlayerView.h"
#include "Player/PlayerViewController.h"

namespace tarnik {

namespace {

class TabBarMiniPlayer : public ImageViewerMiniPlayer
{
public:
    bool hostsMiniPlayer(ViewController *screen) override
    {
        auto *host = qobject_cast<CustomTabBarController *>(screen);
        return host && host->miniPlayerView();
    }
    bool isMiniPlayerUp(ViewController *screen) override
    {
        auto *host = qobject_cast<CustomTabBarController *>(screen);
        return host && host->miniPlayerView() && host->miniPlayerView()->animate() == PlayerViewAnimation::up;
    }
    void updateMiniPlayer(ViewController *screen, bool show) override
    {
        if (auto *host = qobject_cast<CustomTabBarController *>(screen))
            host->updateMiniPlayer(show);
    }
};

ImageViewerMiniPlayer *g_link = nullptr;

} // namespace

ImageViewerMiniPlayer *ImageViewerMiniPlayer::installed()
{
    static TabBarMiniPlayer fallback;
    return g_link ? g_link : &fallback;
}

void ImageViewerMiniPlayer::install(ImageViewerMiniPlayer *link)
{
    g_link = link;
}

} // namespace tarnik
