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

// The window's width, not the monitor's, decides the idiom, and it follows each resize.
TEST(DeviceProfileTest, TheIdiomFollowsTheWindowsWidth)
{
    DeviceProfile::setOverride(std::nullopt);
    QWidget window;
    DeviceProfile::setScreenWindow(&window);
    const struct
    {
        QSize size;
        UserInterfaceIdiom idiom;
    } rows[] = {
        { { 300, 450 }, UserInterfaceIdiom::phone },
        { { 420, 780 }, UserInterfaceIdiom::phone },
        { { 599, 1000 }, UserInterfaceIdiom::phone },
        { { 600, 450 }, UserInterfaceIdiom::pad },
        { { 800, 600 }, UserInterfaceIdiom::pad },
        { { 1920, 1080 }, UserInterfaceIdiom::pad },
        { { 420, 780 }, UserInterfaceIdiom::phone }, // and back
    };
    for (const auto &row : rows) {
        window.resize(row.size);
        EXPECT_EQ(DeviceProfile::idiom(), row.idiom) << row.size.width() << "x" << row.size.height();
    }
    DeviceProfile::setScreenWindow(nullptr);
    EXPECT_EQ(DeviceProfile::idiom(), UserInterfaceIdiom::phone); // nothing to lay out yet
}
