#include "MediaFixtures.h"

#include <QFile>
#include <QProcess>
#include <random>

namespace tarnik::test::media {

QStringList args(std::initializer_list<const char *> list)
{
    QStringList result;
    for (const char *item : list)
        result << QString::fromUtf8(item);
    return result;
}

bool runFfmpeg(const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(QStringLiteral("ffmpeg"),
        QStringList { QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"), QStringLiteral("error"),
            QStringLiteral("-nostdin"), QStringLiteral("-y") }
            + arguments);
    if (!process.waitForStarted(30000))
        return false;
    process.waitForFinished(300000);
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

bool makeTone(const QString &path, double seconds, const QStringList &extra)
{
    return runFfmpeg(QStringList { QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                         QStringLiteral("sine=frequency=440:sample_rate=44100:duration=%1").arg(seconds) }
        + extra + QStringList { path });
}

bool makeVideo(const QString &path, double seconds, bool withAudio, const QStringList &extra)
{
    QStringList arguments { QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
        QStringLiteral("testsrc=size=64x48:rate=10:duration=%1").arg(seconds) };
    if (withAudio) {
        arguments += QStringList { QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
            QStringLiteral("anullsrc=r=44100:cl=mono"), QStringLiteral("-t"), QString::number(seconds) };
    }
    return runFfmpeg(arguments + QStringList { QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p") } + extra
        + QStringList { path });
}

bool makeCountingVideo(const QString &path, double seconds)
{
    return runFfmpeg({ QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
        QStringLiteral("color=black:size=64x48:rate=10:duration=%1,format=yuv420p,"
                       "geq=lum='16+10*floor(T)':cb=128:cr=128")
            .arg(seconds),
        QStringLiteral("-c:v"), QStringLiteral("mpeg4"), QStringLiteral("-q:v"), QStringLiteral("2"),
        QStringLiteral("-g"), QStringLiteral("25"), path });
}

bool makePicture(const QString &path, int width, int height, const QString &colour)
{
    return runFfmpeg({ QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
        QStringLiteral("color=%1:size=%2x%3").arg(colour).arg(width).arg(height), QStringLiteral("-frames:v"),
        QStringLiteral("1"), path });
}

bool makeToneWithCover(const QString &path, const QString &picture, double seconds, const QStringList &extra)
{
    return runFfmpeg(QStringList { QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                         QStringLiteral("sine=frequency=440:sample_rate=44100:duration=%1").arg(seconds),
                         QStringLiteral("-i"), picture, QStringLiteral("-map"), QStringLiteral("0:a"),
                         QStringLiteral("-map"), QStringLiteral("1:v"), QStringLiteral("-c:v"), QStringLiteral("copy"),
                         QStringLiteral("-disposition:v"), QStringLiteral("attached_pic") }
        + extra + QStringList { path });
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool makeHugePng(const QString &path, int side)
{
    const auto crc32 = [](const QByteArray &bytes) {
        quint32 crc = 0xFFFFFFFFu;
        for (const char byte : bytes) {
            crc ^= quint8(byte);
            for (int bit = 0; bit < 8; ++bit)
                crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
        return crc ^ 0xFFFFFFFFu;
    };
    const auto be32 = [](quint32 value) {
        const char bytes[] = { char(value >> 24), char(value >> 16), char(value >> 8), char(value) };
        return QByteArray(bytes, 4);
    };
    const auto chunk = [&](const char *type, const QByteArray &data) -> QByteArray {
        const QByteArray typed = QByteArray(type) + data;
        return be32(quint32(data.size())) + typed + be32(crc32(typed));
    };
    // One-bit greyscale: each row a filter byte and side / 8 bytes, all zero.
    const qsizetype rowBytes = 1 + (side + 7) / 8;
    const QByteArray compressed = qCompress(QByteArray(rowBytes * side, '\0'), 9);
    const QByteArray header = be32(quint32(side)) + be32(quint32(side)) + QByteArray("\x01\x00\x00\x00\x00", 5);
    // qCompress puts the uncompressed length before the zlib stream that PNG wants.
    const QByteArray png = QByteArray("\x89PNG\r\n\x1A\n", 8) + chunk("IHDR", header)
        + chunk("IDAT", compressed.mid(4)) + chunk("IEND", {});
    return writeFile(path, png);
}

QByteArray noise(int length, quint32 seed)
{
    std::mt19937 generator(seed);
    QByteArray bytes(length, '\0');
    for (char &byte : bytes)
        byte = char(generator() & 0xFF);
    return bytes;
}

} // namespace tarnik::test::media
