#include "Platform/UI/TableView.h"

#include "Platform/UI/TableViewController.h"
#include "Support/ScrollingSupport.h"
#include "Support/UiTestSupport.h"

#include <QPushButton>
#include <QTest>

using namespace tarnik;
using namespace tarnik::test;
using Position = TableView::ScrollPosition;

namespace {

class RowCell : public TableViewCell
{
    Q_OBJECT
public:
    RowCell()
        : TableViewCell(CellStyle::value1)
    {
    }
};

class HeaderCell : public TableViewCell
{
    Q_OBJECT
public:
    using TableViewCell::TableViewCell;
    QSize sizeHint() const override { return QSize(100, measuredHeight); }
    int measuredHeight = 30;
};

// Sections of row texts; heights and headers chosen per test.
class RecordingTable : public TableViewDataSource, public TableViewDelegate
{
public:
    QList<QStringList> sections;
    QStringList log;
    std::function<std::optional<double>(const IndexPath &)> rowHeight;
    std::function<std::optional<double>(int)> headerHeight;
    std::function<std::optional<double>(int)> footerHeight;
    bool headers = false;
    bool footers = false;
    bool editable = false;
    QList<TableViewRowAction> actions;
    std::function<std::optional<IndexPath>(const IndexPath &)> willSelect;

    int numberOfSections(TableView *) override { return int(sections.size()); }
    int numberOfRows(TableView *, int s) override { return int(sections.value(s).size()); }
    std::function<TableViewCell *(TableView *, const IndexPath &)> cellHook;

