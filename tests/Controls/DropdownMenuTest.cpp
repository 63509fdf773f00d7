#include "Controls/DropdownMenu/DropdownMenu.h"
#include "Controls/DropdownMenu/DropdownMenuCell.h"
#include "App/Constants.h"
#include "ControlsTestSupport.h"
#include "Entries/EntryImages.h"
#include "Platform/UI/NavigationBar.h"
#include "Platform/UI/NavigationController.h"
#include "Platform/UI/View.h"

#include <QAccessible>
#include <QCoreApplication>
#include <QPushButton>
#include <QTest>

using namespace tarnik;

namespace {

class DropdownMenuTest : public test::ControlsTest
{
protected:
    void SetUp() override
    {
        test::ControlsTest::SetUp();
        makeWindow();
        presenter = new test::RecordingViewController;
        window->setRootViewController(presenter);
        presenter->view()->setGeometry(window->rect());
    }
    DropdownMenuItems makeItems(int n, QStringList *log)
    {
        DropdownMenuItems items;
        for (int i = 0; i < n; ++i) {
            const QString name = QStringLiteral("Kind %1").arg(i);
            items.append(std::make_shared<DropdownMenuItem>(name, std::nullopt, [log, name] {
                if (log)
                    log->append(name);
            }));
        }
        return items;
    }
    DropdownMenu *open(int n, QStringList *log, bool *presented = nullptr)
    {
        return DropdownMenu::present(presenter, makeItems(n, log), DropdownMenuCellAlignment::center(true),
            DropdownMenuStyle::translucentSmoke, EntryImages::named(QStringLiteral("arrowDown"), 20), [presented] {
                if (presented)
                    *presented = true;
            });
    }
    static void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    test::RecordingViewController *presenter = nullptr;
};

TEST_F(DropdownMenuTest, PresentsWithRowsThatSpringInAndCompletesAfterTheLastRow)
{
    bool presented = false;
    QPointer<DropdownMenu> menu = open(6, nullptr, &presented);
    ASSERT_TRUE(menu);
    ASSERT_TRUE(menu->navigationController());
    EXPECT_EQ(presenter->presentedViewController(), menu->navigationController());
    tick(0.01);
    auto *first = menu->collectionView()->cellForItem(IndexPath { 0, 0 });
    auto *last = menu->collectionView()->cellForItem(IndexPath { 5, 0 });
    ASSERT_TRUE(first && last);
    // Centred rows drop from above: 200 points for the first, 200 - 500/6 for the last.
    EXPECT_NEAR(View::transform(first).dy(), -200.0, 1.0);
    EXPECT_NEAR(View::transform(last).dy(), -(200.0 - 100.0 * 5 / 6), 1.0);
    EXPECT_DOUBLE_EQ(View::alpha(last), 0.0);
    tick(0.9);
    EXPECT_FALSE(presented) << "the last row starts at 0.15 s and springs for 0.8 s";
    tick(0.1);
    EXPECT_TRUE(presented);
    EXPECT_DOUBLE_EQ(View::alpha(last), 1.0);
    EXPECT_EQ(View::transform(last), QTransform());
    EXPECT_DOUBLE_EQ(View::alpha(menu->menuBackgroundView()), 1.0);
    EXPECT_EQ(menu->navigationController()->navigationBar()->tintColor(), QColor::fromRgbF(0.1f, 0.1f, 0.1f));
}

TEST_F(DropdownMenuTest, ChosenRowRunsItsHandlerAfterTheMenuHasClosed)
{
    QStringList log;
    QPointer<DropdownMenu> menu = open(3, &log);
    tick(1.2);
    auto *cell = menu->collectionView()->cellForItem(IndexPath { 1, 0 });
    ASSERT_TRUE(cell);
    const QPoint centre = cell->mapTo(window.get(), cell->rect().center());
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, centre);
    double closedAt = -1, handledAt = -1;
    for (int step = 1; step <= 150 && handledAt < 0; ++step) {
        tick(0.01);
        if (closedAt < 0 && !presenter->presentedViewController())
            closedAt = step * 0.01;
        if (handledAt < 0 && !log.isEmpty())
            handledAt = step * 0.01;
    }
    // 0.15 s, then the exit animation (0.3 s plus 0.02 s per further row),
    // then 0.15 s more before the handler.
    EXPECT_NEAR(closedAt, 0.15 + 0.34, 0.03);
    EXPECT_NEAR(handledAt - closedAt, 0.15, 0.02);
    EXPECT_EQ(log, QStringList { QStringLiteral("Kind 1") });
    flushDeletes();
    EXPECT_TRUE(menu.isNull());
}

