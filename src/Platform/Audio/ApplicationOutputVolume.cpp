#include "Platform/Audio/ApplicationOutputVolume.h"

#include <algorithm>
#include <cmath>

namespace tarnik {

ApplicationOutputVolume &ApplicationOutputVolume::shared()
{
    static auto *volume = new ApplicationOutputVolume;
    return *volume;
}

void ApplicationOutputVolume::setVolume(double volume)
{
    if (!std::isfinite(volume))
        return;
    volume = std::clamp(volume, 0.0, 1.0);
    if (volume == m_volume)
        return;
    m_volume = volume;
    Q_EMIT volumeChanged(volume);
}

void ApplicationOutputVolume::setMuted(bool muted)
{
    if (muted == m_muted)
        return;
    m_muted = muted;
    Q_EMIT mutedChanged(muted);
}

} // namespace tarnik
