#include "Platform/UI/CollectionView.h"

#include "Platform/UI/GestureRecognizer.h"
#include "Support/ScrollingSupport.h"
#include "Support/UiTestSupport.h"

#include <QTest>
#include <algorithm>
#include <cmath>

using namespace tarnik;
using namespace tarnik::test;
using Position = CollectionView::ScrollPosition;

namespace {

class CollectionViewTest : public ScreenTest
{
protected:
    void SetUp() override
    {
        ScreenTest::SetUp();
        view = std::make_unique<CollectionView>();
        view->registerCellClass<TextCell>(QStringLiteral("TextCell"));
        view->registerCellClass<OtherCell>(QStringLiteral("OtherCell"));
        view->registerSupplementaryViewClass<FooterView>(kCollectionElementKindSectionFooter, QStringLiteral("Footer"));
        view->resize(330, 480);
        view->show();
    }
    void TearDown() override
    {
        view.reset();
        ScreenTest::TearDown();
    }
    // Three 100 x 100 items a line, 110 points from line to line.
    void attach(int count)
    {
        grid.sections = { numberedItems(count) };
        view->setDataSource(&grid);
        view->setDelegate(&grid);
        view->setPrefetchDataSource(&grid);
        view->layoutIfNeeded();
    }
    QPoint centerOf(const IndexPath &ip)
    {
        const QRectF frame = *view->frameForItem(ip);
        return view->mapFromContent(frame.center()).toPoint();
    }
    void tap(const IndexPath &ip) { QTest::mouseClick(view.get(), Qt::LeftButton, {}, centerOf(ip)); }
    QString textOf(const IndexPath &ip)
    {
        auto *cell = qobject_cast<TextCell *>(view->cellForItem(ip));
        return cell ? cell->label->text() : QStringLiteral("<none>");
    }
    QList<IndexPath> expectedVisible()
    {
        QList<IndexPath> out;
        const QRectF visible = view->bounds();
        for (int s = 0; s < view->numberOfSections(); ++s) {
            for (int i = 0; i < view->numberOfItems(s); ++i) {
                if (view->frameForItem({ i, s })->intersects(visible))
                    out.append(IndexPath { i, s });
            }
        }
        return out;
    }

