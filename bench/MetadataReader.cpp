// Metadata of 1,000 small tagged files (half MP3 with ID3v2, half M4A with
// iTunes atoms, each with cover art) read through the app's metadata reader,
// against a bare TagLib loop reading the same tags and the length. The files are
// generated once into a cache folder and reused by later runs. The run ends
// with the ratio of the two.
#include "App/MetadataReader.h"

#include "Platform/Media/MediaMetadata.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <taglib/attachedpictureframe.h>
#include <taglib/fileref.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/mp4tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tag.h>

namespace {

constexpr int kFileCount = 1000;

bool ffmpeg(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral("ffmpeg"),
        QStringList { QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"), QStringLiteral("error"),
            QStringLiteral("-nostdin"), QStringLiteral("-y") }
            + arguments);
    return process.waitForFinished(120000) && process.exitCode() == 0;
}

TagLib::String text(const QString &value)
{
    return TagLib::String(value.toStdWString());
}

// Title, artist, album, genre, year, track and a cover, written with TagLib.
bool tag(const QString &path, int index, const QByteArray &cover)
{
    const QByteArray name = QFile::encodeName(path);
    const TagLib::ByteVector picture(cover.constData(), unsigned(cover.size()));
    if (path.endsWith(QLatin1String(".mp3"))) {
        TagLib::MPEG::File file(name.constData());
        TagLib::ID3v2::Tag *id3 = file.ID3v2Tag(true);
        auto *frame = new TagLib::ID3v2::AttachedPictureFrame;
        frame->setMimeType("image/jpeg");
        frame->setPicture(picture);
        id3->addFrame(frame);
        id3->setTitle(text(QStringLiteral("Song %1").arg(index)));
        id3->setArtist(text(QStringLiteral("Artist %1").arg(index % 37)));
        id3->setAlbum(text(QStringLiteral("Album %1").arg(index % 11)));
        id3->setGenre(text(QStringLiteral("Genre")));
        id3->setYear(2000 + index % 20);
        id3->setTrack(1 + index % 15);
        return file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripOthers);
    }
    TagLib::MP4::File file(name.constData());
    TagLib::MP4::Tag *mp4 = file.tag();
    if (!mp4)
        return false;
    mp4->setTitle(text(QStringLiteral("Song %1").arg(index)));
    mp4->setArtist(text(QStringLiteral("Artist %1").arg(index % 37)));
    mp4->setAlbum(text(QStringLiteral("Album %1").arg(index % 11)));
    mp4->setGenre(text(QStringLiteral("Genre")));
    mp4->setYear(2000 + index % 20);
    mp4->setItem("trkn", TagLib::MP4::Item(1 + index % 15, 15));
    TagLib::MP4::CoverArtList covers;
    covers.append(TagLib::MP4::CoverArt(TagLib::MP4::CoverArt::JPEG, picture));
    mp4->setItem("covr", TagLib::MP4::Item(covers));
    return file.save();
}

