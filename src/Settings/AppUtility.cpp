#include "Settings/AppUtility.h"

#include "App/AppDelegate.h"
#include "Platform/UI/ViewController.h"
#include "Platform/UI/Window.h"

namespace tarnik {

void AppUtility::lockOrientation(unsigned mask)
{
    if (AppDelegate *delegate = AppDelegate::shared())
        delegate->orientationLock = mask;
}

void AppUtility::lockOrientation(unsigned mask, int orientation)
{
    Q_UNUSED(orientation);
    lockOrientation(mask);
}

} // namespace tarnik