    TableViewCell *cellForRow(TableView *table, const IndexPath &ip) override
    {
        if (cellHook) {
            if (TableViewCell *cell = cellHook(table, ip))
                return cell;
        }
        auto *cell = table->dequeueReusableCell<RowCell>(QStringLiteral("Row"), ip);
        cell->textLabel()->setText(sections[ip.section][ip.row()]);
        log.append(QStringLiteral("cell ") + pathText(ip));
        return cell;
    }
    bool canEditRow(TableView *, const IndexPath &) override { return editable; }
    void commitEditingStyle(TableView *table, TableViewCellEditingStyle style, const IndexPath &ip) override
    {
        log.append(QStringLiteral("commit %1 ").arg(int(style)) + pathText(ip));
        if (style == TableViewCellEditingStyle::delete_) {
            sections[ip.section].removeAt(ip.row());
            table->deleteRows({ ip });
        }
    }
    QList<TableViewRowAction> editActionsForRow(TableView *, const IndexPath &) override { return actions; }
    std::optional<double> heightForRow(TableView *, const IndexPath &ip) override
    {
        return rowHeight ? rowHeight(ip) : std::nullopt;
    }
    std::optional<double> heightForHeader(TableView *, int s) override
    {
        return headerHeight ? headerHeight(s) : std::nullopt;
    }
    std::optional<double> heightForFooter(TableView *, int s) override
    {
        return footerHeight ? footerHeight(s) : std::nullopt;
    }
    QWidget *viewForHeader(TableView *table, int s) override
    {
        if (!headers)
            return nullptr;
        auto *cell = table->dequeueReusableCell<HeaderCell>(QStringLiteral("HeaderView"));
        cell->textLabel()->setText(QStringLiteral("HEADER %1").arg(s));
        log.append(QStringLiteral("header %1").arg(s));
        return cell;
    }
    QWidget *viewForFooter(TableView *table, int s) override
    {
        if (!footers)
            return nullptr;
        auto *cell = table->dequeueReusableCell<HeaderCell>(QStringLiteral("HeaderView"));
        cell->measuredHeight = 20 + 10 * s;
        cell->textLabel()->setText(QStringLiteral("footer %1").arg(s));
        return cell;
    }
    void willDisplayCell(TableView *, TableViewCell *cell, const IndexPath &ip) override
    {
        log.append(QStringLiteral("willDisplay ") + pathText(ip) + QLatin1Char(' ') + cell->textLabel()->text());
    }
    void didEndDisplayingCell(TableView *, TableViewCell *, const IndexPath &ip) override
    {
        log.append(QStringLiteral("didEnd ") + pathText(ip));
    }
    std::optional<IndexPath> willSelectRow(TableView *, const IndexPath &ip) override
    {
        log.append(QStringLiteral("willSelect ") + pathText(ip));
        return willSelect ? willSelect(ip) : ip;
    }
    void didSelectRow(TableView *, const IndexPath &ip) override
    {
        log.append(QStringLiteral("didSelect ") + pathText(ip));
    }
    std::optional<IndexPath> willDeselectRow(TableView *, const IndexPath &ip) override
    {
        log.append(QStringLiteral("willDeselect ") + pathText(ip));
        return ip;
    }
    void didDeselectRow(TableView *, const IndexPath &ip) override
    {
        log.append(QStringLiteral("didDeselect ") + pathText(ip));
    }
    QStringList logWith(const QString &prefix) const
    {
        QStringList out;
        for (const QString &line : log) {
            if (line.startsWith(prefix))
                out.append(line);
        }
        return out;
    }
};

class TableViewTest : public ScreenTest
{
protected:
    void make(TableView::Style style = TableView::Style::plain)
    {
        table = std::make_unique<TableView>(style);
        table->registerCellClass<RowCell>(QStringLiteral("Row"));
        table->registerCellClass<HeaderCell>(QStringLiteral("HeaderView"));
        table->resize(320, 440);
        table->show();
    }
    void attach()
    {
        table->setDataSource(&model);
        table->setDelegate(&model);
        table->layoutIfNeeded();
    }
    void TearDown() override
    {
        table.reset();
        ScreenTest::TearDown();
    }
    QPoint centerOf(const IndexPath &ip) { return table->mapFromContent(table->rectForRow(ip).center()).toPoint(); }
    void tap(const IndexPath &ip) { QTest::mouseClick(table.get(), Qt::LeftButton, {}, centerOf(ip)); }
    QString textOf(const IndexPath &ip)
    {
        TableViewCell *cell = table->cellForRow(ip);
        return cell ? cell->textLabel()->text() : QStringLiteral("<none>");
    }
    QPushButton *actionButton(const QString &title)
    {
        if (!table->actionsView())
            return nullptr;
        for (QPushButton *b : table->actionsView()->findChildren<QPushButton *>()) {
            if (b->text() == title)
                return b;
        }
        return nullptr;
    }

