#pragma once

#include "Platform/IndexPath.h"

#include <QPointer>
#include <QRectF>
#include <functional>
#include <optional>
#include <set>
#include <vector>

class QKeyEvent;

namespace tarnik {

// The selected cells and the one highlighted under a touch of a table or collection view, and
// the rules both follow: a touch highlights its cell when the delegate agrees; a tap that ends on
// the highlighted cell selects it (giving up the others unless several may be selected), or, in
// multiple selection, deselects a selected one. The delegate may redirect or refuse either, and
// may delete the view from any of its calls: nothing is touched after that. GUI thread only.
class CellSelection
{
public:
    // What the view provides: how its cells show the two states (a cell off screen shows nothing)
    // and its delegate's answers.
    class Owner
    {
    public:
        virtual ~Owner() = default;
        virtual void showSelected(const IndexPath &indexPath, bool selected) = 0;
        virtual void showHighlighted(const IndexPath &indexPath, bool highlighted) = 0;
        // The cell is on screen and its delegate lets it highlight.
        virtual bool canHighlight(const IndexPath &indexPath) = 0;
        // The index path to select or deselect instead, or none to refuse.
        virtual std::optional<IndexPath> willSelect(const IndexPath &indexPath) = 0;
        virtual std::optional<IndexPath> willDeselect(const IndexPath &indexPath) = 0;
        virtual void didSelect(const IndexPath &indexPath) = 0;
        virtual void didDeselect(const IndexPath &indexPath) = 0;
    };

    // view: the QObject whose deletion ends a tap early (the view that owns this).
    CellSelection(QObject *view, Owner *owner);

    const std::set<IndexPath> &selected() const { return m_selected; }
    std::optional<IndexPath> highlighted() const { return m_highlighted; }
    bool isSelected(const IndexPath &indexPath) const { return m_selected.count(indexPath) != 0; }
    bool isHighlighted(const IndexPath &indexPath) const { return m_highlighted && *m_highlighted == indexPath; }

    // Changes without asking the delegate (the view's own select and deselect calls).
    void setSelected(const IndexPath &indexPath, bool selected);
    // None deselects everything; otherwise selects indexPath, and unless multiple deselects the rest.
    void select(const std::optional<IndexPath> &indexPath, bool multiple);
    // Keeps only the first selected cell.
    void keepFirst();
    void setHighlighted(const std::optional<IndexPath> &indexPath);
    // After a reload or a batch update: the new selection (shown by the cells as they come back)
    // and no highlight.
    void reset(std::set<IndexPath> selected = {});
    // A cell that leaves the screen loses its highlight.
    void endDisplaying(const IndexPath &indexPath);

    // A touch went down on indexPath (none: off every cell).
    void touchDown(const std::optional<IndexPath> &indexPath);
    // The touch ended or was cancelled: the highlighted cell, which is no longer highlighted.
    std::optional<IndexPath> endTouch();
    // A tap ended on indexPath, the cell that endTouch() returned.
    void tap(const IndexPath &indexPath, bool multiple);

    // A cell for the keyboard: its index path and frame in the view's content.
    struct KeyboardItem
    {
        IndexPath indexPath;
        QRectF frame;
    };
    // The list keyboard (ListKeyboard::target): Return opens the highlighted cell as a tap does
    // (`activate`); the arrows, Page Up and Down (`page` apart) and Home and End move the
    // highlight among `items` (every cell in reading order), once `reveal` has brought the new
    // cell's frame into view. Whether the key was used; the caller passes on the others.
    bool keyPress(QKeyEvent *event, const std::function<std::vector<KeyboardItem>()> &items, double page,
        const std::function<void(const IndexPath &)> &activate, const std::function<void(const QRectF &)> &reveal);

private:
    QObject *m_view;
    Owner *m_owner;
    std::set<IndexPath> m_selected;
    std::optional<IndexPath> m_highlighted;
};

} // namespace tarnik
