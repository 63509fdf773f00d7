// The file browser's own costs, each as a ratio or against a budget:
//  - OpenFolder: a browser level opening a folder of 100,000 files until its first page is on
//    screen (listed, applied and painted), against `ls -v` listing the same folder; also the heap
//    the open level holds;
//  - ScrollList / ScrollGrid: time per frame while the open level scrolls a folder of 2,000
//    tagged songs with artwork with its real entry cells (details load as rows come into view),
//    against a 4 ms budget; 2,000 frames of 60 points, each laid out and painted.
// Fixtures are made once into $XDG_CACHE_HOME/tarnik-bench (or ~/.cache/tarnik-bench).
#include "App/Preferences.h"
#include "Browser/DirectoryNavigationController.h"
#include "Browser/DirectoryViewController.h"
#include "Entries/EntryViewModelController.h"
#include "Platform/UI/AnimationDriver.h"
#include "Platform/UI/DeviceProfile.h"
#include "Platform/UI/Window.h"
#include "BenchSupport.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>
#include <vector>

using namespace tarnik;
using bench::benchFolder;

namespace {

constexpr double kBudgetMs = 4.0;

QString taggedSongs()
{
    const QString folder = benchFolder(QStringLiteral("browser-songs-2000"));
    const QString done = folder + QStringLiteral("/.complete");
    if (QFile::exists(done))
        return folder;
    const QString cover = folder + QStringLiteral("/.cover.png");
    const QString song = folder + QStringLiteral("/.song.mp3");
    QProcess::execute(QStringLiteral("ffmpeg"),
        { QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-y"), QStringLiteral("-f"),
            QStringLiteral("lavfi"), QStringLiteral("-i"), QStringLiteral("testsrc=size=300x300:rate=1"),
            QStringLiteral("-frames:v"), QStringLiteral("1"), cover });
    QProcess::execute(QStringLiteral("ffmpeg"),
        { QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-y"), QStringLiteral("-f"),
            QStringLiteral("lavfi"), QStringLiteral("-i"), QStringLiteral("sine=duration=1"), QStringLiteral("-i"), cover,
            QStringLiteral("-map"), QStringLiteral("0:a"), QStringLiteral("-map"), QStringLiteral("1:v"),
            QStringLiteral("-c:a"), QStringLiteral("libmp3lame"), QStringLiteral("-c:v"), QStringLiteral("mjpeg"),
            QStringLiteral("-disposition:v"), QStringLiteral("attached_pic"), QStringLiteral("-metadata"),
            QStringLiteral("title=Bench Song"), QStringLiteral("-metadata"), QStringLiteral("artist=Bench Artist"), song });
    for (int i = 0; i < 2000; ++i)
        QFile::copy(song, folder + QStringLiteral("/Song %1.mp3").arg(i));
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

struct Browser
{
    Window window;
    DirectoryNavigationController *nav = nullptr;

    explicit Browser(const QString &folder)
    {
        DeviceProfile::setOverride(DeviceProfile::Override { UserInterfaceIdiom::phone, QSizeF(375, 667) });
        window.resize(375, 667);
        window.makeKeyAndVisible();
        nav = new DirectoryNavigationController;
        window.setRootViewController(nav);
        nav->browseToFile(folder);
    }
    DirectoryViewController *level() const { return qobject_cast<DirectoryViewController *>(nav->topViewController()); }
    void waitForFirstPage()
    {
        DirectoryViewController *top = level();
        waitFor([top] { return top->appliedListings() > 0; });
        window.repaint();
    }
};

void OpenFolder(benchmark::State &state)
{
    const QString folder = bench::emptyFiles(100000);
    bench::lsVersionSortSeconds(folder);
    double open = 0;
    double bare = 0;
    double held = 0;
    int n = 0;
    for (auto _ : state) {
        bare += bench::lsVersionSortSeconds(folder);
        malloc_trim(0);
        const size_t before = mallinfo2().uordblks;
        QElapsedTimer timer;
        timer.start();
        auto browser = std::make_unique<Browser>(folder);
        browser->waitForFirstPage();
        open += double(timer.nsecsElapsed()) / 1e9;
        held += double(mallinfo2().uordblks) - double(before);
        browser.reset();
        QCoreApplication::processEvents();
        ++n;
    }
    state.counters["ls_v_ms"] = bare / n * 1e3;
    state.counters["open_ms"] = open / n * 1e3;
    state.counters["ratio"] = open / bare;
    state.counters["held_MiB"] = held / n / (1024.0 * 1024.0);
}

void scroll(benchmark::State &state, bool list)
{
    Preferences::setIsListView(list);
    const QString folder = taggedSongs();
    Browser browser(folder);
    browser.waitForFirstPage();
    CollectionView *view = browser.level()->collectionView();
    std::vector<double> frames;
    for (auto _ : state) {
        view->setContentOffset(QPointF(0, 0));
        for (int frame = 0; frame < 2000; ++frame) {
            const double y = std::min(view->maximumContentOffset().y(), (frame + 1) * 60.0);
            QElapsedTimer timer;
            timer.start();
            view->setContentOffset(QPointF(0, y));
            view->layoutIfNeeded();
            view->repaint();
            frames.push_back(double(timer.nsecsElapsed()) / 1e6);
            // Loaded rows arrive between frames, as they would between vertical syncs.
            QCoreApplication::processEvents();
        }
    }
    std::sort(frames.begin(), frames.end());
    double sum = 0;
    for (double f : frames)
        sum += f;
    const double mean = sum / double(frames.size());
    const double p99 = frames[size_t(double(frames.size() - 1) * 0.99)];
    state.counters["frame_ms_mean"] = mean;
    state.counters["frame_ms_p99"] = p99;
    state.counters["budget_ms"] = kBudgetMs;
    state.counters["mean_to_budget"] = mean / kBudgetMs;
}

void ScrollList(benchmark::State &state)
{
    scroll(state, true);
}

void ScrollGrid(benchmark::State &state)
{
    scroll(state, false);
}

BENCHMARK(OpenFolder)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(ScrollList)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(ScrollGrid)->Unit(benchmark::kMillisecond)->Iterations(1);

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
