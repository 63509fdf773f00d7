#include "App/Globals.h"

#include "Platform/Dispatch.h"
#include "Support/FakeAlertPresenter.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace tarnik {
namespace {

using testing::FakeAlertPresenter;
using Kind = FakeAlertPresenter::Kind;

// Installs a fake presenter for one test and removes it afterwards.
class GlobalsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fake = std::make_shared<FakeAlertPresenter>();
        setAlertPresenter(fake);
    }
    void TearDown() override { setAlertPresenter(nullptr); }

    // Runs what the main queue holds.
    static void drainMainQueue()
    {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    }

    std::shared_ptr<FakeAlertPresenter> fake;
};

TEST_F(GlobalsTest, TabBarControllerOnlyWhenTheRootIsOne)
{
    EXPECT_EQ(_getTabBarController(), nullptr); // no root
    ViewController *plain = fake->makeScreen();
    fake->setRoot(plain);
    EXPECT_EQ(_getTabBarController(), nullptr);
    EXPECT_EQ(_getTopPresentedViewController(), nullptr);
    ViewController *tabs = fake->makeScreen(Kind::tabBar);
    fake->setRoot(tabs);
    EXPECT_EQ(reinterpret_cast<ViewController *>(_getTabBarController()), tabs);
    EXPECT_EQ(_getTopPresentedViewController(), nullptr); // no selected screen

    setAlertPresenter(nullptr);
    EXPECT_EQ(_getTabBarController(), nullptr);
    EXPECT_EQ(_getTopPresentedViewController(), nullptr);
}

TEST_F(GlobalsTest, TopPresentedFollowsTheChainThenTheNavigationTop)
{
    ViewController *tabs = fake->makeScreen(Kind::tabBar);
    ViewController *navigation = fake->makeScreen(Kind::navigation);
    ViewController *listing = fake->makeScreen();
    fake->setRoot(tabs);
    fake->setSelected(tabs, navigation);
    fake->setNavigationTop(navigation, listing);
    EXPECT_EQ(_getTopPresentedViewController(), listing);

    // A navigation controller presenting a modal screen: the modal screen, not its own top.
    ViewController *modal = fake->makeScreen();
    fake->setPresented(navigation, modal);
    EXPECT_EQ(_getTopPresentedViewController(), modal);

    // A modal navigation controller: its top screen.
    ViewController *modalNavigation = fake->makeScreen(Kind::navigation);
    ViewController *modalTop = fake->makeScreen();
    fake->setNavigationTop(modalNavigation, modalTop);
    fake->setPresented(navigation, modalNavigation);
    EXPECT_EQ(_getTopPresentedViewController(), modalTop);
    EXPECT_EQ(_getTopPresentedViewController(listing), listing);
    // A navigation controller without a top screen is itself the answer.
    ViewController *bare = fake->makeScreen(Kind::navigation);
    EXPECT_EQ(_getTopPresentedViewController(bare), bare);
}

TEST_F(GlobalsTest, AlertIsQueuedAndShownFromTheTopScreen)
{
    ViewController *tabs = fake->makeScreen(Kind::tabBar);
    ViewController *screen = fake->makeScreen();
    ViewController *modal = fake->makeScreen();
    fake->setRoot(tabs);
    fake->setSelected(tabs, screen);
    fake->setPresented(screen, modal);

    int handled = 0;
    _showTarnikDefaultAlert(QStringLiteral("T"), QStringLiteral("M"), [&](const AlertAction &action) {
        EXPECT_EQ(action.title, QStringLiteral("OK"));
        ++handled;
    });
    EXPECT_TRUE(fake->alerts().isEmpty()); // queued even on the GUI thread
    drainMainQueue();
    ASSERT_EQ(fake->alerts().size(), 1);
    const auto &alert = fake->alerts().first();
    EXPECT_EQ(alert.presenter, modal);
    EXPECT_EQ(alert.title, QStringLiteral("T"));
    EXPECT_EQ(alert.message, QStringLiteral("M"));
    EXPECT_EQ(alert.action.title, QStringLiteral("OK")); // no translation: the key
    alert.handler(alert.action);
    EXPECT_EQ(handled, 1);

    // Without a handler the action only closes the alert.
    _showTarnikDefaultAlert(QStringLiteral("T"), QStringLiteral("M"), {}, screen);
    drainMainQueue();
    ASSERT_EQ(fake->alerts().size(), 2);
    EXPECT_EQ(fake->alerts().last().presenter, modal);
    EXPECT_FALSE(fake->alerts().last().handler);
}

