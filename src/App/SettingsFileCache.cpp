#include "App/SettingsFileCache.h"

#include "Platform/PropertyList.h"

#include <QFile>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <sys/stat.h>

namespace tarnik {

namespace {

// What tells one version of a file from another without reading it.
struct Stamp
{
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified {};
    timespec changed {};

    bool operator==(const Stamp &other) const
    {
        return device == other.device && inode == other.inode && size == other.size
            && modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec
            && changed.tv_sec == other.changed.tv_sec && changed.tv_nsec == other.changed.tv_nsec;
    }
};

std::optional<Stamp> stampOf(const QString &path)
{
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    return Stamp { info.st_dev, info.st_ino, info.st_size, info.st_mtim, info.st_ctim };
}

struct Kept
{
    Stamp stamp;
    std::optional<QVariantMap> dictionary;
};

struct Store
{
    QMutex mutex;
    QHash<QString, Kept> files;
};

Store &store()
{
    static Store once;
    return once;
}

} // namespace

std::optional<QVariantMap> SettingsFileCache::dictionary(const QString &path)
{
    const std::optional<Stamp> before = stampOf(path);
    Store &kept = store();
    if (!before) {
        const QMutexLocker locker(&kept.mutex);
        kept.files.remove(path);
        return std::nullopt;
    }
    {
        const QMutexLocker locker(&kept.mutex);
        const auto found = kept.files.constFind(path);
        if (found != kept.files.constEnd() && found->stamp == *before)
            return found->dictionary;
    }
    std::optional<QVariantMap> dictionary = PropertyList::readDictionary(path);
    // Keep it only when the file did not change while it was read; else the next read parses
    // the file again.
    if (const std::optional<Stamp> after = stampOf(path); after && *after == *before) {
        const QMutexLocker locker(&kept.mutex);
        kept.files.insert(path, Kept { *before, dictionary });
    }
    return dictionary;
}

void SettingsFileCache::invalidate(const QString &path)
{
    Store &kept = store();
    const QMutexLocker locker(&kept.mutex);
    kept.files.remove(path);
}

} // namespace tarnik
