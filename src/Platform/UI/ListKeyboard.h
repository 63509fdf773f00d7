#pragma once

#include <QList>
#include <QRect>
#include <QRectF>

class QWidget;
#include <Qt>
#include <optional>

namespace tarnik {

// The desktop keyboard of lists and grids (table and collection views): where
// a key moves the highlighted item, given every item's frame in reading order.
// Up and Down go to the row above or below (in a grid, to the item nearest in
// x), Left and Right to the neighbour in the same row, Page Up and Page Down
// by a visible height, Home and End to the first and last item. With nothing
// highlighted yet, any of them starts at the first item (End at the last).
// GUI thread only.
namespace ListKeyboard {

// The item the key moves to; none when the key does not move a highlight
// (another key, modifiers held, an empty list, Left at a row's start).
std::optional<int> target(
    int key, Qt::KeyboardModifiers modifiers, std::optional<int> current, const QList<QRectF> &frames, double page);

// Whether the user's last input came from the keyboard (rather than a
// pointer or a finger): a list that takes the focus then shows where it is.
bool lastInputWasKeyboard();
// Starts following the input (once per process; lists call it when made).
void followInput();

// Marks the keyboard's place on a cell with a ring over it, while `focused`
// (the cell is highlighted in a list that has the focus) and the user is on
// the keyboard; otherwise takes the ring away. A cell's own highlighted look
// may be faint or none: the ring is what the eye follows. The ring covers the
// cell and follows its size, or covers `area` of it when one is given.
void showFocus(QWidget *cell, bool focused, const QRect &area = {});

} // namespace ListKeyboard

} // namespace tarnik
