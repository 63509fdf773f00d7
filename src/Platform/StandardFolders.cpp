#include "Platform/StandardFolders.h"

#include <QDir>
#include <QStandardPaths>

namespace tarnik::StandardFolders {

namespace {

QString ensured(const QString &path)
{
    QDir().mkpath(path);
    return path;
}

} // namespace

QString documentsDirectory()
{
    return ensured(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/Documents"));
}

QString cachesDirectory()
{
    return ensured(QStandardPaths::writableLocation(QStandardPaths::CacheLocation));
}

QString temporaryDirectory()
{
    return ensured(cachesDirectory() + QStringLiteral("/tmp")) + QLatin1Char('/');
}

} // namespace tarnik::StandardFolders
