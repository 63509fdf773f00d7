// The import hand-off end to end: records and envelope through the real bus to
// a stand-in service, and the alert when that cannot happen.
#include "App/Constants.h"
#include "App/UserManager.h"
#include "Import/ImportObject.h"
#include "Platform/Dispatch.h"
#include "Platform/Messaging/SaltrigProtocol.h"
#include "SaltrigPeer.h"
#include "Support/FakeAlertPresenter.h"

#include <QByteArrayList>
#include <QSignalSpy>
#include <QTest>
#include <atomic>
#include <gtest/gtest.h>
#include <limits>
#include <thread>

namespace tarnik {
namespace {

using testing::SaltrigPeer;
namespace Protocol = SaltrigProtocol;

struct Request
{
    Protocol::DecodedImportEnvelope envelope;
    QList<Protocol::DecodedImportRecord> records;
};

class ImportMediaTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!testing::hasSessionBus())
            GTEST_SKIP() << "no session bus (run through scripts/test)";
        ASSERT_TRUE(peer.start());
        ViewController *tabs = alerts->makeScreen(testing::FakeAlertPresenter::Kind::tabBar);
        alerts->setSelected(tabs, alerts->makeScreen());
        alerts->setRoot(tabs);
        setAlertPresenter(alerts);
    }
    void TearDown() override { setAlertPresenter(nullptr); }

    // Imports from the GUI thread and waits for the completion; the events it
    // spins let the peer answer (the send itself runs on a worker).
    int importAndWait(const QList<ImportItem> &items)
    {
        auto calls = std::make_shared<std::atomic<int>>(0);
        manager.importMedia(items, [calls] { ++*calls; });
        EXPECT_TRUE(QTest::qWaitFor([&] { return calls->load() > 0; }, 20'000));
        // Let a late second call or a queued alert show.
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        return calls->load();
    }

    Request lastRequest()
    {
        Request request;
        EXPECT_FALSE(peer.received().isEmpty());
        if (peer.received().isEmpty())
            return request;
        const SaltrigPeer::Received &received = peer.received().last();
        EXPECT_EQ(received.userInfo.value(QStringLiteral("identifier")).toUInt(), 21u);
        EXPECT_EQ(received.valueTypes.value(QStringLiteral("items")), QStringLiteral("aay"));
        const QByteArrayList items = received.userInfo.value(QStringLiteral("items")).value<QByteArrayList>();
        EXPECT_FALSE(items.isEmpty());
        if (items.isEmpty())
            return request;
        const auto envelope = Protocol::decodeImportEnvelope(items.first());
        EXPECT_TRUE(envelope.has_value());
        if (envelope)
            request.envelope = *envelope;
        for (qsizetype i = 1; i < items.size(); ++i) {
            const auto record = Protocol::decodeImportRecord(items.at(i));
            EXPECT_TRUE(record.has_value()) << items.at(i).constData();
            if (record)
                request.records.append(*record);
        }
        return request;
    }

    void expectImportErrorAlert()
    {
        ASSERT_EQ(alerts->alerts().size(), 1);
        EXPECT_EQ(alerts->alerts().first().title, QStringLiteral("Import Error"));
        EXPECT_EQ(alerts->alerts().first().message, QStringLiteral("Failed to properly import your media."));
    }

    SaltrigPeer peer;
    std::shared_ptr<testing::FakeAlertPresenter> alerts = std::make_shared<testing::FakeAlertPresenter>();
    UserManager manager { UserManager::Configuration {} };
};

Metadata withArtwork(const QByteArray &artwork)
{
    Metadata metadata(QStringLiteral("Song"));
    metadata.artwork = artwork;
    return metadata;
}

TEST_F(ImportMediaTest, RecordsTravelAfterTheEnvelopeWithTheirArtworkInIt)
{
    ImportItem first(MediaKind::song, QStringLiteral("/m/a.mp3"), withArtwork("art-a"));
    ImportItem second(MediaKind::podcast, QStringLiteral("/m/b.m4a"));
    second.volume = 0.5f;
    EXPECT_EQ(importAndWait({ first, second }), 1);

    ASSERT_EQ(peer.received().size(), 1);
    const Request request = lastRequest();
    EXPECT_EQ(request.envelope.bundleId, Common::bundleIdentifier());
    const ImportObject::Artworks expected { { QStringLiteral("/m/a.mp3"), QByteArray("art-a") },
        { QStringLiteral("/m/b.m4a"), std::nullopt } };
    EXPECT_EQ(request.envelope.artworks, expected);
    ASSERT_EQ(request.records.size(), 2);
    EXPECT_EQ(request.records.at(0).path, QStringLiteral("/m/a.mp3"));
    EXPECT_EQ(request.records.at(0).metadata->value(QStringLiteral("title")).toString(), QStringLiteral("Song"));
    EXPECT_FALSE(request.records.at(0).metadata->contains(QStringLiteral("artwork")));
    EXPECT_EQ(request.records.at(1).mediaKind, QStringLiteral("podcast"));
    EXPECT_EQ(request.records.at(1).volume, 0.5);
    EXPECT_TRUE(alerts->alerts().isEmpty());
}

TEST_F(ImportMediaTest, OfTwoRecordsForOnePathTheLaterArtworkWins)
{
    struct Case
    {
        const char *name;
        std::optional<Metadata> second;
        std::optional<QByteArray> expected;
    };
    for (const Case &c : { Case { "artwork", withArtwork("second"), QByteArray("second") },
             Case { "none", std::nullopt, std::nullopt } }) {
        SCOPED_TRACE(c.name);
        const QString path = QStringLiteral("/m/same.mp3");
        EXPECT_EQ(importAndWait({ ImportItem(path, withArtwork("first")), ImportItem(path, c.second) }), 1);
        const Request request = lastRequest();
        EXPECT_EQ(request.envelope.artworks, (ImportObject::Artworks { { path, c.expected } }));
        EXPECT_EQ(request.records.size(), 2);
    }
}

TEST_F(ImportMediaTest, AnEmptyListStillSendsAnEnvelope)
{
    EXPECT_EQ(importAndWait({}), 1);
    ASSERT_EQ(peer.received().size(), 1);
    const Request request = lastRequest();
    EXPECT_EQ(request.envelope.artworks, ImportObject::Artworks());
    EXPECT_TRUE(request.records.isEmpty());
}

// A record that cannot be written whole stops the import: nothing is sent,
// the user sees why, and the completion still comes once.
TEST_F(ImportMediaTest, AnUnencodableRecordShowsTheImportErrorAndSendsNothing)
{
    ImportItem broken(QStringLiteral("/m/broken.mp3"));
    broken.volume = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(importAndWait({ ImportItem(QStringLiteral("/m/fine.mp3")), broken }), 1);
    expectImportErrorAlert();

    // Anything the failed import had sent would have reached the peer first.
    EXPECT_EQ(importAndWait({}), 1);
    EXPECT_EQ(peer.received().size(), 1);
}

TEST_F(ImportMediaTest, AnUnreachableServiceShowsTheImportError)
{
    struct Case
    {
        const char *name;
        SaltrigPeer::Mode mode;
        bool running;
    };
    for (const Case &c :
        { Case { "no service", SaltrigPeer::Mode::reply, false }, Case { "error", SaltrigPeer::Mode::error, true } }) {
        SCOPED_TRACE(c.name);
        if (c.running)
            ASSERT_TRUE(peer.start());
        else
            peer.stop();
        peer.mode = c.mode;
        alerts = std::make_shared<testing::FakeAlertPresenter>();
        ViewController *tabs = alerts->makeScreen(testing::FakeAlertPresenter::Kind::tabBar);
        alerts->setSelected(tabs, alerts->makeScreen());
        alerts->setRoot(tabs);
        setAlertPresenter(alerts);
        EXPECT_EQ(importAndWait({ ImportItem(QStringLiteral("/m/a.mp3")) }), 1);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !alerts->alerts().isEmpty(); }, 5'000));
        expectImportErrorAlert();
    }
}

