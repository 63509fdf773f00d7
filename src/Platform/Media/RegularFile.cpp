#include "Platform/Media/RegularFile.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace tarnik {

namespace {

// Kernel file systems whose "regular" files are generated on read: their sizes
// lie (0 or 4096) and some reads block or never end.
bool isPseudoFileSystem(int fd)
{
    struct statfs info
    {
    };
    if (::fstatfs(fd, &info) != 0)
        return true;
    switch (static_cast<unsigned long>(info.f_type)) {
    case PROC_SUPER_MAGIC:
    case SYSFS_MAGIC:
    case DEBUGFS_MAGIC:
    case TRACEFS_MAGIC:
    case SECURITYFS_MAGIC:
    case CGROUP_SUPER_MAGIC:
    case CGROUP2_SUPER_MAGIC:
    case BPF_FS_MAGIC:
    case PSTOREFS_MAGIC:
    case EFIVARFS_MAGIC:
    case 0x62656570UL: // configfs
    case 0x65735543UL: // fusectl
        return true;
    default:
        return false;
    }
}

} // namespace

RegularFile::RegularFile(const QString &path)
    : m_path(path)
{
    if (path.isEmpty())
        return;
    const QByteArray native = QFile::encodeName(path);
    // Look before opening: opening a device or a FIFO can itself have effects.
    struct stat before
    {
    };
    if (::stat(native.constData(), &before) != 0 || !S_ISREG(before.st_mode))
        return;
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return;
    // The path may have been replaced between the look and the open.
    struct stat after
    {
    };
    if (::fstat(fd, &after) != 0 || !S_ISREG(after.st_mode) || isPseudoFileSystem(fd)) {
        ::close(fd);
        return;
    }
    m_fd = fd;
}

RegularFile::~RegularFile()
{
    close();
}

RegularFile::RegularFile(RegularFile &&other) noexcept
    : m_fd(other.m_fd)
    , m_path(std::move(other.m_path))
{
    other.m_fd = -1;
}

RegularFile &RegularFile::operator=(RegularFile &&other) noexcept
{
    if (this != &other) {
        close();
        m_fd = other.m_fd;
        m_path = std::move(other.m_path);
        other.m_fd = -1;
    }
    return *this;
}

void RegularFile::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

std::int64_t RegularFile::size() const
{
    struct stat info
    {
    };
    if (m_fd < 0 || ::fstat(m_fd, &info) != 0)
        return 0;
    return info.st_size;
}

std::int64_t RegularFile::readAt(std::int64_t offset, void *buffer, std::int64_t length) const
{
    if (m_fd < 0 || offset < 0 || length < 0)
        return -1;
    for (;;) {
        const ssize_t count = ::pread(m_fd, buffer, static_cast<size_t>(length), offset);
        if (count < 0 && errno == EINTR)
            continue;
        return count;
    }
}

bool RegularFile::isRegularFile(const QString &path)
{
    return RegularFile(path).isOpen();
}

std::optional<QByteArray> RegularFile::readAll(const QString &path, std::int64_t maximumBytes)
{
    const RegularFile file(path);
    if (!file.isOpen() || maximumBytes < 0)
        return std::nullopt;
    // One byte past the limit tells a file that is too long from one that just fits.
    const std::int64_t ceiling = maximumBytes + 1;
    constexpr std::int64_t kChunk = 64 * 1024;
    QByteArray bytes;
    bytes.reserve(qsizetype(std::clamp<std::int64_t>(file.size(), 0, ceiling)));
    std::int64_t done = 0;
    while (done < ceiling) {
        const std::int64_t want = std::min(kChunk, ceiling - done);
        bytes.resize(qsizetype(done + want));
        const std::int64_t count = file.readAt(done, bytes.data() + done, want);
        if (count < 0)
            return std::nullopt;
        if (count == 0)
            break;
        done += count;
    }
    if (done > maximumBytes)
        return std::nullopt;
    bytes.truncate(qsizetype(done));
    return bytes;
}

} // namespace tarnik
