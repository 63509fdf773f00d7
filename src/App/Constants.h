#pragma once

#include "Import/Metadata.h"
#include "Platform/UI/DeviceProfile.h"

#include <QColor>
#include <QFont>
#include <QHash>
#include <QLatin1String>
#include <QSizeF>
#include <QString>
#include <QVariant>

// The facts that many screens and services share, as namespaces of read-only
// members. Values marked "once" are computed on first use (thread-safe) and kept
// for the life of the process; the others are constants or recomputed per read.

namespace tarnik::Device {

// What the size and idiom flags are derived from: the screen the app plays on.
struct ScreenFacts
{
    UserInterfaceIdiom idiom = UserInterfaceIdiom::phone;
    double maxLength = 0;
    double minLength = 0;

    bool isPad() const { return idiom == UserInterfaceIdiom::pad; }
    bool isPhone() const { return idiom == UserInterfaceIdiom::phone; }
    // Lengths are logical pixels compared exactly, as the phone sizes are whole numbers.
    bool isIPhone4orLess() const { return isPhone() && maxLength < 568; }
    bool isIPhone5() const { return isPhone() && maxLength == 568; }
    bool isIPhone6() const { return isPhone() && maxLength == 667; }
    bool isIPhoneX() const { return isPhone() && maxLength == 812; }
};

// The facts of an idiom and a screen size.
ScreenFacts screenFactsFor(UserInterfaceIdiom idiom, QSizeF screenSize);

// The idiom and the screen come from DeviceProfile (the main window plays the
// screen and follows its size as the user resizes it; tests set a profile).
// The screen's members are read each time, on the GUI thread.
UserInterfaceIdiom userInterfaceIdiom();
bool isPad();
bool isPhone();
// SIMULATOR_MODEL_IDENTIFIER when set, else the machine field of uname() with
// control characters trimmed from both ends. Each read.
QString modelIdentifier();
QString systemVersion(); // once
QString language(); // once: the locale's language code, "en" when it has none
double screenWidth(); // each read
double screenHeight(); // each read
double maxLength();
double minLength();
bool isIPhone4orLess();
bool isIPhone5();
bool isIPhone6();
bool isIPhoneX();
bool isPortrait(); // each read: the screen is taller than wide
// Never true here; branches taken only in a simulator are skipped.
inline constexpr bool isSimulator = false;

// The language code of a locale name such as "de_DE" or "C"; "en" when it has none.
QString languageCodeOf(const QString &localeName);

} // namespace tarnik::Device

namespace tarnik::Common {

QString bundleIdentifier(); // once; "com.quilmera.xcode.tarnik" when the bundle has none
// The bundle's "CFBundleName" Info value of whatever type it has; "Tarnik" when missing. Once.
QVariant bundleName();
inline constexpr QLatin1String version("2.0.1");

// Metadata key -> the iTunes atom key text as metadataKeyString() reads it
// ("@nam" for the title atom). 14 entries; used to write exported files and to
// read their tags back. Once.
const QHash<Metadata::Key, QString> &iTunesKeyMap();
// Metadata key -> the ID3v2 frame identifier ("TIT2"). 15 entries; artist and
// author share "TPE1", albumArtist and composer share "TCOM"; only this map has
// duration. Once.
const QHash<Metadata::Key, QString> &id3KeyMap();

QColor blackColor(); // "000000"
QColor greyColor(); // "999999"
QColor redColor(); // "c40000"
// "Interstate-Light" at 16.5 logical pixels; the system font at that size when
// the font is not available. Once.
QFont defaultFont();

inline constexpr QLatin1String mobileUserAgent(
    "Mozilla/5.0 (iPhone; CPU iPhone OS 8_1_2 like Mac OS X) AppleWebKit/600.1.4 (KHTML, like Gecko) "
    "Version/8.0 Mobile/12B440 Safari/600.1.4");
// Digits of the milliseconds part of precise time texts.
inline constexpr int timeFractionDigits = 3;

} // namespace tarnik::Common

// Names shared with the downloader add-on, an outside component that hands
// downloads over through the app's link scheme and keeps a records file.
namespace tarnik::DownloaderAddOn {

inline constexpr QLatin1String bundleIdentifier("com.quilmera.tarnik.downloader");
QString hiddenFolderName(); // "." + bundleIdentifier
inline constexpr QLatin1String artworksFolder("Artworks");
inline constexpr QLatin1String artworkExtension("jpg");
inline constexpr QLatin1String urn("urn");
inline constexpr QLatin1String plistPath("plistPath");
inline constexpr QLatin1String tracks("tracks");
inline constexpr QLatin1String trackPath("trackPath");
inline constexpr QLatin1String artworkPath("artworkPath");

} // namespace tarnik::DownloaderAddOn

// Query and record keys of the older track hand-over form.
namespace tarnik::LegacyKey {

inline constexpr QLatin1String mediaKind("mediaKind");
inline constexpr QLatin1String section("section");
inline constexpr QLatin1String theKey("theKey");
inline constexpr QLatin1String plist("plist");
inline constexpr QLatin1String isVideo("isVideo");
inline constexpr QLatin1String hasArtwork("hasArtwork");
inline constexpr QLatin1String name("name");
inline constexpr QLatin1String extension("extension");
inline constexpr QLatin1String filePath("filePath");
inline constexpr QLatin1String artworkPath("artworkPath");

} // namespace tarnik::LegacyKey
