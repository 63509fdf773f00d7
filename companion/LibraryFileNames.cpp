#include "LibraryFileNames.h"

#include <QFile>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace tarnik::LibraryFileNames {

namespace {

// Room for " 9999" and an extension within the usual 255-byte name limit.
constexpr qsizetype kMaximumBaseNameBytes = 160;
constexpr int kMaximumNumber = 9999;

QString cleaned(const QString &text)
{
    QString name;
    name.reserve(text.size());
    for (const QChar c : text) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.category() == QChar::Other_Control
            || c.category() == QChar::Other_Format || c == QChar(QChar::LineSeparator)
            || c == QChar(QChar::ParagraphSeparator))
            name.append(QLatin1Char('_'));
        else
            name.append(c);
    }
    name = name.trimmed();
    // No hidden files, and so no "." or ".." either.
    while (name.startsWith(QLatin1Char('.')))
        name = name.mid(1).trimmed();
    name.replace(QStringLiteral(".."), QStringLiteral("_"));

    // Cut on a character boundary, never inside a surrogate pair.
    while (name.toUtf8().size() > kMaximumBaseNameBytes) {
        name.chop(1);
        if (!name.isEmpty() && name.back().isHighSurrogate())
            name.chop(1);
    }
    return name.trimmed();
}

} // namespace

QString safeBaseName(const QString &title, const QString &fallback)
{
    QString name = cleaned(title);
    if (name.isEmpty())
        name = cleaned(fallback);
    return name.isEmpty() ? QStringLiteral("Untitled") : name;
}

QString safeExtension(const QString &extension)
{
    if (extension.isEmpty() || extension.size() > 8)
        return {};
    for (const QChar c : extension) {
        if (c.unicode() > 0x7F || !c.isLetterOrNumber())
            return {};
    }
    return extension.toLower();
}

std::optional<QString> moveIntoPlace(
    const QString &temporaryPath, const QString &folder, const QString &baseName, const QString &extension)
{
    const QByteArray from = QFile::encodeName(temporaryPath);
    const QString suffix = extension.isEmpty() ? QString() : QString(QLatin1Char('.') + extension);
    for (int number = 1; number <= kMaximumNumber; ++number) {
        const QString name = number == 1 ? QString(baseName + suffix)
                                         : QString(baseName + QLatin1Char(' ') + QString::number(number) + suffix);
        const QString path = folder + QLatin1Char('/') + name;
        const QByteArray to = QFile::encodeName(path);
        if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
            return path;
        if (errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP) {
            // A file system without the no-replace rename: a hard link claims
            // the name just as surely.
            if (::link(from.constData(), to.constData()) == 0) {
                ::unlink(from.constData());
                return path;
            }
        }
        if (errno != EEXIST)
            return std::nullopt;
    }
    return std::nullopt;
}

} // namespace tarnik::LibraryFileNames
