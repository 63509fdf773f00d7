#include "Platform/UI/BarButtonItem.h"
#include "Platform/UI/NavigationBar.h"
#include "Platform/UI/NavigationController.h"
#include "Platform/UI/NavigationItem.h"
#include "Platform/UI/PopoverPresentationController.h"
#include "Platform/UI/TabBar.h"
#include "Platform/UI/TabBarController.h"
#include "Platform/UI/TabBarItem.h"
#include "Platform/UI/Toolbar.h"
#include "Support/UiTestSupport.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QTest>
#include <QToolButton>

using namespace tarnik;
using test::RecordingViewController;

class ContainerTest : public test::ScreenTest
{
};

TEST_F(ContainerTest, PushAndPopTellTheScreensThatComeAndGo)
{
    makeWindow();
    QStringList log;
    auto *first = new RecordingViewController(QStringLiteral("a"), &log);
    first->setTitle(QStringLiteral("Root"));
    auto *nav = new NavigationController(first);
    window->setRootViewController(nav);
    log.clear();
    QPointer<RecordingViewController> second = new RecordingViewController(QStringLiteral("b"), &log);
    nav->pushViewController(second, true);
    EXPECT_EQ(nav->topViewController(), second.data());
    EXPECT_EQ(second->navigationController(), nav);
    advance(0.1);
    EXPECT_GT(second->view()->x(), 0); // sliding in from the right
    settle();
    EXPECT_EQ(log,
        (QStringList { QStringLiteral("a:willDisappear"), QStringLiteral("b:load"), QStringLiteral("b:willAppear"),
            QStringLiteral("a:didDisappear"), QStringLiteral("b:didAppear") }));
    EXPECT_EQ(second->view()->x(), 0);
    EXPECT_FALSE(first->view()->isVisible());
    // The back button carries the title of the screen below.
    auto *back = qobject_cast<QToolButton *>(nav->navigationBar()->backButton());
    ASSERT_NE(back, nullptr);
    EXPECT_TRUE(back->text().endsWith(QStringLiteral("Root")));

    log.clear();
    back->click();
    settle();
    EXPECT_EQ(nav->viewControllers(), QList<ViewController *> { first });
    EXPECT_EQ(log,
        (QStringList { QStringLiteral("b:willDisappear"), QStringLiteral("a:willAppear"),
            QStringLiteral("b:didDisappear"), QStringLiteral("a:didAppear") }));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(second.isNull());
    EXPECT_EQ(nav->navigationBar()->backButton(), nullptr);
}

TEST_F(ContainerTest, StackEditsKeepOrderAndReturnWhatLeft)
{
    makeWindow();
    auto *root = new ViewController;
    auto *nav = new NavigationController(root);
    window->setRootViewController(nav);
    auto *b = new ViewController;
    auto *c = new ViewController;
    nav->pushViewController(b, false);
    nav->pushViewController(c, false);
    EXPECT_EQ(nav->popToRootViewController(false), (QList<ViewController *> { b, c }));
    EXPECT_EQ(nav->topViewController(), root);
    EXPECT_EQ(nav->popViewController(false), nullptr); // the root stays
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    auto *x = new ViewController;
    auto *y = new ViewController;
    nav->setViewControllers({ x, y }, false);
    EXPECT_EQ(nav->viewControllers(), (QList<ViewController *> { x, y }));
    EXPECT_EQ(nav->topViewController(), y);
    EXPECT_TRUE(y->view()->isVisible());
    EXPECT_EQ(y->appearance(), ViewController::Appearance::appeared);
    EXPECT_EQ(x->appearance(), ViewController::Appearance::disappeared);
    EXPECT_EQ(y->parentViewController(), nav);
}