TEST_F(DropdownMenuTest, TapsOnTheBarOrBelowTheRowsCloseWithoutAChoice)
{
    for (int where = 0; where < 2; ++where) {
        SCOPED_TRACE(where);
        QStringList log;
        QPointer<DropdownMenu> menu = open(3, &log);
        tick(1.2);
        NavigationBar *bar = menu->navigationController()->navigationBar();
        const QPoint point = where == 0 ? bar->mapTo(window.get(), bar->rect().center()) : QPoint(187, 600);
        QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, point);
        tick(1.0);
        EXPECT_EQ(presenter->presentedViewController(), nullptr);
        EXPECT_TRUE(log.isEmpty());
        flushDeletes();
    }
}

TEST_F(DropdownMenuTest, EmptyMenuAndADismissalDuringThePresentationBothComplete)
{
    bool presented = false;
    QPointer<DropdownMenu> empty = open(0, nullptr, &presented);
    tick(0.05);
    EXPECT_TRUE(presented);
    empty->dismiss();
    tick(0.05);
    EXPECT_EQ(presenter->presentedViewController(), nullptr);
    flushDeletes();

    QPointer<DropdownMenu> menu = open(6, nullptr);
    tick(0.3);
    menu->dismiss();
    tick(1.0);
    EXPECT_EQ(presenter->presentedViewController(), nullptr);
    flushDeletes();
    EXPECT_TRUE(menu.isNull());
    // The presenter can present again.
    bool again = false;
    open(2, nullptr, &again);
    tick(1.2);
    EXPECT_TRUE(again);
}

TEST_F(DropdownMenuTest, SizesAndWidths)
{
    QStringList log;
    DropdownMenu menu(makeItems(3, &log), DropdownMenuCellAlignment::center(true), DropdownMenuStyle::white, std::nullopt);
    EXPECT_EQ(menu.preferredContentSize(), QSizeF(320, 142));
    DropdownMenu none({}, DropdownMenuCellAlignment::center(false), DropdownMenuStyle::black, std::nullopt);
    EXPECT_EQ(none.preferredContentSize().height(), 0);
    EXPECT_EQ(none.widestItemWidth(), 0);

    // The widest text, plus 5 for every item.
    DropdownMenuItems items;
    for (const QString &text : { QStringLiteral("Song"), QStringLiteral("Music Video"), QStringLiteral("TV") })
        items.append(std::make_shared<DropdownMenuItem>(text, std::nullopt, nullptr));
    DropdownMenu kinds(items, DropdownMenuCellAlignment::center(true), DropdownMenuStyle::white, std::nullopt);
    const QFontMetricsF metrics(Common::defaultFont());
    const auto measure = [&metrics](const QString &text) {
        return metrics.boundingRect(QRectF(0, 0, Device::minLength(), 25), Qt::TextWordWrap, text).width();
    };
    const double song = measure(QStringLiteral("Song"));
    const double video = measure(QStringLiteral("Music Video"));
    EXPECT_NEAR(kinds.widestItemWidth(), std::max(song + 5, video) + 5 + 5, 1.0);
}

TEST_F(DropdownMenuTest, StylesChooseBackgroundAndTint)
{
    struct Case
    {
        DropdownMenuStyle style;
        const char *backgroundClass;
        double tintWhite;
    };
    const Case cases[] = {
        { DropdownMenuStyle::blackGradient, "tarnik::DropdownMenuBackgroundView", 1.0 },
        { DropdownMenuStyle::whiteGradient, "tarnik::DropdownMenuBackgroundView", 0.1 },
        { DropdownMenuStyle::black, "QWidget", 1.0 },
        { DropdownMenuStyle::white, "QWidget", 0.1 },
        { DropdownMenuStyle::translucentDark, "tarnik::PassThroughView", 1.0 },
        { DropdownMenuStyle::translucentLight, "tarnik::PassThroughView", 0.1 },
        { DropdownMenuStyle::translucentSmoke, "tarnik::PassThroughView", 0.1 },
    };
    for (const Case &c : cases) {
        DropdownMenu menu({}, DropdownMenuCellAlignment::left(), c.style, std::nullopt);
        menu.loadViewIfNeeded();
        QWidget *background = menu.menuBackgroundView();
        ASSERT_TRUE(background);
        EXPECT_STREQ(background->metaObject()->className(), c.backgroundClass);
        EXPECT_NEAR(menu.tintColor().redF(), c.tintWhite, 0.01);
        if (auto *frost = qobject_cast<PassThroughView *>(background)) {
            EXPECT_FALSE(frost->roundedCorner());
            EXPECT_EQ(frost->showShadow(), c.style != DropdownMenuStyle::translucentDark);
        }
    }
}

