#pragma once

namespace tarnik {

// What the app delegate asks of the shared player: its delegate's two
// callbacks, each run only when the player has a delegate. Asking makes the
// shared player on first use (which registers its observers and remote
// commands). The player's owner provides the real link; tests a fake.
class SharedPlayerLink
{
public:
    virtual ~SharedPlayerLink() = default;
    virtual void delegatePlayerDidChangeItem() = 0;
    virtual void delegatePlayerShouldRefreshNowPlaying() = 0;
};

} // namespace tarnik
