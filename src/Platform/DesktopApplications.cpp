#include "Platform/DesktopApplications.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMimeDatabase>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QTextStream>
#include <QUrl>

namespace tarnik {

namespace {

using Group = QHash<QString, QString>;

// Reads the groups of an ini-style desktop file (unlocalised keys only).
QHash<QString, Group> readGroups(const QString &path)
{
    QHash<QString, Group> groups;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return groups;
    QString current;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            current = line.mid(1, line.size() - 2);
            continue;
        }
        const int equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0 || current.isEmpty())
            continue;
        const QString key = line.left(equals).trimmed();
        if (key.contains(QLatin1Char('[')))
            continue;
        groups[current].insert(key, line.mid(equals + 1).trimmed());
    }
    return groups;
}

QStringList splitList(const QString &value)
{
    QStringList list;
    for (const QString &part : value.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString trimmed = part.trimmed();
        if (!trimmed.isEmpty())
            list.append(trimmed);
    }
    return list;
}

// The string escapes every desktop entry value may hold.
QString unescapeValue(const QString &value)
{
    QString out;
    for (int i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c != QLatin1Char('\\') || i + 1 >= value.size()) {
            out.append(c);
            continue;
        }
        const QChar next = value.at(++i);
        switch (next.unicode()) {
        case 's':
            out.append(QLatin1Char(' '));
            break;
        case 'n':
            out.append(QLatin1Char('\n'));
            break;
        case 't':
            out.append(QLatin1Char('\t'));
            break;
        case 'r':
            out.append(QLatin1Char('\r'));
            break;
        case '\\':
            out.append(QLatin1Char('\\'));
            break;
        default:
            out.append(QLatin1Char('\\'));
            out.append(next);
        }
    }
    return out;
}

QStringList applicationFolders()
{
    QStringList folders;
    for (const QString &data : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        folders.append(QDir(data).filePath(QStringLiteral("applications")));
    return folders;
}

struct Index
{
    QList<DesktopApplication> applications; // in folder precedence order
    QHash<QString, QStringList> mimeTypes; // id → declared types
};

Index scan()
{
    Index index;
    QSet<QString> seen;
    for (const QString &folder : applicationFolders()) {
        QDirIterator it(folder, { QStringLiteral("*.desktop") }, QDir::Files, QDirIterator::Subdirectories);
        QStringList paths;
        while (it.hasNext())
            paths.append(it.next());
        paths.sort();
        for (const QString &path : paths) {
            QString id = QDir(folder).relativeFilePath(path);
            id.replace(QLatin1Char('/'), QLatin1Char('-'));
            if (seen.contains(id))
                continue;
            seen.insert(id); // a user's entry hides the system's, even a hidden one
            const Group entry = readGroups(path).value(QStringLiteral("Desktop Entry"));
            if (entry.value(QStringLiteral("Type")) != QLatin1String("Application"))
                continue;
            if (entry.value(QStringLiteral("Hidden")) == QLatin1String("true"))
                continue;
            const QString exec = entry.value(QStringLiteral("Exec"));
            if (exec.isEmpty())
                continue;
            DesktopApplication app;
            app.id = id;
            app.name = unescapeValue(entry.value(QStringLiteral("Name"), id));
            app.iconName = unescapeValue(entry.value(QStringLiteral("Icon")));
            app.exec = exec;
            app.entryPath = path;
            index.applications.append(app);
            index.mimeTypes.insert(id, splitList(entry.value(QStringLiteral("MimeType"))));
        }
    }
    return index;
}

struct Associations
{
    QHash<QString, QStringList> defaults;
    QHash<QString, QStringList> added;
    QHash<QString, QSet<QString>> removed;
};

Associations readAssociations()
{
    Associations result;
    QStringList files;
    for (const QString &config : QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation))
        files.append(QDir(config).filePath(QStringLiteral("mimeapps.list")));
    for (const QString &folder : applicationFolders())
        files.append(QDir(folder).filePath(QStringLiteral("mimeapps.list")));
    // Earlier files win: their entries go first, later ones only add.
    for (const QString &file : files) {
        const QHash<QString, Group> groups = readGroups(file);
        const auto merge = [](QHash<QString, QStringList> &into, const Group &group) {
            for (auto it = group.begin(); it != group.end(); ++it)
                for (const QString &id : splitList(it.value()))
                    if (!into[it.key()].contains(id))
                        into[it.key()].append(id);
        };
        merge(result.defaults, groups.value(QStringLiteral("Default Applications")));
        merge(result.added, groups.value(QStringLiteral("Added Associations")));
        const Group removed = groups.value(QStringLiteral("Removed Associations"));
        for (auto it = removed.begin(); it != removed.end(); ++it)
            for (const QString &id : splitList(it.value()))
                result.removed[it.key()].insert(id);
    }
    return result;
}

} // namespace

QList<DesktopApplication> DesktopApplications::applicationsForFile(const QString &path)
{
    const QMimeType type = QMimeDatabase().mimeTypeForFile(path);
    return type.isValid() ? applicationsForMimeType(type.name()) : QList<DesktopApplication>();
}

