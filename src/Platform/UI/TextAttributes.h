#pragma once

#include <QColor>
#include <QFont>
#include <optional>

namespace tarnik {

// The states a control or bar item draws differently in; values are the
// toolkit's bits (normal 0, highlighted 1, disabled 2, selected 4, focused 8:
// the keyboard focus is on it).
enum class ControlState { normal = 0, highlighted = 1, disabled = 2, selected = 4, focused = 8 };

// Text attributes of titles: what is not set falls back to the next level
// (the item, then the shared appearance, then the widget's own style).
struct TextAttributes
{
    std::optional<QColor> foregroundColor;
    std::optional<QFont> font;

    TextAttributes mergedOver(const TextAttributes &fallback) const
    {
        return { foregroundColor ? foregroundColor : fallback.foregroundColor, font ? font : fallback.font };
    }
};

} // namespace tarnik
