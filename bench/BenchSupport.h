// What the benchmarks share: the folder their fixtures are generated into once and reused by later
// runs, $XDG_CACHE_HOME/tarnik-bench/<name> (or ~/.cache/tarnik-bench/<name>), and settings of
// their own.
#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

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
