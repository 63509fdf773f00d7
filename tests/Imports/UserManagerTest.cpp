// The web-service client against a loopback HTTP server made by the test.
#include "App/UserManager.h"

#include "App/Constants.h"
#include "App/QueryOperation.h"
#include "Support/LoopbackHttpServer.h"
#include "Platform/Dispatch.h"
#include "Platform/OperationQueue.h"
#include "Support/FakeAlertPresenter.h"

#include <QFile>
#include <QNetworkAccessManager>
#include <QProcess>
#include <QSignalSpy>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace tarnik {
namespace {

using testing::LoopbackHttpServer;
using Response = LoopbackHttpServer::Response;

struct Outcome
{
    int calls = 0;
    std::optional<QVariantMap> reply;
    std::optional<UserManagerError> error;
    bool onGuiThread = false;
};

UserManager::QueryCompletion recorder(const std::shared_ptr<Outcome> &outcome)
{
    return [outcome](const std::optional<QVariantMap> &reply, const std::optional<UserManagerError> &error) {
        ++outcome->calls;
        outcome->reply = reply;
        outcome->error = error;
        outcome->onGuiThread = Dispatch::isMainThread();
    };
}

// Waits for the completion, then lets queued events run so a second call would show.
Outcome awaitOutcome(const std::shared_ptr<Outcome> &outcome)
{
    EXPECT_TRUE(QTest::qWaitFor([&] { return outcome->calls > 0; }, 20'000));
    QCoreApplication::processEvents();
    return *outcome;
}

UserManager::Configuration configuration(bool online = true)
{
    UserManager::Configuration configuration;
    configuration.serviceHost = QStringLiteral("127.0.0.1");
    configuration.serviceUser = QStringLiteral("tarnik-user");
    configuration.servicePassword = QStringLiteral("s3cret");
    configuration.isOnline = [online](const QUrl &) { return online; };
    return configuration;
}

Response json(const QByteArray &body, int status = 200)
{
    return { status, body, { { "Content-Type", "application/json" } }, false };
}

class UserManagerTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(server.listen()); }

    Outcome post(UserManager &manager, const QString &query = QStringLiteral("term=abc"))
    {
        auto outcome = std::make_shared<Outcome>();
        manager.postQuery(query, server.url().toString(), recorder(outcome));
        return awaitOutcome(outcome);
    }

    LoopbackHttpServer server;
};

TEST_F(UserManagerTest, AQueryPostsItsFieldsWithTheDeviceFieldsAndTheUserAgent)
{
    server.handler = [](const LoopbackHttpServer::Request &) { return json("{\"reply\":\"[]\",\"n\":2}"); };
    UserManager manager(configuration());
    const Outcome outcome = post(manager, QStringLiteral("term=blue%20sky"));

    ASSERT_EQ(server.requests().size(), 1);
    const LoopbackHttpServer::Request &request = server.requests().first();
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.target, "/query");
    const QString expectedBody = QStringLiteral("term=blue%20sky&bundle=") + Common::bundleIdentifier()
        + QStringLiteral("&os=") + Device::systemVersion() + QStringLiteral("&model=") + Device::modelIdentifier()
        + QStringLiteral("&version=2.0.1&local=") + Device::language();
    EXPECT_EQ(QString::fromUtf8(request.body), expectedBody);
    EXPECT_EQ(request.headers.value("user-agent"), QByteArray(Common::mobileUserAgent.data()));
    EXPECT_FALSE(request.headers.contains("authorization"));

    EXPECT_EQ(outcome.calls, 1);
    EXPECT_TRUE(outcome.onGuiThread);
    EXPECT_EQ(outcome.error, std::nullopt);
    EXPECT_EQ(
        outcome.reply, (QVariantMap { { QStringLiteral("reply"), QStringLiteral("[]") }, { QStringLiteral("n"), 2 } }));
}

TEST_F(UserManagerTest, TheRequestWaitsThirtySecondsAndNeverUsesACache)
{
    const QNetworkRequest request = UserManager().makeRequest(server.url());
    EXPECT_EQ(request.transferTimeout(), 30'000);
    EXPECT_EQ(request.attribute(QNetworkRequest::CacheLoadControlAttribute).toInt(), QNetworkRequest::AlwaysNetwork);
    EXPECT_EQ(request.rawHeader("User-Agent"), QByteArray(Common::mobileUserAgent.data()));
}

TEST_F(UserManagerTest, RepliesAreObjectsOrTheirError)
{
    struct Case
    {
        const char *name;
        Response response;
        std::optional<QVariantMap> reply;
        std::optional<UserManagerError> error;
    };
    const QList<Case> cases {
        { "empty object", json("{}"), QVariantMap(), std::nullopt },
        { "object after an error status", json("{\"x\":1}", 500), QVariantMap { { QStringLiteral("x"), 1 } },
            std::nullopt },
        { "array", json("[1,2]"), std::nullopt, UserManagerError::parsingError },
        { "text fragment", json("\"text\""), std::nullopt, UserManagerError::parsingError },
        { "not JSON", json("<html>"), std::nullopt, UserManagerError::parsingError },
        { "no data", json(""), std::nullopt, UserManagerError::nilDataError },
    };
    UserManager manager(configuration());
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        server.handler = [&](const LoopbackHttpServer::Request &) { return c.response; };
        const Outcome outcome = post(manager);
        EXPECT_EQ(outcome.calls, 1);
        EXPECT_EQ(outcome.reply, c.reply);
        EXPECT_EQ(outcome.error, c.error);
    }
}

