#include "ImportEditor/ImageViewerController.h"

#include "ImportEditor/AnimatableImageView.h"
#include "ImportEditor/ImageViewerControllerDelegate.h"
#include "ImportEditor/ImageViewerTransitioningHandler.h"
#include "Platform/UI/TabBar.h"
#include "Platform/UI/TabBarController.h"
#include "Platform/UI/View.h"
#include "Player/MiniPlayerHost.h"
#include "Support/UiTestSupport.h"

#include <QAbstractButton>
#include <gtest/gtest.h>

using namespace tarnik;

namespace {

// A root tab bar controller that hosts a mini player and records the requests to move it.
class FakeHost : public TabBarController, public MiniPlayerHost
{
public:
    bool up = true;
    QList<bool> calls;
    bool hasMiniPlayer() const override { return true; }
    bool isMiniPlayerUp() const override { return up; }
    void updateMiniPlayer(bool hide) override { calls.append(hide); }
    void setMiniPlayerDelegate(PlayerViewDelegate *) override { }
    void resetCurrentIndex() override { }
    void play(const QList<std::shared_ptr<Entry>> &, int) override { }
};

class RecordingDelegate : public QObject, public ImageViewerControllerDelegate
{
public:
    QList<QImage> selected;
    void imageViewerDidSelect(const QImage &image) override { selected.append(image); }
};

QImage picture(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    return image;
}

} // namespace

class ImageViewerControllerTest : public test::ScreenTest
{
protected:
    void SetUp() override
    {
        ScreenTest::SetUp();
        makeWindow();
        root = new FakeHost;
        page = new ViewController;
        root->setViewControllers({ page });
        window->setRootViewController(root);
        source = new ImageView(page->view());
        source->setImage(picture(200, 100));
        source->setContentMode(ImageView::ContentMode::scaleAspectFill);
        source->setCornerRadius(6);
        source->setGeometry(20, 40, 80, 80);
        source->show();
        settle();
    }
    void TearDown() override
    {
        ScreenTest::TearDown();
    }
    ImageViewerController *presentViewer(const QImage &image, bool withSource = true)
    {
        auto *viewer = new ImageViewerController(withSource ? source.data() : nullptr, image);
        root->present(viewer, true);
        settle();
        return viewer;
    }
    // Drags the viewer's picture down by `distance` in steps of 1/60 s, rests
    // `rest` seconds and lifts.
    void drag(ImageViewerController *viewer, double distance, double rest)
    {
        PanGestureRecognizer *pan = viewer->panGestureRecognizer();
        const QPointF start = viewer->scrollView()->mapToGlobal(QPointF(180, 300));
        pan->feed(GestureRecognizer::Phase::began, start);
        const int steps = 10;
        for (int i = 1; i <= steps; ++i) {
            advance(1.0 / 60.0);
            pan->feed(GestureRecognizer::Phase::moved, start + QPointF(0, distance * i / steps));
        }
        advance(rest);
        pan->feed(GestureRecognizer::Phase::ended, start + QPointF(0, distance));
    }

    FakeHost *root = nullptr;
    ViewController *page = nullptr;
    QPointer<ImageView> source;
};

TEST_F(ImageViewerControllerTest, ASmallPictureIsFittedAndCentred)
{
    ImageViewerController *viewer = presentViewer(picture(200, 100));
    ScrollView *scroll = viewer->scrollView();
    ASSERT_EQ(scroll->size(), QSize(375, 667));
    EXPECT_DOUBLE_EQ(viewer->fittingScale(), 375.0 / 200.0);
    EXPECT_DOUBLE_EQ(scroll->zoomScale(), 375.0 / 200.0);
    EXPECT_DOUBLE_EQ(scroll->minimumZoomScale(), 375.0 / 200.0);
    EXPECT_EQ(scroll->contentInset().left, 0.0);
    EXPECT_NEAR(scroll->contentInset().top, (667 - 187.5) / 2, 1.0);
    EXPECT_EQ(scroll->contentInset().top, scroll->contentInset().bottom);

    // A zoom the user made does not survive a layout pass while the picture
    // is smaller than the screen at that zoom.
    scroll->setZoomScale(2.0);
    viewer->scrollViewDidEndZooming(scroll, viewer->imageView(), 2.0);
    window->resize(376, 667);
    window->resize(375, 667);
    EXPECT_DOUBLE_EQ(scroll->zoomScale(), 375.0 / 200.0);
}

