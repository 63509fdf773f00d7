// What a user's resize of the window costs: the window holds a browser level showing a folder of
// 10,000 files, and each step resizes it to the next of the sizes a desktop user gives it (phone
// and pad profiles, list and grid), then lays the level out again and paints it, as one frame.
// The mean time of a step is put against the 16 ms budget of a 60 Hz frame.
// The fixture is made once into $XDG_CACHE_HOME/tarnik-bench (or ~/.cache/tarnik-bench).
#include "App/Preferences.h"
#include "Browser/DirectoryNavigationController.h"
#include "Browser/DirectoryViewController.h"
#include "Platform/UI/AnimationDriver.h"
#include "Platform/UI/CollectionView.h"
#include "Platform/UI/DeviceProfile.h"
#include "Platform/UI/Window.h"
#include "BenchSupport.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

using namespace tarnik;

namespace {

constexpr double kFrameMs = 16.0;
constexpr int kRows = 10000;

QString tenThousandFiles()
{
    const QString folder = bench::benchFolder(QStringLiteral("resize-10000"));
    const QString done = folder + QStringLiteral("/.complete");
    if (QFile::exists(done))
        return folder;
    const QByteArray prefix = QFile::encodeName(folder) + "/Field Recording ";
    for (int i = 0; i < kRows; ++i) {
        const QByteArray name = prefix + QByteArray::number(i) + ".txt";
        ::close(::open(name.constData(), O_CREAT | O_WRONLY, 0600));
    }
    ::close(::open(QFile::encodeName(done).constData(), O_CREAT | O_WRONLY, 0600));
    return folder;
}

void waitFor(const std::function<bool()> &done)
{
    while (!done()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::yieldCurrentThread();
    }
}

void resize(benchmark::State &state, bool list)
{
    Preferences::setIsListView(list);
    const QString folder = tenThousandFiles();
    DeviceProfile::setOverride(std::nullopt);
    Window window;
    window.resize(420, 780);
    window.makeKeyAndVisible();
    auto *nav = new DirectoryNavigationController;
    window.setRootViewController(nav);
    nav->browseToFile(folder);
    auto *level = qobject_cast<DirectoryViewController *>(nav->topViewController());
    // The folder listed: every name is a row of the layout, so each resize lays out all 10,000.
    waitFor([level] { return level->appliedListings() > 0; });
    CollectionView *view = level->collectionView();
    // Pages come as the user reaches the last row: scroll to the end until every row is there.
    waitFor([view] {
        view->layoutIfNeeded();
        view->setContentOffset(QPointF(0, view->maximumContentOffset().y()));
        view->layoutIfNeeded();
        return view->numberOfItems(0) >= kRows;
    });
    view->layoutIfNeeded();
    view->setContentOffset(QPointF(0, view->maximumContentOffset().y() / 2));

    const QSize sizes[] = { { 420, 780 }, { 800, 600 }, { 1280, 1000 }, { 300, 450 }, { 1920, 1080 }, { 640, 700 } };
    std::vector<double> frames;
    size_t step = 0;
    for (auto _ : state) {
        for (int i = 0; i < 60; ++i) {
            const QSize size = sizes[step++ % std::size(sizes)];
            QElapsedTimer timer;
            timer.start();
            window.resize(size);
            QCoreApplication::sendPostedEvents();
            view->layoutIfNeeded();
            window.repaint();
            frames.push_back(double(timer.nsecsElapsed()) / 1e6);
            QCoreApplication::processEvents();
        }
    }
    std::sort(frames.begin(), frames.end());
    double sum = 0;
    for (double f : frames)
        sum += f;
    const double mean = sum / double(frames.size());
    state.counters["rows"] = view->numberOfItems(0);
    state.counters["frame_ms_mean"] = mean;
    state.counters["frame_ms_p99"] = frames[size_t(double(frames.size() - 1) * 0.99)];
    state.counters["budget_ms"] = kFrameMs;
    state.counters["mean_to_budget"] = mean / kFrameMs;
}

void ResizeList(benchmark::State &state)
{
    resize(state, true);
}

void ResizeGrid(benchmark::State &state)
{
    resize(state, false);
}

BENCHMARK(ResizeList)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(ResizeGrid)->Unit(benchmark::kMillisecond)->Iterations(1);

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
