#include "App/AppDelegate.h"

#include "App/Constants.h"
#include "App/Preferences.h"
#include "Platform/PartialFiles.h"
#include "Platform/Playback/AudioSession.h"
#include "Platform/Playback/FakePlaybackBackend.h"
#include "Platform/Playback/PlatformPlayer.h"
#include "Platform/StandardFolders.h"
#include "Platform/UI/BarButtonItem.h"
#include "Platform/UI/NavigationController.h"
#include "Platform/UI/TabBarController.h"
#include "Platform/UI/TabBarItem.h"
#include "Platform/UI/Window.h"
#include "Support/ShellFakes.h"
#include "Support/UiTestSupport.h"

#include <QDir>
#include <QFile>
#include <sys/wait.h>
#include <unistd.h>

using namespace tarnik;
using namespace tarnik::test;

namespace {

void touch(const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("x");
}

std::unique_ptr<PlatformPlayer> makePlayer()
{
    return std::make_unique<PlatformPlayer>(std::make_unique<FakePlaybackBackend>());
}

} // namespace

class AppDelegateTest : public ScreenTest
{
protected:
    void SetUp() override
    {
        ScreenTest::SetUp();
        delegate.sleep = [this](double seconds) { pauses.push_back(seconds); };
        delegate.setSharedPlayerLink(link);
    }
    AppDelegate delegate;
    std::vector<double> pauses;
    std::shared_ptr<FakePlayerLink> link = std::make_shared<FakePlayerLink>();
};

TEST_F(AppDelegateTest, LaunchRunsItsStepsInOrder)
{
    QStringList steps;
    delegate.launchStepObserver = [&](const QString &s) { steps.append(s); };
    touch(Preferences::inboxPath() + QStringLiteral("/held.mp3"));
    EXPECT_TRUE(delegate.applicationDidFinishLaunching());
    EXPECT_EQ(steps,
        (QStringList { QStringLiteral("pause"), QStringLiteral("appearance"), QStringLiteral("temporaryDirectory"),
            QStringLiteral("inbox"), QStringLiteral("audioSession") }));
    EXPECT_EQ(pauses, std::vector<double> { 1.0 });
    EXPECT_FALSE(QFileInfo::exists(Preferences::inboxPath())); // removed with what it held
    EXPECT_EQ(Preferences::tempDirectory(), StandardFolders::temporaryDirectory());
    EXPECT_EQ(AudioSession::shared().category(), AudioSession::categoryPlayback);
    EXPECT_EQ(AudioSession::shared().mode(), AudioSession::modeDefault);
    EXPECT_EQ(AudioSession::shared().categoryOptions(), 76u);
    EXPECT_FALSE(AudioSession::shared().isActive());

    const auto bar = BarButtonItem::appearance().titleTextAttributes;
    EXPECT_EQ(bar.value(ControlState::normal).foregroundColor, Common::greyColor());
    EXPECT_EQ(bar.value(ControlState::normal).font, Common::defaultFont());
    EXPECT_NEAR(bar.value(ControlState::disabled).foregroundColor->alphaF(), 0.3, 0.01);
    const auto tab = TabBarItem::appearance().titleTextAttributes;
    EXPECT_EQ(tab.value(ControlState::normal).foregroundColor, QColor(0x4b, 0x50, 0x54));
    EXPECT_EQ(tab.value(ControlState::selected).foregroundColor, QColor(Qt::white));
    // No inbox at all is no error.
    EXPECT_TRUE(delegate.applicationDidFinishLaunching());
}

TEST_F(AppDelegateTest, LaunchRemovesOnlyAnEarlierTemporaryFolderOfItsOwn)
{
    const QString current = StandardFolders::temporaryDirectory();
    const QString ownOld = StandardFolders::cachesDirectory() + QStringLiteral("/old-tmp");
    const QString foreign = QDir::homePath() + QStringLiteral("/Music");
    touch(ownOld + QStringLiteral("/a"));
    touch(foreign + QStringLiteral("/song.mp3"));
    touch(current + QStringLiteral("keep"));
    struct Row
    {
        std::optional<QString> recorded;
        QString mustVanish;
        QStringList mustStay;
    };
    const Row rows[] = {
        { std::nullopt, {}, { current + QStringLiteral("keep") } },
        { current, {}, { current + QStringLiteral("keep") } },
        { QStringLiteral("/nonexistent/tmp/"), {}, { current + QStringLiteral("keep") } },
        { ownOld + QStringLiteral("/"), ownOld, { current + QStringLiteral("keep") } },
        // A recorded path outside the app's cache folder is never removed.
        { foreign, {}, { foreign + QStringLiteral("/song.mp3") } },
        { StandardFolders::cachesDirectory() + QStringLiteral("/.."), {}, { foreign + QStringLiteral("/song.mp3") } },
        { QStringLiteral("/"), {}, { foreign + QStringLiteral("/song.mp3") } },
    };
    for (const Row &row : rows) {
        Preferences::setTempDirectory(row.recorded);
        delegate.applicationDidFinishLaunching();
        if (!row.mustVanish.isEmpty()) {
            EXPECT_FALSE(QFileInfo::exists(row.mustVanish)) << row.recorded->toStdString();
        }
        for (const QString &path : row.mustStay)
            EXPECT_TRUE(QFileInfo::exists(path)) << path.toStdString();
        EXPECT_EQ(Preferences::tempDirectory(), current);
    }
}

