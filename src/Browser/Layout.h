#pragma once

namespace tarnik {

// How a browser level shows its directory: one wide row per entry, or tiles.
enum class Layout { list, grid };

} // namespace tarnik
