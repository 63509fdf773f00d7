#include "Tools/TransparentNavigationController.h"

#include "Platform/UI/NavigationBar.h"

#include <QImage>

namespace tarnik {

void TransparentNavigationController::viewDidLoad()
{
    NavigationController::viewDidLoad();
    NavigationBar *bar = navigationBar();
    bar->setBackgroundImage(QImage());
    bar->setShadowImage(QImage());
    bar->setTranslucent(true);
}

} // namespace tarnik
