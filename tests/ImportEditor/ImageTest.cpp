#include "ImportEditor/Image.h"

#include "ImportEditor/ImageActivityIndicatorView.h"
#include "ImportEditor/ImageCell.h"
#include "ImportEditor/ImageDownloader.h"
#include "Support/ArtworkServiceFixture.h"

#include <QBuffer>
#include <QTest>
#include <QThread>
#include <atomic>
#include <gtest/gtest.h>

using namespace tarnik;
using tarnik::testing::ArtworkServiceFixture;
using tarnik::testing::LoopbackHttpServer;

namespace {

struct Loaded
{
    std::atomic<bool> done = false;
    QImage image;
    bool onGuiThread = false;
};

Image::Completion into(Loaded &loaded)
{
    return [&loaded](const QImage &image) {
        loaded.image = image;
        loaded.onGuiThread = QThread::currentThread() == qApp->thread();
        loaded.done = true;
    };
}

quint32 crc32Of(const QByteArray &bytes)
{
    quint32 crc = 0xffffffffu;
    for (const char byte : bytes) {
        crc ^= quint8(byte);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return crc ^ 0xffffffffu;
}

QByteArray chunk(const char *type, const QByteArray &data)
{
    QByteArray out;
    const quint32 length = quint32(data.size());
    out.append(char(length >> 24)).append(char(length >> 16)).append(char(length >> 8)).append(char(length));
    QByteArray body = QByteArray(type) + data;
    out += body;
    const quint32 crc = crc32Of(body);
    out.append(char(crc >> 24)).append(char(crc >> 16)).append(char(crc >> 8)).append(char(crc));
    return out;
}

// A valid PNG header for a 30000 x 30000 RGBA picture, with a little pixel data.
QByteArray hugePng()
{
    QByteArray header;
    const quint32 side = 30000;
    for (int i = 0; i < 2; ++i)
        header.append(char(side >> 24)).append(char(side >> 16)).append(char(side >> 8)).append(char(side));
    header.append(char(8)).append(char(6)).append(char(0)).append(char(0)).append(char(0));
    const QByteArray raw(64 * 1024, '\0');
    QByteArray compressed = qCompress(raw).mid(4); // zlib stream without Qt's length prefix
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", header) + chunk("IDAT", compressed)
        + chunk("IEND", QByteArray());
}

QByteArray jpeg(int side)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    ArtworkServiceFixture::cover(1, side).save(&buffer, "JPEG");
    return bytes;
}

} // namespace

class ImageTest : public ::testing::Test
{
protected:
    ArtworkServiceFixture service;
};

TEST_F(ImageTest, DownloadsBothPicturesOffTheGuiThread)
{
    service.serveResults(1, 40, 120);
    auto image = std::make_shared<Image>(service.server.url(QStringLiteral("/full/0")).toString(),
        service.server.url(QStringLiteral("/thumb/0")).toString());
    Loaded thumb;
    image->load(ImageType::lowRes, into(thumb));
    ASSERT_TRUE(QTest::qWaitFor([&] { return thumb.done.load(); }, 5000));
    EXPECT_FALSE(thumb.onGuiThread);
    EXPECT_EQ(thumb.image.size(), QSize(40, 40));
    EXPECT_EQ(image->lowResImage().size(), QSize(40, 40));
    EXPECT_TRUE(image->highResImage().isNull());
    Loaded full;
    image->load(ImageType::highRes, into(full));
    ASSERT_TRUE(QTest::qWaitFor([&] { return full.done.load(); }, 5000));
    EXPECT_EQ(image->highResImage().size(), QSize(120, 120));
}

TEST_F(ImageTest, AddressesThatAreNoWebUrlCompleteAtOnceWithoutARequest)
{
    for (const QString &address : { QString(), QStringLiteral("not a url"), QStringLiteral("file:///etc/passwd"),
             QStringLiteral("ftp://127.0.0.1/x.png"), QStringLiteral("http://") }) {
        SCOPED_TRACE(address.toStdString());
        auto image = std::make_shared<Image>(address, address);
        Loaded loaded;
        image->load(ImageType::highRes, into(loaded));
        EXPECT_TRUE(loaded.done);
        EXPECT_TRUE(loaded.onGuiThread);
        EXPECT_TRUE(loaded.image.isNull());
    }
    QTest::qWait(0);
    EXPECT_TRUE(service.server.requests().isEmpty());
}

