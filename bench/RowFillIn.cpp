// How fast rows fill in with their details, on songs whose covers are 500 x 500 JPEG pictures:
// rows per second through a browser level's "UpdateQueue" (the file's probe, tags, the cover
// decoded to the thumbnail, the rows committed on the GUI thread in their order), against a bare loop on the same
// number of threads that reads the same tags with TagLib and decodes each cover to 128 px with Qt.
// The bare loop runs twice: dropping each thumbnail ("ratio"), and keeping them all as the rows do
// ("ratio_to_bare_keeping"), which shows what holding a thousand fresh thumbnails costs by itself.
// All are measured in the same run, in turn. Fixtures are made once into
// $XDG_CACHE_HOME/tarnik-bench (or ~/.cache/tarnik-bench); settings go to a temporary folder.
#include "App/Preferences.h"
#include "Entries/Entry.h"
#include "Entries/EntryViewModel.h"
#include "Entries/EntryViewModelController.h"
#include "Entries/MediaProbe.h"
#include "Platform/FreedMemory.h"
#include "BenchSupport.h"
#include "TaggedFiles.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QThread>
#include <QThreadPool>
#include <algorithm>
#include <atomic>

using namespace tarnik;

namespace {

void waitFor(const std::function<bool()> &done)
{
    while (!done())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

// 1,000 songs (half MP3, half M4A) with title, artist, album, genre, year, track and a 500 x 500
// JPEG cover.
const QStringList &songsWithLargeCovers()
{
    static const QStringList paths = [] {
        constexpr int kFileCount = 1000;
        const QString folder = bench::benchFolder(QStringLiteral("covers-500-%1").arg(kFileCount));
        const QString done = folder + QStringLiteral("/.complete");
        QStringList list;
        for (int i = 0; i < kFileCount; ++i)
            list << folder
                    + QStringLiteral("/track-%1.%2")
                          .arg(i, 4, 10, QLatin1Char('0'))
                          .arg(i % 2 ? QStringLiteral("m4a") : QStringLiteral("mp3"));
        if (QFile::exists(done))
            return list;
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        const QString seeds = bench::benchFolder(QStringLiteral("seeds-500"));
        const QString mp3 = seeds + QStringLiteral("/seed.mp3");
        const QString m4a = seeds + QStringLiteral("/seed.m4a");
        const QString jpeg = seeds + QStringLiteral("/seed.jpg");
        const QString tone = QStringLiteral("sine=frequency=440:duration=1");
        if (!bench::ffmpeg({ QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"), tone, mp3 })
            || !bench::ffmpeg({ QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"), tone,
                QStringLiteral("-c:a"), QStringLiteral("aac"), m4a })
            || !bench::ffmpeg({ QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                QStringLiteral("testsrc2=size=500x500"), QStringLiteral("-frames:v"), QStringLiteral("1"),
                QStringLiteral("-q:v"), QStringLiteral("3"), jpeg })) {
            std::fprintf(stderr, "could not make the seed files with ffmpeg\n");
            std::exit(1);
        }
        QFile coverFile(jpeg);
        coverFile.open(QIODevice::ReadOnly);
        const QByteArray cover = coverFile.readAll();
        for (int i = 0; i < kFileCount; ++i) {
            if (!QFile::copy(i % 2 ? m4a : mp3, list[i]) || !bench::tagFile(list[i], i, cover)) {
                std::fprintf(stderr, "could not tag %s\n", qPrintable(list[i]));
                std::exit(1);
            }
        }
        QFile(done).open(QIODevice::WriteOnly);
        return list;
    }();
    return paths;
}

// The bare work of one row: the tags and the cover's bytes with TagLib, the cover decoded to the
// thumbnail box with Qt (its JPEG reader scales while decoding when asked for a size).
QImage bareRow(const QByteArray &name)
{
    TagLib::FileRef file(name.constData(), false);
    if (file.isNull() || !file.tag())
        return {};
    const TagLib::Tag *tag = file.tag();
    benchmark::DoNotOptimize(tag->title());
    benchmark::DoNotOptimize(tag->artist());
    TagLib::ByteVector cover;
    if (auto *mp4 = dynamic_cast<TagLib::MP4::File *>(file.file())) {
        const TagLib::MP4::CoverArtList covers = mp4->tag()->item("covr").toCoverArtList();
        if (!covers.isEmpty())
            cover = covers.front().data();
    } else if (auto *mpeg = dynamic_cast<TagLib::MPEG::File *>(file.file())) {
        const TagLib::ID3v2::FrameList frames = mpeg->ID3v2Tag()->frameListMap()["APIC"];
        if (!frames.isEmpty())
            cover = static_cast<const TagLib::ID3v2::AttachedPictureFrame *>(frames.front())->picture();
    }
    QByteArray bytes(cover.data(), int(cover.size()));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "jpeg");
    reader.setScaledSize(QSize(128, 128));
    return reader.read();
}

void RowsWithLargeCovers(benchmark::State &state)
{
    const QStringList &files = songsWithLargeCovers();
    std::vector<QByteArray> names;
    for (const QString &file : files)
        names.push_back(QFile::encodeName(file));
    Preferences::setUsePersistentCache(false);
    // As many threads as the update queue loads rows on.
    const int threads = std::clamp(QThread::idealThreadCount(), 2, 8);
    QThreadPool pool;
    pool.setMaxThreadCount(threads);
    double bareSeconds = 0;
    double bareKeepingSeconds = 0;
    double queueSeconds = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        std::atomic<size_t> next { 0 };
        for (int t = 0; t < threads; ++t) {
            pool.start([&] {
                for (size_t i = next++; i < names.size(); i = next++)
                    benchmark::DoNotOptimize(bareRow(names[i]));
            });
        }
        pool.waitForDone();
        bareSeconds += timer.nsecsElapsed() / 1e9;

        viewModelCache().removeAllObjects();
        MediaProbe::clear();
        fitViewModelCacheToScreen(int(files.size()));
        // With the argument 1, rows as a listing makes them: typed by the files' names and first
        // bytes, so each row's load also makes the file's probe. With 0, rows whose type is known
        // already (as for files probed before).
        QList<std::shared_ptr<EntryViewModel>> rows;
        for (const QString &file : files) {
            Entry entry(file, QFileInfo(file).fileName(), EntryType::exportable, IndexPath {});
            entry.setTypeIsProvisional(state.range(0) != 0);
            rows.append(std::make_shared<EntryViewModel>(entry, false));
        }
        EntryViewModelController controller;
        int loaded = 0;
        timer.restart();
        for (const auto &row : rows)
            controller.update(row, [&](const std::shared_ptr<EntryViewModel> &) { ++loaded; });
        waitFor([&] { return loaded == int(rows.size()); });
        queueSeconds += timer.nsecsElapsed() / 1e9;

        // The same bare loop keeping every thumbnail, as the rows must: each one then needs memory
        // that was never touched, where the first loop reuses the pages it has just freed. It runs
        // after the rows, so the rows start from the same state as without it.
        {
            std::vector<QImage> kept(names.size());
            next = 0;
            timer.restart();
            for (int t = 0; t < threads; ++t) {
                pool.start([&] {
                    for (size_t i = next++; i < names.size(); i = next++)
                        kept[i] = bareRow(names[i]);
                });
            }
            pool.waitForDone();
            bareKeepingSeconds += timer.nsecsElapsed() / 1e9;
        }

        // What the cells paint: the cover at the thumbnail's size, in the format painted fastest.
        const QImage &first = rows.first()->image();
        state.counters["thumbnail_px"] = first.width();
        state.counters["thumbnail_is_rgb32"] = first.format() == QImage::Format_RGB32 ? 1 : 0;
    }
    const double rowsPerRun = double(files.size());
    const double n = double(state.iterations());
    state.counters["threads"] = threads;
    state.counters["bare_rows_per_s"] = rowsPerRun * n / bareSeconds;
    state.counters["queue_rows_per_s"] = rowsPerRun * n / queueSeconds;
    state.counters["ratio"] = queueSeconds / bareSeconds;
    state.counters["ratio_to_bare_keeping"] = queueSeconds / bareKeepingSeconds;
}

BENCHMARK(RowsWithLargeCovers)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char **argv)
{
    // As the app does at its start, so the rows are measured as they fill in there.
    tarnik::FreedMemory::keepForReuse();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const bench::TemporarySettings settings;
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tarnik"));
    songsWithLargeCovers();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
