// Listing folders of media and very large folders, each against its reference in the same run:
//  - SongsFirstPage: time until the first page's callback for a folder of 10,000 tagged songs
//    (half MP3, half M4A, each with tags and a cover), against `ls -v` of the same folder, in
//    interleaved pairs;
//  - SongsWholeListing: time until every page of that folder is listed, against `ls -v`;
//  - MillionRowsHeap: the heap a listing of 1,000,000 empty files holds once every page is
//    listed, per row, and the time that took against `ls -v`.
// The listing's caches (rows, probes) are emptied before each run, so each run lists as a first
// visit does. Fixtures are made once into $XDG_CACHE_HOME/tarnik-bench (or ~/.cache/tarnik-bench);
// settings go to a temporary folder.
#include "App/Preferences.h"
#include "Entries/Entry.h"
#include "Entries/EntryViewModel.h"
#include "Entries/EntryViewModelController.h"
#include "Entries/MediaProbe.h"
#include "BenchSupport.h"
#include "TaggedFiles.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <malloc.h>

using namespace tarnik;

namespace {

void waitFor(const std::function<bool()> &done)
{
    while (!done())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

constexpr int kSongCount = 10000;
constexpr int kEmptyCount = 1000000;

// How many empty files MillionRowsHeap lists: 1,000,000 unless TARNIK_BENCH_HEAP_ROWS names
// another count (a quicker run while working on the listing).
int heapRows()
{
    bool ok = false;
    const int rows = qEnvironmentVariableIntValue("TARNIK_BENCH_HEAP_ROWS", &ok);
    return ok && rows > 0 ? rows : kEmptyCount;
}

// 10,000 songs with title, artist, album, genre, year, track and a small JPEG cover.
QString songs()
{
    const QString folder = bench::benchFolder(QStringLiteral("songs-%1").arg(kSongCount));
    const QString done = folder + QStringLiteral("/.complete");
    if (QFile::exists(done))
        return folder;
    const QStringList &seedsList = bench::taggedFiles(); // makes the seed files and tags
    Q_UNUSED(seedsList);
    const QString seeds = bench::benchFolder(QStringLiteral("seeds"));
    QFile coverFile(seeds + QStringLiteral("/seed.jpg"));
    coverFile.open(QIODevice::ReadOnly);
    const QByteArray cover = coverFile.readAll();
    for (int i = 0; i < kSongCount; ++i) {
        const QString path = folder
            + QStringLiteral("/%1 - Song %2.%3")
                  .arg(QStringLiteral("Artist %1").arg(i % 37))
                  .arg(i)
                  .arg(i % 2 ? QStringLiteral("m4a") : QStringLiteral("mp3"));
        const QString seed = seeds + (i % 2 ? QStringLiteral("/seed.m4a") : QStringLiteral("/seed.mp3"));
        if (!QFile::copy(seed, path) || !bench::tagFile(path, i, cover)) {
            std::fprintf(stderr, "could not tag %s\n", qPrintable(path));
            std::exit(1);
        }
    }
    QFile(done).open(QIODevice::WriteOnly);
    return folder;
}

// Bytes in use: small blocks plus the large ones malloc maps on their own (a listing's arrays of
// a million slots are such blocks).
size_t heapInUse()
{
    malloc_trim(0);
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

void forgetListings()
{
    viewModelCache().removeAllObjects();
    metadataCache().removeAllObjects();
    MediaProbe::clear();
}

// Lists folder: until the first page when wholeListing is off, else until every page is in.
double listingSeconds(EntryViewModelController &controller, const QString &folder, bool wholeListing)
{
    int pages = 0;
    QElapsedTimer timer;
    timer.start();
    controller.getFiles(folder, std::nullopt,
        [&](bool, const std::optional<QString> &, const std::optional<QList<IndexPath>> &,
            const std::optional<IndexPath> &) { ++pages; });
    waitFor([&] { return pages > 0; });
    while (wholeListing && controller.numberOfViewModels() < controller.numberOfFiles()) {
        const int before = pages;
        controller.viewModel(controller.numberOfViewModels() - 1);
        waitFor([&] { return pages > before; });
    }
    return timer.nsecsElapsed() / 1e9;
}

void listAgainstLs(benchmark::State &state, const QString &folder, bool wholeListing)
{
    Preferences::setShowHidden(false);
    Preferences::setHideUnsupported(false);
    Preferences::setUsePersistentCache(false);
    std::vector<double> ratios;
    double bareSeconds = 0;
    double ourSeconds = 0;
    for (auto _ : state) {
        const double bare = bench::lsVersionSortSeconds(folder);
        if (bare <= 0)
            state.SkipWithError("ls -v failed");
        forgetListings();
        EntryViewModelController controller;
        const double ours = listingSeconds(controller, folder, wholeListing);
        if (controller.numberOfFiles() != kSongCount)
            state.SkipWithError("the listing lost names");
        bareSeconds += bare;
        ourSeconds += ours;
        ratios.push_back(ours / bare);
    }
    std::sort(ratios.begin(), ratios.end());
    const double n = double(state.iterations());
    state.counters["ls_v_ms"] = bareSeconds / n * 1e3;
    state.counters["listing_ms"] = ourSeconds / n * 1e3;
    state.counters["ratio_min"] = ratios.front();
    state.counters["ratio_median"] = ratios[ratios.size() / 2];
}

void SongsFirstPage(benchmark::State &state)
{
    listAgainstLs(state, songs(), false);
}

void SongsWholeListing(benchmark::State &state)
{
    listAgainstLs(state, songs(), true);
}

// The folder is made before the first iteration, outside what is timed.
void MillionRowsHeap(benchmark::State &state)
{
    const int rows = heapRows();
    const QString folder = bench::emptyFiles(rows);
    Preferences::setShowHidden(false);
    Preferences::setHideUnsupported(false);
    Preferences::setUsePersistentCache(false);
    double heldBytes = 0;
    double bareSeconds = 0;
    double ourSeconds = 0;
    for (auto _ : state) {
        bareSeconds += bench::lsVersionSortSeconds(folder);
        forgetListings();
        const size_t before = heapInUse();
        auto controller = std::make_unique<EntryViewModelController>();
        ourSeconds += listingSeconds(*controller, folder, true);
        if (controller->numberOfViewModels() != rows)
            state.SkipWithError("the listing lost rows");
        heldBytes += double(heapInUse()) - double(before);
    }
    const double n = double(state.iterations());
    state.counters["ls_v_ms"] = bareSeconds / n * 1e3;
    state.counters["listing_ms"] = ourSeconds / n * 1e3;
    state.counters["ratio"] = ourSeconds / bareSeconds;
    state.counters["held_MiB"] = heldBytes / n / (1024.0 * 1024.0);
    state.counters["rows"] = rows;
    state.counters["bytes_per_row"] = heldBytes / n / rows;
}

BENCHMARK(SongsFirstPage)->Unit(benchmark::kMillisecond)->Iterations(7);
BENCHMARK(SongsWholeListing)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(MillionRowsHeap)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const bench::TemporarySettings settings;
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tarnik"));
    songs();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
