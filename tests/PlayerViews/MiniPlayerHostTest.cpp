// The tabs that make room for the mini player, inside the app's own root tab bar controller with
// the shared player playing: the ringtone list's edit toolbar, the end of the settings list and
// the guide. Clicks go to whatever widget is on top at that point of the window, as a user's do.

#include "App/Preferences.h"
#include "Platform/UI/BarButtonItem.h"
#include "Platform/UI/NavigationController.h"
#include "Platform/UI/TabBar.h"
#include "Platform/UI/TableView.h"
#include "Settings/PagingViewController.h"
#include "Settings/PreferenceViewController.h"
#include "Support/PlayerScreenSupport.h"
#include "Tools/RingtoneCatalogueFile.h"
#include "Tools/RingtoneViewController.h"

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTest>

using namespace tarnik;
using namespace tarnik::test;

namespace {

class MiniPlayerHostTest : public PlayerScreenTest
{
public:
    void SetUp() override
    {
        QDir(Preferences::purchasesPath()).removeRecursively();
        PlayerScreenTest::SetUp();
    }
    void TearDown() override
    {
        PlayerScreenTest::TearDown();
        QDir(Preferences::purchasesPath()).removeRecursively();
    }

    // Plays three entries from the Files tab, which leaves the mini player up above the bar.
    void startPlaying()
    {
        host->setSelectedIndex(1);
        wait(0.5);
        mini()->play(entries(3), 0);
        wait(0.5);
        ASSERT_TRUE(host->isMiniPlayerUp());
        ASSERT_TRUE(mini()->isVisible());
    }
    // The screen at the root of a tab's navigation controller.
    template<typename Screen>
    Screen *showTab(int index)
    {
        host->setSelectedIndex(index);
        wait(0.5);
        auto *navigation = qobject_cast<NavigationController *>(host->viewControllers().value(index));
        return navigation ? qobject_cast<Screen *>(navigation->viewControllers().value(0)) : nullptr;
    }
    // Clicks the window at a point of widget, on whatever is on top there.
    void click(QWidget *widget, QPoint point = {})
    {
        if (point.isNull())
            point = widget->rect().center();
        const QPoint inWindow = widget->mapTo(window.get(), point);
        QWidget *target = window->childAt(inWindow);
        ASSERT_NE(target, nullptr);
        const QPoint local = target->mapFrom(window.get(), inWindow);
        QTest::mousePress(target, Qt::LeftButton, {}, local);
        QTest::mouseRelease(target, Qt::LeftButton, {}, local);
        wait(0.5);
    }
    // The window's row where the mini player's visible bar begins.
    int miniPlayerTop() const { return mini()->mapTo(window.get(), QPoint(0, 0)).y(); }

