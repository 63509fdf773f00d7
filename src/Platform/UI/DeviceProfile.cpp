#include "Platform/UI/DeviceProfile.h"

#include <QPointer>
#include <QWidget>
#include <algorithm>

namespace tarnik {

namespace {
QPointer<QWidget> g_window;
std::optional<DeviceProfile::Override> g_override;
} // namespace

UserInterfaceIdiom DeviceProfile::idiomForSize(QSizeF windowSize)
{
    return windowSize.width() >= kRegularWidth ? UserInterfaceIdiom::pad : UserInterfaceIdiom::phone;
}

UserInterfaceIdiom DeviceProfile::idiom()
{
    if (g_override)
        return g_override->idiom;
    // Without a window there is nothing to lay out yet; the smaller device is the safe guess.
    return g_window ? idiomForSize(QSizeF(g_window->size())) : UserInterfaceIdiom::phone;
}

QSizeF DeviceProfile::screenSize()
{
    if (g_override)
        return g_override->screenSize;
    if (g_window)
        return QSizeF(g_window->size());
    return QSizeF(kDefaultWindowSize);
}

double DeviceProfile::maxLength()
{
    const QSizeF s = screenSize();
    return std::max(s.width(), s.height());
}

double DeviceProfile::minLength()
{
    const QSizeF s = screenSize();
    return std::min(s.width(), s.height());
}

bool DeviceProfile::isPortrait()
{
    const QSizeF s = screenSize();
    return s.height() > s.width();
}

void DeviceProfile::setScreenWindow(QWidget *window)
{
    g_window = window;
}

QWidget *DeviceProfile::screenWindow()
{
    return g_window;
}

void DeviceProfile::setOverride(std::optional<Override> profile)
{
    g_override = std::move(profile);
}

std::optional<DeviceProfile::Override> DeviceProfile::currentOverride()
{
    return g_override;
}

} // namespace tarnik
