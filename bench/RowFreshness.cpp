// What it costs to check that a cached row or entry still belongs to its file (device, inode,
// size and modification time, taken from the stat the listing makes anyway):
//  - FirstPageOf100000: time until the first page's callback for a folder of 100,000 files;
//  - RelistCachedRows: listing again a folder of 1,000 files whose rows are all loaded and cached,
//    paging through it and asking every row, as a browser level scrolled to its end does;
//  - ServeCachedRows: asking 1,000 loaded rows of a listing again and again (the cells' path).
// Each figure is a time per run. The check's cost is the ratio of these figures to the same
// benchmark built from the sources before the check existed, both builds run in turn on the same
// machine (the benchmark uses only interfaces both have). Fixtures are made once into
// $XDG_CACHE_HOME/tarnik-bench (or ~/.cache/tarnik-bench); settings go to a temporary folder.
#include "App/Preferences.h"
#include "Entries/EntryViewModel.h"
#include "Entries/EntryViewModelController.h"
#include "BenchSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

using namespace tarnik;

namespace {

void waitFor(const std::function<bool()> &done)
{
    while (!done())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

QString fixtureFolder(const QString &name, int count)
{
    const QString folder = bench::benchFolder(name);
    const QString done = folder + QStringLiteral("/.complete");
    if (QFile::exists(done))
        return folder;
    const QByteArray prefix = QFile::encodeName(folder) + "/track ";
    for (int i = 0; i < count; ++i)
    {
        const QByteArray name = prefix + QByteArray::number(i) + ".dat";
        ::close(::open(name.constData(), O_CREAT | O_WRONLY, 0600));
    }
    ::close(::open(QFile::encodeName(done).constData(), O_CREAT | O_WRONLY, 0600));
    return folder;
}

// Lists the folder and pages through it to the end, asking for every row; returns the rows.
QList<std::shared_ptr<EntryViewModel>> listAll(EntryViewModelController &controller, const QString &folder)
{
    int pages = 0;
    controller.getFiles(folder, std::nullopt,
        [&](bool, const std::optional<QString> &, const std::optional<QList<IndexPath>> &,
            const std::optional<IndexPath> &) { ++pages; });
    waitFor([&] { return pages == 1; });
    QList<std::shared_ptr<EntryViewModel>> rows;
    for (int row = 0; row < controller.numberOfFiles(); ++row) {
        const int before = pages;
        const int started = controller.currentPage();
        waitFor([&] { return row < controller.numberOfViewModels(); });
        rows.append(controller.viewModel(row));
        if (controller.currentPage() != started)
            waitFor([&] { return pages > before; });
    }
    return rows;
}

// Loads every row of the folder once, so that they are all in the row cache.
void loadAllRows(const QString &folder)
{
    EntryViewModelController controller;
    const QList<std::shared_ptr<EntryViewModel>> rows = listAll(controller, folder);
    int loaded = 0;
    for (const auto &row : rows)
        controller.update(row, [&](const std::shared_ptr<EntryViewModel> &) { ++loaded; });
    waitFor([&] { return loaded == int(rows.size()); });
}

void FirstPageOf100000(benchmark::State &state)
{
    const QString folder = fixtureFolder(QStringLiteral("listing-100000"), 100000);
    for (auto _ : state) {
        EntryViewModelController controller;
        bool paged = false;
        controller.getFiles(folder, std::nullopt,
            [&](bool, const std::optional<QString> &, const std::optional<QList<IndexPath>> &,
                const std::optional<IndexPath> &) { paged = true; });
        waitFor([&] { return paged; });
        if (controller.numberOfViewModels() != EntryViewModelController::kPageSize)
            state.SkipWithError("the first page is not whole");
    }
}

void RelistCachedRows(benchmark::State &state)
{
    const QString folder = fixtureFolder(QStringLiteral("rows-1000"), 1000);
    viewModelCache().removeAllObjects();
    loadAllRows(folder);
    for (auto _ : state) {
        EntryViewModelController controller;
        const QList<std::shared_ptr<EntryViewModel>> rows = listAll(controller, folder);
        int cached = 0;
        for (const auto &row : rows)
            cached += row && row->state() == UpdateState::updated ? 1 : 0;
        if (cached != 1000)
            state.SkipWithError("rows were not served from the cache");
    }
}

void ServeCachedRows(benchmark::State &state)
{
    const QString folder = fixtureFolder(QStringLiteral("rows-1000"), 1000);
    viewModelCache().removeAllObjects();
    loadAllRows(folder);
    EntryViewModelController controller;
    listAll(controller, folder);
    for (auto _ : state) {
        // Rows inside the loaded pages only, so no page is started.
        for (int row = 0; row < 999; ++row)
            benchmark::DoNotOptimize(controller.viewModel(row));
    }
}

BENCHMARK(FirstPageOf100000)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(RelistCachedRows)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(ServeCachedRows)->Unit(benchmark::kMicrosecond)->Iterations(2000);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const bench::TemporarySettings settings;
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tarnik"));
    Preferences::setUsePersistentCache(false);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
