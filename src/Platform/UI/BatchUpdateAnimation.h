#pragma once

#include "Platform/IndexPath.h"
#include "Platform/UI/UpdateBatch.h"

#include <QPointer>
#include <QRect>
#include <QWidget>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <utility>
#include <vector>

namespace tarnik {

class ScrollView;

// What a list and a grid do alike with batch updates: a change made outside
// a batch is a batch of its own, a batch opened inside another joins it; when
// one is applied the visible cells follow their items to the new index paths,
// and once the view has laid itself out again, the cells that stayed slide
// from where they stood while the new ones fade in. GUI thread only.

// Records a change in the open batch (`batch`, the owner's), or, with none
// open, runs it as a batch of its own through the owner's performBatchUpdates.
template<class Owner, class BatchPointer, class Record>
void recordInBatch(Owner &owner, const BatchPointer &batch, Record record)
{
    if (!batch) {
        owner.performBatchUpdates([&] { record(*batch); });
        return;
    }
    record(*batch);
}

// performBatchUpdates inside another: the changes join the outer batch, and
// completion runs on the next turn (true unless the owner went away).
void joinOuterBatch(QObject *owner, const std::function<void()> &updates, std::function<void(bool)> completion);

// The index paths of a set where the batch moves them; the ones it drops are gone.
std::set<IndexPath> mapIndexPaths(const std::set<IndexPath> &paths, const UpdateBatch &batch);

// Moves the visible cells to the index paths the batch gives their items and
// ends the display of those whose item went (endDisplaying(indexPath, cell));
// answers where each cell that stayed stood.
template<class Cell, class EndDisplaying>
std::map<Cell *, QRect> moveVisibleCells(
    std::map<IndexPath, QPointer<Cell>> &visible, const UpdateBatch &batch, EndDisplaying endDisplaying)
{
    std::map<IndexPath, QPointer<Cell>> moved;
    std::map<Cell *, QRect> oldGeometry;
    for (auto &[ip, cell] : visible) {
        if (!cell)
            continue;
        if (const std::optional<IndexPath> to = batch.map(ip)) {
            moved[*to] = cell;
            oldGeometry[cell] = cell->geometry();
        } else {
            endDisplaying(ip, cell);
        }
    }
    visible = std::move(moved);
    return oldGeometry;
}

// Slides the given views from their old frames to their current ones and
// fades the arrivals in; then lays the owner out again (a scroll during the
// move placed views itself) and tells completion whether the owner is still there.
void runBatchUpdateAnimation(ScrollView *owner, const std::vector<std::pair<QPointer<QWidget>, QRect>> &slides,
    const std::vector<QPointer<QWidget>> &arrivals, std::function<void(bool)> completion);

// After the layout that follows a batch: cells that stood elsewhere before
// (oldGeometry) slide to where they are now, cells without an old place fade in.
template<class Cell>
void animateBatchUpdate(ScrollView *owner, const std::map<IndexPath, QPointer<Cell>> &visible,
    const std::map<Cell *, QRect> &oldGeometry, std::function<void(bool)> completion)
{
    std::vector<std::pair<QPointer<QWidget>, QRect>> slides;
    std::vector<QPointer<QWidget>> arrivals;
    for (const auto &[ip, cell] : visible) {
        if (!cell)
            continue;
        auto old = oldGeometry.find(cell.data());
        if (old == oldGeometry.end()) {
            arrivals.emplace_back(cell.data());
        } else if (old->second != cell->geometry()) {
            slides.emplace_back(cell.data(), cell->geometry());
            cell->setGeometry(old->second);
        }
    }
    runBatchUpdateAnimation(owner, slides, arrivals, std::move(completion));
}

} // namespace tarnik
