#include "Controls/DesignableViews.h"
#include "ControlsTestSupport.h"

#include <QSignalSpy>
#include <cmath>
#include <QTest>

using namespace tarnik;

namespace {

using DesignableSliderTest = test::ControlsTest;

QImage filled(const QColor &colour, int side)
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(colour);
    return image;
}

TEST_F(DesignableSliderTest, APressAnywherePicksTheThumbUpThereAndTheDragFollows)
{
    // Where a press lands on a 200-point slider, for each kind of thumb and end pictures:
    // the thumb's centre travels between its half widths, inside the pictures.
    struct Row
    {
        const char *name;
        std::optional<QImage> thumb;
        QImage minimumImage;
        QImage maximumImage;
        int x;
        double expected;
    };
    const Row rows[] = {
        { "no thumb, middle", QImage(), {}, {}, 100, 0.5 },
        { "no thumb, left end", QImage(), {}, {}, 0, 0.0 },
        { "a 20-point thumb, its left half", filled(Qt::darkCyan, 20), {}, {}, 10, 0.0 },
        { "a 20-point thumb, a quarter", filled(Qt::darkCyan, 20), {}, {}, 55, 0.25 },
        { "a 20-point thumb, beyond the right end", filled(Qt::darkCyan, 20), {}, {}, 199, 1.0 },
        { "the toolkit's thumb, middle", std::nullopt, {}, {}, 100, 0.5 },
        // 16-point pictures and 8 points of room leave the track from 24 to 176.
        { "end pictures, middle", QImage(), filled(Qt::gray, 16), filled(Qt::gray, 16), 100, 0.5 },
        { "end pictures, on the small one", QImage(), filled(Qt::gray, 16), filled(Qt::gray, 16), 5, 0.0 },
        { "end pictures, a quarter", QImage(), filled(Qt::gray, 16), filled(Qt::gray, 16), 62, 0.25 },
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        DesignableSlider slider(QRect(0, 0, 200, 30));
        slider.setThumbImage(row.thumb);
        slider.setMinimumValueImage(row.minimumImage);
        slider.setMaximumValueImage(row.maximumImage);
        QSignalSpy began(&slider, &QSlider::sliderPressed);
        QSignalSpy ended(&slider, &QSlider::sliderReleased);
        QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(row.x, 15));
        EXPECT_EQ(began.count(), 1);
        EXPECT_NEAR(slider.positionFraction(), row.expected, 1e-3);
        QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(row.x, 15));
        EXPECT_EQ(ended.count(), 1);
        EXPECT_NEAR(slider.fraction(), row.expected, 1e-3);
    }

    // A drag: pressed at the left, moved, released at the right; the other buttons do nothing.
    DesignableSlider slider(QRect(0, 0, 200, 30));
    slider.setThumbImage(QImage());
    QSignalSpy moved(&slider, &QSlider::sliderMoved);
    QTest::mousePress(&slider, Qt::RightButton, {}, QPoint(150, 15));
    EXPECT_FALSE(slider.isSliderDown());
    QTest::mouseRelease(&slider, Qt::RightButton, {}, QPoint(150, 15));
    QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(20, 15));
    QMouseEvent move(QEvent::MouseMove, QPointF(120, 15), slider.mapToGlobal(QPointF(120, 15)), Qt::NoButton,
        Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&slider, &move);
    EXPECT_NEAR(slider.positionFraction(), 0.6, 1e-3);
    EXPECT_GE(moved.count(), 2);
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(180, 15));
    EXPECT_FALSE(slider.isSliderDown());
    EXPECT_NEAR(slider.fraction(), 0.9, 1e-3);

    // Values from the program are clamped, and one that is not a number reads 0.
    slider.setFraction(1.7);
    EXPECT_DOUBLE_EQ(slider.fraction(), 1.0);
    slider.setFraction(std::nan(""));
    EXPECT_DOUBLE_EQ(slider.fraction(), 0.0);
}

TEST_F(DesignableSliderTest, TintsThumbAndEndPicturesAreDrawnWhereTheyBelong)
{
    DesignableSlider slider(QRect(0, 0, 200, 30));
    slider.setTrackHeight(4);
    slider.setMinimumTrackTintColor(Qt::red);
    slider.setMaximumTrackTintColor(Qt::blue);
    slider.setFraction(0.5);

    // An empty picture: no thumb, the tints meet at the value.
    slider.setThumbImage(QImage());
    QImage shot = render(&slider);
    EXPECT_EQ(shot.pixelColor(60, 15), QColor(Qt::red));
    EXPECT_EQ(shot.pixelColor(140, 15), QColor(Qt::blue));
    const QColor background = slider.palette().color(QPalette::Window);
    EXPECT_EQ(shot.pixelColor(100, 5), background) << "nothing above the track";

    // A thumb picture, centred on the value.
    slider.setThumbImage(filled(Qt::green, 20));
    shot = render(&slider);
    EXPECT_EQ(shot.pixelColor(100, 8), QColor(Qt::green));
    EXPECT_EQ(shot.pixelColor(100, 22), QColor(Qt::green));
    EXPECT_EQ(shot.pixelColor(40, 15), QColor(Qt::red));

    // No picture: the toolkit's white round thumb.
    slider.setThumbImage(std::nullopt);
    shot = render(&slider);
    EXPECT_EQ(shot.pixelColor(100, 15), QColor(Qt::white));

    // The end pictures sit at the ends; the track runs between them.
    slider.setThumbImage(QImage());
    slider.setMinimumValueImage(filled(Qt::yellow, 16));
    slider.setMaximumValueImage(filled(Qt::magenta, 16));
    shot = render(&slider);
    EXPECT_EQ(shot.pixelColor(8, 15), QColor(Qt::yellow));
    EXPECT_EQ(shot.pixelColor(192, 15), QColor(Qt::magenta));
    EXPECT_EQ(shot.pixelColor(20, 15), background) << "room between the picture and the track";
    EXPECT_EQ(shot.pixelColor(30, 15), QColor(Qt::red));
    EXPECT_EQ(shot.pixelColor(170, 15), QColor(Qt::blue));
    EXPECT_EQ(slider.trackRect(), QRectF(24, 13, 152, 4));
}

} // namespace