    RecordingTable model;
    std::unique_ptr<TableView> table;
};

TEST_F(TableViewTest, SectionsStackHeadersRowsAndFootersAtTheirHeights)
{
    // The import editor's shape: an artwork square, two tools, two sources, the fields.
    make(TableView::Style::grouped);
    model.sections = { { QStringLiteral("art") }, numberedItems(2), numberedItems(2), numberedItems(5) };
    model.headers = true;
    model.headerHeight = [](int s) { return std::optional<double>(s == 0 ? 0.1 : 30.0); };
    model.footerHeight = [](int s) { return std::optional<double>(s == 3 ? 40.0 : 10.0); };
    model.rowHeight = [](const IndexPath &ip) { return std::optional<double>(ip.section == 0 ? 320.0 : 44.0); };
    attach();
    struct Case
    {
        IndexPath row;
        QRectF frame;
    };
    const Case cases[] = {
        { { 0, 0 }, QRectF(0, 0.1, 320, 320) },
        { { 0, 1 }, QRectF(0, 0.1 + 320 + 10 + 30, 320, 44) },
        { { 1, 2 }, QRectF(0, 0.1 + 320 + 10 + 30 + 88 + 10 + 30 + 44, 320, 44) },
        { { 4, 3 }, QRectF(0, 0.1 + 320 + 10 + 3 * 30 + 4 * 44 + 20 + 4 * 44, 320, 44) },
    };
    for (const Case &c : cases) {
        const QRectF r = table->rectForRow(c.row);
        EXPECT_NEAR(r.top(), c.frame.top(), 1e-9) << pathText(c.row).toStdString();
        EXPECT_EQ(r.height(), c.frame.height());
    }
    EXPECT_NEAR(table->contentSize().height(), 0.1 + 320 + 10 + 3 * 30 + 9 * 44 + 20 + 40, 1e-9);
    EXPECT_NEAR(table->rectForFooterInSection(3).top(), table->rectForRow({ 4, 3 }).bottom(), 1e-9);
    // Headers on screen come from the cell pool; off screen they go back to it.
    ASSERT_NE(table->headerView(1), nullptr);
    EXPECT_EQ(static_cast<TableViewCell *>(table->headerView(1))->textLabel()->text(), QStringLiteral("HEADER 1"));
    EXPECT_EQ(table->headerView(3), nullptr);
    table->setContentOffset(table->maximumContentOffset());
    EXPECT_NE(table->headerView(3), nullptr);
    EXPECT_EQ(table->headerView(0), nullptr);
    for (int i = 0; i < 5; ++i) {
        table->setContentOffset(QPointF(0, 0));
        table->setContentOffset(table->maximumContentOffset());
    }
    EXPECT_LE(table->liveCellCount(), 16);
}

TEST_F(TableViewTest, AutomaticFootersAreMeasuredAndGroupedGapsStand)
{
    // The settings screen's footers: automatic heights from the footer views.
    make(TableView::Style::grouped);
    model.sections = { numberedItems(1), numberedItems(1), numberedItems(1) };
    model.footers = true;
    table->sectionFooterHeight = TableView::automaticDimension;
    table->estimatedSectionFooterHeight = 44;
    table->rowHeight = 50;
    attach();
    // No header view: the grouped gap; footers 20, 30 and 40 points.
    EXPECT_EQ(table->rectForRow({ 0, 0 }).top(), 18.0);
    EXPECT_EQ(table->rectForFooterInSection(0).height(), 20.0);
    EXPECT_EQ(table->rectForFooterInSection(1).height(), 30.0);
    EXPECT_EQ(table->rectForFooterInSection(2).height(), 40.0);
    EXPECT_EQ(table->rectForRow({ 0, 1 }).top(), 18.0 + 50 + 20 + 18);
    ASSERT_NE(table->footerView(0), nullptr);
    EXPECT_EQ(static_cast<TableViewCell *>(table->footerView(0))->textLabel()->text(), QStringLiteral("footer 0"));

    // Table header and footer views take their own heights around the sections.
    auto *top = new QWidget;
    top->resize(10, 100);
    table->setTableHeaderView(top);
    auto *bottom = new QWidget;
    bottom->resize(10, 60);
    table->setTableFooterView(bottom);
    table->layoutIfNeeded();
    EXPECT_EQ(table->rectForRow({ 0, 0 }).top(), 118.0);
    EXPECT_EQ(table->contentFrame(top), QRectF(0, 0, 320, 100));
    EXPECT_EQ(table->contentSize().height(), 100 + 3 * (18 + 50) + 20 + 30 + 40 + 60.0);
    // Setting the same footer again takes its new height.
    bottom->resize(10, 80);
    table->setTableFooterView(bottom);
    table->layoutIfNeeded();
    EXPECT_EQ(table->contentSize().height(), 100 + 3 * (18 + 50) + 20 + 30 + 40 + 80.0);
}

TEST_F(TableViewTest, RowsAScreenBuiltOnceAreShownAndSpareCellsGoBackToThePool)
{
    make();
    table->registerCellClass<RowCell>(QStringLiteral("Kept"));
    model.sections = { numberedItems(40) };
    // Built once before the table asks, as the import editor builds its field rows.
    QList<TableViewCell *> kept;
    for (int i = 0; i < 3; ++i) {
        auto *cell = table->dequeueReusableCell<RowCell>(QStringLiteral("Kept"));
        cell->textLabel()->setText(QStringLiteral("kept %1").arg(i));
        kept.append(cell);
    }
    model.cellHook = [&](TableView *t, const IndexPath &ip) -> TableViewCell * {
        // Every request also takes a spare it does not use.
        t->dequeueReusableCell(QStringLiteral("Row"));
        return ip.row() < 3 ? kept[ip.row()] : nullptr;
    };
    attach();
    EXPECT_EQ(table->cellForRow({ 0, 0 }), kept[0]);
    table->setContentOffset(table->maximumContentOffset());
    table->setContentOffset(QPointF(0, 0));
    // At most a spare per row on screen, and no more for further scrolling.
    const int live = table->liveCellCount();
    EXPECT_LE(live, 3 + 2 * 11);
    for (int i = 0; i < 5; ++i) {
        table->setContentOffset(table->maximumContentOffset());
        table->setContentOffset(QPointF(0, 0));
    }
    EXPECT_EQ(table->cellForRow({ 1, 0 }), kept[1]);
    EXPECT_EQ(textOf({ 1, 0 }), QStringLiteral("kept 1"));
    EXPECT_EQ(textOf({ 3, 0 }), QStringLiteral("item 3"));
    EXPECT_EQ(table->liveCellCount(), live);
}

TEST_F(TableViewTest, PlainHeadersPinToTheTopUntilTheirSectionScrollsAway)
{
    make();
    model.sections = { numberedItems(20), numberedItems(20) };
    model.headers = true;
    table->sectionHeaderHeight = 30;
    attach();
    // Section 0: header 0-30, rows 30-910; section 1 header at 910.
    table->setContentOffset(QPointF(0, 300));
    EXPECT_EQ(table->contentFrame(table->headerView(0)).top(), 300.0);
    table->setContentOffset(QPointF(0, 900));
    EXPECT_EQ(table->contentFrame(table->headerView(0)).top(), 880.0); // pushed up by the next header
    EXPECT_EQ(table->contentFrame(table->headerView(1)).top(), 910.0);
    table->setContentOffset(QPointF(0, 1000));
    EXPECT_EQ(table->headerView(0), nullptr);
    EXPECT_EQ(table->contentFrame(table->headerView(1)).top(), 1000.0);
}

TEST_F(TableViewTest, OnlyVisibleRowsHaveCellsAndReusedOnesShowTheirOwnRow)
{
    make();
    model.sections = { numberedItems(100000) };
    attach();
    EXPECT_EQ(table->visibleCells().size(), 10); // 440 / 44
    int most = 0;
    for (double y = 0; y < 4400000; y += 4321.0) {
        table->setContentOffset(QPointF(0, y));
        most = std::max(most, table->liveCellCount());
        for (const IndexPath &ip : table->indexPathsForVisibleRows())
            ASSERT_EQ(textOf(ip), QStringLiteral("item %1").arg(ip.row()));
    }
    EXPECT_LE(most, 11);
    // One row down: row 0 ends, row 10 arrives on its cell, configured before it shows.
    table->setContentOffset(QPointF(0, 0));
    model.log.clear();
    table->setContentOffset(QPointF(0, 44));
    EXPECT_EQ(model.log,
        (QStringList {
            QStringLiteral("didEnd 0.0"), QStringLiteral("cell 0.10"), QStringLiteral("willDisplay 0.10 item 10") }));
    table->scrollToRow({ 500, 0 }, Position::middle, false);
    EXPECT_EQ(table->contentOffset().y(), 500 * 44 + 22 - 220);
    table->scrollToRow({ 520, 0 }, Position::none, false);
    EXPECT_EQ(table->contentOffset().y(), 521 * 44 - 440);
}

TEST_F(TableViewTest, TapsSelectThroughTheDelegateAndSelectionSurvivesReuse)
{
    make();
    model.sections = { numberedItems(50) };
    attach();
    model.log.clear();
    tap({ 2, 0 });
    tap({ 3, 0 });
    EXPECT_EQ(model.log,
        (QStringList { QStringLiteral("willSelect 0.2"), QStringLiteral("didSelect 0.2"),
            QStringLiteral("willSelect 0.3"), QStringLiteral("didDeselect 0.2"), QStringLiteral("didSelect 0.3") }));
    EXPECT_EQ(table->indexPathForSelectedRow(), (IndexPath { 3, 0 }));
    table->setContentOffset(QPointF(0, 1000));
    for (TableViewCell *cell : table->visibleCells())
        EXPECT_FALSE(cell->isSelected());
    table->setContentOffset(QPointF(0, 0));
    EXPECT_TRUE(table->cellForRow({ 3, 0 })->isSelected());

    // A delegate that answers none selects nothing.
    model.log.clear();
    model.willSelect = [](const IndexPath &) { return std::nullopt; };
    tap({ 5, 0 });
    EXPECT_EQ(model.log, QStringList { QStringLiteral("willSelect 0.5") });
    EXPECT_EQ(table->indexPathsForSelectedRows(), (QList<IndexPath> { IndexPath { 3, 0 } }));

    // Not selectable: a tap does nothing.
    model.log.clear();
    table->allowsSelection = false;
    tap({ 6, 0 });
    EXPECT_TRUE(model.log.isEmpty());
}

TEST_F(TableViewTest, EditModeChoosesSeveralRowsWithCheckCircles)
{
    // The ringtone list: several rows can be chosen while editing.
    make();
    model.sections = { numberedItems(6) };
    model.editable = true;
    table->allowsMultipleSelectionDuringEditing = true;
    attach();
    tap({ 1, 0 });
    EXPECT_EQ(table->indexPathsForSelectedRows(), (QList<IndexPath> { IndexPath { 1, 0 } }));
    table->setEditing(true, true);
    EXPECT_TRUE(table->indexPathsForSelectedRows().isEmpty());
    EXPECT_TRUE(table->cellForRow({ 0, 0 })->isEditing());
    EXPECT_EQ(table->cellForRow({ 0, 0 })->editControl(), TableViewCell::EditControl::check);
    EXPECT_EQ(table->cellForRow({ 0, 0 })->contentView()->x(), int(TableViewCell::kEditControlWidth));
    model.log.clear();
    tap({ 0, 0 });
    tap({ 4, 0 });
    tap({ 0, 0 });
    EXPECT_EQ(model.log,
        (QStringList { QStringLiteral("willSelect 0.0"), QStringLiteral("didSelect 0.0"),
            QStringLiteral("willSelect 0.4"), QStringLiteral("didSelect 0.4"), QStringLiteral("willDeselect 0.0"),
            QStringLiteral("didDeselect 0.0") }));
    EXPECT_EQ(table->indexPathsForSelectedRows(), (QList<IndexPath> { IndexPath { 4, 0 } }));
    EXPECT_TRUE(table->cellForRow({ 4, 0 })->isSelected());
    table->setEditing(false, true);
    EXPECT_TRUE(table->indexPathsForSelectedRows().isEmpty());
    EXPECT_FALSE(table->cellForRow({ 4, 0 })->isEditing());
    EXPECT_EQ(table->cellForRow({ 0, 0 })->contentView()->x(), 0);

    // Without selection during editing, taps in edit mode choose nothing.
    table->allowsMultipleSelectionDuringEditing = false;
    table->setEditing(true);
    model.log.clear();
    tap({ 2, 0 });
    EXPECT_TRUE(model.log.isEmpty());
    EXPECT_EQ(table->cellForRow({ 2, 0 })->editControl(), TableViewCell::EditControl::delete_);
}

TEST_F(TableViewTest, SwipingARowOpensItsActionsAndDeleteCommitsThroughTheDataSource)
{
    make();
    model.sections = { numberedItems(8) };
    model.editable = true;
    attach();
    // A short swipe springs back.
    drag(table.get(), centerOf({ 2, 0 }), centerOf({ 2, 0 }) - QPoint(30, 0), 5, 0.016);
    AnimationDriver::shared().runUntilIdle(1.0);
    EXPECT_FALSE(table->rowShowingActions().has_value());
    EXPECT_EQ(table->cellForRow({ 2, 0 })->swipeOffset(), 0.0);
    // A long one stays open over its "Delete" button.
    drag(table.get(), centerOf({ 2, 0 }) + QPoint(100, 0), centerOf({ 2, 0 }) - QPoint(60, 0), 8, 0.016);
    AnimationDriver::shared().runUntilIdle(1.0);
    ASSERT_EQ(table->rowShowingActions(), (IndexPath { 2, 0 }));
    QPushButton *remove = actionButton(QStringLiteral("Delete"));
    ASSERT_NE(remove, nullptr);
    EXPECT_EQ(table->cellForRow({ 2, 0 })->swipeOffset(), -table->actionsView()->width());
    EXPECT_EQ(table->contentOffset().y(), 0.0); // a sideways drag does not scroll
    EXPECT_TRUE(model.logWith(QStringLiteral("willSelect")).isEmpty());

    // The button shows in the room the row's sliding edge uncovered, above the row, so a click
    // there, hit-tested by the window as a real one is, presses it instead of closing the row.
    const QRectF row = table->rectForRow({ 2, 0 });
    const QPoint spot = table->mapFromContent(QPointF(row.right() - remove->width() / 2.0, row.center().y())).toPoint();
    EXPECT_EQ(table->childAt(spot), remove);
    EXPECT_TRUE(remove->isVisible());

    model.log.clear();
    QTest::mouseClick(table->windowHandle(), Qt::LeftButton, {}, spot);
    EXPECT_EQ(model.logWith(QStringLiteral("commit")), QStringList { QStringLiteral("commit 1 0.2") });
    EXPECT_EQ(model.logWith(QStringLiteral("didEnd")).value(0), QStringLiteral("didEnd 0.2"));
    EXPECT_FALSE(table->rowShowingActions().has_value());
    settle();
    EXPECT_EQ(table->numberOfRows(0), 7);
    for (const IndexPath &ip : table->indexPathsForVisibleRows())
        EXPECT_EQ(textOf(ip), model.sections[0][ip.row()]);
    EXPECT_EQ(textOf({ 2, 0 }), QStringLiteral("item 3"));
    EXPECT_EQ(table->rectForRow({ 2, 0 }).top(), 88.0);
}

TEST_F(TableViewTest, OwnActionsRunTheirHandlerAndATapElsewhereClosesThem)
{
    make();
    model.sections = { numberedItems(8) };
    model.editable = true;
    QList<IndexPath> handled;
    TableViewRowAction rename;
    rename.title = QStringLiteral("Rename");
    rename.backgroundColor = QColor(0x12, 0x34, 0x56);
    rename.handler = [&](const TableViewRowAction &, const IndexPath &ip) { handled.append(ip); };
    model.actions = { rename };
    attach();
    drag(table.get(), centerOf({ 1, 0 }) + QPoint(100, 0), centerOf({ 1, 0 }) - QPoint(60, 0), 8, 0.016);
    settle();
    QPushButton *button = actionButton(QStringLiteral("Rename"));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->palette().color(QPalette::Button), QColor(0x12, 0x34, 0x56));
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(handled, (QList<IndexPath> { IndexPath { 1, 0 } }));
    settle();
    EXPECT_FALSE(table->rowShowingActions().has_value());

