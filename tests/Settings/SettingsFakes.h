#pragma once
// Stand-ins for the desktop and the companion's process that the settings screens reach.

#include "Platform/Messaging/ServiceProcess.h"
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

class FakeServiceProcess : public ServiceProcess
{
public:
    std::optional<QString> endOwner(const QString &serviceName) override
    {
        ended.append(serviceName);
        return failure;
    }
    QStringList ended;
    std::optional<QString> failure;
};

} // namespace tarnik::test
