#pragma once

#include <QString>

#include <QSize>
#include <QSizeF>
#include <optional>

class QWidget;

namespace tarnik {

enum class UserInterfaceIdiom { phone = 0, pad = 1 };

// What the screens know of "the device": its idiom and the screen's size.
// On a desktop the main window plays the device: its current size gives the
// screen lengths (portrait means taller than wide) and the idiom, and both
// change while the user resizes it; the window tells its screens as a
// rotation would (ViewController::viewWillTransition). The monitor plays no
// part. Tests set an override so nothing depends on the machine running them.
// GUI thread only.
class DeviceProfile
{
public:
    // The narrowest window that plays a pad (regular width). The pad's list
    // puts two rows side by side, each 120 high: a 106-pixel picture, 10 before
    // the text, a 30-pixel accessory with 4 before it and 7-pixel margins, so a
    // title gets (width - 21) / 2 - 164 pixels. Twelve characters of the
    // 15-pixel title font need about 100, so two columns turn readable at
    // 2 x (164 + 100) + 21 = 549; 600 leaves room for wide letters. The pad's
    // grid (four tiles) then has 127 pixels of two-line title per tile. Below
    // it the phone's single column gives a title at least 158 pixels even at
    // the minimum window width.
    static constexpr double kRegularWidth = 600;
    // The desktop window: a phone-shaped default that fits a 768-pixel-high
    // screen with its panels, and a minimum that still shows a titled row, the
    // bars and the mini player.
    static constexpr QSize kDefaultWindowSize { 420, 720 };
    static constexpr QSize kMinimumWindowSize { 300, 450 };

    static UserInterfaceIdiom idiomForSize(QSizeF windowSize);
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
