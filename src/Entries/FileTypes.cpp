#include "Entries/FileTypes.h"

#include "App/PathExtension.h"
#include "App/Preferences.h"
#include "Entries/EntryImages.h"
#include "Platform/PropertyList.h"

#include <QBuffer>
#include <QFile>
#include <QSet>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <vector>

namespace tarnik::FileTypes {

namespace {

const QString kUnknown = QStringLiteral("unknown");

// The table as read from its file: its groups in the dictionary's order.
struct Group
{
    QSet<QString> extensions;
    QString icon; // empty when missing, not a text or empty
};

struct Table
{
    bool readable = false;
    std::vector<Group> groups;
};

Table readTable(const QString &tablePath)
{
    Table table;
    const std::optional<QVariantMap> root = PropertyList::readDictionary(tablePath);
    if (!root)
        return table;
    table.readable = true;
    for (auto it = root->cbegin(); it != root->cend(); ++it) {
        if (it.value().typeId() != QMetaType::QVariantMap)
            continue;
        const QVariantMap group = it.value().toMap();
        const QVariant extensions = group.value(QStringLiteral("extensions"));
        if (extensions.typeId() != QMetaType::QVariantList)
            continue;
        Group parsed;
        for (const QVariant &listed : extensions.toList()) {
            if (listed.typeId() == QMetaType::QString)
                parsed.extensions.insert(listed.toString());
        }
        const QVariant icon = group.value(QStringLiteral("icon"));
        if (icon.typeId() == QMetaType::QString)
            parsed.icon = icon.toString();
        table.groups.push_back(std::move(parsed));
    }
    return table;
}

// The file's identity: a table that was edited, replaced or removed reads differently.
struct Stamp
{
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified {};

    bool operator==(const Stamp &other) const
    {
        return exists == other.exists && device == other.device && inode == other.inode && size == other.size
            && modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec;
    }
};

Stamp stampOf(const QString &path)
{
    Stamp stamp;
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) == 0) {
        stamp.exists = true;
        stamp.device = info.st_dev;
        stamp.inode = info.st_ino;
        stamp.size = info.st_size;
        stamp.modified = info.st_mtim;
    }
    return stamp;
}

// Parsing the table costs far more than a row's other work, and rows ask twice each. The parsed
// table is kept per file and used while the file's identity is unchanged, so every call still
// answers from the table as it is on disk.
std::shared_ptr<const Table> table(const QString &tablePath)
{
    struct Cached
    {
        QString path;
        Stamp stamp;
        std::shared_ptr<const Table> table;
    };
    static std::mutex mutex;
    static Cached cached;

    const Stamp stamp = stampOf(tablePath);
    {
        std::lock_guard lock(mutex);
        if (cached.table && cached.path == tablePath && cached.stamp == stamp)
            return cached.table;
    }
    auto fresh = std::make_shared<const Table>(readTable(tablePath));
    // Only a table whose file did not change while it was read is kept.
    if (stampOf(tablePath) == stamp) {
        std::lock_guard lock(mutex);
        cached = Cached { tablePath, stamp, fresh };
    }
    return fresh;
}

// Visits the groups for a lower-cased extension: whether any group lists it, and the icon of the
// first listing group that names a non-empty icon.
struct Lookup
{
    bool listed = false;
    QString icon;
};

Lookup lookUp(const QString &extension, const QString &tablePath)
{
    Lookup result;
    const std::shared_ptr<const Table> groups = table(tablePath);
    for (const Group &group : groups->groups) {
        if (!group.extensions.contains(extension))
            continue;
        result.listed = true;
        if (!group.icon.isEmpty()) {
            result.icon = group.icon;
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
