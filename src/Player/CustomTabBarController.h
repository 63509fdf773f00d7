#pragma once

#include "Platform/UI/TabBarController.h"
#include "Player/MiniPlayerHost.h"

#include <QPointer>
#include <memory>

namespace tarnik {

class PlayerView;
class PlayerViewController;
class PlayerViewTransitioningHandler;
class TapGestureRecognizer;

// The application's root screen: the tabs (the file browser at index 1), and,
// for the life of the process, the mini player just below the tab bar in the
// stacking order, the full player and its transitioning handler. A tap on the
// mini player presents the full player; its close button dismisses it. It is
// the screens' MiniPlayerHost: they hide and show the mini player with
// updateMiniPlayer(), and the browser plays through it. GUI thread.
class CustomTabBarController : public TabBarController, public MiniPlayerHost
{
    Q_OBJECT
public:
    explicit CustomTabBarController(QObject *parent = nullptr);
    ~CustomTabBarController() override;

    // None until the view has loaded.
    PlayerView *miniPlayerView() const { return m_miniPlayerView; }
    PlayerViewController *playerViewController() const { return m_playerViewController; }
    std::shared_ptr<PlayerViewTransitioningHandler> transitioningHandler() const { return m_transitioningHandler; }

    // MiniPlayerHost. updateMiniPlayer: true lowers the mini player when it is
    // up; false raises it when it is at rest below the bar. A mini player that
    // never played, or is still sliding down, is left alone.
    bool hasMiniPlayer() const override { return !m_miniPlayerView.isNull(); }
    bool isMiniPlayerUp() const override;
    void updateMiniPlayer(bool hide) override;
    void resetMiniPlayerTransform() override;
    void setMiniPlayerDelegate(PlayerViewDelegate *owner) override;
    void resetCurrentIndex() override;
    void play(const QList<std::shared_ptr<Entry>> &queue, int index) override;
    ViewController *fullPlayer() const override;
    QAbstractButton *fullPlayerShareButton() const override;
    std::shared_ptr<Entry> currentEntry() const override;

    void miniPlayerViewTapped();
    void closeButtonTapped();

protected:
    void viewDidLoad() override;
    void layoutChildViews() override;

private:
    void setUpMiniPlayer();
    void setUpFullPlayer();
    void setUpGestures();

    QPointer<PlayerView> m_miniPlayerView;
    QPointer<PlayerViewController> m_playerViewController;
    std::shared_ptr<PlayerViewTransitioningHandler> m_transitioningHandler;
};

} // namespace tarnik
