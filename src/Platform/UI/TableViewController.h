#pragma once

#include "Platform/UI/TableView.h"
#include "Platform/UI/ViewController.h"

namespace tarnik {

// A screen whose root view is a table view that it feeds and listens to
// itself (the toolkit's table view controller). Subclasses override the data
// source and delegate calls they need, declare Q_OBJECT, and call the base
// of the life-cycle hooks they override. When it is about to appear it
// deselects the selected rows (clearsSelectionOnViewWillAppear). Edit mode
// is the table's. GUI thread only.
class TableViewController : public ViewController, public TableViewDataSource, public TableViewDelegate
{
    Q_OBJECT
public:
    explicit TableViewController(TableView::Style style = TableView::Style::plain, QObject *parent = nullptr);

    TableView *tableView();
    bool clearsSelectionOnViewWillAppear = true;

    bool isEditing() const { return m_editing; }
    virtual void setEditing(bool editing, bool animated);

    int numberOfRows(TableView *, int) override { return 0; }
    TableViewCell *cellForRow(TableView *, const IndexPath &) override;

protected:
    void loadView() override;
    void viewWillAppear(bool animated) override;

private:
    TableView::Style m_style;
    bool m_editing = false;
};

} // namespace tarnik
