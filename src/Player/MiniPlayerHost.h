#pragma once

#include <QList>
#include <memory>

class QAbstractButton;

namespace tarnik {

class Entry;
class PlayerViewDelegate;
class ViewController;

// What screens need of the screen that hosts the mini player (the app's root
// tab bar controller): whether the mini player is up, sliding it away and
// back (the browser and the ringtone list while they edit, the guide while it
// shows, the image viewer while it is open), and what the browser needs
// besides: playing a queue with a level as the mini player's delegate, and the
// full player whose share button opens the playing entry's share sheet.
// Screens find it with of(). GUI thread only.
class MiniPlayerHost
{
public:
    // The mini bar's height, which lists keep clear at their bottom while it is up.
    static constexpr double kMiniPlayerHeight = 60.0;

    virtual ~MiniPlayerHost() = default;

    // The screen's tab bar controller when it hosts a mini player, else none.
    static MiniPlayerHost *of(const ViewController *screen);
    // The host itself when the screen is one, else none.
    static MiniPlayerHost *ofHost(ViewController *screen);

    // The mini player view exists (the host's view has loaded).
    virtual bool hasMiniPlayer() const = 0;
    // The mini player exists and its slide state is "up".
    virtual bool isMiniPlayerUp() const = 0;
    // True slides the mini player out of sight, false brings it back.
    virtual void updateMiniPlayer(bool hide) = 0;
    // Puts the mini player back at rest, without its slide's transform (a size change in edit
    // mode must not leave it half moved).
    virtual void resetMiniPlayerTransform() { }

    // The owner the mini player reports to (none: nobody). An owner that loses
    // it while an entry is marked as playing has that entry's indicator reset.
    virtual void setMiniPlayerDelegate(PlayerViewDelegate *owner) = 0;
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
