// How the export session compares with the tools a user would otherwise use:
// re-encoding a ten-minute 44.1 kHz stereo source to AAC at 256 kbit/s against
// the ffmpeg command doing the same, and a pass-through export against copying
// the file. Each benchmark times both sides in the same run and reports the
// ratio (ours / theirs; below 1 is faster).
#include "Platform/Media/ExportSession.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <filesystem>

namespace {

using Clock = std::chrono::steady_clock;

bool ffmpeg(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral("ffmpeg"),
        QStringList { QStringLiteral("-y"), QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-nostdin") }
            + arguments);
    return process.waitForFinished(-1) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

struct Sources
{
    QTemporaryDir dir;
    QString wav; // ten minutes, 44.1 kHz stereo
    QString m4a; // the same as AAC at 256 kbit/s

    Sources()
    {
        wav = dir.filePath(QStringLiteral("ten-minutes.wav"));
        m4a = dir.filePath(QStringLiteral("ten-minutes.m4a"));
        // Two tones and some noise, so the encoder has real work to do.
        const QString signal
            = QStringLiteral("aevalsrc=0.3*sin(2*PI*440*t)+0.1*sin(2*PI*1250*t)+0.05*(random(0)-0.5)|"
                             "0.3*sin(2*PI*660*t)+0.1*sin(2*PI*3100*t)+0.05*(random(1)-0.5):s=44100:d=600");
        if (!ffmpeg({ QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"), signal, wav })
            || !ffmpeg({ QStringLiteral("-i"), wav, QStringLiteral("-c:a"), QStringLiteral("aac"),
                QStringLiteral("-b:a"), QStringLiteral("256k"), m4a }))
            std::fprintf(stderr, "cannot make the benchmark sources\n");
    }
};

Sources &sources()
{
    static Sources once;
    return once;
}

double seconds(Clock::time_point since)
{
    return std::chrono::duration<double>(Clock::now() - since).count();
}

bool exportWith(
    const QString &source, tarnik::ExportSession::Preset preset, const QString &output, std::optional<float> volume)
{
    auto session = tarnik::ExportSession::create(source, preset);
    if (!session)
        return false;
    session->setOutputPath(output);
    session->setOutputFileType(tarnik::ExportSession::fileTypeAppleM4A());
    if (volume) {
        tarnik::AudioMix mix;
        mix.setVolumeRamp(*volume, *volume, 0.0, 600.0);
        session->setAudioMix(mix);
    }
    return session->exportSynchronously() == tarnik::ExportSession::Status::Completed;
}

// Re-encoding; with a volume below 1.0 the mix is applied and ffmpeg gets the same gain.
void reencode(benchmark::State &state, std::optional<float> volume)
{
    const Sources &s = sources();
    const QString ours = s.dir.filePath(QStringLiteral("ours.m4a"));
    const QString theirs = s.dir.filePath(QStringLiteral("theirs.m4a"));
    double oursTotal = 0.0;
    double theirsTotal = 0.0;
    for (auto _ : state) {
        auto start = Clock::now();
        if (!exportWith(s.wav, tarnik::ExportSession::Preset::AppleM4A, ours, volume))
            state.SkipWithError("the export failed");
        const double a = seconds(start);
        QStringList arguments { QStringLiteral("-i"), s.wav };
        if (volume)
            arguments << QStringLiteral("-af") << QStringLiteral("volume=%1").arg(*volume);
        arguments << QStringLiteral("-c:a") << QStringLiteral("aac") << QStringLiteral("-b:a") << QStringLiteral("256k")
                  << theirs;
        start = Clock::now();
        if (!ffmpeg(arguments))
            state.SkipWithError("ffmpeg failed");
        const double b = seconds(start);
        state.SetIterationTime(a);
        oursTotal += a;
        theirsTotal += b;
    }
    state.counters["ours_s"] = oursTotal / double(state.iterations());
    state.counters["ffmpeg_s"] = theirsTotal / double(state.iterations());
    state.counters["ratio_vs_ffmpeg"] = oursTotal / theirsTotal;
}

void BM_ReencodeTenMinutes(benchmark::State &state)
{
    reencode(state, std::nullopt);
}

void BM_ReencodeTenMinutesAtVolume(benchmark::State &state)
{
    reencode(state, 0.5f);
}

void BM_PassthroughTenMinutes(benchmark::State &state)
{
    const Sources &s = sources();
    const QString ours = s.dir.filePath(QStringLiteral("copied.m4a"));
    const std::filesystem::path copy
        = QFile::encodeName(s.dir.filePath(QStringLiteral("plain copy.m4a"))).toStdString();
    double oursTotal = 0.0;
    double copyTotal = 0.0;
    for (auto _ : state) {
        auto start = Clock::now();
        if (!exportWith(s.m4a, tarnik::ExportSession::Preset::Passthrough, ours, std::nullopt))
            state.SkipWithError("the export failed");
        const double a = seconds(start);
        start = Clock::now();
        std::filesystem::copy_file(
            QFile::encodeName(s.m4a).toStdString(), copy, std::filesystem::copy_options::overwrite_existing);
        const double b = seconds(start);
        state.SetIterationTime(a);
        oursTotal += a;
        copyTotal += b;
    }
    state.counters["ours_s"] = oursTotal / double(state.iterations());
    state.counters["copy_s"] = copyTotal / double(state.iterations());
    state.counters["ratio_vs_copy"] = oursTotal / copyTotal;
}

} // namespace

BENCHMARK(BM_ReencodeTenMinutes)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReencodeTenMinutesAtVolume)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PassthroughTenMinutes)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
