#include "Entries/FileTypes.h"

#include "App/PathExtension.h"
#include "App/Preferences.h"
#include "Entries/EntryImages.h"
#include "Platform/PropertyList.h"

#include <QBuffer>

namespace tarnik::FileTypes {

namespace {

const QString kUnknown = QStringLiteral("unknown");

// Visits the groups of the table for a lower-cased extension. Returns whether any group lists
// it, and the icon of the first listing group that names a non-empty icon.
struct Lookup
{
    bool readable = false;
    bool listed = false;
    QString icon;
};

Lookup lookUp(const QString &extension, const QString &tablePath)
{
    Lookup result;
    const std::optional<QVariantMap> table = PropertyList::readDictionary(tablePath);
    if (!table)
        return result;
    result.readable = true;
    for (auto it = table->cbegin(); it != table->cend(); ++it) {
        if (it.value().typeId() != QMetaType::QVariantMap)
            continue;
        const QVariantMap group = it.value().toMap();
        const QVariant extensions = group.value(QStringLiteral("extensions"));
        if (extensions.typeId() != QMetaType::QVariantList)
            continue;
        bool contains = false;
        for (const QVariant &listed : extensions.toList()) {
            if (listed.typeId() == QMetaType::QString && listed.toString() == extension) {
                contains = true;
                break;
            }
        }
        if (!contains)
            continue;
        result.listed = true;
        const QVariant icon = group.value(QStringLiteral("icon"));
        if (icon.typeId() == QMetaType::QString && !icon.toString().isEmpty()) {
            result.icon = icon.toString();
            return result;
        }
    }
    return result;
}

QString lowerExtension(const QString &path)
{
    return PathExtension(path).pathExtension().toLower();
}

} // namespace

QString iconName(const QString &path)
{
    return iconName(path, Preferences::fileTypesPath());
}

QString iconName(const QString &path, const QString &tablePath)
{
    const QString extension = lowerExtension(path);
    if (extension.isEmpty())
        return kUnknown;
    const Lookup found = lookUp(extension, tablePath);
    return found.icon.isEmpty() ? kUnknown : found.icon;
}

QImage icon(const QString &path, int pixelSize)
{
    return icon(path, Preferences::fileTypesPath(), pixelSize);
}

QImage icon(const QString &path, const QString &tablePath, int pixelSize)
{
    const QImage image = EntryImages::named(iconName(path, tablePath), pixelSize);
    return image.isNull() ? EntryImages::named(kUnknown, pixelSize) : image;
}

std::optional<QByteArray> iconData(const QString &path, int pixelSize)
{
    const QImage image = icon(path, pixelSize);
    if (image.isNull())
        return std::nullopt;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG"))
        return std::nullopt;
    return bytes;
}

QString deletingSupportedPathExtension(const QString &path)
{
    return deletingSupportedPathExtension(path, Preferences::fileTypesPath());
}

QString deletingSupportedPathExtension(const QString &path, const QString &tablePath)
{
    const QString extension = lowerExtension(path);
    if (extension.isEmpty())
        return path;
    if (!lookUp(extension, tablePath).listed)
        return path;
    return PathExtension(path).deletingPathExtension();
}

} // namespace tarnik::FileTypes
