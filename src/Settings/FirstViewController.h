#pragma once

#include "Platform/UI/ViewController.h"

namespace tarnik {

// A plain screen of the storyboard with no behaviour of its own.
class FirstViewController : public ViewController
{
    Q_OBJECT
public:
    using ViewController::ViewController;
};

} // namespace tarnik
