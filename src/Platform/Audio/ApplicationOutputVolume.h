#pragma once

#include "Platform/Audio/SystemVolume.h"

namespace tarnik {

// The app's own output volume: what every player of the process applies to
// its audio output. The system volume falls back to it when no sound server
// answers. One per process (shared()); GUI thread only.
class ApplicationOutputVolume : public SystemVolume
{
    Q_OBJECT
public:
    static ApplicationOutputVolume &shared();

    double volume() const override { return m_volume; }
    void setVolume(double volume) override;
    bool isMuted() const override { return m_muted; }
    void setMuted(bool muted) override;
    bool isSystemWide() const override { return false; }

private:
    ApplicationOutputVolume() = default;

    double m_volume = 1.0;
    bool m_muted = false;
};

} // namespace tarnik
