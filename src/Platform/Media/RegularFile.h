#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

namespace tarnik {

// A read-only descriptor of a regular file, the only kind of file the media
// layer ever opens. Directories, FIFOs, sockets, devices and anything on a
// kernel pseudo file system ("/proc", "/sys", …) are refused before a single
// byte is read, so probing a path found while browsing "/" never blocks.
//
// The descriptor keeps the file alive: a file that is deleted or renamed after
// opening reads on to its end. Not copyable; movable. Any thread, one at a time.
class RegularFile
{
public:
    RegularFile() = default;
    explicit RegularFile(const QString &path);
    ~RegularFile();
    RegularFile(RegularFile &&other) noexcept;
    RegularFile &operator=(RegularFile &&other) noexcept;
    RegularFile(const RegularFile &) = delete;
    RegularFile &operator=(const RegularFile &) = delete;

    bool isOpen() const { return m_fd >= 0; }
    int descriptor() const { return m_fd; }
    const QString &path() const { return m_path; }

    // The file's current size in bytes (it may change while the file is open).
    std::int64_t size() const;

    // Reads up to `length` bytes at `offset`; returns the count read, 0 at the
    // end and -1 on an error. Does not move any shared position.
    std::int64_t readAt(std::int64_t offset, void *buffer, std::int64_t length) const;

    // Whether `path` names a regular file that RegularFile would open. Reads
    // nothing from the file.
    static bool isRegularFile(const QString &path);

    // The whole content of the regular file at `path`; no value when it is no
    // regular file, a read fails or it holds more than `maximumBytes`. The size
    // the file system reports is only a hint: at most maximumBytes + 1 bytes
    // are ever read, however long the file turns out to be.
    static std::optional<QByteArray> readAll(const QString &path, std::int64_t maximumBytes);

private:
    void close();

    int m_fd = -1;
    QString m_path;
};

} // namespace tarnik
