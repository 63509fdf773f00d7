#pragma once

namespace tarnik {

class NavigationController;

// The one look of the app's navigation bars: translucent, buttons in the
// shared grey, a white bar, the title in the shared black and default font.
// Screens that need another look change their bar afterwards.
namespace NavigationBarStyle {

void apply(NavigationController *controller);
// Makes every navigation controller apply the style right after its view
// has loaded (subclasses that call the inherited loading included).
void install();

} // namespace NavigationBarStyle

} // namespace tarnik
