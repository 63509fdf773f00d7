#pragma once

#include "Platform/IndexPath.h"
#include "Platform/UI/CellSelection.h"
#include "Platform/UI/CollectionReusableView.h"
#include "Platform/UI/CollectionViewCell.h"
#include "Platform/UI/CollectionViewDataSource.h"
#include "Platform/UI/CollectionViewDelegate.h"
#include "Platform/UI/CollectionViewFlowLayout.h"
#include "Platform/UI/FatalError.h"
#include "Platform/UI/ReusableViewPool.h"
#include "Platform/UI/ScrollView.h"

#include <QList>
#include <QPointer>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

namespace tarnik {

// The phone toolkit's collection view with a flow layout, on a ScrollView.
// Only the items whose frames meet the visible area have cell widgets; a
// cell that scrolls away goes back to the pool of its reuse identifier and
// is handed out again, reset by prepareForReuse() and configured by the data
// source before it shows, so a hundred thousand items keep one screenful of
// widgets. Items about to come into view are offered for prefetching (one
// screen ahead in the direction of the scroll) and withdrawn when they scroll
// away unseen. Selection is kept by index path, so it survives reuse; taps
// select through the delegate's should-select / did-select / did-deselect.
// Reloads and batch updates (insertions and deletions) check the new counts
// against the changes, move the surviving cells and selection to their new
// index paths and run their completion when the cells have moved.
//
// A dequeued cell of the wrong class, an identifier nobody registered, a
// data source that returns no cell, or counts that do not add up after an
// update are broken set-ups of the program: they stop it (fatalError).
//
// GUI thread only. Data source and delegates are held weakly (plain pointers
// the owner outlives) and are never called from the destructor.
class CollectionView : public ScrollView, private CellSelection::Owner
{
    Q_OBJECT
public:
    enum class ScrollPosition { none, top, centeredVertically, bottom, left, centeredHorizontally, right };

    explicit CollectionView(QWidget *parent = nullptr);
    ~CollectionView() override;

    CollectionViewFlowLayout *collectionViewLayout() const { return m_layout.get(); }
    void setCollectionViewLayout(std::unique_ptr<CollectionViewFlowLayout> layout);

    // Fills the view behind every cell and stays put while the content scrolls
    // (a tap on the empty area below the items lands on it). The view takes it.
    QWidget *backgroundView() const { return m_backgroundView; }
    void setBackgroundView(QWidget *view);

    CollectionViewDataSource *dataSource() const { return m_dataSource; }
    void setDataSource(CollectionViewDataSource *dataSource);
    CollectionViewDelegate *delegate() const { return m_collectionDelegate; }
    void setDelegate(CollectionViewDelegate *delegate);
    CollectionViewDataSourcePrefetching *prefetchDataSource() const { return m_prefetchDataSource; }
    void setPrefetchDataSource(CollectionViewDataSourcePrefetching *prefetch) { m_prefetchDataSource = prefetch; }
    bool isPrefetchingEnabled = true;

    // Registration: how to make a cell (or supplementary view) for an identifier.
    void registerCell(const QString &identifier, std::function<CollectionViewCell *()> factory);
    template<class Cell> void registerCellClass(const QString &identifier)
    {
        registerCell(identifier, [] { return new Cell; });
    }
    void registerSupplementaryView(
        const QString &kind, const QString &identifier, std::function<CollectionReusableView *()> factory);
    template<class View> void registerSupplementaryViewClass(const QString &kind, const QString &identifier)
    {
        registerSupplementaryView(kind, identifier, [] { return new View; });
    }

    // A cell for the index path: a waiting one (prepared for reuse) or a new one.
    CollectionViewCell *dequeueReusableCell(const QString &identifier, const IndexPath &indexPath);
    // The same, of the class the caller expects; another class stops the
    // program with the "Expected `<class>` type for reuseIdentifier" message.
    template<class Cell> Cell *dequeueReusableCell(const QString &identifier, const IndexPath &indexPath)
    {
        CollectionViewCell *cell = dequeueReusableCell(identifier, indexPath);
        auto *typed = dynamic_cast<Cell *>(cell);
        if (!typed)
            fatalError(wrongTypeMessage(className(Cell::staticMetaObject), identifier));
        return typed;
    }
    CollectionReusableView *dequeueReusableSupplementaryView(
        const QString &kind, const QString &identifier, const IndexPath &indexPath);
    template<class View>
    View *dequeueReusableSupplementaryView(const QString &kind, const QString &identifier, const IndexPath &indexPath)
    {
        auto *typed = dynamic_cast<View *>(dequeueReusableSupplementaryView(kind, identifier, indexPath));
        if (!typed)
            fatalError(wrongTypeMessage(className(View::staticMetaObject), identifier));
        return typed;
    }

    // Counts as of the last reload or update.
    int numberOfSections();
    int numberOfItems(int section);

