#include "PlayerTestSupport.h"

#include <QCoreApplication>

namespace tarnik::test {

void RecordingPlayerDelegate::playerDidUpdateTime(const MediaTime &time)
{
    calls.append(QStringLiteral("time ") + QString::number(time.seconds(), 'f', 1));
}

void RecordingPlayerDelegate::playerDidLoadItem(bool isAudioOnly)
{
    calls.append(isAudioOnly ? QStringLiteral("load audio") : QStringLiteral("load video"));
}

void RecordingPlayerDelegate::playerDidChangePlayingState(const QString &identifier, bool isPlaying)
{
    calls.append(
        QStringLiteral("marker ") + identifier + (isPlaying ? QStringLiteral(" playing") : QStringLiteral(" paused")));
}

PlayerRig::PlayerRig()
{
    auto backend = std::make_unique<FakePlaybackBackend>();
    fake = backend.get();
    PlayerEnvironment environment;
    environment.audioSession = &audioSession;
    environment.remoteCommands = &remoteCommands;
    environment.nowPlaying = &nowPlaying;
    environment.shouldRepeat = [this] { return shouldRepeat; };
    environment.isApplicationActive = [this] { return applicationActive; };
    player = std::make_unique<Player>(std::move(backend), environment);
    player->setDelegate(&delegate);
}

std::shared_ptr<Entry> PlayerRig::entry(const QString &path)
{
    return std::make_shared<Entry>(path, path.section(QLatin1Char('/'), -1), EntryType::exportable, IndexPath {});
}

Player::EntryList PlayerRig::entries(int count)
{
    Player::EntryList list;
    for (int i = 0; i < count; ++i)
        list.append(entry(QStringLiteral("/nonexistent/player-test/track%1.mp3").arg(i)));
    return list;
}

void PlayerRig::settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

} // namespace tarnik::test