QList<DesktopApplication> DesktopApplications::applicationsForMimeType(const QString &mimeType)
{
    const QMimeDatabase database;
    QStringList types { mimeType };
    const QMimeType type = database.mimeTypeForName(mimeType);
    if (type.isValid()) {
        types.append(type.aliases());
        types.append(type.allAncestors());
    }
    const Index index = scan();
    const Associations associations = readAssociations();
    QHash<QString, DesktopApplication> byId;
    for (const DesktopApplication &app : index.applications)
        byId.insert(app.id, app);

    QStringList order;
    const auto take = [&](const QString &id, const QString &forType) {
        if (order.contains(id) || !byId.contains(id) || associations.removed.value(forType).contains(id))
            return;
        order.append(id);
    };
    for (const QString &t : types)
        for (const QString &id : associations.defaults.value(t))
            take(id, t);
    for (const QString &t : types)
        for (const QString &id : associations.added.value(t))
            take(id, t);
    for (const QString &t : types)
        for (const DesktopApplication &app : index.applications)
            if (index.mimeTypes.value(app.id).contains(t))
                take(app.id, t);

    QList<DesktopApplication> result;
    for (const QString &id : order)
        result.append(byId.value(id));
    return result;
}

QStringList DesktopApplications::splitExec(const QString &exec, bool *ok)
{
    const QString value = unescapeValue(exec);
    QStringList arguments;
    QString current;
    bool inQuotes = false;
    bool hasCurrent = false;
    for (int i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (inQuotes) {
            if (c == QLatin1Char('\\') && i + 1 < value.size()) {
                current.append(value.at(++i));
            } else if (c == QLatin1Char('"')) {
                inQuotes = false;
            } else {
                current.append(c);
            }
        } else if (c == QLatin1Char('"')) {
            inQuotes = true;
            hasCurrent = true;
        } else if (c == QLatin1Char(' ') || c == QLatin1Char('\t')) {
            if (hasCurrent)
                arguments.append(current);
            current.clear();
            hasCurrent = false;
        } else {
            current.append(c);
            hasCurrent = true;
        }
    }
    if (hasCurrent)
        arguments.append(current);
    if (ok)
        *ok = !inQuotes;
    return inQuotes ? QStringList() : arguments;
}

QStringList DesktopApplications::commandLine(const DesktopApplication &application, const QString &path)
{
    bool ok = false;
    const QStringList split = splitExec(application.exec, &ok);
    if (!ok || split.isEmpty())
        return {};
    const QString url = QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
    QStringList argv;
    bool placedFile = false;
    for (const QString &argument : split) {
        // A lone field code stands for whole arguments; inside a word only
        // the single-value codes are expanded.
        if (argument == QLatin1String("%f") || argument == QLatin1String("%F")) {
            argv.append(path);
            placedFile = true;
            continue;
        }
        if (argument == QLatin1String("%u") || argument == QLatin1String("%U")) {
            argv.append(url);
            placedFile = true;
            continue;
        }
        if (argument == QLatin1String("%i")) {
            if (!application.iconName.isEmpty())
                argv << QStringLiteral("--icon") << application.iconName;
            continue;
        }
        QString expanded;
        for (int i = 0; i < argument.size(); ++i) {
            const QChar c = argument.at(i);
            if (c != QLatin1Char('%') || i + 1 >= argument.size()) {
                expanded.append(c);
                continue;
            }
            const QChar code = argument.at(++i);
            switch (code.unicode()) {
            case '%':
                expanded.append(QLatin1Char('%'));
                break;
            case 'f':
                expanded.append(path);
                placedFile = true;
                break;
            case 'u':
                expanded.append(url);
                placedFile = true;
                break;
            case 'c':
                expanded.append(application.name);
                break;
            case 'k':
                expanded.append(application.entryPath);
                break;
            default:
                break; // deprecated or list codes inside a word: dropped
            }
        }
        argv.append(expanded);
    }
    if (!placedFile)
        argv.append(path);
    return argv;
}

QIcon DesktopApplications::icon(const DesktopApplication &application)
{
    const QString name = application.iconName;
    if (name.isEmpty())
        return {};
    if (QDir::isAbsolutePath(name))
        return QFileInfo(name).isFile() ? QIcon(name) : QIcon();
    const QIcon themed = QIcon::fromTheme(name);
    if (!themed.isNull())
        return themed;
    // Older entries name a picture in the pixmaps folders rather than a theme icon.
    for (const QString &data : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        for (const char *suffix : { ".svg", ".png", ".xpm" })
            if (const QString file = data + QStringLiteral("/pixmaps/") + name + QLatin1String(suffix);
                QFileInfo(file).isFile())
                return QIcon(file);
    return {};
}

bool DesktopApplications::launch(const DesktopApplication &application, const QString &path)
{
    const QStringList argv = commandLine(application, path);
    if (argv.isEmpty())
        return false;
    return QProcess::startDetached(argv.first(), argv.mid(1));
}

} // namespace tarnik
