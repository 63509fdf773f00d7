#pragma once

#include "Platform/MediaTime.h"

namespace tarnik {

class ViewController;

// What the trimmer hands back to the screen that opened it: the chosen range
// as media times at a timescale of 1,000,000, once the user confirms. The
// trimmer closes itself afterwards. GUI thread.
class TrimmerViewControllerDelegate
{
public:
    virtual ~TrimmerViewControllerDelegate() = default;
    virtual void trimmerViewController(ViewController *trimmer, const MediaTime &start, const MediaTime &end) = 0;
};

} // namespace tarnik
