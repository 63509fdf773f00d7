// Metadata of 1,000 small tagged files (half MP3 with ID3v2, half M4A with iTunes atoms, each
// with a cover) read through the app's metadata reader, against a bare TagLib loop reading the
// same tags, covers and length of the same files. The run ends with the ratio of the two, both
// measured in this run.
#include "App/MetadataReader.h"

#include "Platform/Media/MediaMetadata.h"
#include "TaggedFiles.h"

#include <QCoreApplication>
#include <map>
#include <vector>

namespace {

void BM_MetadataReader(benchmark::State &state)
{
    const QStringList &paths = bench::taggedFiles();
    for (auto _ : state) {
        for (const QString &path : paths)
            benchmark::DoNotOptimize(tarnik::MetadataReader::metadataDictionary(path));
    }
    state.SetItemsProcessed(state.iterations() * paths.size());
}
BENCHMARK(BM_MetadataReader)->Unit(benchmark::kMillisecond);

// The tag stage alone, without the length.
void BM_TagItemsOnly(benchmark::State &state)
{
    const QStringList &paths = bench::taggedFiles();
    for (auto _ : state) {
        for (const QString &path : paths)
            benchmark::DoNotOptimize(tarnik::MediaMetadata::read(path));
    }
    state.SetItemsProcessed(state.iterations() * paths.size());
}
BENCHMARK(BM_TagItemsOnly)->Unit(benchmark::kMillisecond);

void BM_BareTagLib(benchmark::State &state)
{
    std::vector<QByteArray> names;
    for (const QString &path : bench::taggedFiles())
        names.push_back(QFile::encodeName(path));
    for (auto _ : state) {
        for (const QByteArray &name : names)
            bench::bareTagLibRead(name, true);
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
    bench::taggedFiles(); // generate before timing
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto reader = reporter.times.find("BM_MetadataReader");
    const auto tags = reporter.times.find("BM_TagItemsOnly");
    const auto bare = reporter.times.find("BM_BareTagLib");
    if (bare != reporter.times.end() && bare->second > 0) {
        if (reader != reporter.times.end())
            std::printf("metadata reader / bare TagLib: %.2f (aim: 1.5 or less)\n", reader->second / bare->second);
        if (tags != reporter.times.end())
            std::printf("tag items only / bare TagLib: %.2f\n", tags->second / bare->second);
    }
    benchmark::Shutdown();
    return 0;
}
