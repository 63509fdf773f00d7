#include "Tools/TransparentNavigationController.h"

#include "Platform/UI/NavigationBar.h"

#include <QImage>
#include <QPalette>
#include <QWidget>

namespace tarnik {

void TransparentNavigationController::viewDidLoad()
{
    NavigationController::viewDidLoad();
    NavigationBar *bar = navigationBar();
    bar->setBackgroundImage(QImage());
    bar->setShadowImage(QImage());
    bar->setTranslucent(true);
    // The bar shows what lies under it: the root screen's own background.
    if (ViewController *top = topViewController()) {
        QPalette palette = view()->palette();
        palette.setColor(QPalette::Window, top->view()->palette().color(QPalette::Window));
        view()->setPalette(palette);
        view()->setAutoFillBackground(true);
    }
}

} // namespace tarnik
