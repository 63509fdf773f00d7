#include "ImportEditor/Utilities.h"

#include "Controls/ImageView.h"
#include "ImportEditor/AnimatableImageView.h"
#include "Platform/UI/View.h"
#include "Support/UiTestSupport.h"

#include <gtest/gtest.h>

using namespace tarnik;

TEST(UtilitiesTest, FitAndFillRectangles)
{
    struct Case
    {
        QSizeF image;
        QRectF bounds;
        QRectF fit;
        QRectF fill;
    };
    const Case cases[] = {
        { { 200, 100 }, { 0, 0, 100, 100 }, { 0, 25, 100, 50 }, { 0, 0, 200, 100 } },
        { { 100, 300 }, { 0, 0, 100, 100 }, { 100.0 / 3 + 0.0, 0, 100.0 / 3, 100 }, { 0, 0, 100, 300 } },
        // Equal ratios: the fill is the bounds' size.
        { { 50, 30 }, { 0, 0, 100, 60 }, { 0, 0, 100, 60 }, { 0, 0, 100, 60 } },
        // Rounded down to whole points.
        { { 3, 2 }, { 0, 0, 100, 100 }, { 0, 50.0 / 3, 100, 200.0 / 3 }, { 0, 0, 150, 100 } },
        { { 3, 2 }, { 0, 0, 10, 7 }, { 0, 1.0 / 6, 10, 20.0 / 3 }, { 0, 0, 10, 7 } },
        // The fit rectangle is centred in bounds that are not at the origin.
        { { 200, 100 }, { 10, 20, 100, 100 }, { 10, 45, 100, 50 }, { 0, 0, 200, 100 } },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.image.width() << "x" << c.image.height() << " in " << c.bounds.width()
                                        << "x" << c.bounds.height());
        const QRectF fit = Utilities::aspectFitRect(c.image, c.bounds);
        EXPECT_NEAR(fit.x(), c.fit.x(), 1e-9);
        EXPECT_NEAR(fit.y(), c.fit.y(), 1e-9);
        EXPECT_NEAR(fit.width(), c.fit.width(), 1e-9);
        EXPECT_NEAR(fit.height(), c.fit.height(), 1e-9);
        EXPECT_EQ(Utilities::aspectFillRect(c.image, c.bounds), c.fill);
    }
    EXPECT_EQ(Utilities::aspectFillRect(QSizeF(10, 0), QRectF(0, 0, 10, 10)), QRectF());
    EXPECT_EQ(Utilities::rect(QSizeF(4, 5)), QRectF(0, 0, 4, 5));
}

TEST(UtilitiesTest, CentresOfA40By20PictureIn100By60)
{
    const QSizeF w(40, 20);
    const QSizeF b(100, 60);
    EXPECT_EQ(Utilities::centerPoint(b), QPointF(50, 30));
    EXPECT_EQ(Utilities::topCenter(w, b), QPointF(50, 10));
    EXPECT_EQ(Utilities::bottomCenter(w, b), QPointF(50, 50));
    EXPECT_EQ(Utilities::leftCenter(w, b), QPointF(20, 30));
    EXPECT_EQ(Utilities::rightCenter(w, b), QPointF(80, 30));
    EXPECT_EQ(Utilities::topLeftCenter(w), QPointF(20, 10));
    EXPECT_EQ(Utilities::topRightCenter(w, b), QPointF(80, 10));
    EXPECT_EQ(Utilities::bottomLeftCenter(w, b), QPointF(20, 50));
    EXPECT_EQ(Utilities::bottomRightCenter(w, b), QPointF(80, 50));
}

class AnimatableImageViewTest : public test::ScreenTest
{
};

TEST_F(AnimatableImageViewTest, EveryContentModeLaysOutTheInnerView)
{
    // A 200 x 100 picture in a 100 x 100 view.
    struct Case
    {
        ImageView::ContentMode mode;
        QRectF bounds;
        QPointF center;
    };
    const Case cases[] = {
        { ImageView::ContentMode::scaleToFill, { 0, 0, 100, 100 }, { 50, 50 } },
        { ImageView::ContentMode::scaleAspectFit, { 0, 0, 100, 50 }, { 50, 50 } },
        { ImageView::ContentMode::scaleAspectFill, { 0, 0, 200, 100 }, { 50, 50 } },
        { ImageView::ContentMode::redraw, { 0, 0, 200, 100 }, { 50, 50 } },
        { ImageView::ContentMode::center, { 0, 0, 200, 100 }, { 50, 50 } },
        { ImageView::ContentMode::top, { 0, 0, 200, 100 }, { 50, 50 } },
        { ImageView::ContentMode::bottom, { 0, 0, 200, 100 }, { 50, 50 } },
        { ImageView::ContentMode::left, { 0, 0, 200, 100 }, { 100, 50 } },
        { ImageView::ContentMode::right, { 0, 0, 200, 100 }, { 0, 50 } },
        { ImageView::ContentMode::topLeft, { 0, 0, 200, 100 }, { 100, 50 } },
        { ImageView::ContentMode::topRight, { 0, 0, 200, 100 }, { 0, 50 } },
        { ImageView::ContentMode::bottomLeft, { 0, 0, 200, 100 }, { 100, 50 } },
        { ImageView::ContentMode::bottomRight, { 0, 0, 200, 100 }, { 0, 50 } },
    };
    QImage picture(200, 100, QImage::Format_RGB32);
    picture.fill(Qt::red);
    for (const Case &c : cases) {
        SCOPED_TRACE(int(c.mode));
        AnimatableImageView view;
        view.setImage(picture);
        view.setFrame(QRectF(0, 0, 100, 100));
        view.setContentMode(c.mode);
        EXPECT_EQ(view.imageViewBounds(), c.bounds);
        EXPECT_EQ(view.imageViewCenter(), c.center);
        EXPECT_EQ(view.imageView()->geometry(), c.bounds.translated(c.center - c.bounds.center()).toRect());
    }
}

