#include "Controls/DesignableViews.h"
#include "Entries/EntryImages.h"
#include "Controls/GradientView_1.h"
#include "Controls/InspectableProperties.h"
#include "Controls/NavigationBarStyle.h"
#include "ControlsTestSupport.h"
#include "App/Constants.h"
#include "Platform/UI/NavigationBar.h"
#include "Platform/UI/NavigationController.h"

using namespace tarnik;

namespace {

using ViewsTest = test::ControlsTest;

TEST_F(ViewsTest, GradientRunsFromTopColourToBottomColour)
{
    GradientView_1 view(QRect(0, 0, 40, 101));
    QImage shot = render(&view);
    EXPECT_EQ(shot.pixelColor(5, 0), QColor(Qt::red));
    EXPECT_EQ(shot.pixelColor(35, 100), QColor(Qt::blue));
    const QColor middle = shot.pixelColor(20, 50);
    EXPECT_NEAR(middle.red(), 128, 3);
    EXPECT_NEAR(middle.blue(), 128, 3);
    EXPECT_EQ(shot.pixelColor(0, 50), shot.pixelColor(39, 50));

    view.setColor1(Qt::green);
    shot = render(&view);
    EXPECT_EQ(shot.pixelColor(5, 0), QColor(Qt::green));

    GradientView_1 flat(QRect(0, 0, 40, 0));
    EXPECT_TRUE(render(&flat).isNull() || render(&flat).size().isEmpty());
}

TEST_F(ViewsTest, InspectablePropertiesReadBackAsTheLayerKeepsThem)
{
    DesignableView view(QRect(0, 0, 50, 50));
    Inspectable::setCornerRadius(&view, 8);
    Inspectable::setMasksToBounds(&view, true);
    EXPECT_DOUBLE_EQ(Inspectable::cornerRadius(&view), 8);
    EXPECT_TRUE(Inspectable::masksToBounds(&view));
    EXPECT_FALSE(view.mask().contains(QPoint(0, 0))) << "the rounded corner clips";
    EXPECT_TRUE(view.mask().contains(QPoint(25, 25)));

    Inspectable::setShadowColor(&view, QColor(Qt::black));
    EXPECT_EQ(Inspectable::shadowColor(&view), QColor(Qt::black));
    Inspectable::setShadowColor(&view, std::nullopt);
    EXPECT_FALSE(Inspectable::shadowColor(&view));
    Inspectable::setShadowOffset(&view, QSizeF(1, 2));
    Inspectable::setShadowOpacity(&view, 0.5f);
    Inspectable::setShadowRadius(&view, 4);
    EXPECT_EQ(Inspectable::shadowOffset(&view), QSizeF(1, 2));
    EXPECT_FLOAT_EQ(Inspectable::shadowOpacity(&view), 0.5f);
    EXPECT_DOUBLE_EQ(Inspectable::shadowRadius(&view), 4);

    QImage tile(4, 4, QImage::Format_ARGB32);
    tile.fill(Qt::magenta);
    Inspectable::setBgImage(&view, tile);
    EXPECT_FALSE(Inspectable::bgImage(&view));
    EXPECT_EQ(render(&view).pixelColor(25, 25), QColor(Qt::magenta));
    Inspectable::setBgImage(&view, std::nullopt);
    EXPECT_EQ(render(&view).pixelColor(25, 25), QColor(Qt::magenta)) << "none keeps the background";

    DesignableSlider slider(QRect(0, 0, 200, 30));
    Inspectable::setThumbImageSize(&slider, 6);
    EXPECT_FALSE(Inspectable::thumbImageCapInset(&slider)) << "no thumb, no change";
    QImage thumb(20, 20, QImage::Format_ARGB32);
    thumb.fill(Qt::darkCyan);
    Inspectable::setThumbImage(&slider, thumb);
    Inspectable::setThumbImageSize(&slider, 6);
    EXPECT_EQ(Inspectable::thumbImageCapInset(&slider), 6.0);
    EXPECT_DOUBLE_EQ(Inspectable::thumbImageSize(&slider), 0.0);
    slider.setRange(0, 100);
    slider.setValue(0);
    EXPECT_EQ(render(&slider).pixelColor(10, 15), QColor(Qt::darkCyan));
}

// A navigation controller whose view loading is its own but calls the base.
class OwnLoadingNavigation : public NavigationController
{
public:
    using NavigationController::NavigationController;
    bool loaded = false;

protected:
    void viewDidLoad() override
    {
        NavigationController::viewDidLoad();
        loaded = true;
    }
};

TEST_F(ViewsTest, EveryNavigationControllerGetsTheBarStyle)
{
    NavigationBarStyle::install();
    NavigationController plain(new ViewController);
    OwnLoadingNavigation own(new ViewController);
    for (NavigationController *nav : { static_cast<NavigationController *>(&plain), static_cast<NavigationController *>(&own) }) {
        nav->loadViewIfNeeded();
        NavigationBar *bar = nav->navigationBar();
        EXPECT_TRUE(bar->isTranslucent());
        EXPECT_EQ(bar->tintColor(), Common::greyColor());
        EXPECT_EQ(bar->barTintColor(), QColor(Qt::white));
        EXPECT_EQ(bar->titleTextAttributes().foregroundColor, Common::blackColor());
        EXPECT_EQ(bar->titleTextAttributes().font, Common::defaultFont());
    }
    EXPECT_TRUE(own.loaded);
    NavigationController::setViewDidLoadHook({});
}

} // namespace

namespace {

TEST(BundleImages, TheKitAndTheEditorFindTheirPictures)
{
    for (const char *name : { "pull", "arrowDown", "scisors", "equalizer", "magnifier", "camera" }) {
        SCOPED_TRACE(name);
        const QImage image = EntryImages::named(QString::fromLatin1(name), 24);
        ASSERT_FALSE(image.isNull());
        bool drawn = false;
        for (int y = 0; y < image.height() && !drawn; ++y)
            for (int x = 0; x < image.width() && !drawn; ++x)
                drawn = qAlpha(image.pixel(x, y)) > 0;
        EXPECT_TRUE(drawn);
    }
}

} // namespace
