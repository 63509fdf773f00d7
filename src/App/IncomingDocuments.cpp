#include "App/IncomingDocuments.h"

#include "App/Preferences.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>
#include <sys/stat.h>

namespace tarnik::IncomingDocuments {

namespace {

bool looksLikeUrl(const QString &argument)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:"));
    return scheme.match(argument).hasMatch();
}

bool isRegularFile(const QString &path)
{
    struct stat info = {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISREG(info.st_mode);
}

} // namespace

std::optional<QString> copyIntoInbox(const QString &path, const QString &inbox)
{
    if (!isRegularFile(path) || !QDir().mkpath(inbox))
        return std::nullopt;
    const QFileInfo source(path);
    const QString base = source.completeBaseName();
    const QString suffix = source.suffix().isEmpty() ? QString() : QLatin1Char('.') + source.suffix();
    QString target = inbox + QLatin1Char('/') + source.fileName();
    for (int n = 1; QFileInfo::exists(target) || QFileInfo(target).isSymLink(); ++n) {
        if (n > 10000)
            return std::nullopt;
        target = inbox + QLatin1Char('/') + base + QLatin1Char('-') + QString::number(n) + suffix;
    }
    if (!QFile::copy(path, target))
        return std::nullopt;
    QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return target;
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