TEST_F(UserManagerTest, FailedTransfersMapToTheirErrors)
{
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const QString refusedUrl = QStringLiteral("http://127.0.0.1:%1/query").arg(closed.serverPort());
    closed.close();

    struct Case
    {
        const char *name;
        bool online;
        UserManagerError expected;
    };
    for (const Case &c : { Case { "refused", true, UserManagerError::dataTaskError },
             Case { "refused while offline", false, UserManagerError::noInternetError } }) {
        SCOPED_TRACE(c.name);
        UserManager manager(configuration(c.online));
        auto outcome = std::make_shared<Outcome>();
        manager.postQuery(QStringLiteral("term=a"), refusedUrl, recorder(outcome));
        const Outcome result = awaitOutcome(outcome);
        EXPECT_EQ(result.calls, 1);
        EXPECT_EQ(result.reply, std::nullopt);
        EXPECT_EQ(result.error, c.expected);
    }
}

TEST_F(UserManagerTest, ASilentServerTimesOutAndACancelledQueryReportsOnce)
{
    server.handler = [](const LoopbackHttpServer::Request &) { return Response { 200, {}, {}, true }; };
    {
        SCOPED_TRACE("time-out");
        UserManager::Configuration shortWait = configuration();
        shortWait.timeoutMilliseconds = 300;
        UserManager manager(shortWait);
        const Outcome outcome = post(manager);
        EXPECT_EQ(outcome.calls, 1);
        EXPECT_EQ(outcome.error, UserManagerError::dataTaskError);
    }
    {
        SCOPED_TRACE("cancel");
        UserManager manager(configuration());
        QSignalSpy received(&server, &LoopbackHttpServer::requestReceived);
        auto outcome = std::make_shared<Outcome>();
        manager.postQuery(QStringLiteral("term=a"), server.url().toString(), recorder(outcome));
        ASSERT_TRUE(received.wait(10'000));
        EXPECT_EQ(outcome->calls, 0);
        manager.cancelQuery();
        const Outcome result = awaitOutcome(outcome);
        EXPECT_EQ(result.calls, 1);
        EXPECT_EQ(result.error, UserManagerError::dataTaskError);
        manager.cancelQuery(); // nothing left to cancel
        QCoreApplication::processEvents();
        EXPECT_EQ(outcome->calls, 1);
    }
}

TEST_F(UserManagerTest, AnAddressThatDoesNotParseFailsAtOnce)
{
    UserManager manager(configuration());
    for (const QString &url : { QString(), QStringLiteral("http://exa mple.com/%zz") }) {
        auto outcome = std::make_shared<Outcome>();
        manager.postQuery(QStringLiteral("term=a"), url, true, recorder(outcome));
        EXPECT_EQ(outcome->calls, 1) << url.toStdString();
        EXPECT_EQ(outcome->error, UserManagerError::unexpectedError);
    }
    EXPECT_TRUE(server.requests().isEmpty());
}

TEST_F(UserManagerTest, CompletionComesToTheGuiThreadFromAWorkerQuery)
{
    server.handler = [](const LoopbackHttpServer::Request &) { return json("{}"); };
    UserManager manager(configuration());
    auto outcome = std::make_shared<Outcome>();
    Dispatch::global([&manager, outcome, url = server.url().toString()] {
        manager.postQuery(QStringLiteral("term=a"), url, recorder(outcome));
    });
    const Outcome result = awaitOutcome(outcome);
    EXPECT_EQ(result.calls, 1);
    EXPECT_TRUE(result.onGuiThread);
    EXPECT_EQ(result.reply, QVariantMap());
}

// The service's host gets the credentials once; a second challenge means they
// were refused and ends the query. Other hosts never see them.
TEST_F(UserManagerTest, ServiceCredentialsAnswerOneChallengeOfTheServiceHost)
{
    const QByteArray expected = "Basic " + QByteArray("tarnik-user:s3cret").toBase64();
    const auto challenge = [](const LoopbackHttpServer::Request &) {
        return Response { 401, "{\"error\":\"auth\"}", { { "WWW-Authenticate", "Basic realm=\"tarnik\"" } }, false };
    };

    {
        SCOPED_TRACE("accepted");
        server.handler = [&](const LoopbackHttpServer::Request &request) {
            return request.headers.value("authorization") == expected ? json("{\"ok\":true}") : challenge(request);
        };
        UserManager manager(configuration());
        const Outcome outcome = post(manager);
        ASSERT_EQ(server.requests().size(), 2);
        EXPECT_FALSE(server.requests().at(0).headers.contains("authorization"));
        EXPECT_EQ(server.requests().at(1).headers.value("authorization"), expected);
        EXPECT_EQ(outcome.reply, (QVariantMap { { QStringLiteral("ok"), true } }));
    }
    {
        SCOPED_TRACE("refused");
        server.handler = challenge;
        const qsizetype before = server.requests().size();
        UserManager manager(configuration());
        const Outcome outcome = post(manager);
        EXPECT_EQ(server.requests().size() - before, 2);
        EXPECT_EQ(server.requests().last().headers.value("authorization"), expected);
        EXPECT_EQ(outcome.calls, 1);
        EXPECT_EQ(outcome.error, UserManagerError::dataTaskError);
    }
    {
        SCOPED_TRACE("another host");
        const qsizetype before = server.requests().size();
        UserManager::Configuration elsewhere = configuration();
        elsewhere.serviceHost = QStringLiteral("service.example");
        UserManager manager(elsewhere);
        const Outcome outcome = post(manager);
        EXPECT_EQ(server.requests().size() - before, 1);
        EXPECT_FALSE(server.requests().last().headers.contains("authorization"));
        EXPECT_EQ(outcome.reply, (QVariantMap { { QStringLiteral("error"), QStringLiteral("auth") } }));
    }
}

TEST_F(UserManagerTest, DigestChallengesGetTheCredentialsAndOtherSchemesDoNot)
{
    {
        SCOPED_TRACE("digest");
        server.handler = [](const LoopbackHttpServer::Request &request) {
            if (request.headers.value("authorization").startsWith("Digest "))
                return json("{\"ok\":true}");
            return Response { 401, "{}",
                { { "WWW-Authenticate", "Digest realm=\"tarnik\", nonce=\"abc\", qop=\"auth\"" } }, false };
        };
        UserManager manager(configuration());
        const Outcome outcome = post(manager);
        ASSERT_EQ(server.requests().size(), 2);
        EXPECT_TRUE(server.requests().at(1).headers.value("authorization").contains("username=\"tarnik-user\""));
        EXPECT_EQ(outcome.reply, (QVariantMap { { QStringLiteral("ok"), true } }));
    }
    {
        SCOPED_TRACE("NTLM");
        server.handler = [](const LoopbackHttpServer::Request &) {
            return Response { 401, "{\"error\":\"ntlm\"}", { { "WWW-Authenticate", "NTLM" } }, false };
        };
        const qsizetype before = server.requests().size();
        UserManager manager(configuration());
        const Outcome outcome = post(manager);
        // The transfer layer may open an anonymous NTLM handshake of its own;
        // the service's credentials never go into it.
        for (qsizetype i = before; i < server.requests().size(); ++i) {
            const QByteArray authorization = server.requests().at(i).headers.value("authorization");
            EXPECT_FALSE(authorization.startsWith("Basic ")) << authorization.constData();
            EXPECT_FALSE(QByteArray::fromBase64(authorization.mid(5)).contains("tarnik-user"));
        }
        EXPECT_EQ(outcome.reply, (QVariantMap { { QStringLiteral("error"), QStringLiteral("ntlm") } }));
    }
}

// A server certificate is checked by TLS as usual: an untrusted one ends the
// query before a single byte of it, credentials included, is sent.
TEST(UserManagerTlsTest, AnUntrustedCertificateEndsTheQueryBeforeAnythingIsSent)
{
    const QString openssl = QStandardPaths::findExecutable(QStringLiteral("openssl"));
    if (!QSslSocket::supportsSsl() || openssl.isEmpty())
        GTEST_SKIP() << "no TLS backend or no openssl command";
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString keyPath = folder.filePath(QStringLiteral("key.pem"));
    const QString certificatePath = folder.filePath(QStringLiteral("certificate.pem"));
    QProcess process;
    process.start(openssl,
        { QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"), QStringLiteral("rsa:2048"),
            QStringLiteral("-nodes"), QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1"), QStringLiteral("-days"),
            QStringLiteral("1"), QStringLiteral("-keyout"), keyPath, QStringLiteral("-out"), certificatePath });
    ASSERT_TRUE(process.waitForFinished(60'000));
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();

    QFile keyFile(keyPath);
    QFile certificateFile(certificatePath);
    ASSERT_TRUE(keyFile.open(QIODevice::ReadOnly) && certificateFile.open(QIODevice::ReadOnly));
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificate(QSslCertificate(certificateFile.readAll(), QSsl::Pem));
    tls.setPrivateKey(QSslKey(keyFile.readAll(), QSsl::Rsa, QSsl::Pem));
    QSslServer server;
    server.setSslConfiguration(tls);
    QByteArray received;
    QObject::connect(&server, &QTcpServer::pendingConnectionAvailable, &server, [&] {
        while (QTcpSocket *socket = server.nextPendingConnection())
            QObject::connect(
                socket, &QTcpSocket::readyRead, socket, [&received, socket] { received += socket->readAll(); });
    });
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));

    UserManager manager(configuration());
    auto outcome = std::make_shared<Outcome>();
    manager.postQuery(QStringLiteral("term=a"), QStringLiteral("https://127.0.0.1:%1/query").arg(server.serverPort()),
        recorder(outcome));
    const Outcome result = awaitOutcome(outcome);
    EXPECT_EQ(result.calls, 1);
    EXPECT_EQ(result.error, UserManagerError::dataTaskError);
    EXPECT_TRUE(received.isEmpty()) << received.constData();
}

TEST(UserManagerAlertTest, AlertsUseTheErrorsTextsUnlessGivenOthers)
{
    auto fake = std::make_shared<testing::FakeAlertPresenter>();
    ViewController *tabs = fake->makeScreen(testing::FakeAlertPresenter::Kind::tabBar);
    fake->setSelected(tabs, fake->makeScreen());
    fake->setRoot(tabs);
    setAlertPresenter(fake);
    UserManager::showAlert(UserManagerError::noInternetError);
    UserManager::showAlert(UserManagerError::parsingError, QStringLiteral("Own title"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return fake->alerts().size() == 2; }, 5'000));
    setAlertPresenter(nullptr);
    EXPECT_EQ(fake->alerts().at(0).title, QStringLiteral("Active Connection Required"));
    EXPECT_EQ(fake->alerts().at(0).message,
        QStringLiteral("Please make sure you are connected to the internet before you proceed."));
    EXPECT_EQ(fake->alerts().at(1).title, QStringLiteral("Own title"));
    EXPECT_EQ(fake->alerts().at(1).message, QStringLiteral("Failed to properly parse received data."));
}

TEST(UserManagerSharedTest, TheSharedClientIsMadeOnceAndCanBeReplaced)
{
    const auto first = UserManager::shared();
    EXPECT_EQ(UserManager::shared(), first);
    auto replacement = std::make_shared<UserManager>(configuration());
    UserManager::setShared(replacement);
    EXPECT_EQ(UserManager::shared(), replacement);
    UserManager::setShared(nullptr);
    EXPECT_NE(UserManager::shared(), nullptr);
}

TEST_F(UserManagerTest, AQueryOperationDecodesItsReplyAndCanBeCancelled)
{
    server.handler = [](const LoopbackHttpServer::Request &) { return json("{\"a\":\"b\"}"); };
    QNetworkAccessManager session;
    const UserManager manager(configuration());
    OperationQueue queue(QStringLiteral("QueryQueue"), 1);

    auto operation = std::make_shared<QueryOperation>(&session, manager.makeRequest(server.url()), "term=x");
    auto outcome = std::make_shared<Outcome>();
    operation->setCompletionHandler(recorder(outcome));
    ASSERT_TRUE(operation->taskIdentifier().has_value());
    queue.addOperation(operation);
    const Outcome result = awaitOutcome(outcome);
    EXPECT_EQ(result.reply, (QVariantMap { { QStringLiteral("a"), QStringLiteral("b") } }));
    EXPECT_TRUE(result.onGuiThread);
    ASSERT_EQ(server.requests().size(), 1);
    EXPECT_EQ(server.requests().first().body, "term=x");

    auto cancelled = std::make_shared<QueryOperation>(&session, manager.makeRequest(server.url()), "term=y");
    EXPECT_NE(cancelled->taskIdentifier(), operation->taskIdentifier());
    auto cancelledOutcome = std::make_shared<Outcome>();
    cancelled->setCompletionHandler(recorder(cancelledOutcome));
    cancelled->cancel();
    queue.addOperation(cancelled);
    const Outcome cancelledResult = awaitOutcome(cancelledOutcome);
    EXPECT_EQ(cancelledResult.calls, 1);
    EXPECT_EQ(cancelledResult.error, UserManagerError::dataTaskError);
    EXPECT_EQ(server.requests().size(), 1);
}

} // namespace
} // namespace tarnik
