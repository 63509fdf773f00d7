#include "ImportEditor/ImageQueryService.h"

#include "Support/ArtworkServiceFixture.h"

#include <QJsonDocument>
#include <QTest>
#include <gtest/gtest.h>

using namespace tarnik;
using tarnik::testing::ArtworkServiceFixture;
using tarnik::testing::LoopbackHttpServer;

namespace {

struct Outcome
{
    bool called = false;
    std::optional<ImageList> results;
    std::optional<UserManagerError> error;
    std::optional<QString> title;
    std::optional<QString> message;
};

LoopbackHttpServer::Response answer(const QByteArray &body)
{
    LoopbackHttpServer::Response response;
    response.body = body;
    return response;
}

ImageSearchCompletion recordInto(Outcome &outcome)
{
    return [&outcome](const std::optional<ImageList> &results, const std::optional<UserManagerError> &error,
               const std::optional<QString> &title, const std::optional<QString> &message) {
        outcome = { true, results, error, title, message };
    };
}

QVariantMap replyObject(const QByteArray &json)
{
    return QJsonDocument::fromJson(json).object().toVariantMap();
}

} // namespace

TEST(ImageQueryServiceTest, CleanedUpTerms)
{
    const std::pair<QString, QString> cases[] = {
        { QStringLiteral("North Wind/Live"), QStringLiteral("North+Wind-Live+albums") },
        { QStringLiteral("100%"), QStringLiteral("100%25+albums") },
        { QStringLiteral(" "), QStringLiteral("++albums") },
        { QStringLiteral("a%20b"), QStringLiteral("a%20b+albums") },
        { QStringLiteral("a b"), QStringLiteral("a+b+albums") },
        { QStringLiteral("a&b=c"), QStringLiteral("a&b=c+albums") },
        { QStringLiteral("x\ty\nz"), QStringLiteral("x+y+z+albums") },
        { QStringLiteral("Bj\u00f6rk"), QStringLiteral("Bj%C3%B6rk+albums") },
        { QStringLiteral("A\u2013B"), QStringLiteral("A-B+albums") },
        { QStringLiteral("a?b#c\"d"), QStringLiteral("a%3Fb%23c%22d+albums") },
        { QStringLiteral("[x]:(y)!"), QStringLiteral("[x]:(y)!+albums") },
    };
    for (const auto &[term, expected] : cases)
        EXPECT_EQ(ImageQueryService::cleanedUp(term), expected) << term.toStdString();
}

