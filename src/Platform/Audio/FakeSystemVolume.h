#pragma once

#include "Platform/Audio/SystemVolume.h"

namespace tarnik {

// A system volume for tests: set() plays a change made outside the app.
class FakeSystemVolume : public SystemVolume
{
    Q_OBJECT
public:
    using SystemVolume::SystemVolume;

    double volume() const override { return m_volume; }
    void setVolume(double volume) override
    {
        ++setCount;
        set(volume, m_muted);
    }
    bool isMuted() const override { return m_muted; }
    void setMuted(bool muted) override { set(m_volume, muted); }
    bool isSystemWide() const override { return true; }

    // A change from elsewhere.
    void set(double volume, bool muted)
    {
        const bool volumeMoved = volume != m_volume;
        const bool muteMoved = muted != m_muted;
        m_volume = volume;
        m_muted = muted;
        if (volumeMoved)
            Q_EMIT volumeChanged(volume);
        if (muteMoved)
            Q_EMIT mutedChanged(muted);
    }

    int setCount = 0;

private:
    double m_volume = 0.5;
    bool m_muted = false;
};

} // namespace tarnik
