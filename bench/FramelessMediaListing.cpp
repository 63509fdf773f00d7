// The listing of a folder that holds huge zero-filled files named as media (".mp3", ".ac3" of
// 1 GB and 2 GB, sparse) among 100 songs, against the same songs alone:
//  - first_page_ms: time until the first page's callback;
//  - all_rows_ms: time until every row of that page has loaded;
//  - ratio: the first page with the huge files against the first page without them.
// Such files are "no media" after a few MiB of reading, so they cost the listing a fraction of a
// second however large they are.
#include "App/Preferences.h"
#include "Entries/EntryViewModel.h"
#include "Entries/EntryViewModelController.h"
#include "BenchSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <benchmark/benchmark.h>

using namespace tarnik;
using bench::benchFolder;

namespace {

void waitFor(const std::function<bool()> &done)
{
    while (!done()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::yieldCurrentThread();
    }
}

// 100 one-second songs; with `huge`, the four sparse zero-filled files too, named to sort
// first so they fall on the first page.
QString folderOfSongs(bool huge)
{
    const QString folder = benchFolder(huge ? QStringLiteral("frameless-huge") : QStringLiteral("frameless-songs"));
    const QString first = folder + QStringLiteral("/Song 0.mp3");
    if (!QFile::exists(first)) {
        QProcess::execute(QStringLiteral("ffmpeg"),
            { QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"), QStringLiteral("error"),
                QStringLiteral("-nostdin"), QStringLiteral("-y"), QStringLiteral("-f"), QStringLiteral("lavfi"),
                QStringLiteral("-i"), QStringLiteral("sine=frequency=440:duration=1"), QStringLiteral("-metadata"),
                QStringLiteral("title=A Song"), first });
    }
    for (int i = 1; i < 100; ++i) {
        const QString file = folder + QStringLiteral("/Song %1.mp3").arg(i);
        if (!QFile::exists(file))
            QFile::copy(first, file);
    }
    if (huge) {
        const qint64 gib = qint64(1) << 30;
        for (const auto &[name, size] :
            { std::pair { "Album Zeros 1.mp3", gib }, std::pair { "Album Zeros 2.mp3", 2 * gib },
                std::pair { "Album Zeros 1.ac3", gib }, std::pair { "Album Zeros 2.ac3", 2 * gib } }) {
            QFile file(folder + QLatin1Char('/') + QLatin1String(name));
            if (file.open(QIODevice::ReadWrite))
                file.resize(size); // sparse
        }
    }
    return folder;
}

struct Timings
{
    double firstPage = 0;
    double allRows = 0;
    int rows = 0;
};

Timings listOnce(const QString &folder)
{
    Timings timings;
    EntryViewModelController controller;
    bool paged = false;
    QElapsedTimer timer;
    timer.start();
    controller.getFiles(folder, std::nullopt,
        [&](bool, const std::optional<QString> &, const std::optional<QList<IndexPath>> &,
            const std::optional<IndexPath> &) { paged = true; });
    waitFor([&] { return paged; });
    timings.firstPage = timer.nsecsElapsed() / 1e9;
    int loaded = 0;
    const int rows = controller.numberOfViewModels();
    for (int row = 0; row < rows; ++row) {
        if (const auto viewModel = controller.viewModel(row))
            controller.update(viewModel, [&](const std::shared_ptr<EntryViewModel> &) { ++loaded; });
        else
            ++loaded;
    }
    waitFor([&] { return loaded >= rows; });
    timings.allRows = timer.nsecsElapsed() / 1e9;
    timings.rows = rows;
    return timings;
}

void FramelessMediaListing(benchmark::State &state)
{
    const QString songs = folderOfSongs(false);
    const QString huge = folderOfSongs(true);
    Preferences::setShowHidden(false);
    Preferences::setHideUnsupported(false);
    Preferences::setUsePersistentCache(false);
    double bare = 0;
    Timings total;
    for (auto _ : state) {
        viewModelCache().removeAllObjects();
        bare += listOnce(songs).firstPage;
        viewModelCache().removeAllObjects();
        const Timings timings = listOnce(huge);
        total.firstPage += timings.firstPage;
        total.allRows += timings.allRows;
        if (timings.rows != EntryViewModelController::kPageSize)
            state.SkipWithError("the first page is not a hundred rows");
    }
    const double n = double(state.iterations());
    state.counters["first_page_ms"] = total.firstPage / n * 1e3;
    state.counters["all_rows_ms"] = total.allRows / n * 1e3;
    state.counters["songs_only_first_page_ms"] = bare / n * 1e3;
    state.counters["ratio"] = total.firstPage / bare;
}

BENCHMARK(FramelessMediaListing)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tarnik"));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
