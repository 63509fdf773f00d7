#include "App/IncomingDocuments.h"

#include "App/Preferences.h"
#include "Platform/Media/RegularFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tarnik::IncomingDocuments {

namespace {

bool looksLikeUrl(const QString &argument)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:"));
    return scheme.match(argument).hasMatch();
}

// Copies the whole of `in` into the empty file `out`: a reflink where the file system shares
// blocks, else copy_file_range (done inside the kernel, server-side on network file systems),
// else plain reads and writes.
bool copyContents(int in, int out)
{
    if (::ioctl(out, FICLONE, in) == 0)
        return true;
    constexpr size_t kChunk = size_t(1) << 30;
    loff_t offset = 0;
    for (;;) {
        const ssize_t count = ::copy_file_range(in, &offset, out, nullptr, kChunk, 0);
        if (count > 0)
            continue;
        if (count == 0)
            return true;
        if (errno == EINTR)
            continue;
        // Kernels and file systems without it (or across some mounts) refuse before copying.
        if (offset == 0 && (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP))
            break;
        return false;
    }
    std::vector<char> buffer(size_t(1) << 20);
    for (;;) {
        const ssize_t count = ::pread(in, buffer.data(), buffer.size(), offset);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return false;
        if (count == 0)
            return true;
        for (ssize_t done = 0; done < count;) {
            const ssize_t written = ::write(out, buffer.data() + done, size_t(count - done));
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0)
                return false;
            done += written;
        }
        offset += count;
    }
}

// Gives the finished copy `temporary` the name `target` unless that is taken; never replaces.
bool claimName(const QByteArray &temporary, const QString &target, bool *taken)
{
    const QByteArray to = QFile::encodeName(target);
    *taken = false;
    if (::renameat2(AT_FDCWD, temporary.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP) {
        if (::link(temporary.constData(), to.constData()) == 0) {
            ::unlink(temporary.constData());
            return true;
        }
    }
    *taken = errno == EEXIST;
    return false;
}

} // namespace

bool isFileArgument(const QString &argument)
{
    return !argument.isEmpty() && (!looksLikeUrl(argument) || QUrl(argument).isLocalFile());
}

std::optional<QString> copyIntoInbox(const QString &path, const QString &inbox)
{
    // Through a descriptor that is known to be a regular file: a FIFO or a device never blocks.
    const RegularFile source(path);
    if (!source.isOpen() || !QDir().mkpath(inbox))
        return std::nullopt;
    // The copy is made under a hidden name and named only once whole, so a failed or
    // interrupted copy never looks like the document.
    QByteArray temporary = QFile::encodeName(inbox + QStringLiteral("/.incoming-XXXXXX"));
    const int out = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (out < 0)
        return std::nullopt;
    bool copied = copyContents(source.descriptor(), out);
    copied = ::close(out) == 0 && copied;
    if (!copied) {
        ::unlink(temporary.constData());
        return std::nullopt;
    }

    const QFileInfo info(path);
    const QString base = info.completeBaseName();
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    QString target = inbox + QLatin1Char('/') + info.fileName();
    for (int n = 1; n <= 10000; ++n) {
        bool taken = false;
        if (claimName(temporary, target, &taken))
            return target;
        if (!taken)
            break;
        target = inbox + QLatin1Char('/') + base + QLatin1Char('-') + QString::number(n) + suffix;
    }
    ::unlink(temporary.constData());
    return std::nullopt;
}

std::optional<QString> urlForArgument(const QString &argument, const QString &workingDirectory)
{
    if (argument.isEmpty())
        return std::nullopt;
    QString path;
    if (looksLikeUrl(argument)) {
        const QUrl url(argument);
        if (!url.isLocalFile())
            return argument;
        path = url.toLocalFile();
    } else {
        path = QDir(workingDirectory).absoluteFilePath(argument);
    }
    const std::optional<QString> copy = copyIntoInbox(path, Preferences::inboxPath());
    if (!copy)
        return std::nullopt;
    return QUrl::fromLocalFile(*copy).toString(QUrl::FullyEncoded);
}

QStringList absoluteArguments(const QStringList &arguments, const QString &workingDirectory)
{
    QStringList out;
    for (const QString &argument : arguments) {
        if (argument.isEmpty() || looksLikeUrl(argument))
            out.append(argument);
        else
            out.append(QDir(workingDirectory).absoluteFilePath(argument));
    }
    return out;
}

} // namespace tarnik::IncomingDocuments
