#include "Browser/SharedPlayerHost.h"

#include "App/Preferences.h"
#include "Player/PlayerView.h"

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

void SharedPlayerHost::setMiniPlayerDelegate(PlayerViewDelegate *owner)
{
    PlayerViewDelegate *old = level();
    // The level that loses the player stops marking its row.
    if (old && old != owner) {
        const Preferences::NowPlaying marker = Preferences::nowPlaying();
        if (marker.identifier)
            old->resetPlayingIndicator(*marker.identifier);
    }
    m_level = owner;
    m_levelObject = dynamic_cast<QObject *>(owner);
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
    if (PlayerViewDelegate *owner = level())
        owner->playerViewDidChangePlayingStateOf(identifier, isPlaying);
}

} // namespace tarnik
