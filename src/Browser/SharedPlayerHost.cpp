#include "Browser/SharedPlayerHost.h"

#include "App/Preferences.h"
#include "Browser/DirectoryViewController.h"

namespace tarnik {

SharedPlayerHost::SharedPlayerHost(Player *player)
    : m_player(player)
{
}

SharedPlayerHost &SharedPlayerHost::instance()
{
    static SharedPlayerHost host;
    return host;
}

Player &SharedPlayerHost::player()
{
    return m_player ? *m_player : Player::shared();
}

void SharedPlayerHost::setMiniPlayerDelegate(DirectoryViewController *level)
{
    DirectoryViewController *old = m_level;
    // The level that loses the player stops marking its row.
    if (old && old != level) {
        const Preferences::NowPlaying marker = Preferences::nowPlaying();
        if (marker.identifier)
            old->resetPlayingIndicator(*marker.identifier);
    }
    m_level = level;
}

void SharedPlayerHost::play(const QList<std::shared_ptr<Entry>> &queue, int index)
{
    Player &p = player();
    p.setDelegate(this);
    p.setQueue(queue);
    p.play(index, true);
}

void SharedPlayerHost::playerDidChangePlayingState(const QString &identifier, bool isPlaying)
{
    if (m_level)
        m_level->playerViewDidChangePlayingStateOf(identifier, isPlaying);
}

} // namespace tarnik
