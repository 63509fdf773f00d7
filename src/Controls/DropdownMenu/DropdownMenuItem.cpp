#include "Controls/DropdownMenu/DropdownMenuItem.h"

namespace tarnik {

DropdownMenuItem::DropdownMenuItem(
    const QString &textValue, const std::optional<QImage> &imageValue, std::function<void()> handler)
    : text(textValue)
    , image(imageValue)
    , completionHandler(std::move(handler))
{
}

DropdownMenuItem::DropdownMenuItem(
    const AttributedText &styled, const std::optional<QImage> &imageValue, std::function<void()> handler)
    : attributedText(styled)
    , image(imageValue)
    , completionHandler(std::move(handler))
{
}

} // namespace tarnik
