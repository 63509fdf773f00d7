#include "App/Constants.h"

#include <QFontInfo>
#include <gtest/gtest.h>

namespace tarnik {
namespace {

TEST(Device, ScreenFactsFollowIdiomAndLongSide)
{
    struct Case
    {
        QSizeF size;
        bool pad, small, five, six, x;
    };
    const Case cases[] = {
        { { 320, 480 }, false, true, false, false, false },
        { { 320, 568 }, false, false, true, false, false },
        { { 568, 320 }, false, false, true, false, false }, // orientation does not matter
        { { 375, 667 }, false, false, false, true, false },
        { { 375, 812 }, false, false, false, false, true },
        { { 414, 736 }, false, false, false, false, false },
        { { 768, 1024 }, true, false, false, false, false },
        { { 650, 812 }, true, false, false, false, false }, // a pad is never a phone size
        { { 320, 568 }, true, false, false, false, false },
        { { 599, 812 }, false, false, false, false, true },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.size.width() << "x" << c.size.height());
        const Device::ScreenFacts f
            = Device::screenFactsFor(c.pad ? UserInterfaceIdiom::pad : UserInterfaceIdiom::phone, c.size);
        EXPECT_EQ(f.isPad(), c.pad);
        EXPECT_EQ(f.isPhone(), !c.pad);
        EXPECT_EQ(f.isIPhone4orLess(), c.small);
        EXPECT_EQ(f.isIPhone5(), c.five);
        EXPECT_EQ(f.isIPhone6(), c.six);
        EXPECT_EQ(f.isIPhoneX(), c.x);
        EXPECT_EQ(f.maxLength, qMax(c.size.width(), c.size.height()));
        EXPECT_EQ(f.minLength, qMin(c.size.width(), c.size.height()));
    }
}

TEST(Device, EachReadMembersFollowTheProfile)
{
    DeviceProfile::setOverride(DeviceProfile::Override { UserInterfaceIdiom::phone, QSizeF(375, 667) });
    EXPECT_EQ(Device::screenWidth(), 375);
    EXPECT_EQ(Device::screenHeight(), 667);
    EXPECT_TRUE(Device::isPortrait());
    DeviceProfile::setOverride(DeviceProfile::Override { UserInterfaceIdiom::phone, QSizeF(667, 375) });
    EXPECT_FALSE(Device::isPortrait());
    DeviceProfile::setOverride(DeviceProfile::Override { UserInterfaceIdiom::phone, QSizeF(500, 500) });
    EXPECT_FALSE(Device::isPortrait()); // a square screen is not portrait
    DeviceProfile::setOverride(std::nullopt);
}

TEST(Device, LanguageCodeFallsBackToEnglish)
{
    EXPECT_EQ(Device::languageCodeOf(QStringLiteral("de_DE")), QStringLiteral("de"));
    EXPECT_EQ(Device::languageCodeOf(QStringLiteral("pt-BR")), QStringLiteral("pt"));
    EXPECT_EQ(Device::languageCodeOf(QStringLiteral("C")), QStringLiteral("en"));
    EXPECT_EQ(Device::languageCodeOf(QString()), QStringLiteral("en"));
    EXPECT_FALSE(Device::language().isEmpty());
}

TEST(Device, ModelIdentifierHasNoControlCharacters)
{
    const QByteArray saved = qgetenv("SIMULATOR_MODEL_IDENTIFIER");
    const bool wasSet = qEnvironmentVariableIsSet("SIMULATOR_MODEL_IDENTIFIER");
    qunsetenv("SIMULATOR_MODEL_IDENTIFIER");
    const QString machine = Device::modelIdentifier();
    EXPECT_FALSE(machine.isEmpty());
    for (const QChar c : machine)
        EXPECT_NE(c.category(), QChar::Other_Control) << machine.toStdString();

    qputenv("SIMULATOR_MODEL_IDENTIFIER", "iPhone10,3");
    EXPECT_EQ(Device::modelIdentifier(), QStringLiteral("iPhone10,3"));
    if (wasSet)
        qputenv("SIMULATOR_MODEL_IDENTIFIER", saved);
    else
        qunsetenv("SIMULATOR_MODEL_IDENTIFIER");
}

TEST(Common, KeyMaps)
{
    using K = Metadata::Key;
    const auto &itunes = Common::iTunesKeyMap();
    const auto &id3 = Common::id3KeyMap();
    EXPECT_EQ(itunes.size(), 14);
    EXPECT_EQ(id3.size(), 15);
    for (const K key :
        { K::trackCount, K::seasonNumber, K::episodeNumber, K::podcastName, K::podcastUrl, K::seriesName }) {
        EXPECT_FALSE(itunes.contains(key));
        EXPECT_FALSE(id3.contains(key));
    }
    EXPECT_FALSE(itunes.contains(K::duration));
    EXPECT_EQ(id3.value(K::duration), QStringLiteral("TLEN"));
    EXPECT_EQ(id3.value(K::albumArtist), id3.value(K::composer));
    EXPECT_EQ(id3.value(K::artist), id3.value(K::author));
    EXPECT_EQ(itunes.value(K::title), QStringLiteral("@nam"));
    EXPECT_EQ(itunes.value(K::artwork), QStringLiteral("covr"));
    EXPECT_EQ(id3.value(K::title), QStringLiteral("TIT2"));
    EXPECT_NE(itunes.value(K::albumArtist), itunes.value(K::composer));
}

TEST(Common, ColoursFontAndTexts)
{
    EXPECT_EQ(Common::blackColor(), QColor(0, 0, 0));
    EXPECT_EQ(Common::greyColor().rgb(), QColor(0x99, 0x99, 0x99).rgb());
    EXPECT_EQ(Common::redColor().rgb(), QColor(0xc4, 0, 0).rgb());
    // The bundle ships no "Interstate-Light": the system font at the same size stands in.
    EXPECT_DOUBLE_EQ(Common::defaultFont().pointSizeF(), 16.5 * 72.0 / 96.0);
    EXPECT_EQ(Common::version, QLatin1String("2.0.1"));
    EXPECT_EQ(Common::timeFractionDigits, 3);
    EXPECT_EQ(Common::bundleIdentifier(), QStringLiteral("com.quilmera.tarnik"));
    EXPECT_EQ(Common::bundleName().toString(), QStringLiteral("Tarnik"));
    EXPECT_EQ(DownloaderAddOn::hiddenFolderName(), QLatin1Char('.') + QString(DownloaderAddOn::bundleIdentifier));
}

} // namespace
} // namespace tarnik
