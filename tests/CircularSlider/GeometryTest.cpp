#include "Controls/CircularSlider/Geometry.h"

#include "Controls/CircularSlider/CircularLayer.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace tarnik {
namespace {

TEST(GeometryTest, AngleDifference)
{
    struct Case
    {
        double from, to;
        bool clockwise;
        double expected;
    };
    const Case cases[] = {
        { 135, 45, true, 270 },
        { 135, 45, false, 90 },
        { 45, 135, true, 90 },
        { 45, 135, false, 270 },
        { 90, 90, true, 360 },
        { 90, 90, false, 0 },
    };
    for (const Case &c : cases)
        EXPECT_DOUBLE_EQ(angleDifferenceInDegree(c.from, c.to, c.clockwise), c.expected) << c.from << " " << c.to;
}

TEST(GeometryTest, Conversions)
{
    EXPECT_DOUBLE_EQ(toDegree(-kPi / 2), 270.0);
    EXPECT_DOUBLE_EQ(toDegree(kPi / 2), 90.0);
    EXPECT_DOUBLE_EQ(toDegree(2 * kPi), 360.0);
    EXPECT_GT(toDegree(3 * kPi), 360.0);
    EXPECT_DOUBLE_EQ(toRadian(180.0), kPi);
    EXPECT_TRUE(std::isnan(toDegree(std::nan(""))));
}

TEST(GeometryTest, RoundedDownTruncates)
{
    struct Case
    {
        double x;
        int places;
        double expected;
    };
    const Case cases[] = {
        { 2.789, 2, 2.78 },
        { -1.25, 1, -1.3 },
        { 99.99, 0, 99 },
        { 0.4567, 2, 0.45 },
        { 5, 3, 5 },
    };
    for (const Case &c : cases)
        EXPECT_NEAR(roundedDown(c.x, c.places), c.expected, 1e-9) << c.x;
    EXPECT_FLOAT_EQ(roundedDown(0.4567f, 2), 0.45f);
    EXPECT_TRUE(std::isnan(roundedDown(std::nan(""), 2)));
    EXPECT_TRUE(std::isinf(roundedDown(HUGE_VAL, 2)));
}

TEST(GeometryTest, CirclePathHoldsMultiplier)
{
    const QRectF square(0, 0, 100, 100);
    EXPECT_EQ(circlePath(square, 1).boundingRect(), square);
    EXPECT_EQ(circlePath(square, 0.5).boundingRect(), QRectF(25, 25, 50, 50));
    EXPECT_EQ(circlePath(square, 2).boundingRect(), square);
    EXPECT_TRUE(circlePath(square, -1).boundingRect().isEmpty());
    EXPECT_TRUE(circlePath(square, std::nan("")).boundingRect().isEmpty());
    EXPECT_EQ(circlePath(QRectF(0, 0, 100, 50), 1).boundingRect(), QRectF(0, 0, 100, 50));
}

TEST(GeometryTest, GradientDirections)
{
    EXPECT_FALSE(gradientDirectionFromRawValue(8));
    EXPECT_FALSE(gradientDirectionFromRawValue(-1));
    EXPECT_EQ(gradientDirectionFromRawValue(4), GradientDirection::topLeftToBottomRight);
    const auto [start, end] = points(GradientDirection::bottomLeftToTopRight, QSizeF(10, 20));
    EXPECT_EQ(start, QPointF(0, 20));
    EXPECT_EQ(end, QPointF(10, 0));
}

QImage paintLayer(const CircularLayer &layer, QSize size = QSize(100, 100))
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    layer.paint(painter);
    return image;
}

TEST(CircularLayerTest, FillAndStrokeMasks)
{
    CircularLayer disc(GradientType::linear(GradientDirection::topToBottom), { Qt::red, Qt::red },
        CircleMaskType::fill(), { 0, 1 }, 0.5);
    disc.setFrame(QRectF(0, 0, 100, 100));
    QImage image = paintLayer(disc);
    EXPECT_EQ(image.pixelColor(50, 50), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(20, 50).alpha(), 0); // outside the half-size disc

    CircularLayer ring(GradientType::radial(), { Qt::blue, Qt::blue }, CircleMaskType::stroke(4), { 0, 1 }, 1);
    ring.setFrame(QRectF(0, 0, 100, 100));
    image = paintLayer(ring);
    EXPECT_EQ(image.pixelColor(50, 50).alpha(), 0);
    EXPECT_EQ(image.pixelColor(1, 50), QColor(Qt::blue));

    // Colours and locations of different counts make no gradient: nothing is painted.
    CircularLayer broken(GradientType::radial(), { Qt::blue }, CircleMaskType::fill(), { 0, 1 }, 1);
    broken.setFrame(QRectF(0, 0, 100, 100));
    EXPECT_EQ(paintLayer(broken).pixelColor(50, 50).alpha(), 0);
}

} // namespace
} // namespace tarnik
