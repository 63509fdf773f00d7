#include "Controls/NavigationBarStyle.h"

#include "App/Constants.h"
#include "Platform/UI/NavigationBar.h"
#include "Platform/UI/NavigationController.h"

namespace tarnik::NavigationBarStyle {

void apply(NavigationController *controller)
{
    if (!controller)
        return;
    NavigationBar *bar = controller->navigationBar();
    bar->setTranslucent(true);
    bar->setTintColor(Common::greyColor());
    bar->setBarTintColor(QColor(Qt::white));
    bar->setTitleTextAttributes({ Common::blackColor(), Common::defaultFont() });
}

void install()
{
    NavigationController::setViewDidLoadHook(&apply);
}

} // namespace tarnik::NavigationBarStyle
