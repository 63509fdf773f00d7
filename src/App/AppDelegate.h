#pragma once

#include "Platform/Playback/PlayerSurface.h"
#include "App/SharedPlayerLink.h"
#include "Platform/Playback/PlatformPlayer.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantMap>
#include <functional>
#include <memory>

namespace tarnik {

class TabBarController;
class ViewController;
class Window;

// The application's delegate: the launch (look of bar and tab items, the
// temporary-folder bookkeeping, the inbox, the audio session), the supported
// orientations, keeping the shared player playing across background and
// foreground, and the documents and links handed to the app. One per process,
// made by main(); screens reach it through shared(). GUI thread only.
class AppDelegate : public QObject
{
    Q_OBJECT
public:
    // Interface orientation bits; all four together are 30.
    enum Orientation : unsigned {
        portrait = 2,
        portraitUpsideDown = 4,
        landscapeRight = 8,
        landscapeLeft = 16,
        allOrientations = 30,
    };

    explicit AppDelegate(QObject *parent = nullptr);
    ~AppDelegate() override;

    static AppDelegate *shared();
    static void setShared(AppDelegate *delegate);

    Window *window() const { return m_window; }
    void setWindow(Window *window) { m_window = window; }
    unsigned orientationLock = allOrientations;
    PlatformPlayer *player() const { return m_player; }
    PlayerSurface *audioPlayerLayer() const { return dynamic_cast<PlayerSurface *>(m_audioPlayerLayer.data()); }
    void setAudioPlayerLayer(QObject *surface) { m_audioPlayerLayer = surface; }
    PlayerSurface *videoPlayer() const { return dynamic_cast<PlayerSurface *>(m_videoPlayer.data()); }
    void setVideoPlayer(QObject *surface) { m_videoPlayer = surface; }

    void setSharedPlayerLink(std::shared_ptr<SharedPlayerLink> link) { m_playerLink = std::move(link); }
    // The launch's one-second pause; tests replace it.
    std::function<void(double seconds)> sleep;

    // Runs the launch steps in order; always true.
    bool applicationDidFinishLaunching();
    unsigned applicationSupportedInterfaceOrientations() const { return orientationLock; }
    virtual void applicationDidEnterBackground();
    virtual void applicationWillEnterForeground();
    virtual void applicationDidBecomeActive();
    virtual void applicationWillResignActive() { }
    virtual void applicationWillTerminate() { }
    // Dismisses what `root` presents, one level per dismissal, each started
    // from the completion of the one before.
    virtual void dismissPresentedViewControllers(ViewController *root);
    // A document (file URL of a copy in the inbox) or a "tarnik" link; true
    // when something was handed on. Takes the text, as the scheme's letter case
    // matters and QUrl folds it.
    virtual bool applicationOpenUrl(const QString &urlText);

    // Maps what Qt reports (active, inactive, hidden or suspended) to the
    // callbacks above: leaving active resigns, reaching hidden enters the
    // background, leaving hidden enters the foreground, active becomes active.
    // While the window is minimised every state counts as hidden.
    void applicationStateChanged(Qt::ApplicationState state);

    // The launch steps, for tests that check their order.
    std::function<void(const QString &step)> launchStepObserver;

private:
    void step(const QString &name);
    void setUpAppearance();
    void tidyTemporaryDirectory();
    bool openFileUrl(TabBarController *tabs, const QString &path);
    bool openOwnUrl(TabBarController *tabs, const QUrl &url);
    bool handOverFromAddOn(TabBarController *tabs, const QHash<QString, QString> &query, bool *tried);
    bool handOverOlderForm(TabBarController *tabs, const QHash<QString, QString> &query);
    bool handOver(TabBarController *tabs, const QString &path, const QVariantMap &record, int mediaKind);

    Qt::ApplicationState m_state = Qt::ApplicationInactive;
    QPointer<Window> m_window;
    QPointer<PlatformPlayer> m_player;
    QPointer<QObject> m_audioPlayerLayer;
    QPointer<QObject> m_videoPlayer;
    std::shared_ptr<SharedPlayerLink> m_playerLink;
};

} // namespace tarnik
