#include "Player/MiniPlayerHost.h"

#include "Platform/UI/TabBarController.h"

namespace tarnik {

MiniPlayerHost *MiniPlayerHost::of(const ViewController *screen)
{
    return screen ? ofHost(screen->tabBarController()) : nullptr;
}

MiniPlayerHost *MiniPlayerHost::ofHost(ViewController *screen)
{
    auto *host = dynamic_cast<MiniPlayerHost *>(screen);
    return host && host->hasMiniPlayer() ? host : nullptr;
}

} // namespace tarnik
