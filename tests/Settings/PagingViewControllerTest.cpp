#include "Settings/PagingViewController.h"

#include "App/AppDelegate.h"
#include "Platform/UI/TabBarController.h"
#include "Support/UiTestSupport.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>

using namespace tarnik;
using namespace tarnik::test;

namespace {

bool near(const QTransform &a, const QTransform &b)
{
    return qFuzzyCompare(a.m11() + 1, b.m11() + 1) && qFuzzyCompare(a.m22() + 1, b.m22() + 1)
        && qFuzzyCompare(a.dx() + 1, b.dx() + 1) && qFuzzyCompare(a.dy() + 1, b.dy() + 1);
}

TEST(ParallaxTest, FollowsTheDragBetweenSlides)
{
    const double W = 375, V = 375, L = 667;
    using P = PagingViewController;

    // Halfway from slide 0 to slide 1.
    P::Parallax half = P::parallax(0.5 * W, W, V, L);
    EXPECT_EQ(half.page, 0);
    EXPECT_DOUBLE_EQ(half.backgroundAlpha.value(1), 0.5);
    EXPECT_DOUBLE_EQ(half.detailAlpha.value(0), 0.5);
    EXPECT_DOUBLE_EQ(half.detailAlpha.value(1), 0.5);
    EXPECT_TRUE(near(half.buttonsTransform.value(1), QTransform::fromTranslate(-0.5 * V, 0.5 * L)));
    EXPECT_TRUE(near(half.imageTransform.value(0), QTransform::fromTranslate(0.5 * V, -0.25 * L)));
    for (int tag : { 2, 3, 4 }) {
        EXPECT_TRUE(half.imageTransform.value(tag).isIdentity()) << tag;
        EXPECT_TRUE(half.buttonsTransform.value(tag).isIdentity()) << tag;
    }

    // At rest on slide 2: its picture in place, the next one scaled to nothing.
    P::Parallax rest = P::parallax(2 * W, W, V, L);
    EXPECT_EQ(rest.page, 2);
    EXPECT_DOUBLE_EQ(rest.backgroundAlpha.value(3), 0.0);
    EXPECT_DOUBLE_EQ(rest.detailAlpha.value(2), 1.0);
    EXPECT_DOUBLE_EQ(rest.detailAlpha.value(3), 0.0);
    EXPECT_TRUE(rest.imageTransform.value(2).isIdentity());
    EXPECT_DOUBLE_EQ(rest.imageTransform.value(3).m11(), 0.0);
    // The scale comes first: the translation is not scaled away.
    EXPECT_DOUBLE_EQ(rest.imageTransform.value(3).dx(), -0.5 * V);

    // Bouncing right of slide 4: its text fades and its row moves; its picture keeps its transform.
    P::Parallax right = P::parallax(4.2 * W, W, V, L);
    EXPECT_EQ(right.page, 4);
    EXPECT_NEAR(right.detailAlpha.value(4), 0.8, 1e-9);
    EXPECT_NEAR(right.buttonsTransform.value(4).dx(), 0.2 * V, 1e-9);
    EXPECT_FALSE(right.imageTransform.contains(4));
    for (int tag : { 0, 2, 3 })
        EXPECT_TRUE(right.imageTransform.value(tag).isIdentity()) << tag;

    // Bouncing left of slide 0: page 0 and a negative progress.
    P::Parallax left = P::parallax(-0.2 * W, W, V, L);
    EXPECT_EQ(left.page, 0);
    EXPECT_NEAR(left.progress, -0.2, 1e-9);

    // A pager without width is on page 0.
    EXPECT_EQ(P::visiblePageIndex(100, 0), 0);
    EXPECT_EQ(P::visiblePageIndex(qQNaN(), 100), 0);
    EXPECT_EQ(P::visiblePageIndex(399, 100), 3);
    EXPECT_EQ(P::parallax(100, 0, V, L).page, 0);
}

class GuideTest : public ScreenTest
{
protected:
    void SetUp() override
    {
        ScreenTest::SetUp();
        AppDelegate::setShared(&delegate);
    }
    void TearDown() override
    {
        ScreenTest::TearDown();
        AppDelegate::setShared(nullptr);
    }
    AppDelegate delegate;
};

// How the guide moves the mini player is tested inside the app's own tab bar controller
// (MiniPlayerHostTest); a plain one has none.
TEST_F(GuideTest, LocksPortraitAndCrossFadesOnScroll)
{
    makeWindow(UserInterfaceIdiom::phone);
    auto *host = new TabBarController;
    auto *guide = new PagingViewController;
    host->setViewControllers({ new ViewController, guide });
    window->setRootViewController(host);
    settle();
    delegate.orientationLock = AppDelegate::allOrientations;

    host->setSelectedIndex(1);
    settle();
    QCoreApplication::processEvents();
    EXPECT_EQ(delegate.orientationLock, unsigned(AppDelegate::portrait));
    EXPECT_FALSE(guide->restoreMiniPlayerView);

    // Slides: titles and texts, buttons named by their titles.
    EXPECT_EQ(guide->titleLabels().first()->text(), QStringLiteral("Media Importer"));
    EXPECT_EQ(guide->titleLabels().last()->text(), QStringLiteral("Thank You"));
    // A phone other than the small ones: the design's 33, or less where the slides' texts need the room.
    EXPECT_LE(guide->titleLabels().first()->font().pixelSize(), 33);
    EXPECT_GE(guide->titleLabels().first()->font().pixelSize(), 22);
    EXPECT_TRUE(guide->titleLabels().first()->font().bold());
    EXPECT_EQ(guide->imageViews().size(), 4);
    EXPECT_EQ(guide->buttonsStackViews().size(), 4);
    QStringList buttons;
    for (QPushButton *button : guide->buttonsStackViews().first()->findChildren<QPushButton *>())
        buttons.append(button->text());
    EXPECT_EQ(buttons, QStringList({ QStringLiteral("Video Tutorial"), QStringLiteral("How To Guide") }));

    ScrollView *pager = guide->scrollView();
    pager->setContentOffset(QPointF(0.5 * pager->width(), 0));
    guide->scrollViewDidScroll(pager);
    EXPECT_NEAR(guide->alphaOf(guide->detailLabels().at(0)), 0.5, 1e-6);
    EXPECT_NEAR(guide->alphaOf(guide->backgroundViews().at(1)), 0.5, 1e-6);
    EXPECT_EQ(guide->pageControl()->currentPage(), 0); // only the end of a glide moves it
    pager->setContentOffset(QPointF(2.0 * pager->width(), 0));
    guide->scrollViewDidEndDecelerating(pager);
    EXPECT_EQ(guide->pageControl()->currentPage(), 2);
    EXPECT_EQ(guide->pageControl()->accessibleName(), QStringLiteral("Page 3 of 5"));

    host->setSelectedIndex(0);
    settle();
    EXPECT_EQ(delegate.orientationLock, unsigned(AppDelegate::allOrientations));
}

} // namespace
