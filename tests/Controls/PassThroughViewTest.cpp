#include "Controls/PassThroughView.h"
#include "Controls/Shadow.h"
#include "ControlsTestSupport.h"
#include "Platform/UI/VisualEffectView.h"

using namespace tarnik;

namespace {

using PassThroughViewTest = test::ControlsTest;

TEST_F(PassThroughViewTest, ThemesChooseTheBlurAndTheShadow)
{
    auto *panel = new PassThroughView(QRect(50, 50, 100, 100), rootView());
    panel->show();
    EXPECT_EQ(panel->visualEffectView()->blurStyle(), VisualEffectView::BlurStyle::light);
    EXPECT_DOUBLE_EQ(panel->visualEffectView()->cornerRadius(), 10.0);
    EXPECT_TRUE(panel->shadowView()->isVisible());
    EXPECT_EQ(panel->shadowView()->parentWidget(), rootView());
    EXPECT_EQ(panel->shadowView()->geometry(), QRect(42, 42, 116, 116));

    panel->setTheme(Theme::dark);
    EXPECT_EQ(panel->visualEffectView()->blurStyle(), VisualEffectView::BlurStyle::dark);
    EXPECT_FALSE(panel->shadowView()->isVisible());
    panel->setTheme(Theme::smoke);
    EXPECT_EQ(panel->visualEffectView()->blurStyle(), VisualEffectView::BlurStyle::dark) << "smoke keeps the blur";
    EXPECT_TRUE(panel->shadowView()->isVisible());
    panel->setShowShadow(false);
    panel->setTheme(Theme::light);
    EXPECT_EQ(panel->visualEffectView()->blurStyle(), VisualEffectView::BlurStyle::extraLight);
    EXPECT_TRUE(panel->showShadow());

    panel->setRoundedCorner(false);
    EXPECT_DOUBLE_EQ(panel->visualEffectView()->cornerRadius(), 0.0);
    panel->move(10, 20);
    EXPECT_EQ(panel->shadowView()->geometry(), QRect(2, 12, 116, 116));
    panel->hide();
    EXPECT_FALSE(panel->shadowView()->isVisible());
    QPointer<QWidget> shadow = panel->shadowView();
    delete panel;
    EXPECT_TRUE(shadow.isNull());
}

TEST_F(PassThroughViewTest, ShadowPictureLeavesTheSquareClearAndCastsOutside)
{
    const ResizableImage picture = resizableShadowImage(50, 10, Shadow::defaultShadow(), false);
    EXPECT_EQ(picture.image.size(), QSize(66, 66));
    EXPECT_EQ(picture.capInsets, QMargins(18, 18, 18, 18));
    EXPECT_EQ(qAlpha(picture.image.pixel(33, 33)), 0);
    EXPECT_EQ(qAlpha(picture.image.pixel(20, 20)), 0);
    EXPECT_GT(qAlpha(picture.image.pixel(33, 59)), 0) << "below the square, where the offset throws it";
    EXPECT_GT(qAlpha(picture.image.pixel(59, 33)), 0);

    const ResizableImage lined = resizableShadowImage(50, 10, Shadow::defaultShadow(), true);
    const QColor guide = lined.image.pixelColor(30, 18);
    EXPECT_GT(guide.red(), 100);
    EXPECT_GT(guide.blue(), 100);
    EXPECT_LT(guide.green(), 40);
    const QColor outline = lined.image.pixelColor(0, 30);
    EXPECT_GT(outline.red(), 200);
    EXPECT_LT(outline.blue(), 40);

    EXPECT_TRUE(resizableShadowImage(0, 0, Shadow(QSizeF(), 0, Qt::black), false).image.isNull());
    EXPECT_TRUE(resizableShadowImage(-40, 10, Shadow::defaultShadow(), false).image.isNull());
}

TEST_F(PassThroughViewTest, BlursWhatLiesBehindAndNotWhatLiesAbove)
{
    QWidget *root = rootView();
    new test::ColorBlock(Qt::red, QRect(0, 0, 375, 175), root);
    auto *panel = new PassThroughView(QRect(100, 100, 150, 150), root);
    panel->show();
    new test::ColorBlock(Qt::blue, QRect(170, 170, 10, 10), root);

    const QImage behind = panel->visualEffectView()->backdrop();
    EXPECT_EQ(behind.pixelColor(20, 20), QColor(Qt::red));
    EXPECT_NE(behind.pixelColor(75, 75), QColor(Qt::blue)) << "a widget above the panel is no backdrop";

    const QImage shot = render(window.get());
    const QColor top = shot.pixelColor(175, 120);
    EXPECT_GT(top.red(), top.green() + 40) << "red shows through the frost";
    EXPECT_GT(top.green(), 60) << "and is lightened";
    const QColor bottom = shot.pixelColor(175, 245);
    EXPECT_GT(bottom.green(), 150) << "white below the red band";

    panel->setTheme(Theme::dark);
    const QColor dark = render(window.get()).pixelColor(175, 245);
    EXPECT_LT(dark.green(), 120);
}

} // namespace
