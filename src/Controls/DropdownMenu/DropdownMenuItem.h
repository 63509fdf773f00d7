#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace tarnik {

// Text with its own look. Only the attributes at the first character are
// kept: a dropdown row and its measuring read no others.
struct AttributedText
{
    QString string;
    std::optional<QColor> foregroundColor;
    std::optional<QFont> font;
};

// One choice of a dropdown menu: a plain or styled text, a picture, and what
// runs after the menu has closed when the row is chosen. Shared between the
// caller and the menu (std::shared_ptr); GUI thread only.
class DropdownMenuItem
{
public:
    DropdownMenuItem(const QString &text, const std::optional<QImage> &image, std::function<void()> completionHandler);
    DropdownMenuItem(const AttributedText &attributedText, const std::optional<QImage> &image,
        std::function<void()> completionHandler);

    std::optional<QString> text;
    // Shown when text is absent or empty.
    std::optional<AttributedText> attributedText;
    std::optional<QImage> image;
    std::function<void()> completionHandler;
};

using DropdownMenuItems = QList<std::shared_ptr<DropdownMenuItem>>;

} // namespace tarnik
