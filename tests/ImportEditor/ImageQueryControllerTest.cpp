#include "ImportEditor/ImageQueryController.h"

#include "App/ScreenAlertPresenter.h"
#include "ImportEditor/ImageCell.h"
#include "ImportEditor/ImageQueryControllerDelegate.h"
#include "ImportEditor/ImageViewerController.h"
#include "Platform/UI/BarButtonItem.h"
#include "Platform/UI/NavigationController.h"
#include "Platform/UI/NavigationItem.h"
#include "Support/ArtworkServiceFixture.h"
#include "Support/UiTestSupport.h"

#include <QAbstractButton>
#include <QTest>
#include <gtest/gtest.h>
#include <algorithm>

using namespace tarnik;
using tarnik::testing::ArtworkServiceFixture;
using tarnik::testing::LoopbackHttpServer;

namespace {

class RecordingAlerts : public ScreenAlertPresenter
{
public:
    QStringList alerts;
    void presentAlert(ViewController *presenter, const QString &title, const QString &message,
        const AlertAction &action, AlertActionHandler handler) override
    {
        alerts << title + QLatin1Char('|') + message;
        ScreenAlertPresenter::presentAlert(presenter, title, message, action, std::move(handler));
    }
};

class Editor : public ViewController, public ImageQueryControllerDelegate
{
public:
    QList<QImage> chosen;
    int cancels = 0;
    void imageQueryControllerDidCancel(ImageQueryController *) override { ++cancels; }
    void imageQueryController(ImageQueryController *controller, const QImage &image) override
    {
        chosen.append(image);
        controller->dismiss(true);
    }
};

} // namespace

TEST(ImageQueryControllerColumnsTest, ColumnsPerDevice)
{
    struct Case
    {
        bool pad, portrait, regular, tallPhone;
        double columns;
    };
    const Case cases[] = {
        { true, true, false, false, 3 },
        { true, false, false, false, 4 },
        { true, false, true, false, 4 },
        { false, true, false, false, 3 },
        { false, false, true, false, 4 },
        { false, false, false, true, 4 },
        { false, true, false, true, 3 },
        { false, false, false, false, 3 },
    };
    for (const Case &c : cases)
        EXPECT_EQ(ImageQueryController::columns(c.pad, c.portrait, c.regular, c.tallPhone), c.columns)
            << c.pad << c.portrait << c.regular << c.tallPhone;
}

class ImageQueryControllerTest : public test::ScreenTest
{
protected:
    void SetUp() override
    {
        ScreenTest::SetUp();
        alerts = std::make_shared<RecordingAlerts>();
        setAlertPresenter(alerts);
    }
    void TearDown() override
    {
        ScreenTest::TearDown();
        setAlertPresenter(nullptr);
    }
    ImageQueryController *open(const std::optional<QString> &term, UserInterfaceIdiom idiom = UserInterfaceIdiom::phone)
    {
        makeWindow(idiom);
        editor = new Editor;
        window->setRootViewController(editor);
        auto *search = new ImageQueryController;
        search->setDelegate(editor);
        search->setSearchTerm(term);
        editor->present(new NavigationController(search), true);
        settle();
        return search;
    }
    // Runs the event loop and the animation clock until `done` holds.
    bool waitFor(const std::function<bool()> &done)
    {
        return QTest::qWaitFor(
            [&] {
                advance(0.05);
                return done();
            },
            10000);
    }

    ArtworkServiceFixture service;
    std::shared_ptr<RecordingAlerts> alerts;
    Editor *editor = nullptr;
};

