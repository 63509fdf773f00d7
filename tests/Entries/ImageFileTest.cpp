#include "Entries/ImageFile.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QRandomGenerator>
#include <gtest/gtest.h>

using namespace tarnik;

namespace {

// A JPEG of the given size with detail everywhere (a coloured noise over gradients), so it is large
// enough to be decoded at reduced size and any wrong scale shows in its pixels.
QByteArray detailedJpeg(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    QRandomGenerator random(42);
    for (int y = 0; y < size.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            const int noise = int(random.bounded(64));
            line[x] = qRgb((x * 255 / size.width() + noise) % 256, (y * 255 / size.height() + noise) % 256,
                ((x / 16 + y / 16) % 2) * 200 + noise / 2);
        }
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 90);
    return bytes;
}

// Mean absolute difference per channel, 0 to 255.
double meanDifference(const QImage &a, const QImage &b)
{
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    double sum = 0;
    for (int row = 0; row < x.height(); ++row) {
        const auto *p = reinterpret_cast<const QRgb *>(x.constScanLine(row));
        const auto *q = reinterpret_cast<const QRgb *>(y.constScanLine(row));
        for (int column = 0; column < x.width(); ++column)
            sum += std::abs(qRed(p[column]) - qRed(q[column])) + std::abs(qGreen(p[column]) - qGreen(q[column]))
                + std::abs(qBlue(p[column]) - qBlue(q[column]));
    }
    return sum / (3.0 * x.width() * x.height());
}

} // namespace

// A JPEG decoded for a box comes out at the box's fitted size, whatever fraction of the picture it
// is decoded at on the way (a half, a quarter, an eighth, or the reader's own choice where none of
// them divides the picture or covers the box), and shows the whole picture scaled down at least as
// faithfully as the reader's own reduced decode.
TEST(ImageFileTest, AJpegDecodedForABoxIsTheWholePictureScaledToIt)
{
    struct Case
    {
        QSize picture;
        QSize box;
    };
    const Case cases[] = {
        { { 500, 500 }, { 128, 128 } }, // at a half
        { { 1000, 600 }, { 128, 128 } }, // at a quarter
        { { 1600, 1200 }, { 128, 128 } }, // at an eighth
        { { 501, 375 }, { 128, 128 } }, // no fraction divides it
        { { 480, 800 }, { 128, 128 } }, // at a quarter, the reader's own choice too
        { { 300, 300 }, { 256, 256 } }, // no fraction covers the box
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.picture.width() << "x" << c.picture.height());
        const QByteArray bytes = detailedJpeg(c.picture);
        ASSERT_GT(bytes.size(), 16 * 1024);
        const QSize fitted = c.picture.scaled(c.box, Qt::KeepAspectRatio);
        const QImage decoded = ImageFile::decode(bytes, c.box);
        ASSERT_FALSE(decoded.isNull());
        EXPECT_EQ(decoded.size(), fitted);
        // As close to the whole picture scaled down as the reader's own reduced decode, or closer.
        const QImage whole = QImage::fromData(bytes, "JPEG").scaled(fitted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        QByteArray copy = bytes;
        QBuffer buffer(&copy);
        QImageReader reader(&buffer, "jpeg");
        reader.setScaledSize(fitted);
        const QImage readers = reader.read();
        ASSERT_EQ(readers.size(), fitted);
        EXPECT_LE(meanDifference(decoded, whole), meanDifference(readers, whole) + 0.5);
    }
}
