#pragma once

#include <QString>

namespace tarnik {

class EntryCell;

// The owner of browser rows hears a tap on a row's accessory button.
class EntryCellDelegate
{
public:
    virtual ~EntryCellDelegate() = default;
    virtual void accessoryButtonTapped(const QString &identifier, EntryCell *sender) = 0;
};

} // namespace tarnik
