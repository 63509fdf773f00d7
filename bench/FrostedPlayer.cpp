// What one frame of a sliding title costs the player views over their backdrop. The app's root
// (the tab bar host with the Files tab showing a folder of 40 songs' names) is put in a 420 x 780
// window; the mini player is raised, or the full player is presented over the browser. Each frame
// moves the title's two text copies one point to the left, as the marquee does, and lets Qt paint
// what changed. The backdrop is either the frosted panel the player views carry (which renders
// and blurs what lies behind it whenever it is painted) or, for comparison, a plain fill in the
// panel's colour. Counters: mean and 99th percentile of a frame in ms, and how many times the
// frosted surface and the title's text painted per frame (each frame must paint the text once).
#include "App/MainStoryboard.h"
#include "Browser/DirectoryNavigationController.h"
#include "Browser/DirectoryViewController.h"
#include "Controls/PassThroughView.h"
#include "Platform/UI/AnimationDriver.h"
#include "Platform/UI/DeviceProfile.h"
#include "Platform/UI/Storyboard.h"
#include "Platform/UI/VisualEffectView.h"
#include "Platform/UI/Window.h"
#include "Player/CustomTabBarController.h"
#include "Player/PlayerView.h"
#include "Player/PlayerViewController.h"
#include "Player/SlidingLabel.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <vector>

using namespace tarnik;

namespace {

void waitFor(const std::function<bool()> &done)
{
    for (int i = 0; i < 2000 && !done(); ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::yieldCurrentThread();
    }
}

void settle(double seconds)
{
    for (int i = 0; i < int(seconds * 60); ++i) {
        AnimationDriver::shared().advance(1.0 / 60);
        QCoreApplication::processEvents();
    }
}

class PaintCounter : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

// Stands in for the backdrop before the views carried the frosted panel: the panel hidden, the
// player view filled with the smoke colour.
void makePlain(PlayerView *view)
{
    view->blurView()->hide();
    QPalette palette = view->palette();
    palette.setColor(QPalette::Window, QColor(0xf8, 0xf8, 0xf8));
    view->setPalette(palette);
    view->setAutoFillBackground(true);
}

void marquee(benchmark::State &state, bool full, bool frosted)
{
    QTemporaryDir folder;
    for (int i = 0; i < 40; ++i) {
        QFile file(folder.filePath(QStringLiteral("Field Recording %1.txt").arg(i, 2, 10, QLatin1Char('0'))));
        file.open(QIODevice::WriteOnly);
    }
    DeviceProfile::setOverride(std::nullopt);
    Window window;
    window.resize(420, 780);
    window.makeKeyAndVisible();
    MainStoryboard::registerScreens();
    auto *host = Storyboard(MainStoryboard::kName).instantiate<CustomTabBarController>(QStringLiteral("RootTabBarController"));
    window.setRootViewController(host);
    host->setSelectedIndex(1);
    auto *browser = qobject_cast<DirectoryNavigationController *>(host->viewControllers().value(1));
    browser->browseToFile(folder.path());
    settle(0.5);
    auto *level = qobject_cast<DirectoryViewController *>(browser->topViewController());
    waitFor([level] { return level && level->appliedListings() > 0; });
    settle(0.5);

    PlayerView *view = host->miniPlayerView();
    view->setAnimate(PlayerViewAnimation::up);
    settle(0.5);
    if (full) {
        host->miniPlayerViewTapped();
        settle(1.0);
        view = host->playerViewController()->playerView();
    }
    if (!frosted)
        makePlain(view);
    SlidingLabel *title = view->title();
    // The real marquee stays put; the frames below move the text instead, one point each.
    title->animationDelay = 1e9;
    title->setText(QStringLiteral("Evening Lights Over The Harbour, Recorded Live At The Long Summer Festival"));
    settle(0.2);

    PaintCounter counter;
    view->blurView()->visualEffectView()->installEventFilter(&counter);
    PaintCounter text;
    title->label1()->installEventFilter(&text);
    std::vector<double> frames;
    int offset = 0;
    for (auto _ : state) {
        for (int i = 0; i < 120; ++i) {
            offset = offset <= -300 ? 0 : offset - 1;
            QElapsedTimer timer;
            timer.start();
            title->label1()->move(offset, 0);
            title->label2()->move(offset + title->label1()->width() + int(title->textGap), 0);
            QCoreApplication::processEvents();
            frames.push_back(double(timer.nsecsElapsed()) / 1e6);
        }
    }
    std::sort(frames.begin(), frames.end());
    double sum = 0;
    for (double f : frames)
        sum += f;
    state.counters["frame_ms_mean"] = sum / double(frames.size());
    state.counters["frame_ms_p99"] = frames[size_t(double(frames.size() - 1) * 0.99)];
    state.counters["backdrop_paints_per_frame"] = double(counter.paints) / double(frames.size());
    state.counters["title_paints_per_frame"] = double(text.paints) / double(frames.size());
    window.setRootViewController(nullptr);
}

void MiniPlain(benchmark::State &state)
{
    marquee(state, false, false);
}
void MiniFrosted(benchmark::State &state)
{
    marquee(state, false, true);
}
void FullPlain(benchmark::State &state)
{
    marquee(state, true, false);
}
void FullFrosted(benchmark::State &state)
{
    marquee(state, true, true);
}

BENCHMARK(MiniPlain)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(MiniFrosted)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(FullPlain)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(FullFrosted)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tarnik"));
    AnimationDriver::shared().setManual(true);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
