#pragma once

#include "Platform/IndexPath.h"

#include <QList>
#include <QPointer>
#include <map>
#include <optional>

namespace tarnik {

// The cells a list or a grid shows, by index path, and the questions both
// answer about them. A cell deleted while shown leaves a null entry behind
// until the next layout pass. GUI thread only.
template<class Cell> using VisibleCells = std::map<IndexPath, QPointer<Cell>>;

template<class Cell> Cell *visibleCellAt(const VisibleCells<Cell> &visible, const IndexPath &indexPath)
{
    auto it = visible.find(indexPath);
    return it == visible.end() ? nullptr : it->second.data();
}

template<class Cell> QList<Cell *> visibleCellList(const VisibleCells<Cell> &visible)
{
    QList<Cell *> cells;
    for (const auto &[ip, cell] : visible) {
        if (cell)
            cells.append(cell);
    }
    return cells;
}

template<class Cell> QList<IndexPath> visibleIndexPaths(const VisibleCells<Cell> &visible)
{
    QList<IndexPath> paths;
    for (const auto &[ip, cell] : visible)
        paths.append(ip);
    return paths;
}

template<class Cell> std::optional<IndexPath> visibleIndexPathOf(const VisibleCells<Cell> &visible, const Cell *cell)
{
    for (const auto &[ip, c] : visible) {
        if (c == cell)
            return ip;
    }
    return std::nullopt;
}

// Takes out the cells whose index path `keep` turns down, and the entries of
// deleted cells, and ends the display of each cell taken out
// (endDisplaying(indexPath, cell)), which may hand it back to its pool.
template<class Cell, class Keep, class EndDisplaying>
void endDisplayingCells(VisibleCells<Cell> &visible, Keep keep, EndDisplaying endDisplaying)
{
    for (auto it = visible.begin(); it != visible.end();) {
        if (keep(it->first) && it->second) {
            ++it;
            continue;
        }
        const IndexPath ip = it->first;
        QPointer<Cell> cell = it->second;
        it = visible.erase(it);
        if (cell)
            endDisplaying(ip, cell);
    }
}

} // namespace tarnik