TEST_F(ImageViewerControllerTest, DoubleTapZoomsIntoAQuarterAndBackOut)
{
    ImageViewerController *viewer = presentViewer(picture(200, 100));
    ScrollView *scroll = viewer->scrollView();
    TapGestureRecognizer *tap = viewer->doubleTapGestureRecognizer();
    const auto doubleTap = [&](QPointF at) {
        const QPointF global = scroll->mapToGlobal(at);
        for (int i = 0; i < 2; ++i) {
            tap->feed(GestureRecognizer::Phase::began, global);
            tap->feed(GestureRecognizer::Phase::ended, global);
            advance(0.05);
        }
        settle();
    };
    doubleTap(QPointF(187.5, 333.5));
    EXPECT_DOUBLE_EQ(scroll->zoomScale(), 4.0);
    // The rectangle of 50 x 25 picture points around the middle fills the view.
    EXPECT_NEAR(scroll->contentOffset().x() + scroll->width() / 2.0, 100 * 4.0, 2.0);
    doubleTap(QPointF(100, 100));
    EXPECT_DOUBLE_EQ(scroll->zoomScale(), 375.0 / 200.0);
}

TEST_F(ImageViewerControllerTest, PresentationFliesOutOfTheSourceAndMovesTheMiniPlayerOnce)
{
    auto *viewer = new ImageViewerController(source, picture(200, 100));
    root->present(viewer, true);
    QWidget *container = viewer->view()->parentWidget();
    ASSERT_NE(container, nullptr);
    auto *flying = container->findChild<AnimatableImageView *>(QStringLiteral("FlyingPicture"));
    ASSERT_NE(flying, nullptr);
    // Start: over the source with its content mode; the source is hidden.
    EXPECT_EQ(flying->geometry(), QRect(20, 40, 80, 80));
    EXPECT_TRUE(viewer->view()->isHidden());
    EXPECT_EQ(View::alpha(source), 0.0);
    EXPECT_EQ(root->calls, QList<bool> { true });
    EXPECT_TRUE(viewer->restoreMiniPlayerView);
    EXPECT_TRUE(root->tabBar()->isHidden());
    settle();
    // End: the viewer shows, the flight and the snapshot are gone, the tab
    // bar is back under the viewer, the source stays hidden.
    EXPECT_TRUE(viewer->view()->isVisible());
    EXPECT_EQ(container->findChild<AnimatableImageView *>(QStringLiteral("FlyingPicture")), nullptr);
    EXPECT_EQ(container->findChild<QWidget *>(QStringLiteral("TabBarSnapshot")), nullptr);
    EXPECT_FALSE(root->tabBar()->isHidden());
    EXPECT_EQ(View::alpha(source), 0.0);
    EXPECT_EQ(root->calls, QList<bool> { true });
}

TEST_F(ImageViewerControllerTest, ASlowShortDragCancelsAndAFlickDismisses)
{
    ImageViewerController *viewer = presentViewer(picture(200, 100));
    QPointer<ImageViewerController> guard(viewer);
    // A tenth of the height, then resting before lifting: no speed left.
    drag(viewer, 66.7, 0.5);
    settle();
    ASSERT_TRUE(guard);
    EXPECT_EQ(root->presentedViewController(), viewer);
    EXPECT_TRUE(viewer->view()->isVisible());
    EXPECT_FALSE(viewer->transitioningHandler()->dismissInteractively);
    EXPECT_EQ(View::alpha(source), 0.0);
    EXPECT_EQ(root->calls, QList<bool> { true });

    // Still usable: a quick 0.2 of the height plus its speed passes 0.25.
    drag(viewer, 133.4, 0.0);
    settle();
    EXPECT_EQ(root->presentedViewController(), nullptr);
    EXPECT_EQ(View::alpha(source), 1.0);
    EXPECT_EQ(root->calls, (QList<bool> { true, false }));
    EXPECT_FALSE(root->tabBar()->isHidden());
}

