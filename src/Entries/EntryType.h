#pragma once

#include <QtGlobal>
#include <optional>

namespace tarnik {

// What a listed item is. The raw values are stored in the row cache files, so they never change.
enum class EntryType : int {
    directory = 0,
    // A media file whose asset can be exported: it can be played and imported.
    exportable = 1,
    image = 2,
    // Any other file.
    regular = 3,
};

// Whether an entry's or a row's details have been loaded. Raw values are stored like EntryType's.
enum class UpdateState : int {
    new_ = 0, // "new" is a keyword
    updated = 1,
    updating = 2,
};

// The case of a raw value; none outside 0-3.
constexpr std::optional<EntryType> entryTypeFromRawValue(qint64 raw)
{
    if (raw < 0 || raw > 3)
        return std::nullopt;
    return static_cast<EntryType>(raw);
}

// The case of a raw value; none outside 0-2.
constexpr std::optional<UpdateState> updateStateFromRawValue(qint64 raw)
{
    if (raw < 0 || raw > 2)
        return std::nullopt;
    return static_cast<UpdateState>(raw);
}

constexpr int rawValue(EntryType type)
{
    return static_cast<int>(type);
}
constexpr int rawValue(UpdateState state)
{
    return static_cast<int>(state);
}

} // namespace tarnik
