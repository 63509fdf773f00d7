#pragma once

#include "Platform/IndexPath.h"
#include "Platform/UI/CellSelection.h"
#include "Platform/UI/FatalError.h"
#include "Platform/UI/ReusableViewPool.h"
#include "Platform/UI/ScrollView.h"
#include "Platform/UI/TableViewCell.h"
#include "Platform/UI/TableViewDelegate.h"

#include <QList>
#include <QPointer>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

namespace tarnik {

class UpdateBatch;

// The phone toolkit's table view on a ScrollView: sections of rows, each
// section with an optional header and footer, above and below them an
// optional table header and footer view. Plain style keeps a section's
// header pinned to the top while its rows scroll under it and draws
// hairlines between rows; grouped style lets headers scroll and gives
// sections without a header or footer a small gap. Only the rows on screen
// have cells; a row that scrolls away returns its cell to the pool of its
// reuse identifier, to be prepared for reuse and configured again. Selection
// is kept by index path and survives reuse; edit mode shows each row's edit
// control (a check circle while several rows can be chosen); a row the data
// source lets edit can be swiped left to show its action buttons. Reloads
// and batch updates check the new counts and move the surviving rows and the
// selection along.
//
// Heights: the delegate's answer, else rowHeight / sectionHeaderHeight /
// sectionFooterHeight; automaticDimension for a header or footer measures
// the view the delegate gives (its height for the table's width).
//
// A dequeued cell of the wrong class, a data source that returns no cell, or
// counts that do not add up after an update stop the program (fatalError).
// GUI thread only. Data source and delegate are held weakly and are never
// called from the destructor.
class TableView : public ScrollView, private CellSelection::Owner
{
    Q_OBJECT
public:
    enum class Style { plain, grouped };
    enum class ScrollPosition { none, top, middle, bottom };
    static constexpr double automaticDimension = -1.0;

    explicit TableView(Style style = Style::plain, QWidget *parent = nullptr);
    ~TableView() override;

    Style style() const { return m_style; }

    TableViewDataSource *dataSource() const { return m_dataSource; }
    void setDataSource(TableViewDataSource *dataSource);
    TableViewDelegate *delegate() const { return m_tableDelegate; }
    void setDelegate(TableViewDelegate *delegate);

    double rowHeight = 44.0;
    double sectionHeaderHeight = automaticDimension;
    double sectionFooterHeight = automaticDimension;
    // Accepted for the toolkit's sake; every height is computed exactly.
    double estimatedRowHeight = 0.0;
    double estimatedSectionHeaderHeight = 0.0;
    double estimatedSectionFooterHeight = 0.0;

    // Views above all sections and below them, as tall as their own height
    // and as wide as the table. The table takes them as children; setting the
    // same view again takes its new height.
    QWidget *tableHeaderView() const { return m_tableHeaderView; }
    void setTableHeaderView(QWidget *view);
    QWidget *tableFooterView() const { return m_tableFooterView; }
    void setTableFooterView(QWidget *view);

    void registerCell(const QString &identifier, std::function<TableViewCell *()> factory);
    template<class Cell> void registerCellClass(const QString &identifier)
    {
        registerCell(identifier, [] { return new Cell; });
    }
    // A waiting or new cell for the identifier, none when nobody registered it.
    // Taken outside the table's own requests for rows and headers, the caller
    // keeps it (a screen may build some rows once and return them itself);
    // taken inside them, a cell not handed back goes back to the pool. A cell
    // shown as a row or a header returns to the pool when it leaves the screen.
    TableViewCell *dequeueReusableCell(const QString &identifier);
    template<class Cell> Cell *dequeueReusableCell(const QString &identifier)
    {
        TableViewCell *cell = dequeueReusableCell(identifier);
        auto *typed = dynamic_cast<Cell *>(cell);
        if (!typed)
            fatalError(wrongTypeMessage(className(Cell::staticMetaObject), identifier));
        return typed;
    }
    // The index-path form: an unregistered identifier stops the program.
    TableViewCell *dequeueReusableCell(const QString &identifier, const IndexPath &indexPath);
    template<class Cell> Cell *dequeueReusableCell(const QString &identifier, const IndexPath &indexPath)
    {
        TableViewCell *cell = dequeueReusableCell(identifier, indexPath);
        auto *typed = dynamic_cast<Cell *>(cell);
        if (!typed)
            fatalError(wrongTypeMessage(className(Cell::staticMetaObject), identifier));
        return typed;
    }

    int numberOfSections();
    int numberOfRows(int section);

    void reloadData();
    void reloadSections(const QList<int> &sections);
    void reloadRows(const QList<IndexPath> &indexPaths);
    void insertRows(const QList<IndexPath> &indexPaths);
    void deleteRows(const QList<IndexPath> &indexPaths);
    void insertSections(const QList<int> &sections);
    void deleteSections(const QList<int> &sections);
    void beginUpdates();
    void endUpdates();
    void performBatchUpdates(const std::function<void()> &updates, std::function<void(bool finished)> completion = {});

