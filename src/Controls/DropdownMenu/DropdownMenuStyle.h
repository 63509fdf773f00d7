#pragma once

namespace tarnik {

// The background behind a dropdown menu's rows and the tint of its rows.
enum class DropdownMenuStyle { blackGradient, whiteGradient, black, white, translucentDark, translucentLight, translucentSmoke };

} // namespace tarnik
