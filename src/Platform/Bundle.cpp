#include "Platform/Bundle.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#ifndef TARNIK_VERSION
#error "TARNIK_VERSION must be defined by the build"
#endif

namespace tarnik {

namespace {

QString executableDirectory()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    // Before the application object exists (static set-up), the kernel still knows.
    return QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget()).absolutePath();
}

QVariantMap mainInfo()
{
    const QString version = QStringLiteral(TARNIK_VERSION);
    return {
        { QStringLiteral("CFBundleIdentifier"), QStringLiteral("com.quilmera.tarnik") },
        { QStringLiteral("CFBundleName"), QStringLiteral("Tarnik") },
        { QStringLiteral("CFBundleDisplayName"), QStringLiteral("Tarnik") },
        { QStringLiteral("CFBundleExecutable"), QStringLiteral("tarnik") },
        { QStringLiteral("CFBundleShortVersionString"), version },
        { QStringLiteral("CFBundleVersion"), version },
    };
}

} // namespace

const Bundle &Bundle::main()
{
    static const Bundle bundle(resourcePathForExecutableDirectory(executableDirectory()), mainInfo());
    return bundle;
}

Bundle::Bundle(const QString &resourcePath, const QVariantMap &infoDictionary)
    : m_resourcePath(QDir::cleanPath(QDir(resourcePath).absolutePath()))
    , m_info(infoDictionary)
{
}

QString Bundle::resourcePathForExecutableDirectory(const QString &executableDirectory)
{
    return QDir::cleanPath(executableDirectory + QStringLiteral("/../share/tarnik"));
}

std::optional<QString> Bundle::bundleIdentifier() const
{
    const QVariant identifier = m_info.value(QStringLiteral("CFBundleIdentifier"));
    if (identifier.metaType().id() != QMetaType::QString || identifier.toString().isEmpty())
        return std::nullopt;
    return identifier.toString();
}

std::optional<QString> Bundle::insideResources(const QString &relativePath) const
{
    const QString path = QDir::cleanPath(m_resourcePath + QLatin1Char('/') + relativePath);
    if (path != m_resourcePath && !path.startsWith(m_resourcePath + QLatin1Char('/')))
        return std::nullopt;
    return path;
}

std::optional<QString> Bundle::pathForResource(
    const QString &name, const QString &type, const QString &subdirectory) const
{
    if (name.isEmpty())
        return std::nullopt;
    QString file = name;
    QString extension = type;
    if (extension.startsWith(QLatin1Char('.')))
        extension.remove(0, 1);
    if (!extension.isEmpty())
        file += QLatin1Char('.') + extension;
    const auto path = insideResources(subdirectory.isEmpty() ? file : subdirectory + QLatin1Char('/') + file);
    if (!path || *path == m_resourcePath || !QFileInfo::exists(*path))
        return std::nullopt;
    return path;
}

QStringList Bundle::pathsForResources(const QString &type, const QString &subdirectory) const
{
    const auto folder = insideResources(subdirectory);
    if (!folder)
        return {};
    QString extension = type;
    if (extension.startsWith(QLatin1Char('.')))
        extension.remove(0, 1);
    const QStringList filters = extension.isEmpty() ? QStringList() : QStringList { QStringLiteral("*.") + extension };
    QStringList paths;
    const QDir dir(*folder);
    for (const QString &entry : dir.entryList(filters, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
        paths.append(dir.filePath(entry));
    return paths;
}

} // namespace tarnik
