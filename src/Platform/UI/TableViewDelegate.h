#pragma once

#include "Platform/IndexPath.h"
#include "Platform/UI/ScrollView.h"
#include "Platform/UI/TableViewRowAction.h"

#include <QList>
#include <QString>
#include <optional>

class QWidget;

namespace tarnik {

class TableView;
class TableViewCell;

// What a row can be edited into; delete_ and insert show their controls in
// edit mode, and a swipe offers delete_.
enum class TableViewCellEditingStyle { none, delete_, insert };

// Feeds a table view: counts, a configured cell per row (dequeued from the
// table), and the edits the user commits. Counts are asked again after every
// reload and update and must agree with the changes made.
class TableViewDataSource
{
public:
    virtual ~TableViewDataSource();

    virtual int numberOfSections(TableView *) { return 1; }
    virtual int numberOfRows(TableView *, int section) = 0;
    virtual TableViewCell *cellForRow(TableView *, const IndexPath &indexPath) = 0;
    // Whether a row may be swiped open or edited (no by default).
    virtual bool canEditRow(TableView *, const IndexPath &) { return false; }
    virtual void commitEditingStyle(TableView *, TableViewCellEditingStyle, const IndexPath &) { }
};

// What a table view tells its owner besides scrolling, and the sizes and
// views it asks for. An empty answer takes the table's own value.
class TableViewDelegate : public ScrollViewDelegate
{
public:
    virtual std::optional<double> heightForRow(TableView *, const IndexPath &) { return std::nullopt; }
    virtual std::optional<double> heightForHeader(TableView *, int /*section*/) { return std::nullopt; }
    virtual std::optional<double> heightForFooter(TableView *, int /*section*/) { return std::nullopt; }
    // A header or footer view for a section; the table shows it while the
    // section's header or footer area is on screen.
    virtual QWidget *viewForHeader(TableView *, int /*section*/) { return nullptr; }
    virtual QWidget *viewForFooter(TableView *, int /*section*/) { return nullptr; }

    virtual void willDisplayCell(TableView *, TableViewCell *, const IndexPath &) { }
    virtual void didEndDisplayingCell(TableView *, TableViewCell *, const IndexPath &) { }

    virtual bool shouldHighlightRow(TableView *, const IndexPath &) { return true; }
    // May answer another row to select instead, or none to select nothing.
    virtual std::optional<IndexPath> willSelectRow(TableView *, const IndexPath &indexPath) { return indexPath; }
    virtual void didSelectRow(TableView *, const IndexPath &) { }
    virtual std::optional<IndexPath> willDeselectRow(TableView *, const IndexPath &indexPath) { return indexPath; }
    virtual void didDeselectRow(TableView *, const IndexPath &) { }

    virtual TableViewCellEditingStyle editingStyleForRow(TableView *, const IndexPath &)
    {
        return TableViewCellEditingStyle::delete_;
    }
    // The buttons of a swiped row; none gives one "Delete" that commits the
    // delete editing style.
    virtual QList<TableViewRowAction> editActionsForRow(TableView *, const IndexPath &) { return {}; }
};

} // namespace tarnik
