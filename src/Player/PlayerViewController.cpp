#include "Player/PlayerViewController.h"

#include "App/Globals.h"
#include "App/MainStoryboard.h"
#include "Platform/Playback/AudioSession.h"
#include "Platform/Playback/PlayerLayer.h"
#include "Platform/UI/FatalError.h"
#include "Platform/UI/Storyboard.h"
#include "Player/VideoPlayerViewController.h"

#include <QToolButton>

namespace tarnik {

PlayerViewController::PlayerViewController(QObject *parent)
    : ViewController(parent)
{
}

PlayerViewController::~PlayerViewController() = default;

void PlayerViewController::loadView()
{
    auto *root = new PlayerView;
    root->setObjectName(QStringLiteral("FullPlayerView"));
    auto *fake = new PlayerView(root);
    fake->setObjectName(QStringLiteral("FakeMiniPlayer"));
    m_fakeMiniPlayer = fake;
    setView(root);
}

void PlayerViewController::viewDidLoad()
{
    if (!m_fakeMiniPlayer)
        fatalError(QStringLiteral("The full player has no placeholder bar"));
    m_fakeMiniPlayer->setType(PlayerViewType::fake);
    playerView()->setType(PlayerViewType::maxi);
    playerView()->setDelegate(this);
    setModalPresentationStyle(ModalPresentationStyle::overFullScreen);
    modalTransitionStyle = ModalTransitionStyle::crossDissolve;
}

void PlayerViewController::layoutChildViews()
{
    if (m_fakeMiniPlayer)
        m_fakeMiniPlayer->layoutSubviews();
}

PlayerView *PlayerViewController::playerView()
{
    auto *root = qobject_cast<PlayerView *>(view());
    if (!root)
        fatalError(QStringLiteral("The full player's view is not a player view"));
    return root;
}

VideoPlayerViewController *PlayerViewController::videoPlayerViewController()
{
    if (!m_videoPlayerViewController) {
        const Storyboard storyboard(MainStoryboard::kName);
        VideoPlayerViewController *made = nullptr;
        if (storyboard.contains(QStringLiteral("VideoPlayerViewController")))
            made = storyboard.instantiateIfType<VideoPlayerViewController>(QStringLiteral("VideoPlayerViewController"));
        if (made)
            made->setParent(this);
        m_videoPlayerViewController = QPointer<VideoPlayerViewController>(made);
    }
    return *m_videoPlayerViewController;
}

bool PlayerViewController::accessibilityPerformEscape()
{
    if (ViewController *top = presentedViewController())
        return top->accessibilityPerformEscape();
    if (QToolButton *close = playerView()->closeButton(); close && close->isEnabled()) {
        close->click();
        return true;
    }
    return ViewController::accessibilityPerformEscape();
}

void PlayerViewController::playerViewShowVideoAt(const QUrl &)
{
    Player &player = Player::shared();
    if (!player.audioSessionIsActive()) {
        QString error;
        if (!AudioSession::shared().setActive(true, &error)) {
            _showTarnikDefaultAlert(_localizedString(QStringLiteral("Error Occurred")),
                _localizedString(
                    QStringLiteral("Failed to activate the audio session with the set category: ") + error),
                {}, this);
            return;
        }
    }
    VideoPlayerViewController *video = videoPlayerViewController();
    if (!video)
        return;
    // There is no picture in picture here: the video screen shows the shared
    // player itself, so the full player's layer lets go of it meanwhile.
    if (PlayerLayer *layer = playerView()->playerLayer())
        layer->setPlayer(nullptr);
    video->setPlayer(&player);
    video->setDelegate(this);
    video->modalTransitionStyle = ModalTransitionStyle::coverVertical;
    present(video, true);
}

void PlayerViewController::playerViewDidChangePlayingStateOf(const QString &, bool) { }

} // namespace tarnik
