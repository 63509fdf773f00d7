#include "Platform/Audio/SystemVolume.h"

#include "Platform/Audio/ApplicationOutputVolume.h"
#include "Platform/Audio/PulseSystemVolume.h"

namespace tarnik {

namespace {
SystemVolume *&installed()
{
    static SystemVolume *volume = nullptr;
    return volume;
}
} // namespace

std::unique_ptr<SystemVolume> SystemVolume::make()
{
    if (auto pulse = PulseSystemVolume::connect())
        return pulse;
    // A private wrapper would only forward; the app's volume is shared, so
    // hand out a forwarding object the caller may own and delete.
    struct Forwarding : SystemVolume
    {
        Forwarding()
        {
            auto &app = ApplicationOutputVolume::shared();
            QObject::connect(&app, &SystemVolume::volumeChanged, this, &SystemVolume::volumeChanged);
            QObject::connect(&app, &SystemVolume::mutedChanged, this, &SystemVolume::mutedChanged);
        }
        double volume() const override { return ApplicationOutputVolume::shared().volume(); }
        void setVolume(double v) override { ApplicationOutputVolume::shared().setVolume(v); }
        bool isMuted() const override { return ApplicationOutputVolume::shared().isMuted(); }
        void setMuted(bool m) override { ApplicationOutputVolume::shared().setMuted(m); }
        bool isSystemWide() const override { return false; }
    };
    return std::make_unique<Forwarding>();
}

SystemVolume &SystemVolume::shared()
{
    static std::unique_ptr<SystemVolume> made;
    if (SystemVolume *volume = installed())
        return *volume;
    if (!made)
        made = make();
    return *made;
}

void SystemVolume::setShared(SystemVolume *volume)
{
    installed() = volume;
}

} // namespace tarnik