    // Open again, then a tap on another row only closes the actions.
    drag(table.get(), centerOf({ 1, 0 }) + QPoint(100, 0), centerOf({ 1, 0 }) - QPoint(60, 0), 8, 0.016);
    settle();
    ASSERT_TRUE(table->rowShowingActions().has_value());
    model.log.clear();
    tap({ 5, 0 });
    settle();
    EXPECT_FALSE(table->rowShowingActions().has_value());
    EXPECT_TRUE(model.logWith(QStringLiteral("willSelect")).isEmpty());

    // A row the data source keeps from editing does not open.
    model.editable = false;
    drag(table.get(), centerOf({ 1, 0 }) + QPoint(100, 0), centerOf({ 1, 0 }) - QPoint(60, 0), 8, 0.016);
    settle();
    EXPECT_FALSE(table->rowShowingActions().has_value());
}

TEST_F(TableViewTest, UpdatesMoveRowsAndTheirSelectionAndBadCountsStop)
{
    make();
    model.sections = { numberedItems(10) };
    attach();
    table->selectRow(IndexPath { 4, 0 }, false, Position::none);
    bool done = false;
    table->performBatchUpdates(
        [&] {
            model.sections[0].insert(0, QStringLiteral("first"));
            model.sections[0].insert(0, QStringLiteral("zeroth"));
            table->insertRows({ { 0, 0 }, { 1, 0 } });
        },
        [&](bool finished) { done = finished; });
    EXPECT_EQ(table->indexPathsForSelectedRows(), (QList<IndexPath> { IndexPath { 6, 0 } }));
    EXPECT_TRUE(table->cellForRow({ 6, 0 })->isSelected());
    EXPECT_EQ(textOf({ 0, 0 }), QStringLiteral("zeroth"));
    EXPECT_EQ(textOf({ 2, 0 }), QStringLiteral("item 0"));
    EXPECT_FALSE(done);
    settle();
    EXPECT_TRUE(done);

    model.sections[0][3] = QStringLiteral("changed");
    table->reloadRows({ { 3, 0 } });
    EXPECT_EQ(textOf({ 3, 0 }), QStringLiteral("changed"));

    table->beginUpdates();
    model.sections.append(numberedItems(3, QStringLiteral("b ")));
    table->insertSections({ 1 });
    table->endUpdates();
    EXPECT_EQ(table->numberOfSections(), 2);

    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            model.sections[0].removeLast();
            table->insertRows({ { 0, 0 } });
        },
        "Invalid update: invalid number of rows in section 0");
    EXPECT_DEATH(table->dequeueReusableCell<RowCell>(QStringLiteral("HeaderView"), { 0, 0 }),
        "Expected `RowCell` type for reuseIdentifier HeaderView\\. Check the configuration in "
        "Main\\.storyboard\\.");
    EXPECT_EQ(table->dequeueReusableCell(QStringLiteral("Nobody")), nullptr);
}

