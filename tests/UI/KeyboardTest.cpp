// The desktop keyboard the platform layer owes every screen: alerts answer
// Return and Escape, Escape closes the screen on top, navigation goes back a
// level, and lists move their highlight and open rows.
#include "Platform/UI/AlertController.h"
#include "Platform/UI/BarButton.h"
#include "Platform/UI/BarButtonItem.h"
#include "Platform/UI/ListKeyboard.h"
#include "Platform/UI/NavigationController.h"
#include "Platform/UI/TabBar.h"
#include "Platform/UI/TabBarItem.h"
#include "Platform/UI/TableView.h"
#include "Platform/UI/TableViewController.h"
#include "Platform/UI/View.h"
#include "Support/UiTestSupport.h"

#include <QAccessible>
#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QPushButton>
#include <QTest>

using namespace tarnik;

namespace {

QList<QRectF> listFrames(int rows)
{
    QList<QRectF> frames;
    for (int i = 0; i < rows; ++i)
        frames.append(QRectF(0, i * 44.0, 320, 44));
    return frames;
}

// Eight items three to a row, 100 points square.
QList<QRectF> gridFrames()
{
    QList<QRectF> frames;
    for (int i = 0; i < 8; ++i)
        frames.append(QRectF((i % 3) * 100.0, (i / 3) * 100.0, 100, 100));
    return frames;
}

TEST(ListKeyboardTest, KeysMoveTheHighlightThroughListsAndGrids)
{
    struct Case
    {
        const char *what;
        bool grid;
        int key;
        Qt::KeyboardModifiers modifiers;
        std::optional<int> from;
        std::optional<int> to;
    };
    const QList<Case> cases {
        { "Down starts at the first row", false, Qt::Key_Down, {}, std::nullopt, 0 },
        { "End starts at the last row", false, Qt::Key_End, {}, std::nullopt, 9 },
        { "Down", false, Qt::Key_Down, {}, 3, 4 },
        { "Down on the keypad", false, Qt::Key_Down, Qt::KeypadModifier, 3, 4 },
        { "Up", false, Qt::Key_Up, {}, 3, 2 },
        { "Up stays on the first row", false, Qt::Key_Up, {}, 0, 0 },
        { "Down stays on the last row", false, Qt::Key_Down, {}, 9, 9 },
        { "Left moves nothing in a list", false, Qt::Key_Left, {}, 3, std::nullopt },
        { "Alt+Left is not the list's", false, Qt::Key_Left, Qt::AltModifier, 3, std::nullopt },
        { "Shift+Down is not the list's", false, Qt::Key_Down, Qt::ShiftModifier, 3, std::nullopt },
        { "Page Down goes a page of rows", false, Qt::Key_PageDown, {}, 1, 5 },
        { "Page Down stops at the last row", false, Qt::Key_PageDown, {}, 8, 9 },
        { "Page Up goes a page of rows", false, Qt::Key_PageUp, {}, 7, 3 },
        { "Page Up stops at the first row", false, Qt::Key_PageUp, {}, 2, 0 },
        { "Home", false, Qt::Key_Home, {}, 6, 0 },
        { "another key", false, Qt::Key_A, {}, 3, std::nullopt },
        { "grid: Right", true, Qt::Key_Right, {}, 0, 1 },
        { "grid: Right stops at the row's end", true, Qt::Key_Right, {}, 2, std::nullopt },
        { "grid: Left", true, Qt::Key_Left, {}, 4, 3 },
        { "grid: Down keeps the column", true, Qt::Key_Down, {}, 1, 4 },
        { "grid: Down into a short row takes the nearest", true, Qt::Key_Down, {}, 5, 7 },
        { "grid: Up keeps the column", true, Qt::Key_Up, {}, 7, 4 },
        { "grid: Page Down", true, Qt::Key_PageDown, {}, 0, 6 },
        { "grid: End", true, Qt::Key_End, {}, 0, 7 },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const QList<QRectF> frames = c.grid ? gridFrames() : listFrames(10);
        EXPECT_EQ(ListKeyboard::target(c.key, c.modifiers, c.from, frames, c.grid ? 200.0 : 180.0), c.to);
    }
    EXPECT_EQ(ListKeyboard::target(Qt::Key_Down, {}, std::nullopt, {}, 100.0), std::nullopt);
}

class KeyboardTest : public test::ScreenTest
{
protected:
    void SetUp() override
    {
        ScreenTest::SetUp();
        makeWindow();
        root = new test::RecordingViewController;
        window->setRootViewController(root);
        QApplication::setActiveWindow(window.get());
        settle();
    }
    // A key as the user types it: to the focused widget, else the window.
    void press(int key, Qt::KeyboardModifiers modifiers = {})
    {
        QWidget *target = QApplication::focusWidget();
        QTest::keyClick(target ? target : window.get(), Qt::Key(key), modifiers);
        settle();
    }
    AlertController *alertWith(const QList<std::pair<const char *, AlertControllerAction::Style>> &actions,
        AlertController::Style style = AlertController::Style::alert)
    {
        auto *alert = new AlertController(QStringLiteral("Title"), QStringLiteral("Message"), style);
        for (const auto &[title, actionStyle] : actions) {
            alert->addAction(new AlertControllerAction(QString::fromLatin1(title), actionStyle,
                [this](AlertControllerAction *a) { answered.append(a->title()); }));
        }
        return alert;
    }

