#pragma once

#include <QJsonObject>
#include <QString>
#include <QtGlobal>
#include <optional>

struct stat;

namespace tarnik {

// Which version of a file a cached value was made from: its device, inode, size and
// modification time in nanoseconds. A value made from one state counts for that state only; a
// file rewritten in place (new size or time) or replaced by another (new inode) has another
// state, so whatever was cached for it is loaded again.
struct FileState
{
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modified = 0; // nanoseconds since the epoch

    bool operator==(const FileState &) const = default;

    // The state of what the path names, links followed: one stat. None when nothing is there.
    static std::optional<FileState> of(const QString &path);
    // The state a stat (or lstat) call already gave.
    static FileState fromStat(const struct stat &info);

    // The encoded form; the numbers are decimal texts, as JSON numbers lose precision past 2^53.
    QJsonObject jsonObject() const;
    static std::optional<FileState> fromJson(const QJsonValue &value);
};

// A cached value counts only when both states are known and the same: a file that cannot be
// stat'ed has nothing to be fresh against.
inline bool isSameFileState(const std::optional<FileState> &a, const std::optional<FileState> &b)
{
    return a && b && *a == *b;
}

} // namespace tarnik
