#pragma once

#include <QList>
#include <memory>

class QAbstractButton;

namespace tarnik {

class DirectoryViewController;
class Entry;
class ViewController;

// What a browser level needs of the screen that hosts the mini player: whether the mini player
// is up (it then covers the bottom 60 points of the listing), hiding it while the level edits,
// and playing a queue with the level as the mini player's delegate, which hears which entry plays
// (playerView(_:didChangePlayingStateOf:isPlaying:)) and, when it loses the player, has the
// playing row's indicator reset.
class MiniPlayerHost
{
public:
    virtual ~MiniPlayerHost() = default;

    virtual bool isMiniPlayerUp() const = 0;
    virtual void updateMiniPlayer(bool hide) = 0;
    // Puts the mini player back at rest, without its slide's transform (a size change in edit
    // mode must not leave it half moved). A host without a visible mini player has nothing to do.
    virtual void resetMiniPlayerTransform() { }
    // The level the mini player reports to (none: nobody).
    virtual DirectoryViewController *miniPlayerDelegate() const = 0;
    virtual void setMiniPlayerDelegate(DirectoryViewController *level) = 0;
    // The shared player's current index becomes none, so the next item starts from its beginning.
    virtual void resetCurrentIndex() = 0;
    // Gives the queue to the shared player and plays the entry at index.
    virtual void play(const QList<std::shared_ptr<Entry>> &queue, int index) = 0;

    // The full player's screen and its share button, and the entry the shared player is on: the
    // share sheet of the playing entry opens from there. A host without a full player has none.
    virtual ViewController *fullPlayer() const { return nullptr; }
    virtual QAbstractButton *fullPlayerShareButton() const { return nullptr; }
    virtual std::shared_ptr<Entry> currentEntry() const { return nullptr; }
};

} // namespace tarnik
