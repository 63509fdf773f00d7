#include "Platform/UI/ScrollView.h"

#include "Platform/UI/GestureRecognizer.h"
#include "Support/ScrollingSupport.h"
#include "Support/UiTestSupport.h"

#include <QPointingDevice>
#include <QTest>
#include <QWheelEvent>
#include <memory>

using namespace tarnik;
using namespace tarnik::test;

namespace {

class ZoomDelegate : public ScrollViewDelegate
{
public:
    QWidget *zoomView = nullptr;
    QStringList log;
    QWidget *viewForZooming(ScrollView *) override { return zoomView; }
    void scrollViewDidZoom(ScrollView *) override { log.append(QStringLiteral("didZoom")); }
    void scrollViewWillBeginZooming(ScrollView *, QWidget *) override
    {
        log.append(QStringLiteral("willBeginZooming"));
    }
    void scrollViewDidEndZooming(ScrollView *, QWidget *view, double scale) override
    {
        log.append(QStringLiteral("didEndZooming %1 %2").arg(view == zoomView).arg(scale));
    }
    void scrollViewDidEndDecelerating(ScrollView *) override { log.append(QStringLiteral("didEndDecelerating")); }
};

class ScrollViewTest : public ScreenTest
{
protected:
    void SetUp() override
    {
        ScreenTest::SetUp();
        view = std::make_unique<ScrollView>();
        view->resize(300, 400);
        view->show();
    }
    void TearDown() override
    {
        view.reset();
        ScreenTest::TearDown();
    }
    std::unique_ptr<ScrollView> view;
};

TEST_F(ScrollViewTest, ContentChildrenMoveWithTheOffsetAndLimitsFollowTheInsets)
{
    view->setContentSize(QSizeF(300, 1000));
    auto *child = new QWidget;
    view->setContentFrame(child, QRectF(10, 500, 50, 50));
    auto *band = new QWidget;
    view->setContentFrame(band, QRectF(0, -200, 300, 200)); // above the content, as a refresh band
    view->setContentOffset(QPointF(0, 450));
    EXPECT_EQ(child->geometry(), QRect(10, 50, 50, 50));
    EXPECT_EQ(view->contentFrame(child), QRectF(10, 500, 50, 50));
    EXPECT_EQ(view->contentFrame(band), QRectF(0, -200, 300, 200));
    EXPECT_EQ(view->bounds(), QRectF(0, 450, 300, 400));

    struct Case
    {
        EdgeInsets inset;
        QPointF min;
        QPointF max;
    };
    const Case cases[] = {
        { {}, QPointF(0, 0), QPointF(0, 600) },
        { { 50, 0, 60, 0 }, QPointF(0, -50), QPointF(0, 660) },
        { { 0, 10, 0, 20 }, QPointF(-10, 0), QPointF(20, 600) },
    };
    for (const Case &c : cases) {
        view->setContentInset(c.inset);
        EXPECT_EQ(view->minimumContentOffset(), c.min);
        EXPECT_EQ(view->maximumContentOffset(), c.max);
        EXPECT_EQ(view->adjustedContentInset(), c.inset);
    }
    // A smaller content pulls a resting offset back inside.
    view->setContentInset({});
    view->setContentSize(QSizeF(300, 500));
    EXPECT_EQ(view->contentOffset(), QPointF(0, 100));
}

TEST_F(ScrollViewTest, WithoutBouncesADragStopsAtTheEdges)
{
    view->setContentSize(QSizeF(300, 1000));
    view->bounces = false;
    drag(view.get(), QPoint(100, 100), QPoint(100, 300), 10, 0.016, 0.2);
    EXPECT_EQ(view->contentOffset().y(), 0.0);
    // Content that fits does not move at all, unless it always bounces.
    view->setContentSize(QSizeF(300, 300));
    view->bounces = true;
    drag(view.get(), QPoint(100, 300), QPoint(100, 100), 10, 0.016, 0.2);
    EXPECT_EQ(view->contentOffset().y(), 0.0);
    view->alwaysBounceVertical = true;
    QTest::mousePress(view.get(), Qt::LeftButton, {}, QPoint(100, 100));
    QMouseEvent move(QEvent::MouseMove, QPointF(100, 200), view->mapToGlobal(QPointF(100, 200)), Qt::NoButton,
        Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view.get(), &move);
    QMouseEvent move2(QEvent::MouseMove, QPointF(100, 250), view->mapToGlobal(QPointF(100, 250)), Qt::NoButton,
        Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view.get(), &move2);
    EXPECT_TRUE(view->isDragging());
    EXPECT_LT(view->contentOffset().y(), 0.0);
    QTest::mouseRelease(view.get(), Qt::LeftButton, {}, QPoint(100, 250));
    settle();
    EXPECT_EQ(view->contentOffset().y(), 0.0);
}

TEST_F(ScrollViewTest, APanRecognizerOnTheViewThatBeginsKeepsTheDrag)
{
    // The picture viewer's drag-to-close: a pan on the scroll view that only
    // begins while the content is at its top.
    view->setContentSize(QSizeF(300, 1000));
    QList<GestureRecognizer::State> states;
    auto *pan = new PanGestureRecognizer([&](GestureRecognizer *g) { states.append(g->state()); });
    pan->shouldBegin = [this](GestureRecognizer *) { return view->contentOffset().y() <= 0; };
    pan->attach(view.get());
    drag(view.get(), QPoint(100, 300), QPoint(100, 100), 10, 0.016, 0.2);
    EXPECT_EQ(view->contentOffset().y(), 0.0);
    EXPECT_EQ(states.first(), GestureRecognizer::State::began);
    EXPECT_EQ(states.last(), GestureRecognizer::State::ended);
    // Scrolled down, the pan refuses to begin and the content scrolls.
    view->setContentOffset(QPointF(0, 50));
    states.clear();
    drag(view.get(), QPoint(100, 300), QPoint(100, 100), 10, 0.016, 0.2);
    EXPECT_TRUE(states.isEmpty());
    EXPECT_EQ(view->contentOffset().y(), 50.0 + 180.0);
}

TEST_F(ScrollViewTest, PagingSettlesOnTheNextPageInTheDirectionOfTheFlick)
{
    ZoomDelegate delegate;
    view->setDelegate(&delegate);
    view->setContentSize(QSizeF(5 * 300, 400));
    view->setPagingEnabled(true);
    // A quick flick of a third of a page goes on to the next page.
    drag(view.get(), QPoint(250, 200), QPoint(150, 200), 4, 0.016);
    settle();
    EXPECT_EQ(view->contentOffset(), QPointF(300, 0));
    EXPECT_EQ(delegate.log, QStringList { QStringLiteral("didEndDecelerating") });
    // A slow drag short of half a page falls back.
    drag(view.get(), QPoint(250, 200), QPoint(150, 200), 10, 0.016, 0.3);
    settle();
    EXPECT_EQ(view->contentOffset(), QPointF(300, 0));
    // Past half a page it goes on even when slow; never past the last page.
    drag(view.get(), QPoint(290, 200), QPoint(100, 200), 10, 0.016, 0.3);
    settle();
    EXPECT_EQ(view->contentOffset(), QPointF(600, 0));
    view->setContentOffset(QPointF(1200, 0));
    drag(view.get(), QPoint(250, 200), QPoint(50, 200), 4, 0.016);
    settle();
    EXPECT_EQ(view->contentOffset(), QPointF(1200, 0));
}

TEST_F(ScrollViewTest, ZoomScalesTheViewForZoomingWithinItsLimits)
{
    ZoomDelegate delegate;
    auto *image = new QWidget;
    view->setContentFrame(image, QRectF(0, 0, 600, 800));
    view->setContentSize(QSizeF(600, 800));
    delegate.zoomView = image;
    view->setDelegate(&delegate);
    view->setMinimumZoomScale(0.5);
    view->setMaximumZoomScale(4.0);

    view->setZoomScale(0.5);
    EXPECT_EQ(view->zoomScale(), 0.5);
    EXPECT_EQ(view->contentSize(), QSizeF(300, 400));
    EXPECT_EQ(image->size(), QSize(300, 400));
    EXPECT_EQ(delegate.log, QStringList { QStringLiteral("didZoom") });

    // A quarter of the picture around a point fills the view, capped at 4.
    delegate.log.clear();
    view->zoomToRect(QRectF(100, 200, 150, 200), true);
    EXPECT_TRUE(view->isZooming());
    advance(0.5);
    EXPECT_FALSE(view->isZooming());
    EXPECT_EQ(view->zoomScale(), 2.0);
    EXPECT_EQ(view->contentSize(), QSizeF(1200, 1600));
    EXPECT_EQ(view->contentOffset(), QPointF(200, 400));
    EXPECT_EQ(delegate.log.last(), QStringLiteral("didEndZooming 1 2"));
    view->zoomToRect(QRectF(0, 0, 10, 10), false);
    EXPECT_EQ(view->zoomScale(), 4.0);

    // Ctrl + wheel zooms around the pointer and reports the gesture.
    view->setZoomScale(1.0);
    view->setContentOffset(QPointF(0, 0));
    delegate.log.clear();
    QWheelEvent wheel(QPointF(0, 0), view->mapToGlobal(QPointF(0, 0)), QPoint(), QPoint(0, 120), Qt::NoButton,
        Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view.get(), &wheel);
    EXPECT_EQ(view->zoomScale(), 1.25);
    EXPECT_EQ(view->contentOffset(), QPointF(0, 0));
    EXPECT_EQ(delegate.log,
        (QStringList {
            QStringLiteral("willBeginZooming"), QStringLiteral("didZoom"), QStringLiteral("didEndZooming 1 1.25") }));
}

TEST_F(ScrollViewTest, WheelScrollsWithinTheLimitsAndScrollRectToVisibleMovesTheLeast)
{
    view->setContentSize(QSizeF(300, 1000));
    QWheelEvent down(QPointF(10, 10), view->mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, -120), Qt::NoButton,
        Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view.get(), &down);
    EXPECT_EQ(view->contentOffset().y(), 60.0);
    QWheelEvent up(QPointF(10, 10), view->mapToGlobal(QPointF(10, 10)), QPoint(0, 500), QPoint(0, 600), Qt::NoButton,
        Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view.get(), &up);
    EXPECT_EQ(view->contentOffset().y(), 0.0);