TEST_F(ContainerTest, BarShowsTheTopItemsAndTheToolbarSlides)
{
    makeWindow();
    auto *root = new ViewController;
    int taps = 0;
    auto *done
        = new BarButtonItem(QStringLiteral("Done"), BarButtonItem::Style::done, [&](BarButtonItem *) { ++taps; });
    root->navigationItem()->setRightBarButtonItem(done);
    root->setTitle(QStringLiteral("Files"));
    root->setToolbarItems({ BarButtonItem::flexibleSpace(), new BarButtonItem(QStringLiteral("Import")) });
    auto *nav = new NavigationController(root);
    window->setRootViewController(nav);
    EXPECT_EQ(nav->navigationBar()->titleText(), QStringLiteral("Files"));
    nav->navigationBar()->setHidesShadow(true);
    EXPECT_EQ(nav->navigationBar()->property("hidesShadow"), true);
    ASSERT_NE(done->view(), nullptr);
    qobject_cast<QToolButton *>(done->view())->click();
    EXPECT_EQ(taps, 1);
    done->setEnabled(false);
    done->trigger();
    EXPECT_EQ(taps, 1);

    EXPECT_TRUE(nav->isToolbarHidden());
    const int fullHeight = root->view()->height();
    nav->setToolbarHidden(false, true);
    advance(0.1);
    EXPECT_TRUE(nav->toolbar()->isVisible());
    settle();
    EXPECT_FALSE(nav->isToolbarHidden());
    EXPECT_EQ(root->view()->height(), fullHeight - Toolbar::kHeight);
    nav->setToolbarHidden(true, true);
    settle();
    EXPECT_FALSE(nav->toolbar()->isVisible());
    EXPECT_EQ(root->view()->height(), fullHeight);
}

TEST_F(ContainerTest, BarItemAttributesFallBackToTheSharedAppearance)
{
    auto &appearance = BarButtonItem::appearance();
    const auto saved = appearance;
    appearance.titleTextAttributes[ControlState::normal] = { QColor(0x99, 0x99, 0x99), std::nullopt };
    BarButtonItem item(QStringLiteral("Edit"));
    EXPECT_EQ(item.titleTextAttributes(ControlState::normal).foregroundColor, QColor(0x99, 0x99, 0x99));
    item.setTitleTextAttributes({ QColor(Qt::red), std::nullopt }, ControlState::normal);
    EXPECT_EQ(item.titleTextAttributes(ControlState::normal).foregroundColor, QColor(Qt::red));
    EXPECT_FALSE(item.titleTextAttributes(ControlState::disabled).foregroundColor.has_value());
    appearance = saved;
}

TEST_F(ContainerTest, TopBarHeightAndFormSheetSizeFollowTheBars)
{
    makeWindow(); // 375 x 667
    auto *inNav = new ViewController;
    auto *nav = new NavigationController(inNav);
    window->setRootViewController(nav);
    EXPECT_DOUBLE_EQ(inNav->topBarHeight(), 44.0);
    EXPECT_EQ(inNav->preferredFormSheetSize(), QSizeF(345, 667 - 44 - 20));

    auto *tabbed = new ViewController;
    auto *tabs = new TabBarController;
    tabs->setViewControllers({ new NavigationController(tabbed) });
    window->setRootViewController(tabs);
    EXPECT_EQ(tabbed->preferredFormSheetSize(), QSizeF(345, 667 - 44 - 20 - 49 - 60));

    ViewController alone;
    EXPECT_DOUBLE_EQ(alone.topBarHeight(), 0.0);
    DeviceProfile::setOverride(DeviceProfile::Override { UserInterfaceIdiom::pad, QSizeF(1024, 768) });
    EXPECT_EQ(alone.preferredFormSheetSize(), QSizeF(500, 1024 - 20));
}

namespace {
class RefusingDelegate : public TabBarControllerDelegate
{
public:
    ViewController *refused = nullptr;
    QList<ViewController *> selected;
    bool shouldSelect(TabBarController *, ViewController *vc) override { return vc != refused; }
    void didSelect(TabBarController *, ViewController *vc) override { selected.append(vc); }
};
} // namespace

