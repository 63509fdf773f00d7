#pragma once

#include <QObject>
#include <QString>
#include <QVariantMap>

namespace tarnik {

class NowPlayingInfoCenter;
class RemoteCommandCenter;
class MprisRootAdaptor;
class MprisPlayerAdaptor;

// Publishes a remote-command center and a now-playing center as an MPRIS2 media player on the session
// bus, under "org.mpris.MediaPlayer2.tarnik" (or that name with ".instance<pid>" when another process
// holds it, as MPRIS asks of players that run more than once). The desktop's PlayPause, Play, Pause,
// Stop, Next, Previous, Seek and SetPosition become remote commands; Metadata, PlaybackStatus and
// Position come from the now-playing center, with PropertiesChanged when they change.
//
// Without a session bus, or when the name cannot be had, the failure is logged and the app goes on
// without media controls. Lives on the GUI thread.
class MprisService : public QObject
{
    Q_OBJECT
public:
    static const QString serviceName;
    static const QString objectPath;

    MprisService(RemoteCommandCenter &commands, NowPlayingInfoCenter &nowPlaying, QObject *parent = nullptr);
    ~MprisService() override;

    // Publishes the shared centers; made on first use and kept for the life of the process.
    static MprisService &shared();

    // Whether the player is on the bus, and under which name.
    bool isRegistered() const { return !m_busName.isEmpty(); }
    QString busName() const { return m_busName; }

    // The MPRIS view of the now-playing information. The artwork is written to a file in the app's
    // temporary folder, whose URL is "mpris:artUrl".
    QVariantMap metadata() const { return m_metadata; }
    QString playbackStatus() const;
    qint64 positionUs() const;
    QString trackId() const;

private:
    friend class MprisRootAdaptor;
    friend class MprisPlayerAdaptor;

    void registerOnBus();
    void updateMetadata();
    void emitPropertiesChanged(const QString &interface, const QVariantMap &changed);
    bool canSend(int kind) const;
    void send(int kind, double positionTime = 0.0);
    void seekBy(qint64 offsetUs);
    void setPosition(const QString &trackId, qint64 positionUs);
    QString writeArtwork(const QVariant &artwork);

    RemoteCommandCenter &m_commands;
    NowPlayingInfoCenter &m_nowPlaying;
    MprisPlayerAdaptor *m_playerAdaptor = nullptr;
    QString m_busName;
    QVariantMap m_metadata;
    quint64 m_trackNumber = 0;
    QString m_artworkPath;
    QByteArray m_artworkDigest;
    QString m_lastStatus;
};

} // namespace tarnik
