#pragma once

#include <QIcon>
#include <QList>
#include <QString>
#include <QStringList>

namespace tarnik {

// An application as its desktop entry describes it.
struct DesktopApplication
{
    QString id; // "org.example.Viewer.desktop"
    QString name;
    QString iconName;
    QString exec;
    QString entryPath;
};

// The applications that open a file: desktop entries under the XDG data
// folders that declare the file's MIME type (or one it inherits from), with
// the mimeapps.list defaults first and its removed associations left out.
// Launching splits the entry's Exec line into an argument list and starts the
// program directly, never through a shell, so a file name is always one
// argument whatever characters it holds.
class DesktopApplications
{
public:
    static QList<DesktopApplication> applicationsForFile(const QString &path);
    static QList<DesktopApplication> applicationsForMimeType(const QString &mimeType);

    // The argument list (program first) that opens path; empty for an
    // unusable Exec line.
    static QStringList commandLine(const DesktopApplication &application, const QString &path);
    static bool launch(const DesktopApplication &application, const QString &path);
    // The entry's icon: a file it names, else the icon theme's icon of that name, else a picture
    // of that name in a "pixmaps" data folder; none when there is no such picture.
    static QIcon icon(const DesktopApplication &application);

    // Splits an Exec value as the desktop entry format quotes it.
    static QStringList splitExec(const QString &exec, bool *ok = nullptr);
};

} // namespace tarnik