TEST_F(ImageViewerControllerTest, DragProgressShrinksAndFollowsTheFinger)
{
    ImageViewerController *viewer = presentViewer(picture(200, 100));
    PanGestureRecognizer *pan = viewer->panGestureRecognizer();
    const QPointF start = viewer->scrollView()->mapToGlobal(QPointF(180, 300));
    pan->feed(GestureRecognizer::Phase::began, start);
    advance(1.0 / 60.0);
    pan->feed(GestureRecognizer::Phase::moved, start + QPointF(0, 20)); // begins
    advance(1.0 / 60.0);
    pan->feed(GestureRecognizer::Phase::moved, start + QPointF(30, 200.1));
    ImageViewerDismissalTransition *dismissal = viewer->transitioningHandler()->dismissalTransition.get();
    EXPECT_NEAR(View::alpha(dismissal->fadeView()), 0.7, 0.001);
    EXPECT_NEAR(dismissal->scaleTransform().m11(), 0.7, 0.001);
    EXPECT_NEAR(dismissal->translationTransform().dx(), 30, 0.5);
    EXPECT_TRUE(viewer->view()->isHidden());
    advance(0.5);
    pan->feed(GestureRecognizer::Phase::ended, start + QPointF(30, 200.1));
    settle();
    // 0.3 of the height finishes even without speed; the picture went home.
    EXPECT_EQ(root->presentedViewController(), nullptr);
    EXPECT_EQ(View::alpha(source), 1.0);
}

TEST_F(ImageViewerControllerTest, ADragWhileScrolledDownDoesNotDismiss)
{
    ImageViewerController *viewer = presentViewer(picture(2000, 4000));
    ScrollView *scroll = viewer->scrollView();
    scroll->setZoomScale(1.0);
    scroll->setContentOffset(QPointF(0, 500));
    ASSERT_GT(scroll->contentOffset().y(), 0.0);
    drag(viewer, 300, 0.0);
    settle();
    EXPECT_EQ(root->presentedViewController(), viewer);
}

TEST_F(ImageViewerControllerTest, DismissalFliesIntoTheSourceWithItsLook)
{
    ImageViewerController *viewer = presentViewer(picture(200, 100));
    viewer->closeButton()->click();
    QWidget *container = window->findChild<QWidget *>(QStringLiteral("PresentationContainer"));
    ASSERT_NE(container, nullptr);
    auto *flying = container->findChild<AnimatableImageView *>(QStringLiteral("FlyingPicture"));
    ASSERT_NE(flying, nullptr);
    EXPECT_EQ(flying->contentMode(), ImageView::ContentMode::scaleAspectFill);
    EXPECT_EQ(flying->cornerRadius(), 6.0);
    EXPECT_EQ(flying->frame(), QRectF(20, 40, 80, 80));
    settle();
    EXPECT_EQ(root->presentedViewController(), nullptr);
    EXPECT_EQ(View::alpha(source), 1.0);
    EXPECT_EQ(root->calls, (QList<bool> { true, false }));
}

TEST_F(ImageViewerControllerTest, MiniPlayerThatIsNotUpIsLeftAlone)
{
    root->up = false;
    ImageViewerController *viewer = presentViewer(picture(200, 100));
    EXPECT_FALSE(viewer->restoreMiniPlayerView);
    viewer->closeButton()->click();
    settle();
    EXPECT_TRUE(root->calls.isEmpty());
}

TEST_F(ImageViewerControllerTest, SelectHandsThePictureOverAfterClosing)
{
    RecordingDelegate delegate;
    auto *viewer = new ImageViewerController(source, picture(200, 100));
    viewer->setDelegate(&delegate);
    root->present(viewer, true);
    settle();
    ASSERT_FALSE(viewer->selectButton()->isHidden());
    viewer->selectButton()->click();
    EXPECT_TRUE(delegate.selected.isEmpty());
    settle();
    ASSERT_EQ(delegate.selected.size(), 1);
    EXPECT_EQ(delegate.selected.first().size(), QSize(200, 100));

    // No delegate (the browser's use), or no picture: no select button.
    ImageViewerController *plain = presentViewer(picture(10, 10));
    EXPECT_TRUE(plain->selectButton()->isHidden());
    plain->closeButton()->click();
    settle();
    auto *empty = new ImageViewerController(nullptr, QImage());
    empty->setDelegate(&delegate);
    root->present(empty, true);
    settle();
    EXPECT_TRUE(empty->selectButton()->isHidden());
    empty->selectButtonTapped();
    settle();
    EXPECT_EQ(root->presentedViewController(), empty);
}

TEST_F(ImageViewerControllerTest, WithoutASourceItCrossDissolvesAndIgnoresDrags)
{
    ImageViewerController *viewer = presentViewer(picture(200, 100), false);
    EXPECT_EQ(viewer->transitioningHandler(), nullptr);
    EXPECT_TRUE(root->calls.isEmpty());
    drag(viewer, 400, 0.0);
    settle();
    EXPECT_EQ(root->presentedViewController(), viewer);
    viewer->closeButton()->click();
    settle();
    EXPECT_EQ(root->presentedViewController(), nullptr);
}
