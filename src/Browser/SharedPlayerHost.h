#pragma once

#include "Player/MiniPlayerHost.h"
#include "Player/Player.h"

#include <QPointer>

namespace tarnik {

// The mini player host used while the app's tab bar has none of its own: it plays straight in
// the shared player and reports the playing entry to the level that started it. It never shows
// a mini player, so the listing keeps its full height. GUI thread only.
class SharedPlayerHost : public MiniPlayerHost, public PlayerDelegate
{
public:
    explicit SharedPlayerHost(Player *player = nullptr);
    static SharedPlayerHost &instance();

    bool hasMiniPlayer() const override { return false; }
    bool isMiniPlayerUp() const override { return false; }
    void updateMiniPlayer(bool) override { }
    void setMiniPlayerDelegate(PlayerViewDelegate *owner) override;
    void resetCurrentIndex() override { player().setCurrentIndex(-1); }
    void play(const QList<std::shared_ptr<Entry>> &queue, int index) override;

    void playerDidUpdateTime(const MediaTime &) override { }
    void playerDidChangeItem() override { }
    void playerDidChangePlaybackState() override { }
    void playerDidLoadItem(bool) override { }
    void playerShouldRefreshNowPlaying() override { }
    void playerDidChangePlayingState(const QString &identifier, bool isPlaying) override;

private:
    Player &player();

    Player *m_player;
    // The owner is a screen: held weakly through its QObject.
    PlayerViewDelegate *m_level = nullptr;
    QPointer<QObject> m_levelObject;

    PlayerViewDelegate *level() const { return m_levelObject ? m_level : nullptr; }
};

} // namespace tarnik