TEST_F(ContainerTest, TabsSwitchOnTapUnlessTheDelegateRefuses)
{
    makeWindow();
    QStringList log;
    auto *a = new RecordingViewController(QStringLiteral("a"), &log);
    auto *b = new RecordingViewController(QStringLiteral("b"), &log);
    auto *c = new RecordingViewController(QStringLiteral("c"), &log);
    auto *tabs = new TabBarController;
    tabs->setViewControllers({ a, b, c });
    RefusingDelegate delegate;
    delegate.refused = c;
    tabs->setDelegate(&delegate);
    window->setRootViewController(tabs);
    EXPECT_EQ(tabs->selectedIndex(), 0);
    EXPECT_EQ(a->tabBarController(), tabs);
    log.clear();

    // A real click on the second item, through the window.
    const QPoint second = tabs->tabBar()->mapTo(window.get(), tabs->tabBar()->itemRect(1).center());
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, second);
    EXPECT_EQ(tabs->selectedViewController(), b);
    EXPECT_EQ(log,
        (QStringList { QStringLiteral("a:willDisappear"), QStringLiteral("b:load"), QStringLiteral("b:willAppear"),
            QStringLiteral("a:didDisappear"), QStringLiteral("b:didAppear") }));
    EXPECT_EQ(b->view()->geometry(), QRect(0, 0, 375, 667 - TabBar::kHeight));
    tabs->tapTab(2);
    EXPECT_EQ(tabs->selectedIndex(), 1);
    EXPECT_EQ(delegate.selected, QList<ViewController *> { b });
    // Code may select any tab without asking.
    tabs->setSelectedIndex(2);
    EXPECT_EQ(tabs->selectedViewController(), c);
    tabs->setSelectedIndex(7);
    EXPECT_EQ(tabs->selectedIndex(), 2);
}

TEST_F(ContainerTest, AViewSitsJustBelowTheTabBarInTheStack)
{
    makeWindow();
    auto *tabs = new TabBarController;
    tabs->setViewControllers({ new ViewController, new ViewController });
    window->setRootViewController(tabs);
    auto *mini = new QWidget;
    tabs->insertSubviewBelowTabBar(mini);
    const auto children = tabs->view()->children();
    const int miniIndex = int(children.indexOf(mini));
    const int barIndex = int(children.indexOf(tabs->tabBar()));
    EXPECT_EQ(miniIndex + 1, barIndex);
    tabs->setSelectedIndex(1); // switching tabs keeps it in place
    EXPECT_EQ(mini->parentWidget(), tabs->view());
}

TEST_F(ContainerTest, CenteredPopoverStaysCentredWhenTheWindowResizes)
{
    makeWindow(UserInterfaceIdiom::pad);
    auto *tabs = new TabBarController;
    tabs->setViewControllers({ new ViewController });
    window->setRootViewController(tabs);
    auto *content = new ViewController;
    content->setModalPresentationStyle(ModalPresentationStyle::popover);
    content->setPreferredContentSize(QSizeF(200, 100));
    tabs->presentCenteredPopover(content);
    settle();
    PopoverPresentationController *popover = content->popoverPresentationController();
    EXPECT_EQ(popover->delegate(), tabs);
    EXPECT_EQ(popover->sourceView(), tabs->view());
    EXPECT_EQ(popover->sourceRect(), QRectF(384, 512, 0, 0));
    EXPECT_EQ(popover->permittedArrowDirections, 0);
    EXPECT_EQ(content->view()->geometry(), QRect(284, 462, 200, 100));
    window->resize(1024, 768);
    EXPECT_EQ(popover->sourceRect(), QRectF(512, 384, 0, 0));
    EXPECT_EQ(content->view()->geometry(), QRect(412, 334, 200, 100));
}

TEST_F(ContainerTest, CustomViewsSurviveBarRebuildsAndGoWithTheirItems)
{
    makeWindow();
    auto *root = new ViewController;
    auto *nav = new NavigationController(root);
    window->setRootViewController(nav);
    QPointer<QWidget> custom = new QWidget;
    QPointer<QWidget> titleView = new QWidget;
    auto *item = BarButtonItem::withCustomView(custom);
    root->navigationItem()->setRightBarButtonItem(item);
    root->navigationItem()->setTitleView(titleView);
    root->navigationItem()->setTitle(QStringLiteral("again")); // rebuilds the bar
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_FALSE(custom.isNull());
    EXPECT_EQ(custom->parentWidget(), nav->navigationBar());
    EXPECT_TRUE(custom->isVisible());
    EXPECT_EQ(item->view(), custom.data());
    root->navigationItem()->setRightBarButtonItem(nullptr);
    delete item;
    EXPECT_TRUE(custom.isNull());
    auto *standalone = new NavigationItem;
    QPointer<QWidget> owned = new QWidget;
    standalone->setTitleView(owned);
    delete standalone;
    EXPECT_TRUE(owned.isNull());
}
