#pragma once

#include "Tools/TransparentNavigationController.h"

namespace tarnik {

// The see-through navigation controller of the trimmer, which keeps dark
// status-bar content over its light screen.
class TrimmerNavigationController : public TransparentNavigationController
{
    Q_OBJECT

public:
    using TransparentNavigationController::TransparentNavigationController;

    StatusBarStyle preferredStatusBarStyle() const override { return StatusBarStyle::defaultStyle; }
};

} // namespace tarnik
