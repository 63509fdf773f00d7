#include "Controls/Loaders/Sector.h"
#include "Controls/Loaders/SpinnerView.h"
#include "ControlsTestSupport.h"

#include <cmath>
#include <numbers>

using namespace tarnik;

namespace {

class SpinnerViewTest : public test::ControlsTest
{
protected:
    SpinnerView *makeSpinner(QSize size = QSize(35, 35))
    {
        auto *spinner = new SpinnerView(QRect(QPoint(10, 10), size), rootView());
        spinner->show();
        return spinner;
    }
    static int brightest(const QList<Sector *> &sectors)
    {
        int best = -1;
        double value = -1;
        for (int i = 0; i < sectors.size(); ++i) {
            if (sectors.at(i)->opacity() > value) {
                value = sectors.at(i)->opacity();
                best = i;
            }
        }
        return best;
    }
};

TEST_F(SpinnerViewTest, EightSectorsAtRestThenAPulseOfOneTurnPerSecond)
{
    SpinnerView *spinner = makeSpinner();
    spinner->build();
    ASSERT_TRUE(spinner->shapes());
    const QList<Sector *> sectors = *spinner->shapes();
    ASSERT_EQ(sectors.size(), 8);
    for (const Sector *s : sectors) {
        EXPECT_DOUBLE_EQ(s->opacity(), 0.2);
        EXPECT_DOUBLE_EQ(s->lineWidth, 2.5);
        EXPECT_EQ(s->position, QPointF(17.5, 17.5));
        // Every arc lies on the ring of radius 17.5 and spans 2 pi / 8 - 0.08.
        const QPointF start = s->path.elementAt(0);
        EXPECT_NEAR(std::hypot(start.x(), start.y()), 17.5, 0.01);
    }
    const QPointF s0 = sectors.at(0)->path.elementAt(0);
    const QPointF e0 = sectors.at(0)->path.currentPosition();
    EXPECT_NEAR(std::atan2(s0.y(), s0.x()), 0.0, 1e-6);
    EXPECT_NEAR(std::atan2(e0.y(), e0.x()), 2 * std::numbers::pi / 8 - 0.08, 1e-3) << "clockwise on screen (y down)";
    EXPECT_EQ(spinner->zPosition(), 1000.0);

    // The sector k peaks (key time 0.4) at 0.4 + k / 8 seconds.
    for (int k = 0; k < 8; ++k) {
        SCOPED_TRACE(k);
        tick(k == 0 ? 0.4 : 0.125);
        EXPECT_NEAR(sectors.at(k)->opacity(), 1.0, 0.05);
        EXPECT_EQ(brightest(sectors), k);
    }
    // One turn later the first sector peaks again.
    tick(1.0 - 7 * 0.125);
    EXPECT_EQ(brightest(sectors), 0);
}

TEST_F(SpinnerViewTest, AnticlockwiseStartsAtTheLastSector)
{
    SpinnerView *spinner = makeSpinner();
    spinner->animationType = SpinnerView::AnimationType::anticlockwise;
    spinner->build();
    const QList<Sector *> sectors = *spinner->shapes();
    tick(0.4);
    EXPECT_EQ(brightest(sectors), 7);
    tick(0.125);
    EXPECT_EQ(brightest(sectors), 6);
}

TEST_F(SpinnerViewTest, SectorCountsAndRebuilds)
{
    struct Case
    {
        int requested;
        int built;
    };
    for (const Case c : { Case { 0, 0 }, Case { -3, 0 }, Case { 1, 1 }, Case { 12, 12 } }) {
        SCOPED_TRACE(c.requested);
        SpinnerView *spinner = makeSpinner();
        spinner->numberofSectors = c.requested;
        spinner->build();
        spinner->build();
        EXPECT_EQ(spinner->shapes()->size(), c.built);
        EXPECT_EQ(spinner->findChildren<Sector *>().size(), c.built);
        tick(0.3);
        delete spinner;
    }
}

TEST_F(SpinnerViewTest, DrawsTheRingOnItsHeightCentredInAWideView)
{
    SpinnerView *spinner = makeSpinner(QSize(80, 40));
    spinner->sectorColor = Qt::red;
    spinner->numberofSectors = 4;
    spinner->spacing = 0.0;
    spinner->lineWidth = 4;
    spinner->build();
    const QImage shot = render(spinner);
    // On the ring (radius 20 round (40, 20)) paint; at the centre and beyond
    // the ring nothing.
    EXPECT_GT(qAlpha(shot.pixel(59, 20)), 20);
    EXPECT_GT(qRed(shot.pixel(40, 39)), 10);
    EXPECT_EQ(qAlpha(shot.pixel(40, 20)), 0);
    EXPECT_EQ(qAlpha(shot.pixel(5, 20)), 0);
}

TEST_F(SpinnerViewTest, StopBeforeBuildAndStopAfter)
{
    SpinnerView *spinner = makeSpinner();
    spinner->stopAnimating();
    EXPECT_FALSE(spinner->shapes());
    spinner->build();
    spinner->stopAnimating();
    EXPECT_TRUE(spinner->shapes()->isEmpty());
    EXPECT_FALSE(spinner->isRunning());
    EXPECT_TRUE(spinner->findChildren<Sector *>().isEmpty());
    tick(2.0);
}

TEST_F(SpinnerViewTest, PictureModePlaysTheDefaultSequence)
{
    SpinnerView *spinner = makeSpinner();
    spinner->useAnimationImages = true;
    spinner->animationImages = std::nullopt;
    spinner->build();
    ASSERT_TRUE(spinner->imageView());
    EXPECT_TRUE(spinner->imageView()->isAnimating());
    EXPECT_EQ(spinner->imageView()->animationImages().size(), 16);
    EXPECT_DOUBLE_EQ(spinner->imageView()->animationDuration, 1.75);
    EXPECT_EQ(spinner->imageView()->geometry(), QRect(0, 0, 35, 35));
    spinner->stopAnimating();
    EXPECT_FALSE(spinner->isRunning());

    SpinnerView empty { std::optional<QList<QImage>>(QList<QImage>()) };
    empty.resize(20, 20);
    empty.build();
    ASSERT_TRUE(empty.imageView());
    EXPECT_TRUE(empty.imageView()->displayedImage().isNull());
}

} // namespace