    view->scrollRectToVisible(QRectF(0, 500, 100, 100), false);
    EXPECT_EQ(view->contentOffset().y(), 200.0);
    view->scrollRectToVisible(QRectF(0, 300, 100, 100), false);
    EXPECT_EQ(view->contentOffset().y(), 200.0);
    view->scrollRectToVisible(QRectF(0, 100, 100, 100), false);
    EXPECT_EQ(view->contentOffset().y(), 100.0);
}

TEST_F(ScrollViewTest, ATouchDragScrollsLikeTheMouse)
{
    view->setContentSize(QSizeF(300, 1000));
    // The caller owns the device; deleting it takes it off Qt's list again.
    const std::unique_ptr<QPointingDevice> device(QTest::createTouchDevice());
    QPointingDevice *screen = device.get();
    auto &driver = AnimationDriver::shared();
    QTest::touchEvent(view.get(), screen).press(0, QPoint(100, 300));
    for (int y = 280; y >= 100; y -= 20) {
        driver.advance(0.016);
        QTest::touchEvent(view.get(), screen).move(0, QPoint(100, y));
    }
    driver.advance(0.2);
    QTest::touchEvent(view.get(), screen).release(0, QPoint(100, 100));
    EXPECT_EQ(view->contentOffset().y(), 180.0);
}

} // namespace