// Called on the GUI thread, the hand-off returns before the service answers
// (the peer answers on this very thread, so waiting would never end) and the
// completion comes once, from the worker that waited.
TEST_F(ImportMediaTest, TheGuiThreadNeverWaitsForTheService)
{
    peer.mode = SaltrigPeer::Mode::withhold;
    QSignalSpy received(&peer, &SaltrigPeer::messageReceived);
    auto calls = std::make_shared<std::atomic<int>>(0);
    auto onGuiThread = std::make_shared<std::atomic<bool>>(true);
    manager.importMedia({ ImportItem(QStringLiteral("/m/a.mp3")) }, [calls, onGuiThread] {
        *onGuiThread = Dispatch::isMainThread();
        ++*calls;
    });
    EXPECT_EQ(calls->load(), 0);
    ASSERT_TRUE(received.wait(10'000));
    EXPECT_EQ(calls->load(), 0);
    peer.stop(); // the withheld call now fails at the client
    ASSERT_TRUE(QTest::qWaitFor([&] { return calls->load() > 0; }, 10'000));
    QCoreApplication::processEvents();
    EXPECT_EQ(calls->load(), 1);
    EXPECT_FALSE(onGuiThread->load());
}

TEST_F(ImportMediaTest, FromAWorkerTheHandOffRunsOnThatWorker)
{
    std::atomic<bool> finished { false };
    std::thread::id callerThread;
    std::thread::id completionThread;
    Dispatch::global([&] {
        callerThread = std::this_thread::get_id();
        manager.importMedia(
            { ImportItem(QStringLiteral("/m/a.mp3")) }, [&] { completionThread = std::this_thread::get_id(); });
        finished = true;
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.load(); }, 20'000));
    EXPECT_EQ(completionThread, callerThread);
    EXPECT_EQ(peer.received().size(), 1);
}

} // namespace
} // namespace tarnik