    RecordingGrid grid;
    std::unique_ptr<CollectionView> view;
};

TEST_F(CollectionViewTest, FlowLayoutPlacesLinesKeepsTheLastInTheirColumnsAndCentresALoneItem)
{
    // The browser's grid: 375 wide, 7-point insets and gaps, three a line.
    view->resize(375, 667);
    grid.itemSize = QSizeF((375 - 28) / 3.0, 180);
    grid.inset = { 7, 7, 7, 7 };
    grid.lineSpacing = 7;
    grid.interitemSpacing = 7;
    grid.footerSize = QSizeF(375, 50);
    attach(5);
    const double w = (375 - 28) / 3.0;
    struct Row
    {
        int item;
        QRectF frame;
    };
    const Row rows[] = {
        { 0, QRectF(7, 7, w, 180) },
        { 1, QRectF(7 + w + 7, 7, w, 180) },
        { 2, QRectF(7 + 2 * (w + 7), 7, w, 180) },
        // A last line of two stays in the first two columns (not spread to both edges).
        { 3, QRectF(7, 194, w, 180) },
        { 4, QRectF(7 + w + 7, 194, w, 180) },
    };
    for (const Row &row : rows) {
        const QRectF f = *view->frameForItem({ row.item, 0 });
        EXPECT_NEAR(f.x(), row.frame.x(), 0.01) << row.item;
        EXPECT_NEAR(f.y(), row.frame.y(), 0.01) << row.item;
        EXPECT_NEAR(f.width(), row.frame.width(), 0.01) << row.item;
    }
    EXPECT_EQ(view->contentSize(), QSizeF(375, 7 + 180 + 7 + 180 + 7 + 50));
    EXPECT_EQ(*view->collectionViewLayout()->frameForSupplementaryView(kCollectionElementKindSectionFooter, 0),
        QRectF(0, 381, 375, 50));

    // A lone last item under full lines stays in the first column.
    attach(4);
    EXPECT_NEAR(view->frameForItem({ 3, 0 })->x(), 7, 0.01);

    // A lone item on its line, with no line of several above it, is centred.
    attach(5);
    grid.itemSize = QSizeF(200, 50);
    view->invalidateLayout();
    EXPECT_EQ(*view->frameForItem({ 1, 0 }), QRectF(87.5, 64, 200, 50));
    EXPECT_FALSE(view->frameForItem({ 5, 0 }).has_value());
}

TEST_F(CollectionViewTest, OnlyVisibleItemsHaveCellsThroughAHundredThousandItems)
{
    attach(100000);
    EXPECT_EQ(view->indexPathsForVisibleItems(), expectedVisible());
    // Five lines meet a 480-point view at offset 0 (0-100, 110-210, ..., 440-540).
    EXPECT_EQ(view->visibleCells().size(), 15);

    int most = 0;
    int checked = 0;
    const double end = view->maximumContentOffset().y();
    for (double y = 0; y <= end; y += 997.0) {
        view->setContentOffset(QPointF(0, y));
        most = std::max(most, view->liveCellCount());
        if (++checked % 500 == 0) {
            EXPECT_EQ(view->indexPathsForVisibleItems(), expectedVisible()) << y;
            // Every cell shows its own item.
            for (const IndexPath &ip : view->indexPathsForVisibleItems())
                ASSERT_EQ(textOf(ip), QStringLiteral("item %1").arg(ip.item));
        }
    }
    view->setContentOffset(QPointF(0, end));
    EXPECT_EQ(textOf({ 99999, 0 }), QStringLiteral("item 99999"));
    // A screenful (at most six lines of three) and nothing more.
    EXPECT_LE(most, 18);
    EXPECT_LE(view->liveCellCount(), 18);
}

TEST_F(CollectionViewTest, AReusedCellIsPreparedAndConfiguredBeforeItShows)
{
    attach(100);
    grid.log.clear();
    // One line (110 points) down: line 0 leaves, line 5 arrives on its cells.
    view->setContentOffset(QPointF(0, 110));
    const QStringList heard = grid.logWithout({ QStringLiteral("prefetch"), QStringLiteral("cancel") });
    const QStringList expected = {
        QStringLiteral("didEnd 0.0"),
        QStringLiteral("didEnd 0.1"),
        QStringLiteral("didEnd 0.2"),
        QStringLiteral("prepareForReuse"),
        QStringLiteral("cell 0.15"),
        QStringLiteral("willDisplay 0.15 item 15"),
        QStringLiteral("prepareForReuse"),
        QStringLiteral("cell 0.16"),
        QStringLiteral("willDisplay 0.16 item 16"),
        QStringLiteral("prepareForReuse"),
        QStringLiteral("cell 0.17"),
        QStringLiteral("willDisplay 0.17 item 17"),
    };
    EXPECT_EQ(heard, expected);
    EXPECT_EQ(view->liveCellCount(), 15);
    EXPECT_EQ(view->cellForItem({ 0, 0 }), nullptr);
}

TEST_F(CollectionViewTest, PrefetchRunsAheadAndIsCancelledForItemsThatScrollAway)
{
    attach(100);
    // At rest at the top, the next screen (lines 5 to 8) is offered.
    EXPECT_EQ(grid.logWith(QStringLiteral("prefetch")),
        QStringList { QStringLiteral("prefetch 0.15,0.16,0.17,0.18,0.19,0.20,0.21,0.22,0.23,0.24,0.25,0.26") });
    grid.log.clear();
    // Down by two lines: lines 5 and 6 show (not cancelled), 9 and 10 are offered.
    view->setContentOffset(QPointF(0, 220));
    EXPECT_EQ(grid.logWith(QStringLiteral("cancel")), QStringList {});
    EXPECT_EQ(grid.logWith(QStringLiteral("prefetch")),
        QStringList { QStringLiteral("prefetch 0.27,0.28,0.29,0.30,0.31,0.32") });
    grid.log.clear();
    // Back to the top: everything offered below the screen scrolled away unseen.
    view->setContentOffset(QPointF(0, 0));
    EXPECT_EQ(grid.logWith(QStringLiteral("cancel")),
        QStringList { QStringLiteral("cancel 0.21,0.22,0.23,0.24,0.25,0.26,0.27,0.28,0.29,0.30,0.31,0.32") });
    EXPECT_TRUE(view->prefetchedIndexPaths().isEmpty());
}

TEST_F(CollectionViewTest, TapsSelectThroughTheDelegateAndSelectionSurvivesReuse)
{
    attach(100);
    grid.log.clear();
    tap({ 4, 0 });
    tap({ 5, 0 });
    EXPECT_EQ(grid.log,
        (QStringList { QStringLiteral("shouldSelect 0.4"), QStringLiteral("didSelect 0.4"),
            QStringLiteral("shouldSelect 0.5"), QStringLiteral("didDeselect 0.4"), QStringLiteral("didSelect 0.5") }));
    EXPECT_EQ(view->indexPathsForSelectedItems(), (QList<IndexPath> { IndexPath { 5, 0 } }));
    EXPECT_TRUE(view->cellForItem({ 5, 0 })->isSelected());
    EXPECT_FALSE(view->cellForItem({ 4, 0 })->isSelected());

    // Scrolled away, its cell serves other items unselected; back, it is selected again.
    view->setContentOffset(QPointF(0, 1100));
    for (CollectionViewCell *cell : view->visibleCells())
        EXPECT_FALSE(cell->isSelected());
    view->setContentOffset(QPointF(0, 0));
    EXPECT_TRUE(view->cellForItem({ 5, 0 })->isSelected());
    EXPECT_EQ(view->visibleCells().size(), 15);

    // A refused item is neither selected nor reported.
    grid.log.clear();
    grid.shouldSelect = [](const IndexPath &ip) { return ip.item != 7; };
    tap({ 7, 0 });
    EXPECT_EQ(grid.log, QStringList { QStringLiteral("shouldSelect 0.7") });
    EXPECT_EQ(view->indexPathsForSelectedItems(), (QList<IndexPath> { IndexPath { 5, 0 } }));

    // Multiple selection: a second tap deselects.
    view->setAllowsMultipleSelection(true);
    grid.log.clear();
    tap({ 1, 0 });
    tap({ 5, 0 });
    EXPECT_EQ(grid.log,
        (QStringList { QStringLiteral("shouldSelect 0.1"), QStringLiteral("didSelect 0.1"),
            QStringLiteral("shouldDeselect 0.5"), QStringLiteral("didDeselect 0.5") }));
    EXPECT_EQ(view->indexPathsForSelectedItems(), (QList<IndexPath> { IndexPath { 1, 0 } }));

    // A press on a widget inside a cell reaches the view too.
    grid.log.clear();
    QLabel *label = qobject_cast<TextCell *>(view->cellForItem({ 2, 0 }))->label;
    QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(grid.log, (QStringList { QStringLiteral("shouldSelect 0.2"), QStringLiteral("didSelect 0.2") }));

    // Programmatic selection is silent.
    grid.log.clear();
    view->selectItem(IndexPath { 9, 0 }, false, Position::none);
    view->deselectItem({ 1, 0 }, false);
    view->deselectItem({ 2, 0 }, false);
    EXPECT_TRUE(grid.log.isEmpty());
    EXPECT_EQ(view->indexPathsForSelectedItems(), (QList<IndexPath> { IndexPath { 9, 0 } }));
}

TEST_F(CollectionViewTest, ADragScrollsWithTheFingerAndSelectsNothing)
{
    attach(100);
    grid.log.clear();
    // Slowly up by 200 points, held still before lifting: no glide.
    drag(view.get(), QPoint(160, 400), QPoint(160, 200), 10, 0.016, 0.2);
    EXPECT_EQ(view->contentOffset().y(), 180); // the first move (20 points) only starts the drag
    EXPECT_EQ(grid.logWithout({ QStringLiteral("cell"), QStringLiteral("willDisplay"), QStringLiteral("didEnd "),
                  QStringLiteral("prepareForReuse"), QStringLiteral("prefetch"), QStringLiteral("cancel") }),
        (QStringList { QStringLiteral("willBeginDragging"), QStringLiteral("didEndDragging false") }));
    EXPECT_TRUE(view->indexPathsForSelectedItems().isEmpty());
    EXPECT_EQ(view->indexPathsForVisibleItems(), expectedVisible());
}

TEST_F(CollectionViewTest, AFlingGlidesOnAndATouchStopsItWithoutSelecting)
{
    attach(1000);
    grid.log.clear();
    drag(view.get(), QPoint(160, 400), QPoint(160, 100), 6, 0.016);
    const double released = view->contentOffset().y();
    EXPECT_TRUE(view->isDecelerating());
    advance(0.3);
    const double gliding = view->contentOffset().y();
    EXPECT_GT(gliding, released + 100);
    // A touch stops the glide where it is; it is not a tap on an item.
    QTest::mousePress(view.get(), Qt::LeftButton, {}, QPoint(50, 50));
    EXPECT_FALSE(view->isDecelerating());
    QTest::mouseRelease(view.get(), Qt::LeftButton, {}, QPoint(50, 50));
    advance(1.0);
    EXPECT_EQ(view->contentOffset().y(), gliding);
    EXPECT_TRUE(grid.logWith(QStringLiteral("shouldSelect")).isEmpty());
    EXPECT_EQ(grid.logWith(QStringLiteral("did")).filter(QStringLiteral("Dragging")),
        QStringList { QStringLiteral("didEndDragging true") });
    EXPECT_TRUE(grid.logWith(QStringLiteral("didEndDecelerating")).isEmpty());

    // An undisturbed fling ends by itself, inside the content.
    grid.log.clear();
    drag(view.get(), QPoint(160, 400), QPoint(160, 100), 6, 0.016);
    settle();
    EXPECT_FALSE(view->isDecelerating());
    EXPECT_EQ(grid.logWith(QStringLiteral("didEndDecelerating")).size(), 1);
    EXPECT_LE(view->contentOffset().y(), view->maximumContentOffset().y());
    EXPECT_EQ(view->indexPathsForVisibleItems(), expectedVisible());
}

TEST_F(CollectionViewTest, PullingPastTheTopSpringsBackOrHoldsAtANewInset)
{
    attach(100);
    grid.logScrolls = true;
    grid.log.clear();
    drag(view.get(), QPoint(160, 100), QPoint(160, 300), 10, 0.016, 0.2);
    // Past the top the content follows the finger at a damped rate.
    const double pulled = view->contentOffset().y();
    EXPECT_LT(pulled, -60);
    EXPECT_GT(pulled, -180);
    EXPECT_EQ(grid.logWith(QStringLiteral("didEndDragging")), QStringList { QStringLiteral("didEndDragging true") });
    settle();
    EXPECT_EQ(view->contentOffset().y(), 0.0);
    // The offsets heard went down monotonically past the top, then back.
    QList<double> ys;
    for (const QString &line : grid.logWith(QStringLiteral("didScroll")))
        ys.append(line.mid(10).toDouble());
    const auto lowest = std::min_element(ys.begin(), ys.end());
    EXPECT_TRUE(std::is_sorted(ys.begin(), lowest, std::greater<double>()));
    EXPECT_TRUE(std::is_sorted(lowest, ys.end()));
    const QStringList events = grid.logWithout(
        { QStringLiteral("didScroll"), QStringLiteral("prefetch"), QStringLiteral("cancel"), QStringLiteral("cell"),
            QStringLiteral("willDisplay"), QStringLiteral("didEnd "), QStringLiteral("prepareForReuse") });
    EXPECT_EQ(events,
        (QStringList { QStringLiteral("willBeginDragging"), QStringLiteral("didEndDragging true"),
            QStringLiteral("willBeginDecelerating"), QStringLiteral("didEndDecelerating") }));

    // A pull-to-refresh style owner widens the top inset once released: the
    // content comes to rest that far down instead.
    grid.log.clear();
    grid.onScroll = [](ScrollView *sv) {
        if (!sv->isDragging() && sv->contentOffset().y() < -60 && sv->contentInset().top == 0)
            sv->setContentInsetTop(50);
    };
    drag(view.get(), QPoint(160, 100), QPoint(160, 300), 10, 0.016, 0.2);
    settle();
    EXPECT_NEAR(view->contentOffset().y(), -50.0, 0.5);
    // Closing the inset while at rest brings the content back to the top.
    grid.onScroll = nullptr;
    view->setContentInsetTop(0);
    EXPECT_EQ(view->contentOffset().y(), 0.0);
}

TEST_F(CollectionViewTest, BatchUpdatesMoveCellsAndSelectionAndCompleteAfterTheMove)
{
    attach(30);
    view->selectItem(IndexPath { 5, 0 }, false, Position::none);
    auto *cellOf5 = view->cellForItem({ 5, 0 });
    grid.log.clear();
    bool done = false;
    view->performBatchUpdates(
        [&] {
            grid.sections[0].removeAt(2);
            grid.sections[0].removeAt(1);
            grid.sections[0].insert(0, QStringLiteral("new"));
            view->deleteItems({ { 1, 0 }, { 2, 0 } });
            view->insertItems({ { 0, 0 } });
        },
        [&](bool finished) { done = finished; });
    // Item 5 is now item 4: the same cell, still selected.
    EXPECT_EQ(view->cellForItem({ 4, 0 }), cellOf5);
    EXPECT_EQ(view->indexPathsForSelectedItems(), (QList<IndexPath> { IndexPath { 4, 0 } }));
    EXPECT_TRUE(cellOf5->isSelected());
    EXPECT_EQ(textOf({ 0, 0 }), QStringLiteral("new"));
    EXPECT_EQ(textOf({ 1, 0 }), QStringLiteral("item 0"));
    EXPECT_EQ(textOf({ 2, 0 }), QStringLiteral("item 3"));
    const QStringList ends = grid.logWith(QStringLiteral("didEnd"));
    EXPECT_EQ(ends.mid(0, 2), (QStringList { QStringLiteral("didEnd 0.1"), QStringLiteral("didEnd 0.2") }));
    EXPECT_FALSE(done);
    advance(0.35);
    EXPECT_TRUE(done);
    EXPECT_EQ(view->indexPathsForVisibleItems(), expectedVisible());
    for (const IndexPath &ip : view->indexPathsForVisibleItems())
        EXPECT_EQ(textOf(ip), grid.sections[0][ip.item]);

    // Sections come and go too.
    grid.sections.append(numberedItems(2, QStringLiteral("b ")));
    view->insertSections({ 1 });
    EXPECT_EQ(view->numberOfSections(), 2);
    EXPECT_EQ(view->numberOfItems(1), 2);
    grid.sections.removeFirst();
    view->deleteSections({ 0 });
    EXPECT_EQ(textOf({ 0, 0 }), QStringLiteral("b 0"));
    EXPECT_TRUE(view->indexPathsForSelectedItems().isEmpty());
}

TEST_F(CollectionViewTest, ReloadsEndEveryCellAndAskForThemAgain)
{
    attach(6);
    view->selectItem(IndexPath { 1, 0 }, false, Position::none);
    grid.log.clear();
    grid.sections[0][0] = QStringLiteral("changed");
    view->reloadData();
    view->layoutIfNeeded();
    const QStringList heard = grid.logWithout({ QStringLiteral("prepareForReuse"), QStringLiteral("willDisplay") });
    EXPECT_EQ(heard.mid(0, 7),
        (QStringList { QStringLiteral("didEnd 0.0"), QStringLiteral("didEnd 0.1"), QStringLiteral("didEnd 0.2"),
            QStringLiteral("didEnd 0.3"), QStringLiteral("didEnd 0.4"), QStringLiteral("didEnd 0.5"),
            QStringLiteral("cell 0.0") }));
    EXPECT_EQ(textOf({ 0, 0 }), QStringLiteral("changed"));
    EXPECT_TRUE(view->indexPathsForSelectedItems().isEmpty());
    EXPECT_EQ(view->liveCellCount(), 6);

    // A section reload takes a new count without further checks.
    grid.sections[0] = numberedItems(2);
    view->reloadSections({ 0 });
    EXPECT_EQ(view->visibleCells().size(), 2);
    EXPECT_EQ(view->numberOfItems(0), 2);
}

TEST_F(CollectionViewTest, ScrollToItemPlacesItAndResizingReflowsTheGrid)
{
    attach(300);
    struct Case
    {
        Position position;
        double y;
    };
    // Item 30 is on line 10: 1100 to 1200.
    for (const Case &c : { Case { Position::top, 1100 }, Case { Position::centeredVertically, 1150 - 240 },
             Case { Position::bottom, 1200 - 480 } }) {
        view->scrollToItem({ 30, 0 }, c.position, false);
        EXPECT_EQ(view->contentOffset().y(), c.y);
        EXPECT_NE(view->cellForItem({ 30, 0 }), nullptr);
    }
    // Near the end the offset stops at the last screenful.
    view->scrollToItem({ 299, 0 }, Position::top, false);
    EXPECT_EQ(view->contentOffset().y(), view->maximumContentOffset().y());

    grid.log.clear();
    view->scrollToItem({ 0, 0 }, Position::top, true);
    advance(0.5);
    EXPECT_EQ(view->contentOffset().y(), 0.0);
    EXPECT_EQ(grid.logWith(QStringLiteral("didEndScrollingAnimation")).size(), 1);

    // Wider: four to a line.
    view->resize(440, 480);
    view->layoutIfNeeded();
    EXPECT_EQ(view->frameForItem({ 4, 0 })->y(), 110.0);
    EXPECT_EQ(view->indexPathsForVisibleItems(), expectedVisible());
}

TEST_F(CollectionViewTest, FooterShowsOnlyWhileVisible)
{
    grid.footerSize = QSizeF(330, 50);
    attach(30);
    EXPECT_EQ(view->supplementaryView(kCollectionElementKindSectionFooter, { 0, 0 }), nullptr);
    EXPECT_TRUE(grid.logWith(QStringLiteral("footer")).isEmpty());
    view->setContentOffset(view->maximumContentOffset());
    auto *footer = qobject_cast<FooterView *>(view->supplementaryView(kCollectionElementKindSectionFooter, { 0, 0 }));
    ASSERT_NE(footer, nullptr);
    EXPECT_EQ(footer->text, QStringLiteral("30 items"));
    EXPECT_EQ(view->contentFrame(footer), QRectF(0, 1090, 330, 50));
}

TEST_F(CollectionViewTest, ABackgroundViewStaysBehindTheItemsAndTakesTapsOnTheEmptyArea)
{
    // The dropdown menu closes on a tap below its rows.
    attach(3);
    auto *background = new QWidget;
    int taps = 0;
    auto *tap = new TapGestureRecognizer([&](GestureRecognizer *) { ++taps; });
    tap->attach(background);
    view->setBackgroundView(background);
    view->alwaysBounceVertical = true;
    view->layoutIfNeeded();
    grid.log.clear();
    // A press on the empty area goes to the background, then on to the view.
    QTest::mouseClick(background, Qt::LeftButton, {}, QPoint(160, 300));
    EXPECT_EQ(taps, 1);
    QTest::mouseClick(view.get(), Qt::LeftButton, {}, centerOf({ 1, 0 }));
    EXPECT_EQ(taps, 1);
    EXPECT_EQ(grid.log, (QStringList { QStringLiteral("shouldSelect 0.1"), QStringLiteral("didSelect 0.1") }));
    view->setContentOffset(QPointF(0, 40));
    EXPECT_EQ(background->geometry(), view->rect());
    EXPECT_EQ(view->contentFrame(view->cellForItem({ 0, 0 })), QRectF(0, 0, 100, 100));
}

TEST_F(CollectionViewTest, TheWrongCellClassStopsTheProgramWithTheConfigurationMessage)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    attach(3);
    EXPECT_DEATH(view->dequeueReusableCell<TextCell>(QStringLiteral("OtherCell"), { 0, 0 }),
        "Expected `TextCell` type for reuseIdentifier OtherCell\\. Check the configuration in "
        "Main\\.storyboard\\.");
    EXPECT_DEATH(view->dequeueReusableCell(QStringLiteral("Nobody"), { 0, 0 }), "Nobody");
}

TEST_F(CollectionViewTest, CountsThatDoNotAddUpStopTheProgram)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    attach(5);
    EXPECT_DEATH(
        {
            grid.sections[0].append(QStringLiteral("unannounced"));
            view->deleteItems({ { 0, 0 } });
        },
        "Invalid update: invalid number of items in section 0");
}

} // namespace
