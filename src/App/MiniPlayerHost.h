#pragma once

namespace tarnik {

// What screens other than the player need of the root tab bar that hosts the
// mini player: whether the mini player is slid in above the bar, and a way to
// slide it away and back (the ringtone list while it edits, the guide while it
// shows). Screens find it by casting their tab bar controller. GUI thread only.
class MiniPlayerHost
{
public:
    // The mini bar's height, which lists keep clear at their bottom while it is up.
    static constexpr double kMiniPlayerHeight = 60.0;

    virtual ~MiniPlayerHost() = default;
    // The mini player exists and its slide state is "up".
    virtual bool isMiniPlayerUp() const = 0;
    // True slides the mini player out of sight, false brings it back.
    virtual void updateMiniPlayer(bool hide) = 0;
};

} // namespace tarnik
