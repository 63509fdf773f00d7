#pragma once

#include "Platform/MediaTime.h"

namespace tarnik {

// Receives the range the user chose in the trimmer. Called once, on the GUI
// thread, when the user taps Done; the trimmer dismisses itself afterwards and
// never changes the file. Start and end are media times at a timescale of
// 1,000,000 (MediaTime::kDefaultTimescale).
class TrimmerViewControllerDelegate
{
public:
    virtual ~TrimmerViewControllerDelegate() = default;

    virtual void trimmerViewControllerDidFinish(const MediaTime &start, const MediaTime &end) = 0;
};

} // namespace tarnik