TEST_F(AnimatableImageViewTest, AspectFillRoundsDownAndNoPictureLeavesTheInnerViewAlone)
{
    AnimatableImageView view;
    view.setFrame(QRectF(0, 0, 100, 100));
    view.setContentMode(ImageView::ContentMode::scaleAspectFit);
    EXPECT_EQ(view.imageViewBounds(), QRectF());

    QImage picture(3, 2, QImage::Format_RGB32);
    view.setImage(picture);
    view.setContentMode(ImageView::ContentMode::scaleAspectFill);
    EXPECT_EQ(view.imageViewBounds(), QRectF(0, 0, 150, 100));
    view.setFrame(QRectF(0, 0, 10, 7));
    EXPECT_EQ(view.imageViewBounds(), QRectF(0, 0, 10, 7));
    EXPECT_EQ(view.imageViewCenter(), QPointF(5, 3.5));
}

TEST_F(AnimatableImageViewTest, FrameAndContentModeAnimateTogether)
{
    QImage picture(200, 100, QImage::Format_RGB32);
    AnimatableImageView view;
    view.setImage(picture);
    view.setFrame(QRectF(0, 0, 100, 100));
    view.setContentMode(ImageView::ContentMode::scaleAspectFill);
    EXPECT_EQ(view.imageView()->geometry(), QRect(-50, 0, 200, 100));

    View::animate(1.0, [&] {
        view.setContentMode(ImageView::ContentMode::scaleAspectFit);
        view.setFrame(QRectF(0, 0, 300, 300));
    });
    // The model moved at once; the widgets follow the animation.
    EXPECT_EQ(view.frame(), QRectF(0, 0, 300, 300));
    EXPECT_EQ(view.imageViewBounds(), QRectF(0, 0, 300, 150));
    advance(0.5);
    const QRect halfway = view.geometry();
    EXPECT_GT(halfway.width(), 100);
    EXPECT_LT(halfway.width(), 300);
    settle();
    EXPECT_EQ(view.geometry(), QRect(0, 0, 300, 300));
    EXPECT_EQ(view.imageView()->geometry(), QRect(0, 75, 300, 150));
}

TEST_F(AnimatableImageViewTest, TransformScalesAboutTheCentreAndTranslates)
{
    QImage picture(100, 100, QImage::Format_RGB32);
    AnimatableImageView view;
    view.setImage(picture);
    view.setFrame(QRectF(0, 0, 100, 100));
    view.setTransform(QTransform::fromScale(0.5, 0.5) * QTransform::fromTranslate(10, 20));
    EXPECT_EQ(view.geometry(), QRect(35, 45, 50, 50));
    EXPECT_EQ(view.imageView()->geometry(), QRect(0, 0, 50, 50));
    view.setTransform(QTransform());
    EXPECT_EQ(view.geometry(), QRect(0, 0, 100, 100));
}

TEST(ImageViewTest, PaintsThePictureWhereItsContentModePutsIt)
{
    QImage picture(20, 10, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ImageView view;
    view.resize(40, 40);
    view.setImage(picture);
    const auto render = [&] {
        QImage out(40, 40, QImage::Format_ARGB32);
        out.fill(Qt::transparent);
        view.render(&out, QPoint(), QRegion(), QWidget::DrawChildren);
        return out;
    };
    view.setContentMode(ImageView::ContentMode::scaleAspectFit);
    QImage out = render();
    EXPECT_EQ(out.pixelColor(20, 20), QColor(Qt::red));
    EXPECT_EQ(out.pixelColor(20, 5).alpha(), 0); // above the fitted 40 x 20 band
    view.setContentMode(ImageView::ContentMode::topLeft);
    out = render();
    EXPECT_EQ(out.pixelColor(5, 5), QColor(Qt::red));
    EXPECT_EQ(out.pixelColor(30, 30).alpha(), 0);
    view.sizeToFit();
    EXPECT_EQ(view.size(), QSize(20, 10));
}