// The folder of tagged files, made on the first run.
const QStringList &files()
{
    static const QStringList paths = [] {
        const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)
            + QStringLiteral("/tarnik-bench/tagged-%1").arg(kFileCount);
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
        const QString mp3 = folder + QStringLiteral("/seed.mp3");
        const QString m4a = folder + QStringLiteral("/seed.m4a");
        const QString jpeg = folder + QStringLiteral("/seed.jpg");
        const QString tone = QStringLiteral("sine=frequency=440:duration=1");
        if (!ffmpeg({ QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"), tone, mp3 })
            || !ffmpeg({ QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"), tone,
                QStringLiteral("-c:a"), QStringLiteral("aac"), m4a })
            || !ffmpeg({ QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                QStringLiteral("testsrc=size=64x64"), QStringLiteral("-frames:v"), QStringLiteral("1"), jpeg })) {
            std::fprintf(stderr, "could not make the seed files with ffmpeg\n");
            std::exit(1);
        }
        QFile coverFile(jpeg);
        coverFile.open(QIODevice::ReadOnly);
        const QByteArray cover = coverFile.readAll();
        for (int i = 0; i < kFileCount; ++i) {
            const QString &path = list[i];
            if (!QFile::copy(i % 2 ? m4a : mp3, path) || !tag(path, i, cover)) {
                std::fprintf(stderr, "could not tag %s\n", qPrintable(path));
                std::exit(1);
            }
        }
        QFile(done).open(QIODevice::WriteOnly);
        return list;
    }();
    return paths;
}

void BM_MetadataReader(benchmark::State &state)
{
    const QStringList &paths = files();
    for (auto _ : state) {
        for (const QString &path : paths)
            benchmark::DoNotOptimize(tarnik::MetadataReader::metadataDictionary(path));
    }
    state.SetItemsProcessed(state.iterations() * paths.size());
}
BENCHMARK(BM_MetadataReader)->Unit(benchmark::kMillisecond);

// The tag stage alone, without the FFmpeg probe that measures the duration.
void BM_TagItemsOnly(benchmark::State &state)
{
    const QStringList &paths = files();
    for (auto _ : state) {
        for (const QString &path : paths)
            benchmark::DoNotOptimize(tarnik::MediaMetadata::read(path));
    }
    state.SetItemsProcessed(state.iterations() * paths.size());
}
BENCHMARK(BM_TagItemsOnly)->Unit(benchmark::kMillisecond);

// The same tags, the picture and the length straight from TagLib.
void BM_BareTagLib(benchmark::State &state)
{
    std::vector<QByteArray> names;
    for (const QString &path : files())
        names.push_back(QFile::encodeName(path));
    for (auto _ : state) {
        for (const QByteArray &name : names) {
            TagLib::FileRef file(name.constData(), true, TagLib::AudioProperties::Average);
            if (file.isNull() || !file.tag())
                continue;
            const TagLib::Tag *tag = file.tag();
            benchmark::DoNotOptimize(tag->title());
            benchmark::DoNotOptimize(tag->artist());
            benchmark::DoNotOptimize(tag->album());
            benchmark::DoNotOptimize(tag->genre());
            benchmark::DoNotOptimize(tag->comment());
            benchmark::DoNotOptimize(tag->year());
            benchmark::DoNotOptimize(tag->track());
            benchmark::DoNotOptimize(file.audioProperties()->lengthInMilliseconds());
            if (auto *mp4 = dynamic_cast<TagLib::MP4::File *>(file.file()))
                benchmark::DoNotOptimize(mp4->tag()->item("covr").toCoverArtList().size());
            else if (auto *mpeg = dynamic_cast<TagLib::MPEG::File *>(file.file()))
                benchmark::DoNotOptimize(mpeg->ID3v2Tag()->frameListMap()["APIC"].size());
        }
    }
    state.SetItemsProcessed(state.iterations() * names.size());
}
BENCHMARK(BM_BareTagLib)->Unit(benchmark::kMillisecond);

// Prints as usual and remembers each benchmark's time per iteration.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs) {
            if (run.run_type == Run::RT_Iteration && run.iterations > 0)
                times[run.benchmark_name()] = run.GetAdjustedRealTime();
        }
    }
    std::map<std::string, double> times;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    files(); // generate before timing
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto reader = reporter.times.find("BM_MetadataReader");
    const auto tags = reporter.times.find("BM_TagItemsOnly");
    const auto bare = reporter.times.find("BM_BareTagLib");
    if (bare != reporter.times.end() && bare->second > 0) {
        if (reader != reporter.times.end())
            std::printf("metadata reader / bare TagLib: %.2f\n", reader->second / bare->second);
        if (tags != reporter.times.end())
            std::printf("tag items only / bare TagLib: %.2f\n", tags->second / bare->second);
    }
    benchmark::Shutdown();
    return 0;
}
