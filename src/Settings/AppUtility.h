#pragma once

namespace tarnik {

// Writes the application delegate's orientation lock, which the window
// honours from the next rotation on. GUI thread only.
struct AppUtility
{
    // Nothing happens without the app's delegate.
    static void lockOrientation(unsigned mask);
    // The same, then asks for the interface to turn to `orientation`; a
    // desktop window cannot be turned by the app, so only the lock applies.
    static void lockOrientation(unsigned mask, int orientation);
};

} // namespace tarnik
