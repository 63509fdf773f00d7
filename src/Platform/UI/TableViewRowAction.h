#pragma once

#include "Platform/IndexPath.h"

#include <QColor>
#include <QString>
#include <functional>

namespace tarnik {

// One button a row shows when it is swiped open: a title, a style that
// chooses its default colour (destructive red, normal grey), an optional
// colour of its own, and the handler that runs with the row's index path
// when it is tapped. A plain value.
struct TableViewRowAction
{
    enum class Style { default_, destructive, normal };

    Style style = Style::default_;
    QString title;
    QColor backgroundColor; // invalid: the style's colour
    std::function<void(const TableViewRowAction &, const IndexPath &)> handler;

    QColor effectiveBackgroundColor() const
    {
        if (backgroundColor.isValid())
            return backgroundColor;
        return style == Style::normal ? QColor(0xc7, 0xc7, 0xcc) : QColor(0xff, 0x3b, 0x30);
    }
};

} // namespace tarnik
