// The companion-service client against a real peer on the test's private bus.
#include "App/SaltrigUtils.h"

#include "Platform/Dispatch.h"
#include "Platform/Messaging/MessagingCenter.h"
#include "Platform/Messaging/SaltrigProtocol.h"
#include "SaltrigPeer.h"

#include <QByteArrayList>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QtConcurrent>
#include <gtest/gtest.h>

namespace tarnik {
namespace {

using testing::SaltrigPeer;

// Runs a blocking call on a worker while the GUI thread keeps serving the peer.
template<typename Function> auto onWorker(Function function)
{
    auto future = QtConcurrent::run(function);
    EXPECT_TRUE(QTest::qWaitFor([&] { return future.isFinished(); }, 30'000));
    return future.result();
}

class SaltrigUtilsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!testing::hasSessionBus())
            GTEST_SKIP() << "no session bus (run through scripts/test)";
        ASSERT_TRUE(peer.start());
    }

    // Something sent after `action` and seen by the peer proves, by the bus's
    // ordering, whether the action itself sent anything.
    void expectNothingSentBy(const std::function<void()> &action)
    {
        const qsizetype before = peer.received().size();
        action();
        onWorker([] { return SaltrigUtils::deviceIdentifier(); });
        ASSERT_EQ(peer.received().size(), before + 1);
        EXPECT_EQ(peer.received().last().userInfo.value(QStringLiteral("identifier")).toUInt(), 18u);
    }

