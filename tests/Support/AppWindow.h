#pragma once

// The window as the app opens it on a user's first start, for the documentation's picture
// programs: no chosen profile, the saved or the desktop default size fitted to the screen, and the
// profile that size gives.

#include "Platform/UI/ViewController.h"
#include "Platform/UI/Window.h"

#include <memory>

namespace tarnik::test {

// Set by a picture program before its first test: fixtures that open their own window (the root
// tab bar's) open it as the app does instead of at a chosen profile.
bool &windowAsTheAppOpensIt();

// Clears any chosen profile and shows a key window titled as the app's, placed as the app places it.
std::unique_ptr<Window> openWindowAsTheApp();

} // namespace tarnik::test