    void reloadData();
    void reloadSections(const QList<int> &sections);
    void reloadItems(const QList<IndexPath> &indexPaths);
    void insertItems(const QList<IndexPath> &indexPaths);
    void deleteItems(const QList<IndexPath> &indexPaths);
    void insertSections(const QList<int> &sections);
    void deleteSections(const QList<int> &sections);
    // Runs `updates` (which changes the model and calls the insert / delete /
    // reload operations above), then applies them together; `completion`
    // runs once the cells have moved (true unless the view went away).
    void performBatchUpdates(const std::function<void()> &updates, std::function<void(bool finished)> completion = {});

    // The visible cell of an item (none when the item is off screen).
    CollectionViewCell *cellForItem(const IndexPath &indexPath) const;
    QList<CollectionViewCell *> visibleCells() const;
    QList<IndexPath> indexPathsForVisibleItems() const;
    std::optional<IndexPath> indexPathForCell(const CollectionViewCell *cell) const;
    // The item at a point in content coordinates.
    std::optional<IndexPath> indexPathForItem(const QPointF &contentPoint);
    std::optional<QRectF> frameForItem(const IndexPath &indexPath);
    CollectionReusableView *supplementaryView(const QString &kind, const IndexPath &indexPath) const;

    void scrollToItem(const IndexPath &indexPath, ScrollPosition position, bool animated);
    // Recomputes the layout at the next layout pass (sizes changed).
    void invalidateLayout();
    // The same, keeping the first visible item where it is on screen (a change of size or
    // profile that puts another number of items in a row). A change of width does it by itself.
    void invalidateLayoutKeepingPosition();

    bool allowsSelection = true;
    bool allowsMultipleSelection() const { return m_allowsMultipleSelection; }
    void setAllowsMultipleSelection(bool allows);
    QList<IndexPath> indexPathsForSelectedItems() const;
    // Programmatic selection: the delegate hears nothing. An empty index path
    // clears the selection.
    void selectItem(const std::optional<IndexPath> &indexPath, bool animated, ScrollPosition position);
    void deselectItem(const IndexPath &indexPath, bool animated);
    // As a tap on the item: selects it (or, choosing several, toggles it)
    // through the delegate. Keyboards and screen readers open items this way.
    void activateItem(const IndexPath &indexPath);

    // What the view holds: cell widgets made so far and alive (shown or
    // waiting in the pool), and the items currently offered for prefetching.
    int liveCellCount() const;
    QList<IndexPath> prefetchedIndexPaths() const;

protected:
    void layoutSubviews() override;
    void contentTouchDown(const QPointF &point) override;
    void contentTapped(const QPointF &point) override;
    void contentTouchCancelled() override;
    // Arrows, Page Up / Page Down, Home and End move the highlighted item;
    // Return opens it (see ListKeyboard).
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    // The ring on the highlighted item follows the view's focus.
    void showFocusOfHighlight();
    struct Batch;
    struct Supplementary
    {
        QString kind;
        QString identifier;
        QPointer<CollectionReusableView> view;
    };
    using SupplementaryKey = std::pair<QString, int>;

    static QString className(const QMetaObject &meta);
    void ensureCounts();
    void prepareLayoutIfNeeded();
    void endDisplaying(const IndexPath &indexPath, CollectionViewCell *cell);
    void endDisplayingSupplementary(const SupplementaryKey &key);
    void endDisplayingAllSupplementary();
    void updatePrefetching(const QRectF &visible);
    void applyBatch(Batch &batch, std::function<void(bool)> completion);
    // CellSelection::Owner.
    void showSelected(const IndexPath &indexPath, bool selected) override;
    void showHighlighted(const IndexPath &indexPath, bool highlighted) override;
    bool canHighlight(const IndexPath &indexPath) override;
    std::optional<IndexPath> willSelect(const IndexPath &indexPath) override;
    std::optional<IndexPath> willDeselect(const IndexPath &indexPath) override;
    void didSelect(const IndexPath &indexPath) override;
    void didDeselect(const IndexPath &indexPath) override;

    std::unique_ptr<CollectionViewFlowLayout> m_layout;
    QPointer<QWidget> m_backgroundView;
    double m_preparedWidth = -1.0;
    bool m_keepPositionOnPrepare = false;
    CollectionViewDataSource *m_dataSource = nullptr;
    CollectionViewDelegate *m_collectionDelegate = nullptr;
    CollectionViewDataSourcePrefetching *m_prefetchDataSource = nullptr;
    ReusableViewPool m_cellPool;
    ReusableViewPool m_supplementaryPool;

    bool m_countsValid = false;
    std::vector<int> m_counts;
    std::map<IndexPath, QPointer<CollectionViewCell>> m_visible;
    std::map<SupplementaryKey, Supplementary> m_visibleSupplementary;
    std::vector<QPointer<CollectionViewCell>> m_outstanding;
    CellSelection m_selection { this, this };
    std::set<IndexPath> m_prefetched;
    bool m_allowsMultipleSelection = false;
    double m_lastOffsetY = 0.0;
    bool m_scrollingDown = true;
    std::unique_ptr<Batch> m_batch;
    bool m_destroying = false;
};

} // namespace tarnik