TEST_F(GlobalsTest, AlertWithoutAScreenIsDropped)
{
    _showTarnikDefaultAlert(QStringLiteral("T"), QStringLiteral("M"));
    drainMainQueue();
    EXPECT_TRUE(fake->alerts().isEmpty());

    // A given presenter that is gone before the queued alert runs.
    ViewController *screen = fake->makeScreen();
    _showTarnikDefaultAlert(QStringLiteral("T"), QStringLiteral("M"), {}, screen);
    fake->destroy(screen);
    drainMainQueue();
    EXPECT_TRUE(fake->alerts().isEmpty());

    setAlertPresenter(nullptr);
    _showTarnikDefaultAlert(QStringLiteral("T"), QStringLiteral("M"));
    drainMainQueue();
}

TEST_F(GlobalsTest, AlertFromABackgroundThreadIsShownOnTheGuiThread)
{
    ViewController *screen = fake->makeScreen();
    std::unique_ptr<QThread> thread(
        QThread::create([screen] { _showTarnikDefaultAlert(QStringLiteral("T"), QStringLiteral("M"), {}, screen); }));
    thread->start();
    thread->wait();
    EXPECT_TRUE(fake->alerts().isEmpty());
    drainMainQueue();
    ASSERT_EQ(fake->alerts().size(), 1);
    EXPECT_EQ(fake->alerts().first().presenter, screen);
}

TEST(Globals, DelayRunsOnTheMainQueueAfterTheDelay)
{
    Dispatch::VirtualClock clock;
    bool ran = false;
    _delayWithSeconds(1.5, [&] {
        EXPECT_TRUE(Dispatch::isMainThread());
        ran = true;
    });
    clock.advance(1.4);
    EXPECT_FALSE(ran);
    clock.advance(0.1);
    EXPECT_TRUE(ran);
}

TEST(Globals, LocalizedStringFallsBackToTheKey)
{
    EXPECT_EQ(_localizedString(QStringLiteral("OK")), QStringLiteral("OK"));
    EXPECT_EQ(_localizedString(QStringLiteral(u"Caf\u00e9 \u2013 1")), QStringLiteral(u"Caf\u00e9 \u2013 1"));
    EXPECT_EQ(_localizedString(QString()), QString());
}

TEST(Globals, Year)
{
    EXPECT_EQ(yearOf(QDate(2016, 5, 1)), 2016);
    EXPECT_EQ(yearOf(QDate()), 2018); // nothing to read
    EXPECT_EQ(_currentYear(), QDate::currentDate().year());
}

TEST(Globals, AnimationFramesInNumericOrder)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    EXPECT_FALSE(animationImages(folder.path()));
    for (int n : { 10, 2, 9, 1 }) {
        QImage frame(n, 1, QImage::Format_RGB32); // the width tells the frames apart
        frame.fill(Qt::black);
        ASSERT_TRUE(frame.save(folder.filePath(QString::number(n) + QStringLiteral(".png"))));
    }
    const auto frames = animationImages(folder.path());
    ASSERT_TRUE(frames);
    QList<int> widths;
    for (const QImage &frame : *frames)
        widths.append(frame.width());
    EXPECT_EQ(widths, (QList<int> { 1, 2, 9, 10 }));
}

TEST(Globals, TheBundleShipsSixteenAnimationFrames)
{
    const auto frames = DEFAULT_ANIMATION_IMAGES();
    ASSERT_TRUE(frames);
    EXPECT_EQ(frames->size(), 16);
    for (const QImage &frame : *frames)
        EXPECT_FALSE(frame.isNull());
}

TEST(Globals, PrintHooksSpeakInDebugBuildsOrWithTarnikDebug)
{
#ifdef TARNIK_DEBUG_PRINT
    const bool debugBuild = true;
#else
    const bool debugBuild = false;
#endif
    static QStringList captured;
    for (const bool asked : { false, true }) {
        SCOPED_TRACE(asked ? "TARNIK_DEBUG set" : "TARNIK_DEBUG unset");
        if (asked)
            qputenv("TARNIK_DEBUG", "1");
        else
            qunsetenv("TARNIK_DEBUG");
        captured.clear();
        const QtMessageHandler previous = qInstallMessageHandler(
            [](QtMsgType, const QMessageLogContext &, const QString &message) { captured.append(message); });
        _print(QStringLiteral("hello"));
        _printFunc();
        qInstallMessageHandler(previous);
        if (debugBuild || asked) {
            ASSERT_EQ(captured.size(), 2);
            EXPECT_TRUE(captured[0].startsWith(QStringLiteral("GlobalsTest.cpp ")));
            EXPECT_TRUE(captured[0].contains(QStringLiteral("PrintHooksSpeakInDebugBuildsOrWithTarnikDebug")));
            EXPECT_TRUE(captured[0].endsWith(QStringLiteral("]: hello")));
        } else {
            EXPECT_TRUE(captured.isEmpty());
        }
    }
    qunsetenv("TARNIK_DEBUG");
}

} // namespace
} // namespace tarnik
