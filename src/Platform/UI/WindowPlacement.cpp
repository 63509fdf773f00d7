#include "Platform/UI/WindowPlacement.h"

#include "Platform/UI/DeviceProfile.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QWidget>
#include <algorithm>

namespace tarnik {

namespace {
const QString kGeometryKey = QStringLiteral("window/geometry");
} // namespace

QString WindowPlacement::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) + QStringLiteral("/window.conf");
}

void WindowPlacement::restore(QWidget *window, const QString &path)
{
    window->setMinimumSize(DeviceProfile::kMinimumWindowSize);
    const QSettings settings(path, QSettings::IniFormat);
    // Qt puts a window saved on a monitor that has gone back onto one that is there.
    if (window->restoreGeometry(settings.value(kGeometryKey).toByteArray()))
        return;
    QSize size = DeviceProfile::kDefaultWindowSize;
    if (const QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen()) {
        const QSize room = screen->availableSize();
        size = size.boundedTo(room).expandedTo(DeviceProfile::kMinimumWindowSize);
    }
    window->resize(size);
}

bool WindowPlacement::save(const QWidget *window, const QString &path)
{
    QSettings settings(path, QSettings::IniFormat);
    settings.setValue(kGeometryKey, window->saveGeometry());
    settings.sync();
    return settings.status() == QSettings::NoError;
}

} // namespace tarnik
