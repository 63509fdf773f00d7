#include "Controls/Loaders/Refresher.h"
#include "Controls/Loaders/RefresherView.h"
#include "Controls/Loaders/SpinnerView.h"
#include "ControlsTestSupport.h"
#include "Platform/UI/ScrollView.h"
#include "Platform/UI/View.h"

#include <QTest>

using namespace tarnik;

namespace {

// A screen whose view is a scroll view, with the refresher's scroll callback.
class ListScreen : public ViewController, public ScrollViewDelegate
{
public:
    void scrollViewDidScroll(ScrollView *scrollView) override { tarnik::scrollViewDidScroll(this, scrollView); }

protected:
    void loadView() override
    {
        auto *scroll = new ScrollView;
        scroll->alwaysBounceVertical = true;
        scroll->setContentSize(QSizeF(375, 300));
        setView(scroll);
    }
};

class RefresherTest : public test::ControlsTest
{
protected:
    void SetUp() override
    {
        test::ControlsTest::SetUp();
        makeWindow();
        screen = new ListScreen;
        window->setRootViewController(screen);
        scroll = qobject_cast<ScrollView *>(screen->view());
        scroll->setGeometry(window->rect());
        refresher = new Refresher([this] { ++refreshes; });
        addRefresher(screen, refresher);
    }
    // Finger down and past the slop: the scroll view is dragging.
    void beginDrag()
    {
        QTest::mousePress(scroll, Qt::LeftButton, {}, QPoint(100, 100));
        QTest::mouseMove(scroll, QPoint(100, 130));
        ASSERT_TRUE(scroll->isDragging());
    }
    void endDrag() { QTest::mouseRelease(scroll, Qt::LeftButton, {}, QPoint(100, 130)); }
    // Puts the content at a pull distance (positive pulls down).
    void pullTo(double distance)
    {
        scroll->setContentOffset(QPointF(0, -distance - scroll->contentInset().top));
        tarnik::scrollViewDidScroll(screen, scroll);
    }

    ListScreen *screen = nullptr;
    ScrollView *scroll = nullptr;
    Refresher *refresher = nullptr;
    int refreshes = 0;
};

TEST_F(RefresherTest, SitsAsABandAboveTheContent)
{
    EXPECT_EQ(refresher->parentWidget(), scroll);
    EXPECT_EQ(scroll->contentFrame(refresher), QRectF(0, -200, 375, 200));
    ASSERT_TRUE(refresher->refresherView());
    RefresherView *content = refresher->refresherView();
    EXPECT_EQ(content->geometry(), refresher->rect());
    // Spinner 30 x 30, centred, its bottom 10 points above the content.
    EXPECT_EQ(content->spinnerView()->geometry(), QRect(173, 160, 30, 30));
    EXPECT_EQ(content->pullingImageView()->geometry().center(), content->spinnerView()->geometry().center());
    EXPECT_FALSE(content->pullingImageView()->image().isNull());
}

TEST_F(RefresherTest, StateMachineFollowsThePull)
{
    using S = RefresherState;
    struct Step
    {
        const char *what;
        double pull; // pull distance; NaN keeps the offset
        bool dragging;
        S state;
        int refreshes;
    };
    const double keep = std::nan("");
    const Step steps[] = {
        { "rest", 0, true, S::idle, 0 },
        { "small pull", 10, true, S::pullingDown, 0 },
        { "at the threshold", 80, true, S::pullingDown, 0 },
        { "past it", 81, true, S::animating, 0 },
        { "back to the threshold while dragging", 80, true, S::returning, 0 },
        { "still pulled", 40, true, S::returning, 0 },
        { "content home", 0, true, S::idle, 0 },
        { "pull 79 and let go", 79, true, S::pullingDown, 0 },
        { "released short", 79, false, S::pullingDown, 0 },
        { "bounced home: the quirk keeps pullingDown", 0, false, S::pullingDown, 0 },
        { "next pull past the threshold", 90, true, S::animating, 0 },
        { "released past it", 90, false, S::refreshing, 1 },
        { "next callback pauses", 70, false, S::pausing, 1 },
        { "stays paused", 0, false, S::pausing, 1 },
    };
    bool dragging = false;
    for (const Step &step : steps) {
        SCOPED_TRACE(step.what);
        if (step.dragging && !dragging)
            beginDrag();
        if (!step.dragging && dragging)
            endDrag();
        dragging = step.dragging;
        if (!std::isnan(step.pull))
            pullTo(step.pull);
        else
            tarnik::scrollViewDidScroll(screen, scroll);
        EXPECT_EQ(refresher->state(), step.state);
        EXPECT_EQ(refreshes, step.refreshes);
    }
    (void)keep;
    tick(0.3);
    EXPECT_DOUBLE_EQ(scroll->contentInset().top, 50.0);
}

TEST_F(RefresherTest, EndRefreshingClosesTheBandOnceAfterTheDelay)
{
    beginDrag();
    pullTo(100);
    pullTo(100);
    endDrag();
    pullTo(100);
    pullTo(100);
    ASSERT_EQ(refresher->state(), RefresherState::pausing);
    tick(0.3);
    ASSERT_DOUBLE_EQ(scroll->contentInset().top, 50.0);
    EXPECT_TRUE(refresher->refresherView()->spinnerView()->isRunning());

    endRefreshing(screen, 1.0);
    tick(0.99);
    EXPECT_EQ(refresher->state(), RefresherState::pausing);
    tick(0.02);
    EXPECT_EQ(refresher->state(), RefresherState::returning);
    EXPECT_FALSE(refresher->refresherView()->spinnerView()->isRunning());
    endRefreshing(screen, 0.0); // ignored while returning
    tick(0.3);
    EXPECT_DOUBLE_EQ(scroll->contentInset().top, 0.0);
    pullTo(0);
    EXPECT_EQ(refresher->state(), RefresherState::idle);
    EXPECT_EQ(refreshes, 1);
}

TEST_F(RefresherTest, PullAndArmSwapThePictureForTheSpinner)
{
    RefresherView *content = refresher->refresherView();
    beginDrag();
    pullTo(20);
    EXPECT_DOUBLE_EQ(View::alpha(content->currentView()), 0.0);
    EXPECT_DOUBLE_EQ(View::alpha(content->pullingImageView()), 1.0);
    pullTo(90);
    tick(0.15);
    EXPECT_DOUBLE_EQ(View::alpha(content->currentView()), 1.0);
    EXPECT_DOUBLE_EQ(View::alpha(content->pullingImageView()), 0.0);
    EXPECT_TRUE(content->spinnerView()->isRunning());
    endDrag();
}

TEST(RefresherWithoutScrollView, AddingDoesNothing)
{
    ViewController plain;
    plain.loadViewIfNeeded();
    auto *refresher = new Refresher;
    addRefresher(&plain, refresher);
    EXPECT_EQ(refresher->parentWidget(), nullptr);
    tarnik::scrollViewDidScroll(&plain, nullptr);
    delete refresher;
}

} // namespace
