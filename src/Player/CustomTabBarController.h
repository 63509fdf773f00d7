#pragma once

#include "Platform/UI/TabBarController.h"

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
// mini player presents the full player; its close button dismisses it. Other
// screens hide and show the mini player with updateMiniPlayer(). GUI thread.
class CustomTabBarController : public TabBarController
{
    Q_OBJECT
public:
    explicit CustomTabBarController(QObject *parent = nullptr);
    ~CustomTabBarController() override;

    // None until the view has loaded.
    PlayerView *miniPlayerView() const { return m_miniPlayerView; }
    PlayerViewController *playerViewController() const { return m_playerViewController; }
    std::shared_ptr<PlayerViewTransitioningHandler> transitioningHandler() const { return m_transitioningHandler; }

    // True lowers the mini player when it is up; false raises it when it is
    // at rest below the bar. A mini player that never played, or is still
    // sliding down, is left alone.
    virtual void updateMiniPlayer(bool hide);

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
