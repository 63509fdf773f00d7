#include "Browser/TabBarPlayerHost.h"

#include "Browser/DirectoryViewController.h"
#include "Player/PlayerViewController.h"
#include "Player/CustomTabBarController.h"
#include "Player/Player.h"
#include "Player/PlayerView.h"
#include "Platform/UI/View.h"

#include <QToolButton>

namespace tarnik {

TabBarPlayerHost::TabBarPlayerHost(CustomTabBarController *tabBarController)
    : m_tabs(tabBarController)
{
}

bool TabBarPlayerHost::isMiniPlayerUp() const
{
    PlayerView *mini = m_tabs ? m_tabs->miniPlayerView() : nullptr;
    return mini && mini->animate() == PlayerViewAnimation::up;
}

void TabBarPlayerHost::updateMiniPlayer(bool hide)
{
    if (m_tabs)
        m_tabs->updateMiniPlayer(hide);
}

void TabBarPlayerHost::resetMiniPlayerTransform()
{
    if (PlayerView *mini = m_tabs ? m_tabs->miniPlayerView() : nullptr)
        View::setTransform(mini, QTransform());
}

DirectoryViewController *TabBarPlayerHost::miniPlayerDelegate() const
{
    PlayerView *mini = m_tabs ? m_tabs->miniPlayerView() : nullptr;
    return mini ? dynamic_cast<DirectoryViewController *>(mini->delegate()) : nullptr;
}

void TabBarPlayerHost::setMiniPlayerDelegate(DirectoryViewController *level)
{
    if (PlayerView *mini = m_tabs ? m_tabs->miniPlayerView() : nullptr)
        mini->setDelegate(level);
}

void TabBarPlayerHost::resetCurrentIndex()
{
    Player::shared().setCurrentIndex(-1);
}

void TabBarPlayerHost::play(const QList<std::shared_ptr<Entry>> &queue, int index)
{
    if (PlayerView *mini = m_tabs ? m_tabs->miniPlayerView() : nullptr)
        mini->play(queue, index);
}

ViewController *TabBarPlayerHost::fullPlayer() const
{
    return m_tabs ? m_tabs->playerViewController() : nullptr;
}

QAbstractButton *TabBarPlayerHost::fullPlayerShareButton() const
{
    PlayerViewController *player = m_tabs ? m_tabs->playerViewController() : nullptr;
    PlayerView *view = player ? player->playerView() : nullptr;
    return view ? view->shareButton() : nullptr;
}

std::shared_ptr<Entry> TabBarPlayerHost::currentEntry() const
{
    return Player::shared().currentEntry();
}

} // namespace tarnik