TEST_F(AppDelegateTest, LaunchRemovesWhatAKilledConversionLeftBesideTheUsersFile)
{
    // A conversion killed mid-export: its partial copy and the export's partial file beside it,
    // recorded by a process that has ended.
    const QString music = QDir::homePath() + QStringLiteral("/Converted");
    touch(music + QStringLiteral("/Long.ogg"));
    const auto conversion = PartialFiles::create(music + QStringLiteral("/Long_AAC.m4a"));
    ASSERT_TRUE(conversion);
    const auto exporting = PartialFiles::create(*conversion);
    ASSERT_TRUE(exporting);
    const pid_t ended = ::fork();
    if (ended == 0)
        ::_exit(0);
    ::waitpid(ended, nullptr, 0);
    for (const QString &name : QDir(PartialFiles::recordsFolder()).entryList(QDir::Files)) {
        QFile record(PartialFiles::recordsFolder() + QLatin1Char('/') + name);
        ASSERT_TRUE(record.open(QIODevice::ReadWrite));
        const QByteArray path = record.readAll().split('\n').value(1);
        if (!path.startsWith(QFile::encodeName(music)))
            continue;
        record.resize(0);
        record.seek(0);
        record.write(QByteArray::number(qint64(ended)) + '\n' + path);
    }

    delegate.applicationDidFinishLaunching();

    EXPECT_EQ(QDir(music).entryList(QDir::Files | QDir::Hidden), QStringList { QStringLiteral("Long.ogg") });
}

TEST_F(AppDelegateTest, BackgroundDetachesThePlayerAndForegroundGivesItBack)
{
    auto player = makePlayer();
    auto other = makePlayer();
    FakePlayerSurface video;
    FakePlayerSurface audio;

    // Neither view: the player field stays, the now-playing info is refreshed.
    delegate.applicationDidEnterBackground();
    EXPECT_EQ(delegate.player(), nullptr);
    EXPECT_EQ(link->calls, QStringList { QStringLiteral("refreshNowPlaying") });
    delegate.applicationWillEnterForeground(); // nothing to re-attach, nothing happens

    // Both set: only the video screen is detached and re-attached.
    video.setPlayer(player.get());
    audio.setPlayer(other.get());
    delegate.setVideoPlayer(&video);
    delegate.setAudioPlayerLayer(&audio);
    delegate.applicationDidEnterBackground();
    EXPECT_EQ(delegate.player(), player.get());
    EXPECT_EQ(video.player(), nullptr);
    EXPECT_EQ(audio.player(), other.get());
    delegate.applicationWillEnterForeground();
    EXPECT_EQ(video.player(), player.get());
    EXPECT_EQ(delegate.player(), player.get()); // the field keeps its value

    // Only the audio layer, showing nothing: the field becomes none and the
    // layer gets none back.
    delegate.setVideoPlayer(nullptr);
    audio.setPlayer(nullptr);
    delegate.applicationDidEnterBackground();
    EXPECT_EQ(delegate.player(), nullptr);
    const int sets = audio.sets;
    delegate.applicationWillEnterForeground();
    EXPECT_EQ(audio.sets, sets + 1);
    EXPECT_EQ(audio.player(), nullptr);

    // A surface that went away is no longer used.
    {
        FakePlayerSurface gone;
        delegate.setVideoPlayer(&gone);
    }
    EXPECT_EQ(delegate.videoPlayer(), nullptr);

    link->calls.clear();
    delegate.applicationDidBecomeActive();
    EXPECT_EQ(link->calls, QStringList { QStringLiteral("didChangeItem") });
    EXPECT_EQ(delegate.applicationSupportedInterfaceOrientations(), 30u);
}

