#include "MediaFixtures.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <cmath>
#include <cstring>

namespace tarnik::test {

namespace {

QByteArray run(const QString &program, const QStringList &arguments, bool *ok)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start();
    // The commands work on small local files; the generous limit only keeps a
    // broken tool from hanging the suite.
    const bool finished = process.waitForStarted() && process.waitForFinished(10 * 60 * 1000);
    *ok = finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    return process.readAllStandardOutput();
}

} // namespace

bool runFfmpeg(const QStringList &arguments)
{
    bool ok = false;
    run(QStringLiteral("ffmpeg"),
        QStringList { QStringLiteral("-y"), QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-nostdin") }
            + arguments,
        &ok);
    return ok;
}

bool makeTone(const QString &path, double seconds, int sampleRate, int channels, double amplitude,
    const QStringList &codecArguments)
{
    const QString wave = QStringLiteral("%1*sin(2*PI*440*t)").arg(amplitude);
    QStringList waves;
    for (int i = 0; i < channels; ++i)
        waves << wave;
    const QString source
        = QStringLiteral("aevalsrc=%1:s=%2:d=%3").arg(waves.join(QLatin1Char('|'))).arg(sampleRate).arg(seconds);
    return runFfmpeg(QStringList { QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"), source }
        + codecArguments + QStringList { path });
}

QJsonObject probe(const QString &path)
{
    bool ok = false;
    const QByteArray json = run(QStringLiteral("ffprobe"),
        { QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-print_format"), QStringLiteral("json"),
            QStringLiteral("-show_format"), QStringLiteral("-show_streams"), path },
        &ok);
    return ok ? QJsonDocument::fromJson(json).object() : QJsonObject();
}

QJsonObject firstAudioStream(const QJsonObject &probed)
{
    for (const QJsonValue &stream : probed.value(QStringLiteral("streams")).toArray()) {
        if (stream.toObject().value(QStringLiteral("codec_type")).toString() == QStringLiteral("audio"))
            return stream.toObject();
    }
    return {};
}

std::vector<float> decodeFirstChannel(const QString &path, int sampleRate)
{
    bool ok = false;
    const QByteArray raw = run(QStringLiteral("ffmpeg"),
        { QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-nostdin"), QStringLiteral("-i"), path,
            QStringLiteral("-map"), QStringLiteral("0:a:0"), QStringLiteral("-af"), QStringLiteral("pan=mono|c0=c0"),
            QStringLiteral("-ar"), QString::number(sampleRate), QStringLiteral("-f"), QStringLiteral("f32le"),
            QStringLiteral("-") },
        &ok);
    std::vector<float> samples(ok ? size_t(raw.size()) / sizeof(float) : 0);
    if (!samples.empty())
        std::memcpy(samples.data(), raw.constData(), samples.size() * sizeof(float));
    return samples;
}

QStringList packetHashes(const QString &path)
{
    bool ok = false;
    const QByteArray text = run(QStringLiteral("ffmpeg"),
        { QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-nostdin"), QStringLiteral("-i"), path,
            QStringLiteral("-map"), QStringLiteral("0:a:0"), QStringLiteral("-c"), QStringLiteral("copy"),
            QStringLiteral("-f"), QStringLiteral("framemd5"), QStringLiteral("-") },
        &ok);
    QStringList hashes;
    for (const QByteArray &line : text.split('\n')) {
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        hashes << QString::fromLatin1(line.split(',').last().trimmed());
    }
    return hashes;
}

QStringList folderEntries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace tarnik::test
