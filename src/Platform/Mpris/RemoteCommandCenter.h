#pragma once

#include <QObject>
#include <functional>
#include <map>

namespace tarnik {

// What a remote-command handler answers.
enum class RemoteCommandHandlerStatus { success, noSuchContent, noActionableNowPlayingItem, commandFailed };

// One command from the system's media controls (the desktop's MPRIS clients, media keys, headsets).
struct RemoteCommandEvent
{
    enum class Kind { togglePlayPause, play, pause, changePlaybackPosition, nextTrack, previousTrack };
    Kind kind = Kind::play;
    // The requested position in seconds; meaningful for changePlaybackPosition only.
    double positionTime = 0.0;
};

// The commands the system's media controls can send to the app. Handlers are added per command and
// run on the GUI thread in the order they were added; a command succeeds when any handler succeeds,
// else it reports what its last handler said (commandFailed without handlers). Lives on the GUI thread.
class RemoteCommandCenter : public QObject
{
    Q_OBJECT
public:
    using Kind = RemoteCommandEvent::Kind;
    using Handler = std::function<RemoteCommandHandlerStatus(const RemoteCommandEvent &)>;
    using Token = quint64;

    explicit RemoteCommandCenter(QObject *parent = nullptr);

    // The center the system's media controls talk to (MprisService::shared() publishes it), made on
    // first use and kept for the life of the process.
    static RemoteCommandCenter &shared();

    Token addTarget(Kind command, Handler handler);
    void removeTarget(Token token);
    bool hasTargets(Kind command) const;

    // Runs the handlers of the event's command.
    RemoteCommandHandlerStatus send(const RemoteCommandEvent &event);

private:
    struct Target
    {
        Kind command;
        Handler handler;
    };
    std::map<Token, Target> m_targets;
    Token m_nextToken = 1;
};

} // namespace tarnik
