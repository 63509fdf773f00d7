#include "Platform/UI/CellBackgrounds.h"

namespace tarnik {

bool CellBackgrounds::setBackground(QWidget *cell, QWidget *view)
{
    if (view == background)
        return false;
    delete background.data();
    background = view;
    if (view) {
        view->setParent(cell);
        view->setGeometry(cell->rect());
        view->lower();
        view->show();
    }
    return true;
}

bool CellBackgrounds::setSelectedBackground(QWidget *cell, QWidget *view)
{
    if (view == selectedBackground)
        return false;
    delete selectedBackground.data();
    selectedBackground = view;
    if (view) {
        view->setParent(cell);
        view->setGeometry(cell->rect());
    }
    return true;
}

void CellBackgrounds::fit(const QRect &rect)
{
    if (background)
        background->setGeometry(rect);
    if (selectedBackground)
        selectedBackground->setGeometry(rect);
}

void CellBackgrounds::stack(QWidget *contentView, bool selectedShows)
{
    if (background)
        background->lower();
    if (selectedBackground) {
        selectedBackground->setVisible(selectedShows);
        selectedBackground->stackUnder(contentView);
    }
    contentView->raise();
}

} // namespace tarnik