class ListScreen : public TableViewController
{
    Q_OBJECT
public:
    ListScreen()
        : TableViewController(TableView::Style::grouped)
    {
    }
    int numberOfRows(TableView *, int) override { return 3; }
    TableViewCell *cellForRow(TableView *table, const IndexPath &ip) override
    {
        auto *cell = table->dequeueReusableCell<RowCell>(QStringLiteral("Row"), ip);
        cell->textLabel()->setText(QString::number(ip.row()));
        return cell;
    }

protected:
    void viewDidLoad() override { tableView()->registerCellClass<RowCell>(QStringLiteral("Row")); }
};

TEST_F(TableViewTest, ATableScreenOwnsItsTableAndClearsTheSelectionWhenItAppears)
{
    Window *shown = makeWindow();
    auto *screen = new ListScreen;
    shown->setRootViewController(screen);
    settle();
    TableView *tableView = screen->tableView();
    ASSERT_NE(tableView, nullptr);
    EXPECT_EQ(screen->view(), tableView);
    EXPECT_EQ(tableView->style(), TableView::Style::grouped);
    tableView->layoutIfNeeded();
    EXPECT_EQ(tableView->visibleCells().size(), 3);
    tableView->selectRow(IndexPath { 1, 0 }, false, Position::none);
    screen->beginAppearanceTransition(false, false);
    screen->endAppearanceTransition();
    screen->beginAppearanceTransition(true, false);
    screen->endAppearanceTransition();
    EXPECT_TRUE(tableView->indexPathsForSelectedRows().isEmpty());
    screen->setEditing(true, false);
    EXPECT_TRUE(tableView->isEditing());
}

} // namespace

#include "TableViewTest.moc"
