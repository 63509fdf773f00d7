// The cost of the browser's listing and row loading, each against the bare work it wraps:
//  - ListingFirstPage: time until the first page's callback for a folder of 100,000 files,
//    against a bare readdir + natural sort of the same names, and the heap the listing holds;
//  - UpdateQueueRows: rows per second loaded through the "UpdateQueue" for 1,000 tagged files,
//    against a bare loop reading the same files' tags.
// Fixtures are made once into $XDG_CACHE_HOME/tarnik-bench (or ~/.cache/tarnik-bench).
#include "App/MetadataReader.h"
#include "App/Preferences.h"
#include "Entries/Entry.h"
#include "Entries/EntryViewModel.h"
#include "Entries/EntryViewModelController.h"
#include "Entries/NaturalSort.h"
#include "Import/Metadata.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

using namespace tarnik;

namespace {

QString benchFolder(const QString &name)
{
    QString base = qEnvironmentVariable("XDG_CACHE_HOME");
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.cache");
    const QString folder = base + QStringLiteral("/tarnik-bench/") + name;
    QDir().mkpath(folder);
    return folder;
}

void waitFor(const std::function<bool()> &done)
{
    while (!done()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::yieldCurrentThread();
    }
}

QString manyFiles()
{
    const int count = 100000;
    const QString folder = benchFolder(QStringLiteral("listing-100000"));
    const QString done = folder + QStringLiteral("/.complete");
    if (QFile::exists(done))
        return folder;
    const QByteArray base = QFile::encodeName(folder) + "/track ";
    for (int i = 0; i < count; ++i) {
        const QByteArray name = base + QByteArray::number(i) + ".dat";
        ::close(::open(name.constData(), O_CREAT | O_WRONLY, 0600));
    }
    ::close(::open(QFile::encodeName(done).constData(), O_CREAT | O_WRONLY, 0600));
    return folder;
}

QStringList bareListing(const QString &folder)
{
    QStringList names;
    if (DIR *dir = ::opendir(QFile::encodeName(folder).constData())) {
        while (const dirent *item = ::readdir(dir)) {
            if (item->d_name[0] != '.')
                names.append(QFile::decodeName(item->d_name));
        }
        ::closedir(dir);
    }
    NaturalSort::sort(names);
    return names;
}

size_t heapInUse()
{
    malloc_trim(0);
    return mallinfo2().uordblks;
}

void ListingFirstPage(benchmark::State &state)
{
    const QString folder = manyFiles();
    Preferences::setShowHidden(false);
    Preferences::setHideUnsupported(false);
    double bareSeconds = 0;
    double listingSeconds = 0;
    double heldBytes = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        const QStringList names = bareListing(folder);
        benchmark::DoNotOptimize(names.size());
        bareSeconds += timer.nsecsElapsed() / 1e9;

        const size_t before = heapInUse();
        auto controller = std::make_unique<EntryViewModelController>();
        bool paged = false;
        timer.restart();
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
    state.counters["bare_ms"] = bareSeconds / n * 1e3;
    state.counters["first_page_ms"] = listingSeconds / n * 1e3;
    state.counters["ratio"] = listingSeconds / bareSeconds;
    state.counters["held_MiB"] = heldBytes / n / (1024.0 * 1024.0);
}

QStringList taggedFiles()
{
    const int count = 1000;
    const QString folder = benchFolder(QStringLiteral("tagged-1000"));
    const QString first = folder + QStringLiteral("/Artist - Song 0.mp3");
    if (!QFile::exists(first)) {
        QProcess::execute(QStringLiteral("ffmpeg"),
            { QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"), QStringLiteral("error"),
                QStringLiteral("-nostdin"), QStringLiteral("-y"), QStringLiteral("-f"), QStringLiteral("lavfi"),
                QStringLiteral("-i"), QStringLiteral("sine=frequency=440:duration=1"), QStringLiteral("-metadata"),
                QStringLiteral("title=A Song"), QStringLiteral("-metadata"), QStringLiteral("artist=A Band"),
                QStringLiteral("-metadata"), QStringLiteral("album=An Album"), QStringLiteral("-metadata"),
                QStringLiteral("genre=Rock"), QStringLiteral("-metadata"), QStringLiteral("date=2019"),
                QStringLiteral("-metadata"), QStringLiteral("track=7/12"), first });
    }
    QStringList files;
    for (int i = 0; i < count; ++i) {
        const QString file = folder + QStringLiteral("/Artist - Song %1.mp3").arg(i);
        if (!QFile::exists(file))
            QFile::copy(first, file);
        files.append(file);
    }
    return files;
}

void UpdateQueueRows(benchmark::State &state)
{
    const QStringList files = taggedFiles();
    Preferences::setUsePersistentCache(false);
    double bareSeconds = 0;
    double queueSeconds = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        for (const QString &file : files) {
            const Metadata metadata = Metadata::fromDictionary(MetadataReader::metadataDictionary(file));
            benchmark::DoNotOptimize(metadata.title);
        }
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
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tarnik"));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
