#include "MediaFixtures.h"

#include <QFile>
#include <QProcess>

namespace tarnik::test {

MediaFixtures::MediaFixtures() = default;

QString MediaFixtures::name(Kind kind)
{
    switch (kind) {
    case Kind::mp3:
        return QStringLiteral("mp3");
    case Kind::m4a:
        return QStringLiteral("m4a");
    case Kind::ogg:
        return QStringLiteral("ogg");
    case Kind::mp4:
        return QStringLiteral("mp4");
    case Kind::mp3WithCover:
        return QStringLiteral("mp3WithCover");
    }
    return {};
}

bool MediaFixtures::run(const QStringList &arguments)
{
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
        QStringList {
            QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-y") }
            + arguments);
    if (!ffmpeg.waitForFinished(60'000))
        return false;
    return ffmpeg.exitStatus() == QProcess::NormalExit && ffmpeg.exitCode() == 0;
}

QString MediaFixtures::file(Kind kind, double seconds)
{
    const QString length = QString::number(seconds, 'f', 2);
    const QString path = m_dir.filePath(QStringLiteral("tone-") + length + QLatin1Char('-') + name(kind)
        + (kind == Kind::mp3WithCover ? QStringLiteral(".mp3") : QLatin1Char('.') + name(kind)));
    if (QFile::exists(path))
        return path;
    const QStringList tone { QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
        QStringLiteral("sine=frequency=440:sample_rate=44100:duration=") + length };
    bool ok = false;
    switch (kind) {
    case Kind::mp3:
        ok = run(tone + QStringList { QStringLiteral("-c:a"), QStringLiteral("libmp3lame"), path });
        break;
    case Kind::m4a:
        ok = run(tone + QStringList { QStringLiteral("-c:a"), QStringLiteral("aac"), path });
        break;
    case Kind::ogg:
        ok = run(tone + QStringList { QStringLiteral("-c:a"), QStringLiteral("libvorbis"), path });
        break;
    case Kind::mp4:
        ok = run(QStringList { QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                     QStringLiteral("testsrc=size=64x48:rate=10:duration=") + length }
            + tone
            + QStringList { QStringLiteral("-c:v"), QStringLiteral("libx264"), QStringLiteral("-pix_fmt"),
                QStringLiteral("yuv420p"), QStringLiteral("-c:a"), QStringLiteral("aac"), QStringLiteral("-shortest"),
                path });
        break;
    case Kind::mp3WithCover: {
        const QString cover = m_dir.filePath(QStringLiteral("cover.png"));
        ok = run({ QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                 QStringLiteral("color=c=red:size=32x32"), QStringLiteral("-frames:v"), QStringLiteral("1"), cover })
            && run(tone
                + QStringList { QStringLiteral("-i"), cover, QStringLiteral("-map"), QStringLiteral("0:a"),
                    QStringLiteral("-map"), QStringLiteral("1:v"), QStringLiteral("-c:a"), QStringLiteral("libmp3lame"),
                    QStringLiteral("-c:v"), QStringLiteral("png"), QStringLiteral("-disposition:v"),
                    QStringLiteral("attached_pic"), QStringLiteral("-id3v2_version"), QStringLiteral("3"), path });
        break;
    }
    }
    return ok ? path : QString();
}

} // namespace tarnik::test