    ViewController *root = nullptr;
    QStringList answered;
};

TEST_F(KeyboardTest, AlertsTakeReturnForTheirPreferredActionAndEscapeForCancel)
{
    using Style = AlertControllerAction::Style;
    struct Case
    {
        const char *what;
        QList<std::pair<const char *, Style>> actions;
        const char *preferred;
        int key;
        const char *answer; // empty: the alert stays
    };
    const QList<Case> cases {
        { "Return takes the preferred action",
            { { "Cancel", Style::cancel }, { "Delete", Style::destructive }, { "Keep", Style::defaultStyle } }, "Keep",
            Qt::Key_Return, "Keep" },
        { "Enter takes it too", { { "Cancel", Style::cancel }, { "OK", Style::defaultStyle } }, "", Qt::Key_Enter,
            "OK" },
        { "Return takes the only action that is not Cancel",
            { { "Cancel", Style::cancel }, { "Delete All", Style::destructive } }, "", Qt::Key_Return, "Delete All" },
        { "Return chooses nothing between two equal actions",
            { { "Cancel", Style::defaultStyle }, { "Change", Style::destructive } }, "", Qt::Key_Return, "" },
        { "Escape takes Cancel", { { "OK", Style::defaultStyle }, { "Cancel", Style::cancel } }, "OK", Qt::Key_Escape,
            "Cancel" },
        { "Escape closes a notice by its only button", { { "OK", Style::defaultStyle } }, "", Qt::Key_Escape, "OK" },
        { "Escape leaves a question without Cancel", { { "Yes", Style::defaultStyle }, { "No", Style::destructive } },
            "", Qt::Key_Escape, "" },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        answered.clear();
        AlertController *alert = alertWith(c.actions);
        for (AlertControllerAction *action : alert->actions()) {
            if (action->title() == QLatin1String(c.preferred))
                alert->setPreferredAction(action);
        }
        root->present(alert, true);
        settle();
        // The alert holds the focus, so the keys reach it and not the screen below.
        EXPECT_TRUE(View::containsFocus(alert->view()));
        press(c.key);
        const QString answer = QString::fromLatin1(c.answer);
        EXPECT_EQ(answered, answer.isEmpty() ? QStringList() : QStringList { answer });
        EXPECT_EQ(root->presentedViewController() != nullptr, answer.isEmpty());
        if (root->presentedViewController()) {
            root->dismiss(false);
            settle();
        }
    }
}

TEST_F(KeyboardTest, ReturnInTheRenameFieldAndEscapeFromAnActionSheet)
{
    answered.clear();
    // As the ringtone list asks for a name: a plain Cancel, then Change.
    AlertController *alert = alertWith({ { "Cancel", AlertControllerAction::Style::defaultStyle },
        { "Change", AlertControllerAction::Style::destructive } });
    QLineEdit *field = alert->addTextField();
    root->present(alert, true);
    settle();
    EXPECT_TRUE(field->hasFocus());
    QTest::keyClicks(field, QStringLiteral("Aurora"));
    press(Qt::Key_Return);
    EXPECT_EQ(answered, QStringList { QStringLiteral("Change") });

    answered.clear();
    AlertController *sheet = alertWith(
        { { "Song", AlertControllerAction::Style::defaultStyle }, { "Cancel", AlertControllerAction::Style::cancel } },
        AlertController::Style::actionSheet);
    root->present(sheet, true);
    settle();
    press(Qt::Key_Escape);
    EXPECT_EQ(answered, QStringList { QStringLiteral("Cancel") });
    EXPECT_EQ(root->presentedViewController(), nullptr);
}

TEST_F(KeyboardTest, EscapeClosesTheScreenOnTopAndTheFocusComesBack)
{
    auto *button = new QPushButton(QStringLiteral("Open"), root->view());
    button->show();
    button->setFocus();
    ASSERT_TRUE(button->hasFocus());
    auto *first = new test::RecordingViewController;
    auto *second = new test::RecordingViewController;
    root->present(first, true);
    settle();
    first->present(second, true);
    settle();
    EXPECT_TRUE(View::containsFocus(second->view()));

    press(Qt::Key_Escape);
    EXPECT_EQ(first->presentedViewController(), nullptr);
    EXPECT_EQ(root->presentedViewController(), first);
    EXPECT_TRUE(View::containsFocus(first->view()));
    press(Qt::Key_Escape);
    EXPECT_EQ(root->presentedViewController(), nullptr);
    EXPECT_TRUE(button->hasFocus());
    // With nothing presented, Escape leaves the root alone.
    press(Qt::Key_Escape);
    EXPECT_TRUE(button->isVisible());

    // A screen presented inside a navigation controller closes with it.
    auto *navigation = new NavigationController(new test::RecordingViewController);
    root->present(navigation, true);
    settle();
    press(Qt::Key_Escape);
    EXPECT_EQ(root->presentedViewController(), nullptr);
}

// Rows named "row n"; the delegate records what was opened.
class Rows : public TableViewController
{
public:
    int count = 30;
    QStringList opened;
    int numberOfSections(TableView *) override { return 1; }
    int numberOfRows(TableView *, int) override { return count; }
    TableViewCell *cellForRow(TableView *table, const IndexPath &ip) override
    {
        TableViewCell *cell = table->dequeueReusableCell(QStringLiteral("Row"), ip);
        cell->textLabel()->setText(QStringLiteral("row %1").arg(ip.row()));
        return cell;
    }
    void didSelectRow(TableView *table, const IndexPath &ip) override
    {
        opened.append(QStringLiteral("row %1").arg(ip.row()));
        auto *next = new Rows;
        next->count = 3;
        navigationController()->pushViewController(next, true);
        table->deselectRow(ip, false);
    }

protected:
    void viewDidLoad() override
    {
        TableViewController::viewDidLoad();
        tableView()->registerCellClass<TableViewCell>(QStringLiteral("Row"));
    }
};

TEST_F(KeyboardTest, AListIsWalkedWithTheKeyboardAlone)
{
    auto *rows = new Rows;
    auto *navigation = new NavigationController(rows);
    root->present(navigation, false);
    settle();
    TableView *table = rows->tableView();
    // The presented screen's list takes the focus; the first key starts at the first row.
    ASSERT_TRUE(table->hasFocus());
    const auto highlighted = [](TableView *list) -> int {
        for (TableViewCell *cell : list->visibleCells()) {
            if (cell->isHighlighted())
                return list->indexPathForCell(cell)->row();
        }
        return -1;
    };
    EXPECT_EQ(highlighted(table), -1);
    press(Qt::Key_Down);
    EXPECT_EQ(highlighted(table), 0);
    press(Qt::Key_Down);
    press(Qt::Key_Down);
    EXPECT_EQ(highlighted(table), 2);
    press(Qt::Key_End);
    EXPECT_EQ(highlighted(table), 29);
    EXPECT_TRUE(table->cellForRow(IndexPath(29, 0))); // scrolled into view
    press(Qt::Key_PageUp);
    EXPECT_LT(highlighted(table), 29);
    EXPECT_GT(highlighted(table), 10);
    press(Qt::Key_Home);
    EXPECT_EQ(highlighted(table), 0);
    EXPECT_EQ(table->contentOffset().y(), 0.0);
    press(Qt::Key_Down);
    // A ring shows where the keyboard stands, on that row only; screen readers hear it as the focus.
    const auto ringed = [](TableView *list) -> int {
        for (TableViewCell *cell : list->visibleCells()) {
            auto *ring = cell->findChild<QWidget *>(QStringLiteral("focusRing"), Qt::FindDirectChildrenOnly);
            if (ring && ring->isVisible())
                return list->indexPathForCell(cell)->row();
        }
        return -1;
    };
    EXPECT_EQ(ringed(table), 1);
    EXPECT_TRUE(QAccessible::queryAccessibleInterface(table->cellForRow(IndexPath(1, 0)))->state().focused);
    EXPECT_FALSE(QAccessible::queryAccessibleInterface(table->cellForRow(IndexPath(0, 0)))->state().focused);

    // Return opens the row; the next level gets the focus.
    press(Qt::Key_Return);
    EXPECT_EQ(rows->opened, QStringList { QStringLiteral("row 1") });
    ASSERT_EQ(navigation->viewControllers().size(), 2);
    auto *next = static_cast<Rows *>(navigation->topViewController());
    EXPECT_TRUE(next->tableView()->hasFocus());
    EXPECT_EQ(ringed(table), -1); // the list left behind shows no focus
    EXPECT_EQ(ringed(next->tableView()), 0);
    // Come by the keyboard, the new list shows where it stands at once.
    EXPECT_EQ(highlighted(next->tableView()), 0);
    press(Qt::Key_Down);
    press(Qt::Key_Return);
    EXPECT_EQ(next->opened, QStringList { QStringLiteral("row 1") });
    ASSERT_EQ(navigation->viewControllers().size(), 3);

    // Backspace and Alt+Left go back a level each, and the focus comes along.
    press(Qt::Key_Backspace);
    EXPECT_EQ(navigation->viewControllers().size(), 2);
    EXPECT_TRUE(next->tableView()->hasFocus());
    press(Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(navigation->viewControllers().size(), 1);
    EXPECT_TRUE(table->hasFocus());
    press(Qt::Key_Backspace); // the first level stays
    EXPECT_EQ(navigation->viewControllers().size(), 1);
}

// The tab bar is a stop of the Tab chain; there the arrows, Home and End ask for a tab.
TEST_F(KeyboardTest, TheTabBarChoosesTabsWithTheArrowKeys)
{
    TabBar bar(window.get());
    QList<TabBarItem *> items;
    for (const char *title : { "Home", "Files", "Ringtones", "Settings" })
        items.append(new TabBarItem(QString::fromLatin1(title), {}, 0, &bar));
    bar.setItems(items);
    bar.setGeometry(0, 0, 320, TabBar::kHeight);
    bar.show();
    EXPECT_EQ(bar.focusPolicy(), Qt::TabFocus);
    QSignalSpy tapped(&bar, &TabBar::itemTapped);
    const struct
    {
        int selected;
        int key;
        int asked; // -1: none
    } rows[] = {
        { 1, Qt::Key_Right, 2 },
        { 1, Qt::Key_Left, 0 },
        { 3, Qt::Key_Right, -1 }, // the last tab stays
        { 0, Qt::Key_Left, -1 },
        { 1, Qt::Key_End, 3 },
        { 2, Qt::Key_Home, 0 },
        { 1, Qt::Key_Down, -1 },
    };
    for (const auto &row : rows) {
        bar.setSelectedIndex(row.selected);
        tapped.clear();
        QTest::keyClick(&bar, Qt::Key(row.key));
        if (row.asked < 0) {
            EXPECT_TRUE(tapped.isEmpty()) << "key " << row.key << " from " << row.selected;
        } else {
            ASSERT_EQ(tapped.size(), 1) << "key " << row.key << " from " << row.selected;
            EXPECT_EQ(tapped.at(0).at(0).toInt(), row.asked);
        }
    }
}

// A bar's button reached by the keyboard shows a ring; given the focus after a click, or once the
// focus has gone, it looks as it always does.
TEST_F(KeyboardTest, ABarButtonReachedByTheKeyboardWearsARing)
{
    ListKeyboard::followInput();
    auto *item = new BarButtonItem(QStringLiteral("Edit"), BarButtonItem::Style::plain, {}, window.get());
    auto *button = new BarButton(item, window.get());
    auto *other = new QPushButton(QStringLiteral("Other"), window.get());
    button->setGeometry(10, 10, 80, 32);
    other->setGeometry(10, 60, 80, 32);
    button->show();
    other->show();
    settle();
    const QImage plain = button->grab().toImage();

    QTest::mouseClick(other, Qt::LeftButton);
    button->setFocus(Qt::OtherFocusReason);
    settle();
    ASSERT_TRUE(button->hasFocus());
    EXPECT_EQ(button->grab().toImage(), plain);

    other->setFocus();
    QTest::keyClick(other, Qt::Key_A);
    button->setFocus(Qt::TabFocusReason);
    settle();
    ASSERT_TRUE(button->hasFocus());
    EXPECT_NE(button->grab().toImage(), plain);

    other->setFocus();
    settle();
    EXPECT_EQ(button->grab().toImage(), plain);
}

} // namespace
