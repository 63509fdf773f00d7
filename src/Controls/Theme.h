#pragma once

namespace tarnik {

// The looks of the frosted panels: the blur's tint and whether a drop
// shadow shows (smoke and light show it, dark hides it).
enum class Theme { smoke, light, dark };

} // namespace tarnik
