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

TEST_F(PassThroughViewTest, APartPaintedAgainMatchesThatPartOfTheWholePanel)
{
    // Stripes and a circle behind the panel, so every part of the backdrop differs.
    class Busy : public QWidget
    {
    public:
        using QWidget::QWidget;

    protected:
        void paintEvent(QPaintEvent *) override
        {
            QPainter painter(this);
            for (int x = 0; x < width(); x += 6)
                painter.fillRect(x, 0, 3, height(), QColor::fromHsv((x * 7) % 360, 220, 230));
            painter.setBrush(Qt::black);
            painter.drawEllipse(QRect(60, 80, 120, 90));
        }
    };
    QWidget *root = rootView();
    auto *busy = new Busy(root);
    busy->setGeometry(0, 0, 375, 400);
    busy->show();
    auto *panel = new PassThroughView(QRect(21, 33, 301, 250), root);
    panel->setRoundedCorner(false);
    panel->show();
    VisualEffectView *surface = panel->visualEffectView();
    const QImage whole = surface->grab().toImage().convertToFormat(QImage::Format_ARGB32);

    // A strip like a title's line, one at the edge, one not on the quarter grid, and a corner.
    for (const QRect &part : { QRect(40, 120, 200, 26), QRect(0, 0, 301, 10), QRect(37, 51, 3, 5), QRect(290, 240, 11, 10) }) {
        QImage alone(part.size(), QImage::Format_ARGB32);
        alone.fill(Qt::transparent);
        surface->render(&alone, QPoint(), QRegion(part));
        const QImage expected = whole.copy(part);
        int worst = 0;
        for (int y = 0; y < part.height(); ++y) {
            for (int x = 0; x < part.width(); ++x) {
                const QColor a = alone.pixelColor(x, y);
                const QColor b = expected.pixelColor(x, y);
                worst = std::max({ worst, std::abs(a.red() - b.red()), std::abs(a.green() - b.green()),
                    std::abs(a.blue() - b.blue()) });
            }
        }
        EXPECT_LE(worst, 1) << part.x() << "," << part.y() << " " << part.width() << "x" << part.height();
    }
}

} // namespace
