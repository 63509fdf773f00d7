#include "Player/CustomTabBarController.h"

#include "App/MainStoryboard.h"
#include "Platform/UI/FatalError.h"
#include "Platform/UI/GestureRecognizer.h"
#include "Platform/UI/Storyboard.h"
#include "Platform/UI/View.h"
#include "Player/CustomTabBar.h"
#include "Player/Player.h"
#include "Player/PlayerView.h"
#include "Player/PlayerViewController.h"
#include "Player/PlayerViewTransitioningHandler.h"

#include <QToolButton>

namespace tarnik {

CustomTabBarController::CustomTabBarController(QObject *parent)
    : TabBarController(parent)
{
    setTabBar(new CustomTabBar);
    hidesBottomBarWhenPushed = true;
}

CustomTabBarController::~CustomTabBarController()
{
    if (playerTabBar() == tabBar())
        setPlayerTabBar(nullptr);
}

void CustomTabBarController::viewDidLoad()
{
    TabBarController::viewDidLoad();
    setUpMiniPlayer();
    setUpFullPlayer();
    setUpGestures();
}

void CustomTabBarController::setUpMiniPlayer()
{
    // The player views compute the mini frame from this bar.
    setPlayerTabBar(tabBar());
    auto *mini = new PlayerView;
    mini->setObjectName(QStringLiteral("MiniPlayerView"));
    mini->setType(PlayerViewType::mini);
    mini->setEnabled(true);
    m_miniPlayerView = mini;
    insertSubviewBelowTabBar(mini);
    // Inserting shows a view; the mini player stays out of sight until something plays.
    mini->hide();
}

void CustomTabBarController::setUpFullPlayer()
{
    const Storyboard storyboard(MainStoryboard::kName);
    auto *player = storyboard.instantiateIfType<PlayerViewController>(QStringLiteral("PlayerViewController"));
    if (!player)
        fatalError(QStringLiteral("The storyboard has no full player"));
    player->setParent(this);
    m_playerViewController = player;
    m_transitioningHandler = std::make_shared<PlayerViewTransitioningHandler>(this, player);
    player->setTransitioningDelegate(std::weak_ptr<ViewControllerTransitioningDelegate>(m_transitioningHandler));
}

void CustomTabBarController::setUpGestures()
{
    auto *tap = new TapGestureRecognizer([this](GestureRecognizer *) { miniPlayerViewTapped(); });
    tap->attach(m_miniPlayerView);
    // Return or Space on the focused mini player, or a screen reader's press, does what a tap does.
    connect(m_miniPlayerView, &PlayerView::activated, this, &CustomTabBarController::miniPlayerViewTapped);
    connect(m_playerViewController->playerView()->closeButton(), &QToolButton::clicked, this,
        &CustomTabBarController::closeButtonTapped);
}

void CustomTabBarController::miniPlayerViewTapped()
{
    if (!m_playerViewController || presentedViewController())
        return;
    if (m_transitioningHandler)
        m_transitioningHandler->disableInteractiveTransitioning = true;
    std::weak_ptr<PlayerViewTransitioningHandler> handler = m_transitioningHandler;
    present(m_playerViewController, true, [handler] {
        if (auto h = handler.lock())
            h->disableInteractiveTransitioning = false;
    });
}

void CustomTabBarController::closeButtonTapped()
{
    if (m_transitioningHandler)
        m_transitioningHandler->disableInteractiveTransitioning = true;
    std::weak_ptr<PlayerViewTransitioningHandler> handler = m_transitioningHandler;
    dismiss(true, [handler] {
        if (auto h = handler.lock())
            h->disableInteractiveTransitioning = false;
    });
}

void CustomTabBarController::updateMiniPlayer(bool hide)
{
    PlayerView *mini = m_miniPlayerView;
    if (!mini)
        return;
    if (hide) {
        if (mini->animate() == PlayerViewAnimation::up)
            mini->setAnimate(PlayerViewAnimation::down);
    } else if (mini->animate() == PlayerViewAnimation::none) {
        mini->setAnimate(PlayerViewAnimation::up);
    }
}

void CustomTabBarController::resetMiniPlayerTransform()
{
    if (PlayerView *mini = m_miniPlayerView)
        View::performWithoutAnimation([mini] { View::setTransform(mini, QTransform()); });
}

bool CustomTabBarController::isMiniPlayerUp() const
{
    return m_miniPlayerView && m_miniPlayerView->animate() == PlayerViewAnimation::up;
}

void CustomTabBarController::setMiniPlayerDelegate(PlayerViewDelegate *owner)
{
    if (m_miniPlayerView)
        m_miniPlayerView->setDelegate(owner);
}

void CustomTabBarController::resetCurrentIndex()
{
    Player::shared().setCurrentIndex(-1);
}

void CustomTabBarController::play(const QList<std::shared_ptr<Entry>> &queue, int index)
{
    if (m_miniPlayerView)
        m_miniPlayerView->play(queue, index);
}

ViewController *CustomTabBarController::fullPlayer() const
{
    return m_playerViewController;
}

QAbstractButton *CustomTabBarController::fullPlayerShareButton() const
{
    PlayerView *view = m_playerViewController ? m_playerViewController->playerView() : nullptr;
    return view ? view->shareButton() : nullptr;
}

std::shared_ptr<Entry> CustomTabBarController::currentEntry() const
{
    return Player::shared().currentEntry();
}

void CustomTabBarController::layoutChildViews()
{
    TabBarController::layoutChildViews();
    if (m_miniPlayerView)
        m_miniPlayerView->layoutSubviews();
}

} // namespace tarnik
