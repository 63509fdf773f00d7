// The cost of the browser's listing and row loading, each against the bare work it stands for,
// both measured in the same run:
//  - ListingFirstPage: time until the first page's callback for a folder of 100,000 files,
//    against `ls -v` (a natural sort) listing the same folder, and the heap the listing holds;
//  - UpdateQueueRows: rows per second loaded through the "UpdateQueue" for 1,000 tagged files
//    with covers, against a bare TagLib loop reading the same tags and covers.
// Fixtures are made once into $XDG_CACHE_HOME/tarnik-bench (or ~/.cache/tarnik-bench). Settings go
// to a temporary folder, never to the user's.
#include "App/Preferences.h"
#include "Entries/Entry.h"
#include "Entries/EntryViewModel.h"
#include "Entries/EntryViewModelController.h"
#include "BenchSupport.h"
#include "TaggedFiles.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <malloc.h>

using namespace tarnik;

namespace {

// Every result arrives as a posted event, so the GUI thread sleeps until one comes instead of
// spinning beside the threads it waits for.
void waitFor(const std::function<bool()> &done)
{
    while (!done())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

size_t heapInUse()
{
    malloc_trim(0);
    return mallinfo2().uordblks;
}

void ListingFirstPage(benchmark::State &state)
{
    const QString folder = bench::emptyFiles(100000);
    Preferences::setShowHidden(false);
    Preferences::setHideUnsupported(false);
    double bareSeconds = 0;
    double listingSeconds = 0;
    double heldBytes = 0;
    for (auto _ : state) {
        const double bare = bench::lsVersionSortSeconds(folder);
        if (bare <= 0)
            state.SkipWithError("ls -v failed");
        bareSeconds += bare;

        const size_t before = heapInUse();
        auto controller = std::make_unique<EntryViewModelController>();
        bool paged = false;
        QElapsedTimer timer;
        timer.start();
        controller->getFiles(folder, std::nullopt,
            [&](bool, const std::optional<QString> &, const std::optional<QList<IndexPath>> &,
                const std::optional<IndexPath> &) { paged = true; });
        waitFor([&] { return paged; });
        listingSeconds += timer.nsecsElapsed() / 1e9;
        heldBytes += double(heapInUse()) - double(before);
        if (controller->numberOfFiles() != 100000)
            state.SkipWithError("the listing lost names");
    }
    const double n = double(state.iterations());
    state.counters["ls_v_ms"] = bareSeconds / n * 1e3;
    state.counters["first_page_ms"] = listingSeconds / n * 1e3;
    state.counters["ratio"] = listingSeconds / bareSeconds;
    state.counters["held_MiB"] = heldBytes / n / (1024.0 * 1024.0);
}

void UpdateQueueRows(benchmark::State &state)
{
    const QStringList &files = bench::taggedFiles();
    std::vector<QByteArray> names;
    for (const QString &file : files)
        names.push_back(QFile::encodeName(file));
    Preferences::setUsePersistentCache(false);
    double bareSeconds = 0;
    double queueSeconds = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        for (const QByteArray &name : names)
            bench::bareTagLibRead(name, false);
        bareSeconds += timer.nsecsElapsed() / 1e9;

        viewModelCache().removeAllObjects();
        QList<std::shared_ptr<EntryViewModel>> rows;
        for (const QString &file : files)
            rows.append(std::make_shared<EntryViewModel>(
                Entry(file, QFileInfo(file).fileName(), EntryType::exportable, IndexPath {}), false));
        EntryViewModelController controller;
        int loaded = 0;
        timer.restart();
        for (const auto &row : rows)
            controller.update(row, [&](const std::shared_ptr<EntryViewModel> &) { ++loaded; });
        waitFor([&] { return loaded == int(rows.size()); });
        queueSeconds += timer.nsecsElapsed() / 1e9;
    }
    const double rowsPerRun = double(files.size());
    const double n = double(state.iterations());
    state.counters["bare_rows_per_s"] = rowsPerRun * n / bareSeconds;
    state.counters["queue_rows_per_s"] = rowsPerRun * n / queueSeconds;
    state.counters["ratio"] = queueSeconds / bareSeconds;
}

BENCHMARK(ListingFirstPage)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(UpdateQueueRows)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const bench::TemporarySettings settings;
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tarnik"));
    bench::taggedFiles();
    bench::emptyFiles(100000);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