    static void writeCatalogue(const QStringList &names)
    {
        QDir().mkpath(Preferences::purchasesPath());
        QVariantMap ringtones;
        for (int i = 0; i < names.size(); ++i) {
            const QString file = QStringLiteral("tone%1.m4r").arg(i);
            ringtones.insert(file, QVariantMap { { QStringLiteral("Name"), names[i] } });
            QFile tone(Preferences::purchasesPath() + QLatin1Char('/') + file);
            ASSERT_TRUE(tone.open(QIODevice::WriteOnly));
            tone.write("ring");
        }
        ASSERT_TRUE(RingtoneCatalogueFile::write(
            Preferences::ringtonesPlistPath(), { QVariantMap { { QStringLiteral("Ringtones"), ringtones } } }));
    }
};

TEST_F(MiniPlayerHostTest, RingtonesEditModeHidesTheMiniPlayerSoTheToolbarTakesTheClick)
{
    writeCatalogue({ QStringLiteral("Alpha"), QStringLiteral("Beta"), QStringLiteral("Gamma") });
    ASSERT_NO_FATAL_FAILURE(startPlaying());
    auto *ringtones = showTab<RingtoneViewController>(2);
    ASSERT_NE(ringtones, nullptr);
    ASSERT_EQ(ringtones->ringtones().size(), 3);
    // While the mini player is up the list keeps its bottom clear of it.
    EXPECT_EQ(ringtones->tableView()->contentInset().bottom, MiniPlayerHost::kMiniPlayerHeight);

    click(ringtones->editButton()->view());
    ASSERT_TRUE(ringtones->isEditing());
    EXPECT_FALSE(host->isMiniPlayerUp());
    EXPECT_FALSE(mini()->isVisible());

    TableView *table = ringtones->tableView();
    click(table, table->mapFromContent(table->rectForRow(IndexPath(1, 0)).center()).toPoint());
    ASSERT_EQ(ringtones->selectedRingtones().size(), 1);
    EXPECT_EQ(ringtones->deleteButton()->title(), QStringLiteral("Delete"));

    click(ringtones->deleteButton()->view());
    EXPECT_EQ(host->presentedViewController(), nullptr) << "the click opened the full player";
    QStringList names;
    for (const Ringtone &ringtone : ringtones->ringtones())
        names.append(ringtone.name());
    EXPECT_EQ(names, QStringList({ QStringLiteral("Alpha"), QStringLiteral("Gamma") }));
    EXPECT_FALSE(QFile::exists(Preferences::purchasesPath() + QStringLiteral("/tone1.m4r")));

    // Done brings the mini player back.
    if (ringtones->isEditing())
        click(ringtones->editButton()->view());
    EXPECT_TRUE(host->isMiniPlayerUp());
    EXPECT_TRUE(mini()->isVisible());
}

TEST_F(MiniPlayerHostTest, TheKeyboardAndScreenReadersOpenTheFullPlayerFromTheMiniPlayer)
{
    ASSERT_NO_FATAL_FAILURE(startPlaying());
    QApplication::setActiveWindow(window.get());
    // A key as the user types it: to the focused widget, else the window.
    const auto press = [this](int key, Qt::KeyboardModifiers modifiers = {}) {
        QWidget *target = QApplication::focusWidget();
        QTest::keyClick(target ? target : window.get(), Qt::Key(key), modifiers);
        wait(0.5);
    };
    const auto ring = [this] {
        auto *found = mini()->findChild<QWidget *>(QStringLiteral("focusRing"), Qt::FindDirectChildrenOnly);
        return found && found->isVisible() ? found : nullptr;
    };

    // The ring shows only while the bar has the focus and the keyboard was the last input; the
    // Tab chain goes from the bar to the tab bar below it.
    EXPECT_FALSE(ring());
    press(Qt::Key_Shift);
    mini()->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(mini()->hasFocus());
    ASSERT_NE(ring(), nullptr);
    EXPECT_EQ(ring()->geometry(), QRect(0, 0, mini()->width(), int(miniPlayerHeight)));
    press(Qt::Key_Tab);
    EXPECT_TRUE(host->tabBar()->hasFocus()) << "Tab does not go from the bar to the tabs";
    EXPECT_FALSE(ring());

    for (const int key : { Qt::Key_Return, Qt::Key_Space }) {
        SCOPED_TRACE(key);
        mini()->setFocus(Qt::TabFocusReason);
        press(key);
        ASSERT_EQ(host->presentedViewController(), host->playerViewController());
        EXPECT_TRUE(Player::shared().isPlaying()) << "opening the full player paused the song";
        // Escape closes it and gives the keyboard back to the bar.
        press(Qt::Key_Escape);
        EXPECT_EQ(host->presentedViewController(), nullptr);
        EXPECT_TRUE(mini()->hasFocus());
    }
    // Other keys do not open it.
    mini()->setFocus(Qt::TabFocusReason);
    press(Qt::Key_A);
    press(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(host->presentedViewController(), nullptr);

    // Screen readers see one button named for what it is, whose press opens the full player.
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(mini());
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::Button);
    EXPECT_EQ(accessible->text(QAccessible::Name), QStringLiteral("Now Playing"));
    EXPECT_TRUE(accessible->state().focusable);
    QAccessibleActionInterface *actions = accessible->actionInterface();
    ASSERT_NE(actions, nullptr);
    ASSERT_TRUE(actions->actionNames().contains(QAccessibleActionInterface::pressAction()));
    actions->doAction(QAccessibleActionInterface::pressAction());
    wait(0.5);
    EXPECT_EQ(host->presentedViewController(), host->playerViewController());
    // The full player's own view stays a plain one.
    EXPECT_NE(QAccessible::queryAccessibleInterface(maxi())->role(), QAccessible::Button);
}

TEST_F(MiniPlayerHostTest, TheLastSettingsRowScrollsFullyAboveTheMiniPlayer)
{
    ASSERT_NO_FATAL_FAILURE(startPlaying());
    auto *settings = showTab<PreferenceViewController>(3);
    ASSERT_NE(settings, nullptr);
    TableView *table = settings->tableView();
    EXPECT_EQ(table->contentInset().bottom, MiniPlayerHost::kMiniPlayerHeight);

    table->setContentOffset(table->maximumContentOffset());
    wait(0.5);
    const int section = table->numberOfSections() - 1;
    const IndexPath last(table->numberOfRows(section) - 1, section);
    const QRectF row = table->rectForRow(last);
    const int rowBottom = table->mapTo(window.get(), table->mapFromContent(row.bottomLeft()).toPoint()).y();
    EXPECT_LE(rowBottom, miniPlayerTop());
    EXPECT_TRUE(mini()->isVisible());
}

TEST_F(MiniPlayerHostTest, TheGuideHidesTheMiniPlayerAndFilesShowsItAgain)
{
    // Before anything plays the guide leaves the mini player as it is: out of sight.
    showTab<PagingViewController>(0);
    host->setSelectedIndex(1);
    wait(0.5);
    EXPECT_FALSE(mini()->isVisible());

    ASSERT_NO_FATAL_FAILURE(startPlaying());
    auto *guide = showTab<PagingViewController>(0);
    ASSERT_NE(guide, nullptr);
    EXPECT_FALSE(host->isMiniPlayerUp());
    EXPECT_FALSE(mini()->isVisible());
    EXPECT_TRUE(guide->restoreMiniPlayerView);

    host->setSelectedIndex(1);
    wait(0.5);
    EXPECT_TRUE(host->isMiniPlayerUp());
    EXPECT_TRUE(mini()->isVisible());
    EXPECT_FALSE(guide->restoreMiniPlayerView);
}

} // namespace