    TableViewCell *cellForRow(const IndexPath &indexPath) const;
    QList<TableViewCell *> visibleCells() const;
    QList<IndexPath> indexPathsForVisibleRows() const;
    std::optional<IndexPath> indexPathForCell(const TableViewCell *cell) const;
    // The row at a point in content coordinates.
    std::optional<IndexPath> indexPathForRow(const QPointF &contentPoint);
    QRectF rectForRow(const IndexPath &indexPath);
    QRectF rectForSection(int section);
    QRectF rectForHeaderInSection(int section);
    QRectF rectForFooterInSection(int section);
    // The header or footer view on screen for a section (none when off screen).
    QWidget *headerView(int section) const;
    QWidget *footerView(int section) const;

    void scrollToRow(const IndexPath &indexPath, ScrollPosition position, bool animated);

    bool allowsSelection = true;
    bool allowsMultipleSelection = false;
    bool allowsSelectionDuringEditing = false;
    bool allowsMultipleSelectionDuringEditing = false;
    std::optional<IndexPath> indexPathForSelectedRow() const;
    QList<IndexPath> indexPathsForSelectedRows() const;
    // Programmatic selection: the delegate hears nothing.
    void selectRow(const std::optional<IndexPath> &indexPath, bool animated, ScrollPosition position);
    void deselectRow(const IndexPath &indexPath, bool animated);

    // As a tap on the row: selects it (or, choosing several, toggles it)
    // through the delegate. Keyboards and screen readers open rows this way.
    void activateRow(const IndexPath &indexPath);

    bool isEditing() const { return m_editing; }
    void setEditing(bool editing, bool animated = false);

    // The row swiped open, and the widget holding its action buttons.
    std::optional<IndexPath> rowShowingActions() const { return m_actionsRow; }
    QWidget *actionsView() const { return m_actionsView; }
    // Closes a swiped row.
    void hideActions(bool animated = true);

    int liveCellCount() const;

protected:
    void layoutSubviews() override;
    void contentTouchDown(const QPointF &point) override;
    void contentTapped(const QPointF &point) override;
    void contentTouchCancelled() override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    // Arrows, Page Up / Page Down, Home and End move the highlighted row;
    // Return opens it (see ListKeyboard).
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    // The ring on the highlighted row follows the list's focus.
    void showFocusOfHighlight();
    struct SectionGeometry
    {
        double top = 0.0;
        double headerHeight = 0.0;
        std::vector<double> rowTops; // rows + 1 entries
        double footerHeight = 0.0;
        double bottom = 0.0;
    };
    struct Accessory
    {
        QPointer<QWidget> view;
        bool pooled = false;
    };

    static QString className(const QMetaObject &meta);
    void ensureCounts();
    void prepareGeometryIfNeeded();
    double resolveHeaderFooterHeight(int section, bool header);
    void endDisplaying(const IndexPath &indexPath, TableViewCell *cell);
    void endAccessory(std::map<int, Accessory> &shown, int section);
    void endAllAccessories();
    void configureForDisplay(TableViewCell *cell, const IndexPath &indexPath);
    // The table header or footer view held in `slot` becomes `view`.
    void setTableEndView(QPointer<QWidget> &slot, QWidget *view);
    TableViewCell::EditControl editControlFor(const IndexPath &indexPath);
    bool selectionAllowed() const;
    bool multipleSelection() const;
    // CellSelection::Owner.
    void showSelected(const IndexPath &indexPath, bool selected) override;
    void showHighlighted(const IndexPath &indexPath, bool highlighted) override;
    bool canHighlight(const IndexPath &indexPath) override;
    std::optional<IndexPath> willSelect(const IndexPath &indexPath) override;
    std::optional<IndexPath> willDeselect(const IndexPath &indexPath) override;
    void didSelect(const IndexPath &indexPath) override;
    void didDeselect(const IndexPath &indexPath) override;
    void applyBatch(UpdateBatch &batch, std::function<void(bool)> completion);
    QList<TableViewRowAction> actionsFor(const IndexPath &indexPath);
    void showActions(const IndexPath &indexPath, bool animated);
    // `step` runs after each frame (placing the buttons by default).
    void animateSwipe(TableViewCell *cell, double to, std::function<void()> done = {}, std::function<void()> step = {});
    void placeActions();
    void placeActionsView(QWidget *view, const IndexPath &indexPath, const TableViewCell *cell);

    Style m_style;
    TableViewDataSource *m_dataSource = nullptr;
    TableViewDelegate *m_tableDelegate = nullptr;
    ReusableViewPool m_cellPool;
    QPointer<QWidget> m_tableHeaderView;
    QPointer<QWidget> m_tableFooterView;

    bool m_countsValid = false;
    std::vector<int> m_counts;
    bool m_geometryValid = false;
    double m_preparedWidth = -1.0;
    double m_sectionsTop = 0.0;
    std::vector<SectionGeometry> m_sections;

    std::map<IndexPath, QPointer<TableViewCell>> m_visible;
    std::map<int, Accessory> m_headers;
    std::map<int, Accessory> m_footers;
    std::vector<QPointer<TableViewCell>> m_outstanding;
    CellSelection m_selection { this, this };
    bool m_editing = false;
    std::unique_ptr<UpdateBatch> m_batch;
    int m_updateDepth = 0;
    bool m_destroying = false;

    // Swiping a row open.
    QPointF m_pressPosition;
    bool m_swipeCandidate = false;
    bool m_swiping = false;
    double m_swipeStart = 0.0;
    std::optional<IndexPath> m_actionsRow;
    QPointer<QWidget> m_actionsView;
    double m_actionsWidth = 0.0;
    bool m_touchClosesActions = false;
};

} // namespace tarnik
