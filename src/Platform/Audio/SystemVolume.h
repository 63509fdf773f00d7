#pragma once

#include <QObject>
#include <memory>

namespace tarnik {

// The volume the user hears: the default PulseAudio sink's volume and mute
// when a sound server answers, the app's own output volume otherwise. Values
// follow changes made elsewhere (a desktop mixer, another program) and report
// them through the signals. Volumes are fractions, 0 to 1 (1 is the sink's
// normal volume; a sink boosted above it reads 1).
//
// Lives on the GUI thread; its members are called there and its signals are
// emitted there.
class SystemVolume : public QObject
{
    Q_OBJECT
public:
    explicit SystemVolume(QObject *parent = nullptr)
        : QObject(parent)
    {
    }

    // The process's volume: made on first use with make() unless a test
    // installed another one.
    static SystemVolume &shared();
    // Installs the shared volume (tests); null drops it so that shared() makes
    // the real one again. The caller keeps ownership.
    static void setShared(SystemVolume *volume);
    // The PulseAudio one when the server answers within a second, else the
    // app's own output volume.
    static std::unique_ptr<SystemVolume> make();

    virtual double volume() const = 0;
    virtual void setVolume(double volume) = 0;
    virtual bool isMuted() const = 0;
    virtual void setMuted(bool muted) = 0;
    // True when the volume is the sound server's, false for the app's own.
    virtual bool isSystemWide() const = 0;

Q_SIGNALS:
    void volumeChanged(double volume);
    void mutedChanged(bool muted);
};

} // namespace tarnik
