#include "App/ScreenAlertPresenter.h"

#include "App/Globals.h"
#include "Platform/Dispatch.h"
#include "Platform/UI/AlertController.h"
#include "Platform/UI/NavigationController.h"
#include "Platform/UI/TabBarController.h"
#include "Support/UiTestSupport.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QThread>

using namespace tarnik;

class ScreenAlertPresenterTest : public test::ScreenTest
{
protected:
    void SetUp() override
    {
        ScreenTest::SetUp();
        setAlertPresenter(std::make_shared<ScreenAlertPresenter>());
    }
    void TearDown() override
    {
        setAlertPresenter(nullptr);
        ScreenTest::TearDown();
    }
    static void drainMainQueue()
    {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
    }
};

TEST_F(ScreenAlertPresenterTest, TopScreenFollowsPresentationsThenStepsIntoNavigation)
{
    EXPECT_EQ(_getTabBarController(), nullptr); // no window yet
    EXPECT_EQ(_getTopPresentedViewController(), nullptr);
    makeWindow();
    auto *tabs = new TabBarController;
    auto *browserTop = new ViewController;
    auto *browser = new NavigationController(browserTop);
    tabs->setViewControllers({ new ViewController, browser });
    tabs->setSelectedIndex(1);
    window->setRootViewController(tabs);
    EXPECT_EQ(_getTabBarController(), tabs);
    EXPECT_EQ(_getTopPresentedViewController(), browserTop);

    auto *modalTop = new ViewController;
    auto *modal = new NavigationController(modalTop);
    browser->present(modal, false);
    EXPECT_EQ(_getTopPresentedViewController(), modalTop);
    EXPECT_EQ(_getTopPresentedViewController(browserTop), modalTop);

    // A root of another class has no tab bar controller and no top screen.
    window->setRootViewController(new ViewController);
    EXPECT_EQ(_getTabBarController(), nullptr);
    EXPECT_EQ(_getTopPresentedViewController(), nullptr);
}

TEST_F(ScreenAlertPresenterTest, DefaultAlertIsQueuedShownFromTheTopAndCallsBackAfterClosing)
{
    makeWindow();
    auto *tabs = new TabBarController;
    auto *top = new ViewController;
    tabs->setViewControllers({ new NavigationController(top) });
    window->setRootViewController(tabs);
    QString tapped;
    _showTarnikDefaultAlert(QStringLiteral("Error Occurred"), QStringLiteral("Failed."),
        [&](const AlertAction &action) { tapped = action.title; });
    EXPECT_EQ(tabs->presentedViewController(), nullptr); // queued, even on the GUI thread
    drainMainQueue();
    auto *alert = qobject_cast<AlertController *>(tabs->presentedViewController());
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->alertTitle(), QStringLiteral("Error Occurred"));
    ASSERT_EQ(alert->actions().size(), 1);
    EXPECT_EQ(alert->actions().first()->title(), QStringLiteral("OK"));
    settle();
    alert->buttonFor(alert->actions().first())->click();
    EXPECT_TRUE(tapped.isEmpty());
    settle();
    EXPECT_EQ(tapped, QStringLiteral("OK"));
    EXPECT_EQ(tabs->presentedViewController(), nullptr);
}

TEST_F(ScreenAlertPresenterTest, AlertsFromOtherThreadsOrForGoneScreensAreSafe)
{
    makeWindow();
    auto *root = new TabBarController;
    root->setViewControllers({ new ViewController });
    window->setRootViewController(root);
    QThread *thread = QThread::create([] { _showTarnikDefaultAlert(QStringLiteral("T"), QStringLiteral("M")); });
    thread->start();
    thread->wait();
    delete thread;
    drainMainQueue();
    EXPECT_NE(qobject_cast<AlertController *>(root->presentedViewController()), nullptr);
    root->dismiss(false);

    auto *gone = new ViewController;
    root->present(gone, false);
    _showTarnikDefaultAlert(QStringLiteral("T"), QStringLiteral("M"), {}, gone);
    root->dismiss(false);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    drainMainQueue();
    EXPECT_EQ(root->presentedViewController(), nullptr);
}
