// What every benchmark shares: the folder its fixtures are generated into once and reused by later
// runs, $XDG_CACHE_HOME/tarnik-bench/<name> (or ~/.cache/tarnik-bench/<name>).
#pragma once

#include <QDir>
#include <QString>

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

} // namespace bench