namespace {
class CountingDelegate : public AppDelegate
{
public:
    void dismissPresentedViewControllers(ViewController *root) override
    {
        ViewController *presented = root ? root->presentedViewController() : nullptr;
        depthAtCall.append(presented ? (presented->presentedViewController() ? 2 : 1) : 0);
        AppDelegate::dismissPresentedViewControllers(root);
    }
    QList<int> depthAtCall;
};
} // namespace

TEST_F(AppDelegateTest, DismissalChainTakesOneLevelPerDismissal)
{
    makeWindow();
    auto *root = new ViewController;
    window->setRootViewController(root);
    CountingDelegate chain;
    chain.dismissPresentedViewControllers(root);
    EXPECT_EQ(chain.depthAtCall, QList<int> { 0 });

    chain.depthAtCall.clear();
    auto *first = new ViewController;
    auto *second = new ViewController;
    root->present(first, false);
    first->present(second, false);
    chain.dismissPresentedViewControllers(root);
    // Called for two levels, then for one (from the first completion), then
    // for none (from the second).
    EXPECT_EQ(chain.depthAtCall, (QList<int> { 2, 1, 0 }));
    EXPECT_EQ(root->presentedViewController(), nullptr);
}

namespace {
class StateRecorder : public AppDelegate
{
public:
    void applicationDidEnterBackground() override { calls.append(QStringLiteral("background")); }
    void applicationWillEnterForeground() override { calls.append(QStringLiteral("foreground")); }
    void applicationDidBecomeActive() override { calls.append(QStringLiteral("active")); }
    void applicationWillResignActive() override { calls.append(QStringLiteral("resign")); }
    QStringList calls;
};
} // namespace

TEST(AppDelegateStateTest, QtStatesMapToTheLifeCycleCallbacks)
{
    StateRecorder d;
    const struct
    {
        Qt::ApplicationState state;
        QStringList calls;
    } rows[] = {
        { Qt::ApplicationActive, { QStringLiteral("active") } },
        { Qt::ApplicationActive, {} },
        { Qt::ApplicationInactive, { QStringLiteral("resign") } },
        { Qt::ApplicationHidden, { QStringLiteral("background") } },
        { Qt::ApplicationSuspended, {} },
        { Qt::ApplicationActive, { QStringLiteral("foreground"), QStringLiteral("active") } },
        { Qt::ApplicationHidden, { QStringLiteral("resign"), QStringLiteral("background") } },
        { Qt::ApplicationInactive, { QStringLiteral("foreground") } },
    };
    for (const auto &row : rows) {
        d.calls.clear();
        d.applicationStateChanged(row.state);
        EXPECT_EQ(d.calls, row.calls) << int(row.state);
    }
}

TEST(AppDelegateStateTest, AMinimisedWindowKeepsTheAppInTheBackground)
{
    StateRecorder d;
    Window window;
    d.setWindow(&window);
    d.applicationStateChanged(Qt::ApplicationActive);
    window.setWindowState(Qt::WindowMinimized);
    d.calls.clear();
    // The minimising is seen first; the lost focus is reported a moment later.
    d.applicationStateChanged(Qt::ApplicationHidden);
    d.applicationStateChanged(Qt::ApplicationInactive);
    EXPECT_EQ(d.calls, (QStringList { QStringLiteral("resign"), QStringLiteral("background") }));
    d.calls.clear();
    window.setWindowState(Qt::WindowNoState);
    d.applicationStateChanged(Qt::ApplicationInactive);
    d.applicationStateChanged(Qt::ApplicationActive);
    EXPECT_EQ(d.calls, (QStringList { QStringLiteral("foreground"), QStringLiteral("active") }));
}

TEST(BrowserServicesTest, DirectoryViewControllerIsTheFirstNavigationTopThatIsALevel)
{
    TabBarController tabs;
    EXPECT_EQ(directoryViewController(&tabs), nullptr);
    EXPECT_EQ(directoryViewController(nullptr), nullptr);
    auto *plain = new NavigationController(new ViewController);
    auto *browser = new FakeDirectoryNavigationController;
    tabs.setViewControllers({ new ViewController, plain, browser });
    EXPECT_EQ(directoryViewController(&tabs), browser->topViewController());
    browser->levelsOnBrowse = false;
    browser->browseToFile(QStringLiteral("/"));
    EXPECT_EQ(directoryViewController(&tabs), nullptr);
}
