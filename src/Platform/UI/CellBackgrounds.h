#pragma once

#include <QPointer>
#include <QRect>
#include <QWidget>

namespace tarnik {

// The background and selected background views of a cell, kept alike by
// collection and table cells: both fill the cell behind its content view, the
// selected one shows only while the cell asks for it, and setting either
// deletes the view it replaces. The cell owns the views. GUI thread only.
struct CellBackgrounds
{
    QPointer<QWidget> background;
    QPointer<QWidget> selectedBackground;

    // Each answers false (and changes nothing) when `view` is the one set.
    bool setBackground(QWidget *cell, QWidget *view);
    bool setSelectedBackground(QWidget *cell, QWidget *view);
    // Sizes both to the cell's rectangle.
    void fit(const QRect &rect);
    // Stacking from the back: background, selected background, content.
    void stack(QWidget *contentView, bool selectedShows);
};

} // namespace tarnik