TEST_F(DropdownMenuTest, RowsAreMenuItemsNamedByTheirTexts)
{
    QStringList log;
    QPointer<DropdownMenu> menu = open(3, &log);
    tick(1.2);
    auto *cell = menu->collectionView()->cellForItem(IndexPath { 2, 0 });
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(cell);
    ASSERT_TRUE(iface);
    EXPECT_EQ(iface->role(), QAccessible::MenuItem);
    EXPECT_EQ(iface->text(QAccessible::Name), QStringLiteral("Kind 2"));
    iface->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    tick(1.0);
    EXPECT_EQ(log, QStringList { QStringLiteral("Kind 2") });
}

TEST_F(DropdownMenuTest, CellLooks)
{
    DropdownMenuCell cell;
    cell.resize(320, 44);
    cell.show();
    cell.setTintColor(Qt::white);
    cell.setText(QStringLiteral("Ringtone"));
    cell.setHighlighted(true);
    EXPECT_NEAR(cell.highlightedTintColor().redF(), 0.2, 0.01);
    EXPECT_NEAR(cell.currentTextColor().redF(), 0.2, 0.01);
    EXPECT_NEAR(cell.imageView()->tintColor().redF(), 0.2, 0.01);
    EXPECT_EQ(cell.selectedBackgroundView()->palette().color(QPalette::Window), QColor(Qt::white));
    cell.setHighlighted(false);
    EXPECT_EQ(cell.currentTextColor(), QColor(Qt::white));
    cell.setTintColor(QColor::fromRgbF(0.1f, 0.1f, 0.1f));
    EXPECT_NEAR(cell.highlightedTintColor().redF(), 1.0, 0.01) << "1.1 is kept to white";

    // Centred and aligned without picture: the label is maxLabelWidth wide, left-aligned.
    cell.maxLabelWidth = 150;
    cell.setAlignment(DropdownMenuCellAlignment::center(true));
    cell.setAlignment(DropdownMenuCellAlignment::center(true));
    EXPECT_TRUE(cell.imageView()->isHidden());
    EXPECT_EQ(cell.textLabel()->width(), 150);
    EXPECT_TRUE(cell.textLabel()->alignment() & Qt::AlignLeft);
    EXPECT_EQ(cell.textLabel()->mapTo(&cell, QPoint(0, 0)).x(), (320 - 150) / 2);

    // Right: picture after the text, 20 points from the right edge.
    cell.imageView()->setImage(EntryImages::named(QStringLiteral("arrowDown"), 20));
    cell.setAlignment(DropdownMenuCellAlignment::right());
    const QRect picture(cell.imageView()->mapTo(&cell, QPoint(0, 0)), cell.imageView()->size());
    EXPECT_EQ(picture.right() + 1, 320 - 20);
    EXPECT_GT(picture.left(), cell.textLabel()->mapTo(&cell, QPoint(0, 0)).x());

    // Styled text when the plain text is empty.
    cell.setAttributedText({ QStringLiteral("Styled"), QColor(Qt::red), std::nullopt });
    EXPECT_EQ(cell.textLabel()->text(), QStringLiteral("Styled"));
}

} // namespace

// A window that plays a pad drops the menu from the presenting screen's title as a popover, with
// the same rows; without a title view, or on a phone, it covers the screen as before.
TEST_F(DropdownMenuTest, OnAPadTheMenuDropsFromTheTitleAsAPopover)
{
    auto *title = new QPushButton(QStringLiteral("Song"), presenter->view());
    title->setGeometry(150, 10, 80, 30);
    presenter->navigationItem()->setTitleView(title);
    DeviceProfile::setOverride(DeviceProfile::Override { UserInterfaceIdiom::pad, QSizeF(window->size()) });
    QStringList log;
    bool presented = false;
    QPointer<DropdownMenu> menu = open(3, &log, &presented);
    tick(1.2);
    ASSERT_TRUE(menu);
    EXPECT_TRUE(presented);
    EXPECT_EQ(presenter->presentedViewController(), menu.data());
    EXPECT_EQ(menu->modalPresentationStyle(), ModalPresentationStyle::popover);
    EXPECT_EQ(menu->style(), DropdownMenuStyle::translucentSmoke);
    const QRect frame(menu->view()->mapTo(window.get(), QPoint()), menu->view()->size());
    EXPECT_LT(frame.width(), window->width()); // not a cover over the window
    EXPECT_GE(frame.top(), title->geometry().bottom()); // under its title
    EXPECT_EQ(menu->collectionView()->numberOfItems(0), 3);
    auto *cell = menu->collectionView()->cellForItem(IndexPath { 1, 0 });
    ASSERT_TRUE(cell);
    EXPECT_EQ(View::alpha(cell), 1.0);

    DeviceProfile::setOverride(DeviceProfile::Override { UserInterfaceIdiom::phone, QSizeF(window->size()) });
    menu->dismiss();
    tick(1.0);
    QPointer<DropdownMenu> phone = open(3, &log);
    tick(1.2);
    EXPECT_EQ(presenter->presentedViewController(), phone->navigationController());
}
