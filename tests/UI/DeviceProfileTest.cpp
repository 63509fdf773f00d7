#include "Platform/UI/DeviceProfile.h"

#include <QWidget>
#include <gtest/gtest.h>

using namespace tarnik;

TEST(DeviceProfileTest, TheWindowPlaysTheScreenAndTestsCanChooseTheDevice)
{
    DeviceProfile::setOverride(std::nullopt);
    QWidget window;
    window.resize(400, 900);
    DeviceProfile::setScreenWindow(&window);
    EXPECT_EQ(DeviceProfile::screenSize(), QSizeF(400, 900));
    EXPECT_TRUE(DeviceProfile::isPortrait());
    EXPECT_DOUBLE_EQ(DeviceProfile::maxLength(), 900);
    EXPECT_DOUBLE_EQ(DeviceProfile::minLength(), 400);
    window.resize(900, 900);
    EXPECT_FALSE(DeviceProfile::isPortrait()); // a square is not taller than wide

    DeviceProfile::setOverride(DeviceProfile::Override { UserInterfaceIdiom::pad, QSizeF(1024, 768) });
    EXPECT_TRUE(DeviceProfile::isPad());
    EXPECT_FALSE(DeviceProfile::isPortrait());
    DeviceProfile::setOverride(DeviceProfile::Override { UserInterfaceIdiom::phone, QSizeF(375, 667) });
    EXPECT_TRUE(DeviceProfile::isPhone());
    DeviceProfile::setOverride(std::nullopt);
    DeviceProfile::setScreenWindow(nullptr);
}