    SaltrigPeer peer;
};

TEST_F(SaltrigUtilsTest, ImportRequestCarriesTheCodeAndTheItemsInOrder)
{
    const QList<QByteArray> items { QByteArrayLiteral("{\"bundleId\":\"b\"}"), QByteArrayLiteral("{\"path\":\"/a\"}"),
        QByteArrayLiteral("{\"path\":\"/b\"}") };
    EXPECT_TRUE(onWorker([items] { return SaltrigUtils::importItems(items); }));

    ASSERT_EQ(peer.received().size(), 1);
    const SaltrigPeer::Received &request = peer.received().first();
    EXPECT_EQ(request.signature, QStringLiteral("a{sv}"));
    const QMap<QString, QString> types { { QStringLiteral("identifier"), QStringLiteral("u") },
        { QStringLiteral("items"), QStringLiteral("aay") } };
    EXPECT_EQ(request.valueTypes, types);
    EXPECT_EQ(request.userInfo.value(QStringLiteral("identifier")).toUInt(), 21u);
    EXPECT_EQ(request.userInfo.value(QStringLiteral("items")).value<QByteArrayList>(), items);
}

TEST_F(SaltrigUtilsTest, EmptyImportAndCallsOnTheGuiThreadSendNothing)
{
    expectNothingSentBy([] { EXPECT_TRUE(onWorker([] { return SaltrigUtils::importItems({}); })); });
    // The GUI thread never waits on the bus: the blocking forms refuse there.
    expectNothingSentBy([] {
        EXPECT_FALSE(SaltrigUtils::importItems({ QByteArrayLiteral("{}") }));
        EXPECT_EQ(SaltrigUtils::deviceIdentifier(), std::nullopt);
    });
}

TEST_F(SaltrigUtilsTest, DeviceIdentifierReadsOnlyATextResult)
{
    struct Case
    {
        const char *name;
        SaltrigPeer::Mode mode;
        QVariantMap reply;
        std::optional<QString> expected;
    };
    const QList<Case> cases {
        { "text", SaltrigPeer::Mode::reply, { { QStringLiteral("result"), QStringLiteral("UDID-1") } },
            QStringLiteral("UDID-1") },
        { "number", SaltrigPeer::Mode::reply, { { QStringLiteral("result"), 42 } }, std::nullopt },
        { "missing", SaltrigPeer::Mode::reply, { { QStringLiteral("other"), QStringLiteral("x") } }, std::nullopt },
        { "error", SaltrigPeer::Mode::error, {}, std::nullopt },
        { "not a dictionary", SaltrigPeer::Mode::wrongShape, {}, std::nullopt },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        peer.mode = c.mode;
        peer.replyUserInfo = c.reply;
        EXPECT_EQ(onWorker([] { return SaltrigUtils::deviceIdentifier(); }), c.expected);
        ASSERT_FALSE(peer.received().isEmpty());
        const SaltrigPeer::Received &request = peer.received().last();
        EXPECT_EQ(
            request.valueTypes, (QMap<QString, QString> { { QStringLiteral("identifier"), QStringLiteral("u") } }));
        EXPECT_EQ(request.userInfo.value(QStringLiteral("identifier")).toUInt(), 18u);
    }
}

TEST_F(SaltrigUtilsTest, AnErrorOrAWrongReplyIsNoReplyForAnImport)
{
    for (const SaltrigPeer::Mode mode : { SaltrigPeer::Mode::error, SaltrigPeer::Mode::wrongShape }) {
        peer.mode = mode;
        EXPECT_FALSE(onWorker([] { return SaltrigUtils::importItems({ QByteArrayLiteral("{}") }); }));
    }
}

TEST_F(SaltrigUtilsTest, AMissingServiceIsNoReply)
{
    peer.stop();
    EXPECT_EQ(onWorker([] { return SaltrigUtils::deviceIdentifier(); }), std::nullopt);
    EXPECT_FALSE(onWorker([] { return SaltrigUtils::importItems({ QByteArrayLiteral("{}") }); }));
}

TEST_F(SaltrigUtilsTest, AServiceThatGoesAwayWithoutAnsweringIsNoReply)
{
    peer.mode = SaltrigPeer::Mode::withhold;
    QSignalSpy received(&peer, &SaltrigPeer::messageReceived);
    auto future = QtConcurrent::run([] { return SaltrigUtils::importItems({ QByteArrayLiteral("{}") }); });
    ASSERT_TRUE(received.wait(10'000));
    EXPECT_FALSE(future.isFinished());
    peer.stop();
    ASSERT_TRUE(QTest::qWaitFor([&] { return future.isFinished(); }, 10'000));
    EXPECT_FALSE(future.result());
}

TEST_F(SaltrigUtilsTest, AReplyThatNeverComesEndsWithTheTimeOut)
{
    peer.mode = SaltrigPeer::Mode::withhold;
    const auto reply = onWorker([] {
        auto center = MessagingCenter::centerNamed(SaltrigProtocol::serviceName);
        EXPECT_TRUE(center.has_value());
        EXPECT_EQ(center->replyTimeout(), 10'000);
        center->setReplyTimeout(200);
        return center->sendMessageAndReceiveReply(
            SaltrigProtocol::messageName, { { QStringLiteral("identifier"), 18u } });
    });
    EXPECT_EQ(reply, std::nullopt);
    EXPECT_EQ(peer.received().size(), 1);
}

TEST_F(SaltrigUtilsTest, DeviceIdentifierWithACompletionRunsOnceOnTheGuiThread)
{
    peer.replyUserInfo = { { QStringLiteral("result"), QStringLiteral("UDID-2") } };
    int calls = 0;
    std::optional<QString> identifier;
    bool onGuiThread = false;
    SaltrigUtils::deviceIdentifier([&](const std::optional<QString> &value) {
        ++calls;
        identifier = value;
        onGuiThread = Dispatch::isMainThread();
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return calls > 0; }, 10'000));
    QCoreApplication::processEvents();
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(onGuiThread);
    EXPECT_EQ(identifier, QStringLiteral("UDID-2"));
}

// The same import request written by gdbus in GLib's own notation must reach
// the peer exactly as the client's does.
TEST_F(SaltrigUtilsTest, TheRequestMatchesOneWrittenWithGdbus)
{
    const QString gdbus = QStandardPaths::findExecutable(QStringLiteral("gdbus"));
    if (gdbus.isEmpty())
        GTEST_SKIP() << "gdbus is not installed";
    const QList<QByteArray> items { QByteArrayLiteral("{\"bundleId\":\"com.quilmera.tarnik\",\"artworks\":{}}"),
        QByteArrayLiteral("{\"mediaKind\":\"song\",\"path\":\"/m/a b.mp3\"}") };
    ASSERT_TRUE(onWorker([items] { return SaltrigUtils::importItems(items); }));

    QStringList arrays;
    for (const QByteArray &item : items) {
        QStringList bytes;
        for (const char byte : item)
            bytes.append(QStringLiteral("0x%1").arg(static_cast<uchar>(byte), 2, 16, QLatin1Char('0')));
        arrays.append(QStringLiteral("[byte ") + bytes.join(QStringLiteral(", ")) + QLatin1Char(']'));
    }
    const QString userInfo = QStringLiteral("{'identifier': <uint32 21>, 'items': <[")
        + arrays.join(QStringLiteral(", ")) + QStringLiteral("]>}");
    QProcess process;
    process.start(gdbus,
        { QStringLiteral("call"), QStringLiteral("--session"), QStringLiteral("--dest"), SaltrigProtocol::serviceName,
            QStringLiteral("--object-path"), SaltrigProtocol::objectPath, QStringLiteral("--method"),
            SaltrigProtocol::messageName, userInfo });
    ASSERT_TRUE(QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 30'000));
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();

    ASSERT_EQ(peer.received().size(), 2);
    const SaltrigPeer::Received &ours = peer.received().at(0);
    const SaltrigPeer::Received &reference = peer.received().at(1);
    EXPECT_EQ(ours.signature, reference.signature);
    EXPECT_EQ(ours.valueTypes, reference.valueTypes);
    EXPECT_EQ(ours.userInfo, reference.userInfo);
    EXPECT_EQ(reference.userInfo.value(QStringLiteral("items")).value<QByteArrayList>(), items);
}

TEST(SaltrigUtilsKeys, RawTextsMatchExactly)
{
    const QList<std::pair<SaltrigUtils::MessageKey, QString>> keys {
        { SaltrigUtils::MessageKey::result, QStringLiteral("result") },
        { SaltrigUtils::MessageKey::path, QStringLiteral("path") },
        { SaltrigUtils::MessageKey::source, QStringLiteral("source") },
        { SaltrigUtils::MessageKey::flag, QStringLiteral("flag") },
        { SaltrigUtils::MessageKey::dictionaryToWrite, QStringLiteral("dictionaryToWrite") },
        { SaltrigUtils::MessageKey::items, QStringLiteral("items") },
    };
    for (const auto &[key, text] : keys) {
        EXPECT_EQ(SaltrigUtils::rawValue(key), text);
        EXPECT_EQ(SaltrigUtils::messageKeyFromRawValue(text), key);
    }
    EXPECT_EQ(SaltrigUtils::messageKeyFromRawValue(QStringLiteral("Items")), std::nullopt);
    EXPECT_EQ(SaltrigUtils::messageKeyFromRawValue(QStringLiteral("identifier")), std::nullopt);
}

} // namespace
} // namespace tarnik