TEST_F(ImageQueryControllerTest, FindsCoversOpensOneAndHandsThePickedPictureBack)
{
    service.serveResults(5);
    ImageQueryController *search = open(QStringLiteral("Abba Gold"));
    ASSERT_TRUE(waitFor([&] { return search->title() == QStringLiteral("5 Covers"); }));
    EXPECT_TRUE(service.server.requests().first().body.startsWith("term=Abba+Gold+albums"));
    EXPECT_TRUE(search->noticeLabel()->isHidden());
    CollectionView *grid = search->collectionView();
    ASSERT_TRUE(waitFor([&] {
        const QList<CollectionViewCell *> cells = grid->visibleCells();
        return cells.size() == 5 && std::all_of(cells.begin(), cells.end(), [](CollectionViewCell *cell) {
            return !static_cast<ImageCell *>(cell)->imageView()->image().isNull();
        });
    }));
    // Three squares a row on a phone in portrait, 2 points apart.
    const double side = (375.0 - 4.0) / 3.0;
    EXPECT_DOUBLE_EQ(search->itemSide(), side);
    EXPECT_NEAR(grid->frameForItem(IndexPath(1, 0))->x(), side + 2.0, 1.0);
    EXPECT_NEAR(grid->frameForItem(IndexPath(3, 0))->y(), side + 2.0, 1.0);

    grid->delegate()->didSelectItem(grid, IndexPath(2, 0));
    auto *cell = static_cast<ImageCell *>(grid->cellForItem(IndexPath(2, 0)));
    EXPECT_FALSE(cell->activityIndicator()->isHidden());
    ImageViewerController *viewer = nullptr;
    ASSERT_TRUE(waitFor([&] {
        viewer = qobject_cast<ImageViewerController *>(search->presentedViewController());
        return viewer != nullptr;
    }));
    settle();
    EXPECT_TRUE(cell->activityIndicator()->isHidden());
    EXPECT_EQ(viewer->image().size(), QSize(300, 300));
    EXPECT_EQ(viewer->sourceImageView(), cell->imageView());
    ASSERT_FALSE(viewer->selectButton()->isHidden());
    viewer->selectButton()->click();
    settle();
    ASSERT_EQ(editor->chosen.size(), 1);
    EXPECT_EQ(editor->chosen.first().size(), QSize(300, 300));
    EXPECT_EQ(editor->presentedViewController(), nullptr);
}

TEST_F(ImageQueryControllerTest, OneResultTitlesOneCoverAndAPadShowsMoreColumns)
{
    service.serveResults(1);
    ImageQueryController *search = open(QStringLiteral("x"), UserInterfaceIdiom::pad);
    ASSERT_TRUE(waitFor([&] { return search->title() == QStringLiteral("1 Covers"); }));
    EXPECT_EQ(search->numberOfColumns(), 3.0);
    window->resize(1024, 768);
    DeviceProfile::setOverride(DeviceProfile::Override { UserInterfaceIdiom::pad, QSizeF(1024, 768) });
    EXPECT_EQ(search->numberOfColumns(), 4.0);
}

TEST_F(ImageQueryControllerTest, ErrorsShowTheirNoticeAndAnEmptyTitle)
{
    struct Case
    {
        const char *body;
        const char *notice;
    };
    const Case cases[] = {
        { R"({"reply":4445})", "Your search query returned no results." },
        { R"({"reply":4446})", "Please type a keywork to start your search." },
        { "<html></html>", "Failed to properly parse received data." },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.body);
        service.server.handler = [&c](const LoopbackHttpServer::Request &) {
            LoopbackHttpServer::Response response;
            response.body = c.body;
            return response;
        };
        ImageQueryController *search = open(QStringLiteral("abba"));
        ASSERT_TRUE(waitFor([&] { return search->noticeLabel()->isVisible(); }));
        EXPECT_EQ(search->noticeLabel()->text(), QString::fromUtf8(c.notice));
        EXPECT_EQ(search->title(), QString());
        EXPECT_EQ(search->collectionView()->numberOfItems(0), 0);
        window.reset();
    }
}

TEST_F(ImageQueryControllerTest, WithoutAServiceTheNoticeSaysWhy)
{
    qputenv("TARNIK_SERVICE_URL", "");
    ImageQueryController *search = open(QStringLiteral("abba"));
    ASSERT_TRUE(waitFor([&] { return search->noticeLabel()->isVisible(); }));
    EXPECT_EQ(search->noticeLabel()->text(), QStringLiteral("An unexpected error occurred."));
}

