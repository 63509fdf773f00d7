#pragma once

// Fakes and a fixture for the audio tools' screens: a window with a root
// screen that presents them, a fake system volume, a shared player on the
// fake backend, fake preview players and the real alert presenter.
#include "App/MainStoryboard.h"
#include "App/ScreenAlertPresenter.h"
#include "Platform/Audio/FakeSystemVolume.h"
#include "Platform/Mpris/NowPlayingInfoCenter.h"
#include "Platform/Mpris/RemoteCommandCenter.h"
#include "Platform/Playback/AudioPlayer.h"
#include "Platform/Playback/AudioSession.h"
#include "Platform/Playback/FakePlaybackBackend.h"
#include "Player/Player.h"
#include "Support/UiTestSupport.h"
#include "Tools/TransparentNavigationController.h"

#include <QCoreApplication>
#include <QStringList>

namespace tarnik::test {

class FakeAudioPlayer : public AudioPlayer
{
public:
    bool prepareToPlay() override { return true; }
    bool play() override
    {
        m_playing = true;
        ++playCount;
        return true;
    }
    void pause() override { m_playing = false; }
    void stop() override
    {
        m_playing = false;
        ++stopCount;
    }
    bool isPlaying() const override { return m_playing; }
    float volume() const override { return m_volume; }
    void setVolume(float volume) override { m_volume = volume; }
    int numberOfLoops() const override { return m_loops; }
    void setNumberOfLoops(int loops) override { m_loops = loops; }

    int playCount = 0;
    int stopCount = 0;

private:
    bool m_playing = false;
    float m_volume = 1;
    int m_loops = 0;
};

class ToolsScreenTest : public ScreenTest
{
protected:
    void SetUp() override
    {
        ScreenTest::SetUp();
        MainStoryboard::registerScreens();
        setAlertPresenter(std::make_shared<ScreenAlertPresenter>());
        SystemVolume::setShared(&systemVolume);
        AudioPlayer::setFactory([this](const QString &path, QString *error) -> std::unique_ptr<AudioPlayer> {
            if (path.contains(QStringLiteral("unplayable"))) {
                if (error)
                    *error = QStringLiteral("no audio");
                return nullptr;
            }
            auto player = std::make_unique<FakeAudioPlayer>();
            lastAudioPlayer = player.get();
            return player;
        });
        auto backend = std::make_unique<FakePlaybackBackend>();
        sharedBackend = backend.get();
        PlayerEnvironment environment;
        environment.audioSession = &audioSession;
        environment.remoteCommands = &remoteCommands;
        environment.nowPlaying = &nowPlaying;
        environment.shouldRepeat = [] { return false; };
        environment.isApplicationActive = [] { return true; };
        sharedPlayer = std::make_unique<Player>(std::move(backend), environment);
        makeWindow();
        root = new ViewController;
        window->setRootViewController(root);
    }
    void TearDown() override
    {
        ScreenTest::TearDown();
        AudioPlayer::setFactory({});
        SystemVolume::setShared(nullptr);
        setAlertPresenter(nullptr);
    }
    // Presents the screen the way the import editor does.
    TransparentNavigationController *present(ViewController *screen)
    {
        auto *navigation = new TransparentNavigationController(screen);
        root->present(navigation, false);
        settle();
        drain();
        return navigation;
    }
    static void drain()
    {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
    }

    FakeSystemVolume systemVolume;
    AudioSession audioSession;
    RemoteCommandCenter remoteCommands;
    NowPlayingInfoCenter nowPlaying;
    FakePlaybackBackend *sharedBackend = nullptr;
    std::unique_ptr<Player> sharedPlayer;
    FakeAudioPlayer *lastAudioPlayer = nullptr;
    ViewController *root = nullptr;
};

} // namespace tarnik::test
