#include "App/Constants.h"

#include "App/Extensions.h"
#include "Platform/Bundle.h"

#include <QFontDatabase>
#include <QLocale>
#include <QSysInfo>
#include <cstring>
#include <sys/utsname.h>

namespace tarnik::Device {

namespace {

// Read each time: the window plays the screen and the user resizes it.
ScreenFacts facts()
{
    return screenFactsFor(DeviceProfile::idiom(), DeviceProfile::screenSize());
}

} // namespace

ScreenFacts screenFactsFor(UserInterfaceIdiom idiom, QSizeF size)
{
    ScreenFacts result;
    result.idiom = idiom;
    result.maxLength = qMax(size.width(), size.height());
    result.minLength = qMin(size.width(), size.height());
    return result;
}

UserInterfaceIdiom userInterfaceIdiom()
{
    return facts().idiom;
}
bool isPad()
{
    return facts().isPad();
}
bool isPhone()
{
    return facts().isPhone();
}

QString modelIdentifier()
{
    const QByteArray simulator = qgetenv("SIMULATOR_MODEL_IDENTIFIER");
    if (!simulator.isNull() && qEnvironmentVariableIsSet("SIMULATOR_MODEL_IDENTIFIER"))
        return QString::fromLatin1(simulator);
    struct utsname info;
    std::memset(&info, 0, sizeof info);
    if (uname(&info) != 0)
        return {};
    // The whole fixed-size field, zero bytes included, then the control characters trimmed.
    QString machine = QString::fromLatin1(info.machine, sizeof info.machine);
    qsizetype begin = 0;
    qsizetype end = machine.size();
    while (begin < end && machine.at(begin).category() == QChar::Other_Control)
        ++begin;
    while (end > begin && machine.at(end - 1).category() == QChar::Other_Control)
        --end;
    return machine.mid(begin, end - begin);
}

QString systemVersion()
{
    static const QString once = QSysInfo::productVersion();
    return once;
}

QString languageCodeOf(const QString &localeName)
{
    const QString code = localeName.section(QLatin1Char('_'), 0, 0).section(QLatin1Char('-'), 0, 0);
    if (code.isEmpty() || code == QLatin1String("C") || code == QLatin1String("POSIX"))
        return QStringLiteral("en");
    return code;
}

QString language()
{
    static const QString once = languageCodeOf(QLocale::system().name());
    return once;
}

double screenWidth()
{
    return DeviceProfile::screenSize().width();
}
double screenHeight()
{
    return DeviceProfile::screenSize().height();
}
double maxLength()
{
    return facts().maxLength;
}
double minLength()
{
    return facts().minLength;
}
bool isIPhone4orLess()
{
    return facts().isIPhone4orLess();
}
bool isIPhone5()
{
    return facts().isIPhone5();
}
bool isIPhone6()
{
    return facts().isIPhone6();
}
bool isIPhoneX()
{
    return facts().isIPhoneX();
}

bool isPortrait()
{
    return DeviceProfile::isPortrait();
}

} // namespace tarnik::Device

namespace tarnik::Common {

QString bundleIdentifier()
{
    static const QString once = Bundle::main().bundleIdentifier().value_or(QStringLiteral("com.quilmera.xcode.tarnik"));
    return once;
}

QVariant bundleName()
{
    static const QVariant once = [] {
        const QVariant name = Bundle::main().objectForInfoDictionaryKey(QStringLiteral("CFBundleName"));
        return name.isValid() ? name : QVariant(QStringLiteral("Tarnik"));
    }();
    return once;
}

const QHash<Metadata::Key, QString> &iTunesKeyMap()
{
    using K = Metadata::Key;
    static const QHash<K, QString> once {
        { K::artwork, QStringLiteral("covr") },
        { K::title, QStringLiteral("@nam") },
        { K::artist, QStringLiteral("@ART") },
        { K::albumName, QStringLiteral("@alb") },
        { K::albumArtist, QStringLiteral("aART") },
        { K::composer, QStringLiteral("@wrt") },
        { K::genre, QStringLiteral("@gen") },
        { K::year, QStringLiteral("@day") },
        { K::trackNumber, QStringLiteral("trkn") },
        { K::comment, QStringLiteral("@cmt") },
        { K::lyric, QStringLiteral("@lyr") },
        { K::author, QStringLiteral("@aut") },
        { K::description, QStringLiteral("@des") },
        { K::publisher, QStringLiteral("@pub") },
    };
    return once;
}

const QHash<Metadata::Key, QString> &id3KeyMap()
{
    using K = Metadata::Key;
    static const QHash<K, QString> once {
        { K::artwork, QStringLiteral("APIC") },
        { K::title, QStringLiteral("TIT2") },
        { K::artist, QStringLiteral("TPE1") },
        { K::albumName, QStringLiteral("TALB") },
        { K::albumArtist, QStringLiteral("TCOM") },
        { K::composer, QStringLiteral("TCOM") },
        { K::genre, QStringLiteral("TCON") },
        { K::year, QStringLiteral("TYER") },
        { K::trackNumber, QStringLiteral("TRCK") },
        { K::comment, QStringLiteral("COMM") },
        { K::lyric, QStringLiteral("USLT") },
        { K::author, QStringLiteral("TPE1") },
        { K::description, QStringLiteral("TIT3") },
        { K::publisher, QStringLiteral("TPUB") },
        { K::duration, QStringLiteral("TLEN") },
    };
    return once;
}

QColor blackColor()
{
    static const QColor once = colorWithHex(u"000000");
    return once;
}

QColor greyColor()
{
    static const QColor once = colorWithHex(u"999999");
    return once;
}

QColor redColor()
{
    static const QColor once = colorWithHex(u"c40000");
    return once;
}

QFont defaultFont()
{
    static const QFont once = [] {
        const QString family = QStringLiteral("Interstate-Light");
        QFont font = QFontDatabase::families().contains(family) ? QFont(family)
                                                                : QFontDatabase::systemFont(QFontDatabase::GeneralFont);
        // The size is in logical pixels; Qt's points are 4/3 of a logical pixel at its reference 96 dpi.
        font.setPointSizeF(16.5 * 72.0 / 96.0);
        return font;
    }();
    return once;
}

} // namespace tarnik::Common

namespace tarnik::DownloaderAddOn {

QString hiddenFolderName()
{
    static const QString once = QLatin1Char('.') + QString(bundleIdentifier);
    return once;
}

} // namespace tarnik::DownloaderAddOn