TEST_F(ImageQueryControllerTest, NoTermIsRefusedWithAnAlertAndAnEmptyOneReachesTheService)
{
    ImageQueryController *search = open(std::nullopt);
    ASSERT_TRUE(waitFor([&] { return !alerts->alerts.isEmpty(); }));
    EXPECT_EQ(alerts->alerts.first(), QStringLiteral("Error Occurred|Search term is empty."));
    EXPECT_TRUE(service.server.requests().isEmpty());
    search->setSearchTerm(QString());
    ASSERT_TRUE(waitFor([&] { return search->noticeLabel()->isVisible(); }));
    EXPECT_EQ(search->noticeLabel()->text(), QStringLiteral("Please type a keywork to start your search."));
}

TEST_F(ImageQueryControllerTest, ASupersededSearchIsIgnoredAndSuccessHidesTheNotice)
{
    int queries = 0;
    service.server.handler = [&](const LoopbackHttpServer::Request &request) {
        LoopbackHttpServer::Response response;
        if (request.target.startsWith("/query")) {
            ++queries;
            response.silent = queries == 2; // the second search hangs until it is replaced
            response.body = queries == 1 ? QByteArray(R"({"reply":4445})") : service.resultsReply(2);
        } else {
            response.body = ArtworkServiceFixture::png(ArtworkServiceFixture::cover(0, 20));
        }
        return response;
    };
    ImageQueryController *search = open(QStringLiteral("first"));
    ASSERT_TRUE(waitFor([&] { return search->noticeLabel()->isVisible(); }));
    search->setSearchTerm(QStringLiteral("second"));
    ASSERT_TRUE(waitFor([&] { return queries == 2; }));
    search->setSearchTerm(QStringLiteral("third"));
    ASSERT_TRUE(waitFor([&] { return search->title() == QStringLiteral("2 Covers"); }));
    // The cancelled second search ends with an error that shows nowhere.
    for (int i = 0; i < 5; ++i)
        QTest::qWait(10);
    EXPECT_TRUE(search->noticeLabel()->isHidden());
    EXPECT_EQ(search->title(), QStringLiteral("2 Covers"));
}

TEST_F(ImageQueryControllerTest, SearchBarSlidesInOnceAndItsReturnSearches)
{
    service.serveResults(2);
    ImageQueryController *search = open(QStringLiteral("abba"));
    ASSERT_TRUE(waitFor([&] { return search->title() == QStringLiteral("2 Covers"); }));
    EXPECT_EQ(search->searchViewHeightConstant(), 0.0);
    ASSERT_NE(search->navigationItem()->rightBarButtonItem(), nullptr);
    search->searchIconTapped();
    EXPECT_TRUE(search->isAnimating());
    search->searchIconTapped(); // ignored while the bar slides
    settle();
    EXPECT_FALSE(search->isAnimating());
    EXPECT_EQ(search->searchViewHeightConstant(), search->searchViewHeight());
    EXPECT_EQ(search->navigationItem()->rightBarButtonItem(), nullptr);
    EXPECT_TRUE(search->tapGestureView()->isVisible());
    service.serveResults(4);
    QTest::keyClicks(search->searchTextField(), QStringLiteral("Queen"));
    QTest::keyClick(search->searchTextField(), Qt::Key_Return);
    ASSERT_TRUE(waitFor([&] { return search->title() == QStringLiteral("4 Covers"); }));
    settle();
    EXPECT_EQ(search->searchViewHeightConstant(), 0.0);
    EXPECT_TRUE(search->searchTextField()->text().isEmpty());
    // The covers' pictures are fetched from the same server once the results are in, so the
    // search is not necessarily the last request it saw.
    const auto requests = service.server.requests();
    EXPECT_TRUE(std::any_of(requests.begin(), requests.end(), [](const LoopbackHttpServer::Request &request) {
        return request.body.startsWith("term=Queen+albums");
    }));
}

TEST_F(ImageQueryControllerTest, CancelDismissesDuringASearch)
{
    service.server.handler = [](const LoopbackHttpServer::Request &) {
        LoopbackHttpServer::Response response;
        response.silent = true;
        return response;
    };
    ImageQueryController *search = open(QStringLiteral("abba"));
    QPointer<ImageQueryController> guard(search);
    search->cancelButtonTapped();
    settle();
    EXPECT_EQ(editor->presentedViewController(), nullptr);
    for (int i = 0; i < 5; ++i)
        QTest::qWait(10);
    EXPECT_EQ(editor->cancels, 0);
}
