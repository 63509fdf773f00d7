#include "Platform/UI/TableViewController.h"

#include "Platform/UI/FatalError.h"

namespace tarnik {

TableViewController::TableViewController(TableView::Style style, QObject *parent)
    : ViewController(parent)
    , m_style(style)
{
}

TableView *TableViewController::tableView()
{
    return qobject_cast<TableView *>(view());
}

void TableViewController::loadView()
{
    auto *table = new TableView(m_style);
    setView(table);
    table->setDelegate(this);
    table->setDataSource(this);
}

void TableViewController::viewWillAppear(bool animated)
{
    ViewController::viewWillAppear(animated);
    TableView *table = tableView();
    if (clearsSelectionOnViewWillAppear && table) {
        for (const IndexPath &ip : table->indexPathsForSelectedRows())
            table->deselectRow(ip, animated);
    }
}

void TableViewController::setEditing(bool editing, bool animated)
{
    m_editing = editing;
    if (TableView *table = tableView())
        table->setEditing(editing, animated);
}

TableViewCell *TableViewController::cellForRow(TableView *, const IndexPath &)
{
    fatalError(QStringLiteral("TableViewController: the screen has rows but gives no cells for them."));
}

} // namespace tarnik
