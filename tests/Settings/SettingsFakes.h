#pragma once
// Stand-ins for the desktop and the system commands that the settings screens reach.

#include "Platform/ProcessRunner.h"
#include "Platform/UrlOpener.h"

#include <QList>
#include <QStringList>
#include <QUrl>

namespace tarnik::test {

class FakeUrlOpener : public UrlOpener
{
public:
    bool openUrl(const QUrl &url) override
    {
        opened.append(url);
        return true;
    }
    bool canOpenScheme(const QString &scheme) override { return handledSchemes.contains(scheme); }
    QList<QUrl> opened;
    QStringList handledSchemes;
};

class FakeProcessRunner : public ProcessRunner
{
public:
    Result run(const QString &program, const QStringList &arguments) override
    {
        commands.append(QStringList { program } + arguments);
        return { true, true, 0 };
    }
    QList<QStringList> commands;
};

} // namespace tarnik::test
