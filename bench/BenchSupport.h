// What the benchmarks share: the folder their fixtures are generated into once and reused by later
// runs, $XDG_CACHE_HOME/tarnik-bench/<name> (or ~/.cache/tarnik-bench/<name>), and settings of
// their own.
#pragma once

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <fcntl.h>
#include <unistd.h>

namespace bench {

inline QString benchFolder(const QString &name)
{
    QString base = qEnvironmentVariable("XDG_CACHE_HOME");
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.cache");
    const QString folder = base + QStringLiteral("/tarnik-bench/") + name;
    QDir().mkpath(folder);
    return folder;
}

// A folder of `count` empty files, "track <n>.dat", made once.
inline QString emptyFiles(int count)
{
    const QString folder = benchFolder(QStringLiteral("listing-%1").arg(count));
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

// Seconds `ls -v` takes over the folder, its output thrown away: what a user's own tool takes to
// list it in natural order. Negative when ls fails.
inline double lsVersionSortSeconds(const QString &folder)
{
    QElapsedTimer timer;
    timer.start();
    QProcess ls;
    ls.setStandardOutputFile(QProcess::nullDevice());
    ls.start(QStringLiteral("ls"), { QStringLiteral("-v"), folder });
    if (!ls.waitForFinished(-1) || ls.exitCode() != 0)
        return -1;
    return timer.nsecsElapsed() / 1e9;
}

// Settings (XDG data and config) in a temporary folder for as long as this lives, so a run neither
// reads nor changes the user's. Made before the application object.
class TemporarySettings
{
public:
    TemporarySettings()
    {
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_folder.filePath(QStringLiteral("data"))));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_folder.filePath(QStringLiteral("config"))));
    }

private:
    QTemporaryDir m_folder;
};

} // namespace bench
