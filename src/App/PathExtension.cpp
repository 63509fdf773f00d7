#include "App/PathExtension.h"

#include "App/Extensions.h"
#include "Platform/PercentEncoding.h"

namespace tarnik {

namespace {

// "//" collapses to "/" and a trailing "/" goes, except for the root itself.
QString fixSlashes(const QString &path)
{
    QString result;
    result.reserve(path.size());
    for (const QChar c : path) {
        if (c == QLatin1Char('/') && result.endsWith(QLatin1Char('/')))
            continue;
        result.append(c);
    }
    if (result.size() > 1 && result.endsWith(QLatin1Char('/')))
        result.chop(1);
    return result;
}

// Index of the "." that starts the extension of a fixed path, or -1. A dot that
// begins the last component (".profile", "..") does not start an extension.
qsizetype extensionDot(const QString &fixed)
{
    const qsizetype componentStart = fixed.lastIndexOf(QLatin1Char('/')) + 1;
    const qsizetype dot = fixed.lastIndexOf(QLatin1Char('.'));
    if (dot <= componentStart)
        return -1;
    if (fixed.mid(componentStart) == QLatin1String(".."))
        return -1;
    return dot;
}

} // namespace

QString PathExtension::pathExtension() const
{
    const QString fixed = fixSlashes(path);
    const qsizetype dot = extensionDot(fixed);
    return dot < 0 ? QString() : fixed.mid(dot + 1);
}

QString PathExtension::deletingPathExtension() const
{
    const QString fixed = fixSlashes(path);
    const qsizetype dot = extensionDot(fixed);
    return dot < 0 ? fixed : fixed.left(dot);
}

QString PathExtension::deletingLastPathComponent() const
{
    const QString fixed = fixSlashes(path);
    if (fixed == QLatin1String("/"))
        return fixed;
    const qsizetype slash = fixed.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return QString();
    if (slash == 0)
        return QStringLiteral("/");
    return fixed.left(slash);
}

QString PathExtension::lastPathComponent() const
{
    const QString fixed = fixSlashes(path);
    if (fixed == QLatin1String("/"))
        return fixed;
    return fixed.mid(fixed.lastIndexOf(QLatin1Char('/')) + 1);
}

QString PathExtension::appendingPathComponent(const QString &component) const
{
    if (path.isEmpty())
        return fixSlashes(component);
    return fixSlashes(path + QLatin1Char('/') + component);
}

QString PathExtension::appendingPathExtension(const QString &extension) const
{
    const QString fixed = fixSlashes(path);
    if (extension.isEmpty() || extension.contains(QLatin1Char('/')) || fixed.isEmpty() || fixed == QLatin1String("/"))
        return path;
    return fixed + QLatin1Char('.') + extension;
}

QString PathExtension::identifier() const
{
    QByteArray base64 = path.toUtf8().toBase64();
    if (base64.size() > 96)
        base64 = base64.right(96);
    base64.replace('+', '-');
    base64.replace('/', '_');
    base64.replace("=", "");
    return QString::fromLatin1(base64);
}

int PathExtension::numberOfOccurrences(const QString &search) const
{
    return tarnik::numberOfOccurrences(path, search);
}

QString PathExtension::normalizedTitle(const QString &text)
{
    std::optional<QString> decoded = PercentEncoding::decode(text);
    if (!decoded)
        return text;
    decoded->replace(QChar(0x2013), QLatin1Char('-'));
    decoded->replace(QLatin1Char('/'), QLatin1Char('-'));
    return *decoded;
}

PathExtension::ArtistAndTitle PathExtension::artistAndTitle(const QString &text)
{
    const QString t = normalizedTitle(text);
    const QString separator = QStringLiteral(" - ");
    // The count ignores diacritics, the split does not; only split where the
    // separator itself is found.
    const qsizetype at = tarnik::numberOfOccurrences(t, separator) > 0 ? t.indexOf(separator) : -1;
    if (at < 0)
        return { t, QString() };
    return { t.mid(at + separator.size()), t.left(at).trimmed() };
}

} // namespace tarnik
