// What refusing a hostile input costs, against handling an ordinary input of the same size:
// an XML property list of 200,000 nested arrays whose closing tags hide in processing
// instructions, against a flat list of 200,000 strings of about the same length; a 230-byte
// binary property list of 48 levels, each array holding the next one twice; and the text page's
// breaking of a one-line mebibyte. Each refusal must stay linear: the run ends with the ratios.
#include "Platform/PropertyList.h"
#include "Platform/UI/PreviewController.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <vector>

namespace {

QByteArray deepXml()
{
    return "<?xml version=\"1.0\"?><plist version=\"1.0\">" + QByteArray("<array><?x </array>?>").repeated(200000)
        + QByteArray("</array>").repeated(200000) + "</plist>";
}

QByteArray flatXml()
{
    return "<?xml version=\"1.0\"?><plist version=\"1.0\"><array>"
        + QByteArray("<string>abcdefghijklmnopq</string>").repeated(200000) + "</array></plist>";
}

// Array i holds array i + 1 twice; the last is empty.
QByteArray binaryDag(int levels)
{
    QByteArray out("bplist00");
    std::vector<int> offsets;
    for (int i = 0; i < levels; ++i) {
        offsets.push_back(int(out.size()));
        if (i + 1 == levels) {
            out.append(char(0xA0));
            continue;
        }
        out.append(char(0xA2));
        out.append(char(i + 1));
        out.append(char(i + 1));
    }
    const int table = int(out.size());
    for (const int offset : offsets)
        out.append(char(offset));
    out.append(QByteArray(6, '\0'));
    out.append(char(1)); // offset size
    out.append(char(1)); // reference size
    for (const quint64 value : { quint64(levels), quint64(0), quint64(table) })
        for (int shift = 56; shift >= 0; shift -= 8)
            out.append(char((value >> shift) & 0xFF));
    return out;
}

void BM_RefuseDeepXml(benchmark::State &state)
{
    const QByteArray bytes = deepXml();
    for (auto _ : state)
        benchmark::DoNotOptimize(tarnik::PropertyList::fromBytes(bytes));
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_RefuseDeepXml)->Unit(benchmark::kMillisecond);

void BM_ParseFlatXml(benchmark::State &state)
{
    const QByteArray bytes = flatXml();
    for (auto _ : state)
        benchmark::DoNotOptimize(tarnik::PropertyList::fromBytes(bytes));
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_ParseFlatXml)->Unit(benchmark::kMillisecond);

void BM_RefuseBinaryDag48(benchmark::State &state)
{
    const QByteArray bytes = binaryDag(48);
    for (auto _ : state)
        benchmark::DoNotOptimize(tarnik::PropertyList::fromBytes(bytes));
}
BENCHMARK(BM_RefuseBinaryDag48)->Unit(benchmark::kMicrosecond);

void BM_BreakOneLineMebibyte(benchmark::State &state)
{
    const QString line(tarnik::PreviewController::kTextLimit, u'x');
    for (auto _ : state)
        benchmark::DoNotOptimize(tarnik::PreviewController::withBoundedLines(line));
}
BENCHMARK(BM_BreakOneLineMebibyte)->Unit(benchmark::kMillisecond);

class TimeReporter : public benchmark::ConsoleReporter
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
    TimeReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto deep = reporter.times.find("BM_RefuseDeepXml");
    const auto flat = reporter.times.find("BM_ParseFlatXml");
    if (deep != reporter.times.end() && flat != reporter.times.end() && flat->second > 0)
        std::printf("refusing 200,000 nested arrays / parsing a flat list of the same size: %.3f (aim: below 1)\n",
            deep->second / flat->second);
    benchmark::Shutdown();
    return 0;
}
