#pragma once

// Stand-ins for the browser and the player that the shell talks to.

#include "App/BrowserServices.h"
#include "Platform/Playback/PlayerSurface.h"
#include "App/SharedPlayerLink.h"
#include "Platform/UI/NavigationController.h"

#include <QList>
#include <QStringList>

namespace tarnik::test {

// A browser level that records what it is handed.
class FakeDirectoryLevel : public ViewController, public BrowserLevel
{
public:
    explicit FakeDirectoryLevel(QString path = QStringLiteral("/"))
        : directory(std::move(path))
    {
    }
    void importReceivedFile(const QString &path) override { receivedFiles.append(path); }
    void importHandOver(const QVariantMap &record, MediaKind kind) override
    {
        handOvers.append(record);
        kinds.append(kind);
    }
    QString directory;
    QStringList receivedFiles;
    QList<QVariantMap> handOvers;
    QList<MediaKind> kinds;
};

// The browser's navigation controller: browsing replaces the stack with one
// level for the path (or none, to show a browser without a level on top).
class FakeDirectoryNavigationController : public NavigationController, public BrowserNavigation
{
public:
    FakeDirectoryNavigationController()
        : NavigationController(new FakeDirectoryLevel)
    {
    }
    void browseToFile(const QString &path) override
    {
        browsed.append(path);
        if (levelsOnBrowse)
            setViewControllers({ new FakeDirectoryLevel(path) }, false);
        else
            setViewControllers({ new ViewController }, false);
    }
    FakeDirectoryLevel *level() const { return dynamic_cast<FakeDirectoryLevel *>(topViewController()); }
    QStringList browsed;
    bool levelsOnBrowse = true;
};

class FakePlayerSurface : public QObject, public PlayerSurface
{
public:
    PlatformPlayer *player() const override { return m_player; }
    void setPlayer(PlatformPlayer *player) override
    {
        m_player = player;
        ++sets;
    }
    int sets = 0;

private:
    PlatformPlayer *m_player = nullptr;
};

class FakePlayerLink : public SharedPlayerLink
{
public:
    void delegatePlayerDidChangeItem() override { calls.append(QStringLiteral("didChangeItem")); }
    void delegatePlayerShouldRefreshNowPlaying() override { calls.append(QStringLiteral("refreshNowPlaying")); }
    QStringList calls;
};

} // namespace tarnik::test
