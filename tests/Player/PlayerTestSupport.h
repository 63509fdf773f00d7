#pragma once

// A Player on the fake backend with its own audio session, command and now-playing centers, and a
// delegate that writes down every call.

#include "Entries/Entry.h"
#include "Platform/Mpris/NowPlayingInfoCenter.h"
#include "Platform/Mpris/RemoteCommandCenter.h"
#include "Platform/Playback/AudioSession.h"
#include "Platform/Playback/FakePlaybackBackend.h"
#include "Player/Player.h"

#include <QStringList>
#include <memory>
#include <ostream>

// Readable QStrings in test failures.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace tarnik::test {

class RecordingPlayerDelegate : public PlayerDelegate
{
public:
    void playerDidUpdateTime(const MediaTime &time) override;
    void playerDidChangeItem() override { calls.append(QStringLiteral("item")); }
    void playerDidChangePlaybackState() override { calls.append(QStringLiteral("state")); }
    void playerDidLoadItem(bool isAudioOnly) override;
    void playerShouldRefreshNowPlaying() override { calls.append(QStringLiteral("refresh")); }
    void playerDidChangePlayingState(const QString &identifier, bool isPlaying) override;

    int count(const QString &call) const { return static_cast<int>(calls.count(call)); }
    QStringList calls;
};

struct PlayerRig
{
    PlayerRig();

    // Entries for files that need not exist (the fake plays anything).
    static Player::EntryList entries(int count);
    static std::shared_ptr<Entry> entry(const QString &path);

    // Runs what is queued on the GUI thread (seek completions, deferred reports).
    static void settle();

    AudioSession audioSession;
    RemoteCommandCenter remoteCommands;
    NowPlayingInfoCenter nowPlaying;
    bool shouldRepeat = false;
    bool applicationActive = false;
    FakePlaybackBackend *fake = nullptr; // owned by player
    std::unique_ptr<Player> player;
    RecordingPlayerDelegate delegate;
};

} // namespace tarnik::test
