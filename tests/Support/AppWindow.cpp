#include "Support/AppWindow.h"

#include "Platform/UI/DeviceProfile.h"
#include "Platform/UI/ViewController.h"
#include "Platform/UI/WindowPlacement.h"

namespace tarnik::test {

bool &windowAsTheAppOpensIt()
{
    static bool set = false;
    return set;
}

std::unique_ptr<Window> openWindowAsTheApp()
{
    DeviceProfile::setOverride(std::nullopt);
    auto window = std::make_unique<Window>();
    window->setWindowTitle(QStringLiteral("Tarnik"));
    WindowPlacement::restore(window.get());
    window->makeKeyAndVisible();
    return window;
}

} // namespace tarnik::test
