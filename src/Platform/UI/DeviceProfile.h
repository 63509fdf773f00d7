#pragma once

#include <QString>

#include <QSizeF>
#include <optional>

class QWidget;

namespace tarnik {

enum class UserInterfaceIdiom { phone = 0, pad = 1 };

// What the screens know of "the device": its idiom and the screen's size.
// The idiom is pad when the primary screen's shorter side is at least 600
// logical pixels; the main window plays the screen, so its size gives the
// screen lengths and portrait means taller than wide. Tests set an override
// so nothing depends on the machine running them. GUI thread only.
class DeviceProfile
{
public:
    struct Override
    {
        UserInterfaceIdiom idiom = UserInterfaceIdiom::phone;
        QSizeF screenSize;
    };

    static UserInterfaceIdiom idiom();
    static bool isPad() { return idiom() == UserInterfaceIdiom::pad; }
    static bool isPhone() { return idiom() == UserInterfaceIdiom::phone; }
    // The kind of device as a user calls it in a sentence ("Your computer ...").
    static QString localizedModel() { return isPad() ? QStringLiteral("tablet") : QStringLiteral("computer"); }
    static QSizeF screenSize();
    static double maxLength();
    static double minLength();
    static bool isPortrait();
    // The height of the status bar above the screens; a desktop window has none.
    static double statusBarHeight() { return 0.0; }

    static void setScreenWindow(QWidget *window);
    static QWidget *screenWindow();
    static void setOverride(std::optional<Override> profile);
    static std::optional<Override> currentOverride();
};

} // namespace tarnik
