#pragma once

#include "Platform/UI/ViewController.h"
#include "Player/PlayerView.h"

#include <QPointer>
#include <optional>

namespace tarnik {

class VideoPlayerViewController;

// The full player's screen. Its root view is the maxi PlayerView, with the
// fake form as a placeholder bar at its top (the transitions fade it so the
// screen seems to grow out of the mini bar). As the maxi view's delegate it
// opens the video screen for a video item. Made once by the tab bar host from
// the storyboard identifier "PlayerViewController"; lives for the process.
// GUI thread.
class PlayerViewController : public ViewController, public PlayerViewDelegate
{
    Q_OBJECT
public:
    explicit PlayerViewController(QObject *parent = nullptr);
    ~PlayerViewController() override;

    // The root view as a PlayerView.
    PlayerView *playerView();
    PlayerView *fakeMiniPlayer() const { return m_fakeMiniPlayer; }
    // Made on first use from the storyboard; none when the storyboard has no
    // video screen. Kept and reused.
    VideoPlayerViewController *videoPlayerViewController();

    // PlayerViewDelegate.
    void playerViewShowVideoAt(const QUrl &url) override;
    void playerViewDidChangePlayingStateOf(const QString &identifier, bool isPlaying) override;

    // Escape closes the full player as its close button does.
    bool accessibilityPerformEscape() override;

protected:
    void loadView() override;
    void viewDidLoad() override;
    void layoutChildViews() override;

private:
    QPointer<PlayerView> m_fakeMiniPlayer;
    std::optional<QPointer<VideoPlayerViewController>> m_videoPlayerViewController;
};

} // namespace tarnik
