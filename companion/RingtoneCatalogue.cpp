#include "RingtoneCatalogue.h"

#include "Platform/PropertyList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarnik {

namespace {

const QString kRingtonesKey = QStringLiteral("Ringtones");
// As many numbered names as the library's other folders try.
constexpr int kMaximumNumber = 9999;

QMutex &catalogueMutex()
{
    static QMutex mutex;
    return mutex;
}

// Sixteen upper-case hexadecimal digits, the form the catalogue's GUIDs take.
QString newGuid()
{
    return QStringLiteral("%1").arg(QRandomGenerator::system()->generate64(), 16, 16, QLatin1Char('0')).toUpper();
}

// A positive 63-bit persistent identifier.
qint64 newPid()
{
    return qint64(QRandomGenerator::system()->generate64() >> 1) | 1;
}

// The catalogue's root, empty when there is no catalogue yet; none when a file is there that
// cannot be read as a catalogue (it is then left alone).
std::optional<QVariantMap> readRoot(const QString &path)
{
    if (!QFileInfo::exists(path)) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        return QVariantMap();
    }
    const std::optional<QVariantMap> root = PropertyList::readDictionary(path);
    if (!root)
        return std::nullopt;
    const QVariant ringtones = root->value(kRingtonesKey);
    if (ringtones.isValid() && ringtones.typeId() != QMetaType::QVariantMap)
        return std::nullopt;
    return root;
}

QVariantMap newEntry(const QString &name, qint64 totalTimeMilliseconds)
{
    QVariantMap entry;
    entry.insert(QStringLiteral("Name"), name);
    entry.insert(QStringLiteral("GUID"), newGuid());
    entry.insert(QStringLiteral("Total Time"), totalTimeMilliseconds);
    entry.insert(QStringLiteral("PID"), newPid());
    return entry;
}

bool writeWith(const QString &path, QVariantMap root, const QString &fileName, const std::optional<QVariantMap> &entry)
{
    QVariantMap ringtones = root.value(kRingtonesKey).toMap();
    if (entry)
        ringtones.insert(fileName, *entry);
    else
        ringtones.remove(fileName);
    root.insert(kRingtonesKey, ringtones);
    return PropertyList::write(path, root);
}

// Renames without ever replacing a file that is there.
bool claimName(const QString &from, const QString &to)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray destination = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, destination.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
        return false;
    // A file system without the no-replace rename: a hard link claims the name just as surely.
    if (::link(source.constData(), destination.constData()) != 0)
        return false;
    ::unlink(source.constData());
    return true;
}

bool existsNoFollow(const QString &path)
{
    struct stat info = {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 || errno != ENOENT;
}

bool isRegularFileNoFollow(const QString &path)
{
    struct stat info = {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISREG(info.st_mode);
}

} // namespace

RingtoneCatalogue::RingtoneCatalogue(QString path)
    : m_path(std::move(path))
{
}

QString RingtoneCatalogue::folder() const
{
    return QFileInfo(m_path).absolutePath();
}

bool RingtoneCatalogue::addRingtone(const QString &fileName, const QString &name, qint64 totalTimeMilliseconds) const
{
    const QMutexLocker locker(&catalogueMutex());
    const std::optional<QVariantMap> root = readRoot(m_path);
    return root && writeWith(m_path, *root, fileName, newEntry(name, totalTimeMilliseconds));
}

std::optional<QString> RingtoneCatalogue::addRingtoneFile(const QString &temporaryPath, const QString &baseName,
    const QString &extension, const QString &name, qint64 totalTimeMilliseconds) const
{
    const QMutexLocker locker(&catalogueMutex());
    const std::optional<QVariantMap> root = readRoot(m_path);
    if (!root)
        return std::nullopt;
    const QVariantMap ringtones = root->value(kRingtonesKey).toMap();
    const QString dir = folder();
    const QString suffix = extension.isEmpty() ? QString() : QString(QLatin1Char('.') + extension);
    for (int number = 1; number <= kMaximumNumber; ++number) {
        const QString fileName = number == 1 ? QString(baseName + suffix)
                                             : QString(baseName + QLatin1Char(' ') + QString::number(number) + suffix);
        const QString path = dir + QLatin1Char('/') + fileName;
        const QString pending = dir + QLatin1Char('/') + kPendingPrefix + fileName;
        // Free means: no file, no entry and no other ringtone on its way to that name.
        if (ringtones.contains(fileName) || existsNoFollow(path) || existsNoFollow(pending))
            continue;
        // The file takes a name that says where it goes, then the entry is saved, then the file
        // moves into place. A crash before the entry leaves a pending file without entry, which
        // the next start removes; a crash after it leaves one with its entry, which the next start
        // moves into place. Either way the catalogue and the folder agree.
        if (!claimName(temporaryPath, pending))
            return std::nullopt;
        if (!writeWith(m_path, *root, fileName, newEntry(name, totalTimeMilliseconds))) {
            ::rename(QFile::encodeName(pending).constData(), QFile::encodeName(temporaryPath).constData());
            return std::nullopt;
        }
        if (!claimName(pending, path)) {
            // Someone else's file took the name meanwhile: the entry goes again.
            writeWith(m_path, *root, fileName, std::nullopt);
            ::rename(QFile::encodeName(pending).constData(), QFile::encodeName(temporaryPath).constData());
            return std::nullopt;
        }
        return path;
    }
    return std::nullopt;
}

void RingtoneCatalogue::finishPendingFiles() const
{
    const QMutexLocker locker(&catalogueMutex());
    const QDir dir(folder());
    const std::optional<QVariantMap> root = QFileInfo::exists(m_path) ? readRoot(m_path) : std::nullopt;
    const QVariantMap ringtones = root ? root->value(kRingtonesKey).toMap() : QVariantMap();
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (!name.startsWith(kPendingPrefix) || name.size() == kPendingPrefix.size())
            continue;
        const QString pending = dir.filePath(name);
        if (!isRegularFileNoFollow(pending))
            continue;
        const QString fileName = name.mid(kPendingPrefix.size());
        if (ringtones.contains(fileName) && claimName(pending, dir.filePath(fileName)))
            continue;
        QFile::remove(pending);
    }
}

} // namespace tarnik
