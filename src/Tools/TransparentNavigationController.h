#pragma once

#include "Platform/UI/NavigationController.h"

namespace tarnik {

enum class StatusBarStyle { defaultStyle, lightContent };

// The navigation controller in which the audio tools are presented: its bar
// has neither a background nor a hairline and is translucent, so the root
// screen's content shows through and only the bar items stand over it.
// GUI thread only.
class TransparentNavigationController : public NavigationController
{
    Q_OBJECT

public:
    explicit TransparentNavigationController(ViewController *rootViewController = nullptr, QObject *parent = nullptr)
        : NavigationController(rootViewController, parent)
    {
    }

    virtual StatusBarStyle preferredStatusBarStyle() const { return StatusBarStyle::lightContent; }

protected:
    void viewDidLoad() override;
};

} // namespace tarnik