TEST_F(ImageTest, BadBodiesGiveNoPicture)
{
    struct Case
    {
        const char *name;
        std::function<LoopbackHttpServer::Response()> respond;
        // Data arrived (and clears the stored picture) or not (leaves it).
        bool clearsStored;
    };
    const Case cases[] = {
        { "HTML instead of a picture",
            [] {
                LoopbackHttpServer::Response r;
                r.body = "<html><body>Not found</body></html>";
                r.headers.append(std::make_pair(QByteArray("Content-Type"), QByteArray("text/html")));
                return r;
            },
            true },
        { "a truncated JPEG",
            [] {
                LoopbackHttpServer::Response r;
                r.body = jpeg(200).left(300);
                return r;
            },
            true },
        { "a 30000 x 30000 PNG",
            [] {
                LoopbackHttpServer::Response r;
                r.body = hugePng();
                return r;
            },
            true },
        { "a server that closes mid-body",
            [] {
                LoopbackHttpServer::Response r;
                r.body = jpeg(50).left(200);
                r.declaredLength = 100'000;
                return r;
            },
            false },
        { "a redirect to a file: URL",
            [] {
                LoopbackHttpServer::Response r;
                r.status = 302;
                r.headers.append(std::make_pair(QByteArray("Location"), QByteArray("file:///etc/passwd")));
                return r;
            },
            false },
        { "a body over the size cap",
            [] {
                LoopbackHttpServer::Response r;
                r.body = QByteArray(ImageDownloader::kMaximumBytes + 1024, 'x');
                return r;
            },
            false },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        service.server.handler = [&c](const LoopbackHttpServer::Request &) { return c.respond(); };
        auto image = std::make_shared<Image>(service.server.url(QStringLiteral("/full")).toString(), QString());
        image->setHighResImage(ArtworkServiceFixture::cover(0, 8));
        Loaded loaded;
        image->load(ImageType::highRes, into(loaded));
        ASSERT_TRUE(QTest::qWaitFor([&] { return loaded.done.load(); }, 10000));
        EXPECT_TRUE(loaded.image.isNull());
        EXPECT_EQ(image->highResImage().isNull(), c.clearsStored);
    }
}

TEST_F(ImageTest, AServerThatNeverAnswersTimesOut)
{
    service.server.handler = [](const LoopbackHttpServer::Request &) {
        LoopbackHttpServer::Response r;
        r.silent = true;
        return r;
    };
    ImageDownloader &downloader = ImageDownloader::shared();
    const int before = downloader.timeoutMilliseconds();
    downloader.setTimeoutMilliseconds(300);
    auto image = std::make_shared<Image>(QString(), service.server.url(QStringLiteral("/thumb/0")).toString());
    Loaded loaded;
    image->load(ImageType::lowRes, into(loaded));
    const bool done = QTest::qWaitFor([&] { return loaded.done.load(); }, 10000);
    downloader.setTimeoutMilliseconds(before);
    ASSERT_TRUE(done);
    EXPECT_TRUE(loaded.image.isNull());
}

TEST_F(ImageTest, AResultReleasedDuringItsDownloadStillCompletes)
{
    service.serveResults(1, 30, 30);
    auto image = std::make_shared<Image>(QString(), service.server.url(QStringLiteral("/thumb/0")).toString());
    Loaded loaded;
    image->load(ImageType::lowRes, into(loaded));
    image.reset();
    ASSERT_TRUE(QTest::qWaitFor([&] { return loaded.done.load(); }, 5000));
    EXPECT_EQ(loaded.image.size(), QSize(30, 30));
}

TEST(ImageCellTest, IndicatorShowsOnlyWhileItAnimatesAndReuseClearsTheCell)
{
    ImageCell cell;
    ImageActivityIndicatorView *indicator = cell.activityIndicator();
    EXPECT_TRUE(indicator->isHidden());
    indicator->startAnimating();
    EXPECT_FALSE(indicator->isHidden());
    indicator->stopAnimating();
    EXPECT_TRUE(indicator->isHidden());

    Image result { QString(), QString() };
    cell.setRepresentedResult(&result);
    cell.configure(ArtworkServiceFixture::cover(0, 10));
    indicator->startAnimating();
    cell.prepareForReuse();
    EXPECT_TRUE(cell.imageView()->image().isNull());
    EXPECT_EQ(cell.representedResult(), nullptr);
    EXPECT_TRUE(indicator->isHidden());
}
