#pragma once

// The app's root tab bar host in a window, with the shared player on the fake
// backend (or, in a test program that sets realBackend first, the real one), the virtual clock for delays and the
// animation driver in manual mode.

#include "App/AppDelegate.h"
#include "Entries/Entry.h"
#include "Platform/Audio/FakeSystemVolume.h"
#include "Platform/Dispatch.h"
#include "Platform/Playback/FakePlaybackBackend.h"
#include "Player/CustomTabBarController.h"
#include "Player/Player.h"
#include "Player/PlayerView.h"
#include "Player/PlayerViewController.h"
#include "Support/UiTestSupport.h"

#include <QImage>
#include <memory>

namespace tarnik::test {

class PlayerScreenTest : public ScreenTest
{
public:
    void SetUp() override;
    void TearDown() override;

    // Set before the first test of a program to make the shared player on Qt Multimedia.
    static bool realBackend;
    static FakePlaybackBackend &fake();
    // Entries whose metadata is known: "Title i", "Artist i", "Album i" and a
    // 4x4 picture of a colour of its own.
    static Player::EntryList entries(int count, bool video = false);
    static std::shared_ptr<Entry> entry(int i, bool video = false);
    // Runs the GUI thread's queued work (the views' updates).
    static void settle();
    // Moves the virtual clock and the animation driver together.
    void wait(double seconds);

    PlayerView *mini() const { return host->miniPlayerView(); }
    PlayerView *maxi() const { return host->playerViewController()->playerView(); }
    PlayerView *fakeBar() const { return host->playerViewController()->fakeMiniPlayer(); }

    std::unique_ptr<Dispatch::VirtualClock> clock;
    std::unique_ptr<FakeSystemVolume> volume;
    std::unique_ptr<AppDelegate> app;
    CustomTabBarController *host = nullptr;
};

} // namespace tarnik::test
