// Draws the artwork search and the image viewer for the documentation into
// the folder TARNIK_ARTWORK_SCREENSHOTS names, searching a loopback stand-in
// that serves the covers in TARNIK_ARTWORK_COVERS
// (docs/screenshots/take-artwork-search.sh runs it and sets both).

#include "ImportEditor/ImageCell.h"
#include "ImportEditor/ImageQueryController.h"
#include "ImportEditor/ImageQueryControllerDelegate.h"
#include "ImportEditor/ImageViewerController.h"
#include "Platform/UI/NavigationController.h"
#include "Support/AppWindow.h"
#include "Support/ArtworkServiceFixture.h"
#include "Support/UiTestSupport.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <gtest/gtest.h>

using namespace tarnik;
using tarnik::testing::ArtworkServiceFixture;
using tarnik::testing::LoopbackHttpServer;

namespace {

class Presenter : public ViewController, public ImageQueryControllerDelegate
{
public:
    void imageQueryControllerDidCancel(ImageQueryController *controller) override { controller->dismiss(true); }
    void imageQueryController(ImageQueryController *controller, const QImage &) override { controller->dismiss(true); }
};

using ArtworkSearchScreenshot = test::ScreenTest;

TEST_F(ArtworkSearchScreenshot, Take)
{
    const QString target = qEnvironmentVariable("TARNIK_ARTWORK_SCREENSHOTS");
    const QString covers = qEnvironmentVariable("TARNIK_ARTWORK_COVERS");
    if (target.isEmpty() || covers.isEmpty())
        FAIL() << "set TARNIK_ARTWORK_SCREENSHOTS and TARNIK_ARTWORK_COVERS to take the pictures";
    const QStringList files = QDir(covers).entryList({ QStringLiteral("*.png") }, QDir::Files, QDir::Name);
    ASSERT_FALSE(files.isEmpty());

    ArtworkServiceFixture service;
    service.server.handler = [&](const LoopbackHttpServer::Request &request) {
        LoopbackHttpServer::Response response;
        const QByteArray path = request.target;
        if (path.startsWith("/query")) {
            response.body = service.resultsReply(int(files.size()));
        } else {
            const int index = path.mid(path.lastIndexOf('/') + 1).toInt();
            QFile file(covers + QLatin1Char('/') + files.value(index));
            if (file.open(QIODevice::ReadOnly))
                response.body = file.readAll();
            else
                response.status = 404;
        }
        return response;
    };

    window = test::openWindowAsTheApp();
    auto *presenter = new Presenter;
    window->setRootViewController(presenter);
    auto *search = new ImageQueryController;
    search->setDelegate(presenter);
    search->setSearchTerm(QStringLiteral("Northern Lights"));
    presenter->present(new NavigationController(search), true);
    const auto waitFor = [&](const std::function<bool()> &done) {
        return QTest::qWaitFor(
            [&] {
                advance(0.05);
                return done();
            },
            15000);
    };
    ASSERT_TRUE(waitFor([&] {
        const QList<CollectionViewCell *> cells = search->collectionView()->visibleCells();
        return !cells.isEmpty() && std::all_of(cells.begin(), cells.end(), [](CollectionViewCell *cell) {
            return !static_cast<ImageCell *>(cell)->imageView()->image().isNull();
        });
    }));
    settle();
    QTest::qWait(50);
    ASSERT_TRUE(window->grab().save(target + QStringLiteral("/artwork-search.png")));

    search->collectionView()->delegate()->didSelectItem(search->collectionView(), IndexPath(6, 0));
    ASSERT_TRUE(waitFor([&] { return qobject_cast<ImageViewerController *>(search->presentedViewController()); }));
    settle();
    QTest::qWait(50);
    ASSERT_TRUE(window->grab().save(target + QStringLiteral("/image-viewer.png")));
}

} // namespace
