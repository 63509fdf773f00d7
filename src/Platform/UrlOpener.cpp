#include "Platform/UrlOpener.h"

#include <QDesktopServices>
#include <QDir>
#include <QDirIterator>
#include <QSettings>
#include <QStandardPaths>

namespace tarnik {

namespace {

std::shared_ptr<UrlOpener> &sharedSlot()
{
    static std::shared_ptr<UrlOpener> opener;
    return opener;
}

bool listsMimeType(const QString &desktopFile, const QString &mimeType)
{
    QSettings entry(desktopFile, QSettings::IniFormat);
    entry.beginGroup(QStringLiteral("Desktop Entry"));
    QStringList types = entry.value(QStringLiteral("MimeType")).toStringList();
    if (types.size() == 1)
        types = types.first().split(QLatin1Char(';'), Qt::SkipEmptyParts);
    return types.contains(mimeType);
}

} // namespace

std::optional<QUrl> UrlOpener::webAddress(const QString &text)
{
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return std::nullopt;
    return url;
}

UrlOpener &UrlOpener::shared()
{
    std::shared_ptr<UrlOpener> &slot = sharedSlot();
    if (!slot)
        slot = std::make_shared<DesktopUrlOpener>();
    return *slot;
}

void UrlOpener::setShared(std::shared_ptr<UrlOpener> opener)
{
    sharedSlot() = std::move(opener);
}

bool DesktopUrlOpener::openUrl(const QUrl &url)
{
    return QDesktopServices::openUrl(url);
}

bool DesktopUrlOpener::canOpenScheme(const QString &scheme)
{
    const QString mimeType = QStringLiteral("x-scheme-handler/") + scheme.toLower();
    // Defaults and associations of the user and the system.
    for (const QString &folder : QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation)
            + QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation)) {
        QSettings list(folder + QStringLiteral("/mimeapps.list"), QSettings::IniFormat);
        for (const QString &group : { QStringLiteral("Default Applications"), QStringLiteral("Added Associations") }) {
            if (!list.value(group + QLatin1Char('/') + mimeType).toString().isEmpty())
                return true;
        }
    }
    // Installed desktop entries that declare the scheme.
    for (const QString &folder : QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation)) {
        QDirIterator it(folder, { QStringLiteral("*.desktop") }, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            if (listsMimeType(it.next(), mimeType))
                return true;
        }
    }
    return false;
}

} // namespace tarnik
