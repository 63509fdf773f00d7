#include "Entries/FileState.h"

#include <QFile>
#include <QJsonValue>
#include <sys/stat.h>

namespace tarnik {

namespace {

std::optional<quint64> unsignedText(const QJsonValue &value)
{
    if (!value.isString())
        return std::nullopt;
    bool ok = false;
    const quint64 number = value.toString().toULongLong(&ok);
    return ok ? std::optional<quint64>(number) : std::nullopt;
}

std::optional<qint64> signedText(const QJsonValue &value)
{
    if (!value.isString())
        return std::nullopt;
    bool ok = false;
    const qint64 number = value.toString().toLongLong(&ok);
    return ok ? std::optional<qint64>(number) : std::nullopt;
}

} // namespace

std::optional<FileState> FileState::of(const QString &path)
{
    struct stat info;
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    return fromStat(info);
}

FileState FileState::fromStat(const struct stat &info)
{
    FileState state;
    state.device = quint64(info.st_dev);
    state.inode = quint64(info.st_ino);
    state.size = qint64(info.st_size);
    state.modified = qint64(info.st_mtim.tv_sec) * 1'000'000'000 + qint64(info.st_mtim.tv_nsec);
    return state;
}

QJsonObject FileState::jsonObject() const
{
    return QJsonObject {
        { QStringLiteral("device"), QString::number(device) },
        { QStringLiteral("inode"), QString::number(inode) },
        { QStringLiteral("size"), QString::number(size) },
        { QStringLiteral("modified"), QString::number(modified) },
    };
}

std::optional<FileState> FileState::fromJson(const QJsonValue &value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    const std::optional<quint64> device = unsignedText(object.value(QStringLiteral("device")));
    const std::optional<quint64> inode = unsignedText(object.value(QStringLiteral("inode")));
    const std::optional<qint64> size = signedText(object.value(QStringLiteral("size")));
    const std::optional<qint64> modified = signedText(object.value(QStringLiteral("modified")));
    if (!device || !inode || !size || !modified)
        return std::nullopt;
    return FileState { *device, *inode, *size, *modified };
}

} // namespace tarnik
