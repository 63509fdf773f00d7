#include "Platform/PartialFiles.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStandardPaths>

#include <cerrno>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarnik::PartialFiles {

namespace {

constexpr QLatin1StringView kMarker(".tarnik-partial-");
// 36^13 exceeds 2^64, so every random value has a name of its own.
constexpr int kRandomLength = 13;
// A record holds a process number and a path; anything longer is no record of ours.
constexpr qint64 kMaximumRecordBytes = 16 * 1024;

const QRegularExpression &namePattern()
{
    static const QRegularExpression pattern(
        QStringLiteral("^\\.(.+)\\.tarnik-partial-[0-9a-z]{13}(?:\\.([A-Za-z0-9]{1,8}))?$"),
        QRegularExpression::DotMatchesEverythingOption);
    return pattern;
}

// One record per partial file, named after its path, so that release() needs no shared state.
QString recordPath(const QString &path)
{
    return recordsFolder() + QLatin1Char('/')
        + QString::fromLatin1(QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha1).toHex());
}

bool hasEnded(qint64 pid)
{
    // This process's own files are in use; a process number that no process has is ended. A
    // number reused by a new process keeps the file until that one ends too.
    if (pid <= 0 || pid == qint64(::getpid()))
        return false;
    return ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
}

bool isRegularFileNoFollow(const QString &path)
{
    struct stat info = {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISREG(info.st_mode);
}

} // namespace

QString recordsFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/Partial files");
}

bool isPartialName(const QString &fileName)
{
    return namePattern().match(fileName).hasMatch();
}

std::optional<QString> create(const QString &target)
{
    const QFileInfo info(target);
    QString base = info.completeBaseName();
    QString suffix = info.suffix();
    if (const QRegularExpressionMatch match = namePattern().match(info.fileName()); match.hasMatch()) {
        base = match.captured(1);
        suffix = match.captured(2);
    }
    if (!QDir().mkpath(recordsFolder()))
        return std::nullopt;
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QString random
            = QString::number(QRandomGenerator::global()->generate64(), 36).rightJustified(kRandomLength, u'0');
        const QString candidate = info.absolutePath() + QStringLiteral("/.") + base + kMarker + random
            + (suffix.isEmpty() ? QString() : QString(QLatin1Char('.') + suffix));
        // The record comes first: a process killed right after the file appears must not leave a
        // file that nobody knows of.
        QFile record(recordPath(candidate));
        if (!record.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return std::nullopt;
        const QByteArray content = QByteArray::number(qint64(::getpid())) + '\n' + candidate.toUtf8();
        const bool recorded = record.write(content) == content.size() && record.flush();
        record.close();
        if (!recorded) {
            record.remove();
            return std::nullopt;
        }
        const int fd
            = ::open(QFile::encodeName(candidate).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        const int error = errno;
        if (fd >= 0) {
            ::close(fd);
            return candidate;
        }
        record.remove();
        if (error != EEXIST) {
            errno = error;
            return std::nullopt;
        }
    }
    return std::nullopt;
}

void release(const QString &path)
{
    QFile::remove(recordPath(path));
}

int removeLeftovers()
{
    int removed = 0;
    const QDir folder(recordsFolder());
    for (const QString &name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        const QString recordFile = folder.filePath(name);
        QFile record(recordFile);
        if (!record.open(QIODevice::ReadOnly))
            continue;
        const QByteArray content = record.read(kMaximumRecordBytes);
        record.close();
        const qsizetype newline = content.indexOf('\n');
        bool isNumber = false;
        const qint64 pid = newline > 0 ? content.left(newline).toLongLong(&isNumber) : 0;
        const QString path = QString::fromUtf8(content.mid(newline + 1));
        if (isNumber && !hasEnded(pid))
            continue;
        // Only the very file the record was made for: the record's own name must match its path,
        // and the file must still have a partial name and be a plain file.
        if (isNumber && QDir::isAbsolutePath(path) && QFileInfo(recordPath(path)).fileName() == name
            && isPartialName(QFileInfo(path).fileName()) && isRegularFileNoFollow(path) && QFile::remove(path))
            ++removed;
        QFile::remove(recordFile);
    }
    return removed;
}

} // namespace tarnik::PartialFiles
