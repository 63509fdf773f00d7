#pragma once

#include "Platform/Audio/SystemVolume.h"

#include <memory>

namespace tarnik {

// The default PulseAudio sink's volume and mute, through libpulse. A mainloop
// thread of its own listens to the server: a change of the sink's volume or
// mute, or of which sink is the default, comes back to the GUI thread and is
// reported. Setting the volume keeps the balance between channels.
//
// Made with connect(), which waits a bounded time for the server; GUI thread
// otherwise. Destroying it stops its mainloop thread.
class PulseSystemVolume : public SystemVolume
{
    Q_OBJECT
public:
    // None when no server answers, or it has no sink, within the timeout.
    static std::unique_ptr<PulseSystemVolume> connect(double timeoutSeconds = 1.0);
    ~PulseSystemVolume() override;

    double volume() const override { return m_volume; }
    void setVolume(double volume) override;
    bool isMuted() const override { return m_muted; }
    void setMuted(bool muted) override;
    bool isSystemWide() const override { return true; }

    struct Connection;

private:
    PulseSystemVolume();
    // GUI thread: a value the server reported.
    void apply(double volume, bool muted);

    std::unique_ptr<Connection> m_connection;
    double m_volume = 1.0;
    bool m_muted = false;
};

} // namespace tarnik
