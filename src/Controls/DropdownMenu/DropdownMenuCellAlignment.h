#pragma once

namespace tarnik {

// How a dropdown row places its picture and text: centred (optionally with
// every row's label equally wide, so the texts start at one x), at the
// left, or at the right (text first, then the picture).
struct DropdownMenuCellAlignment
{
    enum class Kind { center, left, right };
    Kind kind = Kind::center;
    bool isAligned = false; // center only

    static DropdownMenuCellAlignment center(bool aligned) { return { Kind::center, aligned }; }
    static DropdownMenuCellAlignment left() { return { Kind::left, false }; }
    static DropdownMenuCellAlignment right() { return { Kind::right, false }; }

    friend bool operator==(const DropdownMenuCellAlignment &, const DropdownMenuCellAlignment &) = default;
};

} // namespace tarnik
