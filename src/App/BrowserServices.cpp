#include "App/BrowserServices.h"

#include "Platform/UI/NavigationController.h"
#include "Platform/UI/TabBarController.h"

namespace tarnik {

ViewController *directoryViewController(TabBarController *tabBarController)
{
    if (!tabBarController)
        return nullptr;
    for (ViewController *vc : tabBarController->viewControllers()) {
        auto *nav = qobject_cast<NavigationController *>(vc);
        ViewController *top = nav ? nav->topViewController() : nullptr;
        if (top && dynamic_cast<BrowserLevel *>(top))
            return top;
    }
    return nullptr;
}

} // namespace tarnik
