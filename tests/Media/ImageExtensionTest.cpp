#include "App/ImageExtension.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>
#include <cmath>
#include <gtest/gtest.h>

using namespace tarnik;

namespace {

// A picture whose left, middle and right thirds (or top, middle, bottom for a
// tall one) are red, green and blue, so a crop shows which part it kept.
QImage bands(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    QPainter painter(&image);
    const bool wide = width >= height;
    const int length = wide ? width : height;
    const QColor colours[] = { Qt::red, Qt::green, Qt::blue };
    for (int i = 0; i < 3; ++i) {
        const int from = length * i / 3;
        const int to = length * (i + 1) / 3;
        painter.fillRect(wide ? QRect(from, 0, to - from, height) : QRect(0, from, width, to - from), colours[i]);
    }
    return image;
}

TEST(ImageExtensionTest, CropKeepsTheMiddle)
{
    const struct
    {
        int width, height;
        double ratio;
        QSize expected;
    } cases[] = {
        { 1000, 500, 1.0, { 500, 500 } },
        { 500, 1000, 1.0, { 500, 500 } },
        { 300, 300, 1.0, { 300, 300 } },
        // 800 x 453.75 points: the fraction is rounded up to whole pixels.
        { 800, 600, 640.0 / 363.0, { 800, 454 } },
        { 350, 350, 234.0 / 350.0, { 234, 350 } },
    };
    for (const auto &row : cases) {
        SCOPED_TRACE(testing::Message() << row.width << "x" << row.height << " to " << row.ratio);
        const QImage cropped = croppedToAspectRatio(bands(row.width, row.height), row.ratio);
        EXPECT_EQ(cropped.size(), row.expected);
        EXPECT_EQ(cropped.devicePixelRatio(), 1.0);
        const QColor centre = cropped.pixelColor(cropped.width() / 2, cropped.height() / 2);
        EXPECT_EQ(centre, QColor(Qt::green));
    }
    // The middle third of 1000 x 500 is x 333..666; the 500-wide crop starts at 250.
    const QImage wide = croppedToAspectRatio(bands(1000, 500), 1.0);
    EXPECT_EQ(wide.pixelColor(10, 250), QColor(Qt::red));
    EXPECT_EQ(wide.pixelColor(490, 250), QColor(Qt::blue));
}

TEST(ImageExtensionTest, SameRatioOrUnusableInputComesBackUnchanged)
{
    const QImage square = bands(64, 64);
    EXPECT_EQ(croppedToAspectRatio(square, 1.0).cacheKey(), square.cacheKey());
    for (double ratio : { 0.0, -1.0, double(NAN), double(INFINITY) })
        EXPECT_EQ(croppedToAspectRatio(square, ratio).cacheKey(), square.cacheKey()) << ratio;
    EXPECT_TRUE(croppedToAspectRatio(QImage(), 1.0).isNull());
}

TEST(ImageExtensionTest, FitKeepsTheRatioAndScalesUp)
{
    const struct
    {
        QSize source;
        QSizeF target;
        QSize expected;
    } cases[] = {
        { { 400, 200 }, { 128, 128 }, { 128, 64 } }, { { 50, 100 }, { 128, 128 }, { 64, 128 } },
        { { 300, 300 }, { 128, 128 }, { 128, 128 } }, { { 1000, 300 }, { 128, 128 }, { 128, 39 } }, // 38.4 rounded up
        { { 500, 500 }, { 500, 500 / (640.0 / 363.0) }, { 284, 284 } }, // 283.6 rounded up
    };
    for (const auto &row : cases) {
        SCOPED_TRACE(testing::Message() << row.source.width() << "x" << row.source.height());
        const QImage fitted = aspectFitted(bands(row.source.width(), row.source.height()), row.target);
        EXPECT_EQ(fitted.size(), row.expected);
        EXPECT_EQ(fitted.devicePixelRatio(), 1.0);
    }
}

TEST(ImageExtensionTest, FitOfEmptyImageOrBoxDoesNotDivideByZero)
{
    const QImage zeroHeight(10, 0, QImage::Format_RGB32);
    EXPECT_TRUE(aspectFitted(zeroHeight, QSizeF(128, 128)).isNull());
    const QImage image = bands(40, 20);
    EXPECT_EQ(aspectFitted(image, QSizeF(128, 0)).cacheKey(), image.cacheKey());
    EXPECT_EQ(aspectFitted(image, QSizeF(0, 0)).cacheKey(), image.cacheKey());
    EXPECT_EQ(aspectFitted(image, QSizeF(NAN, 5)).cacheKey(), image.cacheKey());
}

TEST(ImageExtensionTest, PointsOfHighResolutionSourcesCount)
{
    QImage retina = bands(200, 100);
    retina.setDevicePixelRatio(2.0); // 100 x 50 points
    EXPECT_EQ(aspectFitted(retina, QSizeF(40, 40)).size(), QSize(40, 20));
    EXPECT_EQ(croppedToAspectRatio(retina, 1.0).size(), QSize(50, 50));
}

QByteArray encoded(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

TEST(ImageExtensionTest, ArtworkForAKind)
{
    const QImage photo = bands(800, 600);
    EXPECT_EQ(artwork(photo, 1.0, 500, false).size(), QSize(600, 600));
    EXPECT_EQ(artwork(photo, 1.0, 500, true).size(), QSize(500, 500));
    EXPECT_EQ(artwork(photo, 640.0 / 363.0, 500, true).size(), QSize(500, 284));
    // Cropped to 402 x 600 pixels (401.1 up), then fitted to the 500-wide box.
    EXPECT_EQ(artwork(photo, 234.0 / 350.0, 500, true).size(), QSize(500, 747));

    const QByteArray png = encoded(photo, "PNG");
    const QByteArray jpeg = artworkData(png, 1.0, 500, true);
    EXPECT_TRUE(jpeg.startsWith("\xFF\xD8"));
    EXPECT_EQ(QImage::fromData(jpeg).size(), QSize(500, 500));

    const QByteArray cropped = croppedJPEGData(png, 2.0);
    EXPECT_TRUE(cropped.startsWith("\xFF\xD8"));
    EXPECT_EQ(QImage::fromData(cropped).size(), QSize(800, 400));
}

TEST(ImageExtensionTest, BytesThatAreNoImageComeBackUnchanged)
{
    for (const QByteArray &bytes : { QByteArray("not a picture"), QByteArray(), QByteArray("\xFF\xD8\xFF\xE0", 4) }) {
        EXPECT_EQ(artworkData(bytes, 1.0, 500, true), bytes);
        EXPECT_EQ(croppedJPEGData(bytes, 1.0), bytes);
    }
}

TEST(ImageExtensionTest, JpegQualityFollowsTheFraction)
{
    // Qt's quality is a percentage: 1.0 must be 100 and 0.6 must be 60, so the
    // bytes equal what Qt writes at those qualities.
    QImage noisy(64, 64, QImage::Format_RGB32);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            noisy.setPixel(x, y, qRgb((x * 37 + y * 11) & 0xFF, (x * y) & 0xFF, (x ^ y) * 4 & 0xFF));
    const auto at = [&](int quality) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        noisy.save(&buffer, "JPEG", quality);
        return bytes;
    };
    EXPECT_EQ(jpegData(noisy, 1.0), at(100));
    EXPECT_EQ(jpegData(noisy, 0.6), at(60));
    EXPECT_NE(at(100), at(60));
    EXPECT_FALSE(jpegData(QImage(), 1.0).has_value());
}

TEST(ImageExtensionTest, OnePixelOfAColour)
{
    const QImage pixel = imageFromColor(QColor(0x12, 0x34, 0x56));
    EXPECT_EQ(pixel.size(), QSize(1, 1));
    EXPECT_EQ(pixel.devicePixelRatio(), 1.0);
    EXPECT_EQ(pixel.pixelColor(0, 0), QColor(0x12, 0x34, 0x56));
    EXPECT_EQ(imageFromColor(QColor(255, 0, 0, 0)).pixelColor(0, 0).alpha(), 0);
}

} // namespace