TEST(ImageQueryServiceTest, ReplyShapes)
{
    struct Case
    {
        const char *reply;
        int results;
        std::optional<UserManagerError> error;
    };
    const Case cases[] = {
        { R"({"reply":4445})", 0, UserManagerError::emptyResultsError },
        { R"({"reply":4446})", 0, UserManagerError::queryTermError },
        { R"({"reply":2})", 0, UserManagerError::dataTaskError },
        { R"({"reply":7})", 0, UserManagerError::emptyResultsError },
        { R"({"reply":4445.5})", 0, UserManagerError::emptyResultsError },
        { R"({"reply":true})", 0, UserManagerError::emptyResultsError },
        { R"({})", 0, UserManagerError::emptyResultsError },
        { R"({"reply":"[]"})", 0, UserManagerError::emptyResultsError },
        { R"({"reply":"not json"})", 0, UserManagerError::emptyResultsError },
        { R"({"reply":"{\"imgUrl\":\"a\",\"thumbUrl\":\"b\"}"})", 0, UserManagerError::emptyResultsError },
        { R"({"reply":"[1,2]"})", 0, UserManagerError::emptyResultsError },
        { R"({"reply":"[{\"imgUrl\":\"a\",\"thumbUrl\":\"b\",\"size\":3}]"})", 0, UserManagerError::emptyResultsError },
        { R"({"reply":"[{\"imgUrl\":\"a\",\"thumbUrl\":\"b\",\"name\":\"x\"}]"})", 1, std::nullopt },
        { R"({"reply":"[{\"imgUrl\":\"a\"}]"})", 0, UserManagerError::emptyResultsError },
        { R"({"reply":["a"]})", 0, UserManagerError::emptyResultsError },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.reply);
        ImageQueryService service;
        Outcome outcome;
        service.updateSearchResults(replyObject(c.reply), recordInto(outcome));
        ASSERT_TRUE(outcome.called);
        ASSERT_TRUE(outcome.results.has_value());
        EXPECT_EQ(outcome.results->size(), c.results);
        EXPECT_EQ(service.images().size(), c.results);
        EXPECT_EQ(outcome.error, c.error);
    }
}

TEST(ImageQueryServiceTest, ResultsKeepReplyOrderAndSkipIncompleteObjects)
{
    ImageQueryService service;
    Outcome outcome;
    service.updateSearchResults(
        replyObject(R"({"title":"T","message":7,"reply":"[{\"imgUrl\":\"i1\",\"thumbUrl\":\"t1\"},)"
                    R"({\"imgUrl\":\"i2\"},{\"imgUrl\":\"i3\",\"thumbUrl\":\"t3\"}]"})"),
        recordInto(outcome));
    ASSERT_EQ(outcome.results->size(), 2);
    EXPECT_EQ(outcome.results->at(0)->imgUrl, QStringLiteral("i1"));
    EXPECT_EQ(outcome.results->at(1)->thumbUrl, QStringLiteral("t3"));
    EXPECT_EQ(outcome.title, QStringLiteral("T"));
    EXPECT_EQ(outcome.message, std::nullopt); // not text
    EXPECT_EQ(outcome.error, std::nullopt);
    EXPECT_TRUE(outcome.results->at(0)->lowResImage().isNull());

    // The next reply starts from an empty list.
    service.updateSearchResults(replyObject(R"({"reply":4445,"message":"M"})"), recordInto(outcome));
    EXPECT_TRUE(service.images().isEmpty());
    EXPECT_EQ(outcome.message, QStringLiteral("M"));
}

class ImageQueryServiceNetworkTest : public ::testing::Test
{
protected:
    ArtworkServiceFixture service;
};

TEST_F(ImageQueryServiceNetworkTest, AnEmptyTermAnswersAtOnceWithoutARequest)
{
    ImageQueryService query;
    Outcome outcome;
    query.fetchImages(QString(), recordInto(outcome));
    ASSERT_TRUE(outcome.called);
    EXPECT_FALSE(outcome.results.has_value());
    EXPECT_EQ(outcome.error, UserManagerError::queryTermError);
    QTest::qWait(0);
    EXPECT_TRUE(service.server.requests().isEmpty());
}

TEST_F(ImageQueryServiceNetworkTest, PostsTheCleanedTermAndReadsTheResults)
{
    service.serveResults(3);
    ImageQueryService query;
    Outcome outcome;
    query.fetchImages(QStringLiteral(" "), recordInto(outcome));
    ASSERT_TRUE(QTest::qWaitFor([&] { return outcome.called; }, 5000));
    ASSERT_EQ(service.server.requests().size(), 1);
    EXPECT_EQ(service.server.requests().at(0).method, "POST");
    EXPECT_TRUE(service.server.requests().at(0).body.startsWith("term=++albums&"))
        << service.server.requests().at(0).body.toStdString();
    ASSERT_TRUE(outcome.results.has_value());
    EXPECT_EQ(outcome.results->size(), 3);
    EXPECT_EQ(outcome.error, std::nullopt);
}

TEST_F(ImageQueryServiceNetworkTest, BadRepliesEndInTheirErrors)
{
    struct Case
    {
        const char *name;
        std::function<LoopbackHttpServer::Response()> respond;
        std::optional<UserManagerError> error;
        bool results;
    };
    const Case cases[] = {
        { "not JSON", [] { return answer("<html>nope</html>"); }, UserManagerError::parsingError, false },
        { "empty body", [] { return answer(""); }, UserManagerError::nilDataError, false },
        { "10,000 levels deep", [] { return answer(QByteArray(10'000, '[') + QByteArray(10'000, ']')); },
            UserManagerError::parsingError, false },
        { "50 MB long",
            [] {
                QByteArray body = R"({"padding":")" + QByteArray(50 * 1024 * 1024, 'x') + R"(","reply":4445})";
                return answer(body);
            },
            UserManagerError::emptyResultsError, true },
        { "closes mid-body",
            [] {
                LoopbackHttpServer::Response response = answer(R"({"reply":)");
                response.declaredLength = 4000;
                return response;
            },
            UserManagerError::dataTaskError, false },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        service.server.handler = [&c](const LoopbackHttpServer::Request &) { return c.respond(); };
        ImageQueryService query;
        Outcome outcome;
        query.fetchImages(QStringLiteral("abba"), recordInto(outcome));
        ASSERT_TRUE(QTest::qWaitFor([&] { return outcome.called; }, 20000));
        EXPECT_EQ(outcome.error, c.error);
        EXPECT_EQ(outcome.results.has_value(), c.results);
    }
}

TEST_F(ImageQueryServiceNetworkTest, ANewSearchCancelsTheOneInFlight)
{
    int served = 0;
    service.server.handler = [&](const LoopbackHttpServer::Request &) {
        LoopbackHttpServer::Response response;
        response.silent = served++ == 0; // the first never answers
        response.body = R"({"reply":4445})";
        return response;
    };
    ImageQueryService query;
    QStringList order;
    Outcome first;
    Outcome second;
    query.fetchImages(QStringLiteral("one"), [&](auto &&...args) {
        recordInto(first)(args...);
        order << QStringLiteral("first");
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return service.server.requests().size() == 1; }, 5000));
    query.fetchImages(QStringLiteral("two"), [&](auto &&...args) {
        recordInto(second)(args...);
        order << QStringLiteral("second");
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return second.called; }, 5000));
    EXPECT_EQ(order, (QStringList { QStringLiteral("first"), QStringLiteral("second") }));
    EXPECT_EQ(first.error, UserManagerError::dataTaskError);
    EXPECT_EQ(second.error, UserManagerError::emptyResultsError);
}

TEST_F(ImageQueryServiceNetworkTest, NoServiceConfiguredIsAnError)
{
    qputenv("TARNIK_SERVICE_URL", "");
    ImageQueryService query;
    Outcome outcome;
    query.fetchImages(QStringLiteral("abba"), recordInto(outcome));
    ASSERT_TRUE(QTest::qWaitFor([&] { return outcome.called; }, 5000));
    EXPECT_FALSE(outcome.results.has_value());
    ASSERT_TRUE(outcome.error.has_value());
}
