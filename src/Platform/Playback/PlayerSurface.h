#pragma once

namespace tarnik {

class PlatformPlayer;

// A view that shows a PlatformPlayer: the video player screen, or the layer
// through which the audio player view shows the shared player. The app
// delegate takes the player off it in the background and gives it back in the
// foreground. Implementations are QObjects, so the delegate notices when one
// goes away.
class PlayerSurface
{
public:
    virtual ~PlayerSurface() = default;
    virtual PlatformPlayer *player() const = 0;
    virtual void setPlayer(PlatformPlayer *player) = 0;
};

} // namespace tarnik
