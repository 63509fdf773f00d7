// The companion as the app meets it: the `saltrig` program on a bus of the
// test's own, driven by the app's own client and by the standard bus tools.
#include "App/MetadataReader.h"
#include "App/Preferences.h"
#include "App/SaltrigUtils.h"
#include "CompanionSupport.h"
#include "Import/ImportObject.h"
#include "Platform/Media/MediaAsset.h"
#include "Platform/Messaging/MessagingCenter.h"
#include "Platform/Messaging/SaltrigProtocol.h"
#include "Platform/PropertyList.h"
#include "Support/MediaFixtures.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QtConcurrent>
#include <gtest/gtest.h>

namespace tarnik {

// Stands in for the desktop's notification service, recording each notice.
class FakeNotifications : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    QStringList notices;

public Q_SLOTS:
    uint Notify(const QString &appName, uint, const QString &, const QString &summary, const QString &body,
        const QStringList &, const QVariantMap &, int)
    {
        notices.append(appName + QLatin1Char('|') + summary + QLatin1Char('|') + body);
        return uint(notices.size());
    }
};

namespace {

namespace media = test::media;
using test::companion::importRequestItems;
using test::companion::PrivateBus;
using test::companion::treeOf;

// The whole test program talks to one bus of its own, set before anything in
// the program first reaches for the session bus.
class PrivateSessionBus : public ::testing::Environment
{
public:
    void SetUp() override
    {
        if (bus.start())
            qputenv("DBUS_SESSION_BUS_ADDRESS", bus.address().toUtf8());
    }
    void TearDown() override { QDBusConnection::disconnectFromBus(QDBusConnection::sessionBus().name()); }

    PrivateBus bus;
};
PrivateSessionBus *const privateBus
    = static_cast<PrivateSessionBus *>(::testing::AddGlobalTestEnvironment(new PrivateSessionBus));

QString saltrigProgram()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/saltrig");
}

struct ToolResult
{
    int exitCode = -1;
    QString output;
};

ToolResult runTool(const QString &program, const QStringList &arguments,
    const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForFinished(60000))
        return {};
    return { process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
        QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError()) };
}

// One message to the companion with `gdbus call`; `userInfo` in the text form of GVariant.
ToolResult gdbusCall(const QString &userInfo, const QString &bus = QStringLiteral("--session"),
    const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    return runTool(QStringLiteral("gdbus"),
        { QStringLiteral("call"), bus, QStringLiteral("--dest"), QStringLiteral("com.quilmera.saltrig.center"),
            QStringLiteral("--object-path"), QStringLiteral("/"), QStringLiteral("--method"),
            QStringLiteral("com.quilmera.saltrig.message"), QStringLiteral("--timeout"), QStringLiteral("60"),
            userInfo },
        environment);
}

// An `aay` in GVariant's text form, or an `av` of byte arrays.
QString byteArraysText(const QByteArrayList &items, bool asVariants = false)
{
    QStringList arrays;
    for (const QByteArray &item : items) {
        QStringList bytes;
        for (const char byte : item)
            bytes.append(QStringLiteral("0x%1").arg(uint(quint8(byte)), 2, 16, QLatin1Char('0')));
        const QString array = QStringLiteral("[byte ") + bytes.join(QLatin1Char(',')) + QLatin1Char(']');
        arrays.append(asVariants ? QLatin1Char('<') + array + QLatin1Char('>') : array);
    }
    return QLatin1Char('[') + arrays.join(QLatin1Char(',')) + QLatin1Char(']');
}

template<typename Function> auto onWorker(Function function)
{
    auto future = QtConcurrent::run(function);
    EXPECT_TRUE(QTest::qWaitFor([&] { return future.isFinished(); }, 60000));
    return future.result();
}

// A running `saltrig`, stopped with SIGTERM when the test ends.
class Companion
{
public:
    explicit Companion(const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
    {
        m_process.setProcessEnvironment(environment);
        m_process.setProcessChannelMode(QProcess::ForwardedChannels);
    }
    ~Companion() { stop(); }

    // Starts the program and waits until it owns its name on `bus`.
    bool start(QDBusConnection bus = QDBusConnection::sessionBus())
    {
        QDBusServiceWatcher watcher(SaltrigProtocol::serviceName, bus, QDBusServiceWatcher::WatchForRegistration);
        QSignalSpy registered(&watcher, &QDBusServiceWatcher::serviceRegistered);
        m_process.start(saltrigProgram(), {});
        if (!m_process.waitForStarted(30000))
            return false;
        return registered.wait(30000) || bus.interface()->isServiceRegistered(SaltrigProtocol::serviceName);
    }

    int stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return m_process.exitCode();
        m_process.terminate();
        if (!m_process.waitForFinished(60000))
            m_process.kill();
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    }

    QProcess &process() { return m_process; }

private:
    QProcess m_process;
};

class SaltrigBusTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (privateBus->bus.address().isEmpty() || !QDBusConnection::sessionBus().isConnected())
            GTEST_SKIP() << "no private bus (dbus-daemon is missing)";
        ASSERT_TRUE(QFile::exists(saltrigProgram()));
        ASSERT_TRUE(sources.isValid());
        QDir(Preferences::homeDirectory() + QStringLiteral("/Media")).removeRecursively();
        Preferences::Saltrig::setShouldAddFadeInFadeOut(true);
        Preferences::Saltrig::setShouldNotifyOnCompletion(true);
        ASSERT_TRUE(companion.start());
    }

    QString library(const QString &relative) const
    {
        return Preferences::homeDirectory() + QLatin1Char('/') + relative;
    }
    QString source(const QString &name) const { return sources.filePath(name); }

    // Whether the companion still answers.
    bool answers()
    {
        return onWorker([] { return SaltrigUtils::deviceIdentifier(); }).has_value();
    }

    QTemporaryDir sources;
    Companion companion;
};

TEST_F(SaltrigBusTest, TheAppsOwnClientImportsASongAndReadsTheIdentifier)
{
    FakeNotifications notifications;
    QDBusConnection bus = QDBusConnection::sessionBus();
    ASSERT_TRUE(bus.registerObject(
        QStringLiteral("/org/freedesktop/Notifications"), &notifications, QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(bus.registerService(QStringLiteral("org.freedesktop.Notifications")));

    const auto identifier = onWorker([] { return SaltrigUtils::deviceIdentifier(); });
    ASSERT_TRUE(identifier);
    EXPECT_EQ(identifier->size(), 40);

    const QString tone = source(QStringLiteral("song.mp3"));
    ASSERT_TRUE(media::makeTone(tone, 8.0));
    Metadata metadata(QStringLiteral("Over The Bus"));
    metadata.artist = QStringLiteral("Sender");
    ImportItem record(MediaKind::song, tone, metadata);
    record.timeRange = MediaTimeRange::fromTimeToTime(MediaTime::fromSeconds(1.0), MediaTime::fromSeconds(5.0));
    record.volume = 0.5f;
    const QByteArrayList items = importRequestItems({ record });
    EXPECT_TRUE(onWorker([items] { return SaltrigUtils::importItems(items); }));

    const QString song = library(QStringLiteral("Media/Library/Music/Over The Bus.m4a"));
    ASSERT_TRUE(QFile::exists(song));
    EXPECT_NEAR(MediaAsset(song).duration().value_or(0), 4.0, 0.15);
    const QVariantMap tags = MetadataReader::metadataDictionary(song);
    EXPECT_EQ(tags.value(QStringLiteral("artist")).toString(), QStringLiteral("Sender"));

    EXPECT_TRUE(QTest::qWaitFor([&] { return !notifications.notices.isEmpty(); }, 30000));
    ASSERT_EQ(notifications.notices.size(), 1);
    EXPECT_TRUE(notifications.notices.first().startsWith(QStringLiteral("Saltrig|Import Complete|1 of 1 imported.")));

    bus.unregisterService(QStringLiteral("org.freedesktop.Notifications"));
    bus.unregisterObject(QStringLiteral("/org/freedesktop/Notifications"));
}

TEST_F(SaltrigBusTest, TheBusToolsAreAnsweredAndBadRequestsRefused)
{
    const ToolResult identifier = gdbusCall(QStringLiteral("{'identifier': <uint32 18>}"));
    EXPECT_EQ(identifier.exitCode, 0) << identifier.output.toStdString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\(\\{'result': <'[0-9a-f]{40}'>\\},\\)\\s*$"))
                    .match(identifier.output)
                    .hasMatch())
        << identifier.output.toStdString();

    // A ringtone, sent as the app's JSON in byte arrays.
    const QString tone = source(QStringLiteral("ring.wav"));
    ASSERT_TRUE(media::makeTone(tone, 3.0));
    const QString items = byteArraysText(
        importRequestItems({ ImportItem(MediaKind::ringtone, tone, Metadata(QStringLiteral("Bus Tone"))) }));
    const ToolResult ringtone = gdbusCall(QStringLiteral("{'identifier': <uint32 21>, 'items': <%1>}").arg(items));
    EXPECT_EQ(ringtone.output.trimmed(), QStringLiteral("({'result': <true>},)"));
    EXPECT_TRUE(QFile::exists(library(QStringLiteral("Media/Purchases/Bus Tone.m4r"))));
    const auto catalogue = PropertyList::readDictionary(library(QStringLiteral("Media/Purchases/Ringtones.plist")));
    ASSERT_TRUE(catalogue);
    EXPECT_EQ(catalogue->value(QStringLiteral("Ringtones"))
                  .toMap()
                  .value(QStringLiteral("Bus Tone.m4r"))
                  .toMap()
                  .value(QStringLiteral("Name")),
        QVariant(QStringLiteral("Bus Tone")));
    // The same request with the list as variants, as other senders may write lists.
    const QString variants = byteArraysText(
        importRequestItems({ ImportItem(MediaKind::tone, tone, Metadata(QStringLiteral("Variant Tone"))) }), true);
    EXPECT_EQ(gdbusCall(QStringLiteral("{'identifier': <uint32 21>, 'items': <%1>}").arg(variants)).output.trimmed(),
        QStringLiteral("({'result': <true>},)"));
    EXPECT_TRUE(QFile::exists(library(QStringLiteral("Media/Purchases/Variant Tone.m4r"))));

    const QStringList libraryBefore = treeOf(library(QStringLiteral("Media")));
    const QStringList sourcesBefore = treeOf(sources.path());

    const struct
    {
        const char *name;
        QString userInfo;
    } refused[] = {
        { "garbage byte strings",
            QStringLiteral("{'identifier': <uint32 21>, 'items': <[b'garbage', b'\\x01\\x02\\xff']>}") },
        { "a record naming a missing file",
            QStringLiteral("{'identifier': <uint32 21>, 'items': <%1>}")
                .arg(byteArraysText(
                    importRequestItems({ ImportItem(MediaKind::song, source(QStringLiteral("gone.wav"))) }))) },
        { "a path outside any real file",
            QStringLiteral("{'identifier': <uint32 21>, 'items': <%1>}")
                .arg(byteArraysText(importRequestItems(
                    { ImportItem(MediaKind::song, QStringLiteral("/nonexistent/../../dev/zero")) }))) },
        { "a malformed envelope", QStringLiteral("{'identifier': <uint32 21>, 'items': <[b'{\"bundleId\": 5}']>}") },
        { "items of the wrong type", QStringLiteral("{'identifier': <uint32 21>, 'items': <'text'>}") },
    };
    for (const auto &c : refused) {
        const ToolResult result = gdbusCall(c.userInfo);
        EXPECT_EQ(result.output.trimmed(), QStringLiteral("({'result': <false>},)"))
            << c.name << ": " << result.output.toStdString();
    }

    // A call of another shape never reaches the service; the bus library answers it.
    const ToolResult wrongShape = runTool(QStringLiteral("dbus-send"),
        { QStringLiteral("--session"), QStringLiteral("--print-reply"),
            QStringLiteral("--dest=com.quilmera.saltrig.center"), QStringLiteral("/"),
            QStringLiteral("com.quilmera.saltrig.message"), QStringLiteral("string:garbage") });
    EXPECT_NE(wrongShape.exitCode, 0);
    EXPECT_TRUE(wrongShape.output.contains(QStringLiteral("Error"))) << wrongShape.output.toStdString();

    // A huge request: thousands of records, and one record of megabytes.
    QDBusMessage huge = QDBusMessage::createMethodCall(SaltrigProtocol::serviceName, SaltrigProtocol::objectPath,
        SaltrigProtocol::interfaceName, SaltrigProtocol::methodName);
    QByteArrayList many { ImportObject().data().value() };
    for (int i = 0; i < 5000; ++i)
        many.append(QByteArray(200, 'x'));
    many.append(QByteArray(8 << 20, '{'));
    huge << QVariant::fromValue(userInfoToBus(
        { { QStringLiteral("identifier"), 21u }, { QStringLiteral("items"), QVariant::fromValue(many) } }));
    const QDBusMessage hugeReply
        = onWorker([huge] { return QDBusConnection::sessionBus().call(huge, QDBus::Block, 60000); });
    ASSERT_EQ(hugeReply.type(), QDBusMessage::ReplyMessage) << hugeReply.errorMessage().toStdString();
    EXPECT_EQ(userInfoFromBus(hugeReply.arguments().value(0)).value(QStringLiteral("result")), QVariant(false));

    EXPECT_TRUE(answers());
    EXPECT_EQ(companion.process().state(), QProcess::Running);
    EXPECT_EQ(treeOf(library(QStringLiteral("Media"))), libraryBefore);
    EXPECT_EQ(treeOf(sources.path()), sourcesBefore);
}

TEST_F(SaltrigBusTest, OneCompanionOwnsTheNameAndStopsCleanly)
{
    Companion second;
    second.process().start(saltrigProgram(), {});
    ASSERT_TRUE(second.process().waitForFinished(30000));
    EXPECT_EQ(second.process().exitCode(), 1);
    EXPECT_TRUE(answers());

    EXPECT_EQ(companion.stop(), 0);
    EXPECT_FALSE(QDBusConnection::sessionBus().interface()->isServiceRegistered(SaltrigProtocol::serviceName));
    EXPECT_FALSE(answers());
}

TEST_F(SaltrigBusTest, TheSystemBusServesWhenAskedFor)
{
    PrivateBus systemBus;
    ASSERT_TRUE(systemBus.start());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TARNIK_BUS"), QStringLiteral("system"));
    environment.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), systemBus.address());

    Companion onSystemBus(environment);
    const QString connectionName = QStringLiteral("companion-test-system-bus");
    QDBusConnection bus = QDBusConnection::connectToBus(systemBus.address(), connectionName);
    ASSERT_TRUE(onSystemBus.start(bus));
    const ToolResult identifier
        = gdbusCall(QStringLiteral("{'identifier': <uint32 18>}"), QStringLiteral("--system"), environment);
    EXPECT_TRUE(identifier.output.contains(QStringLiteral("'result'"))) << identifier.output.toStdString();
    EXPECT_EQ(onSystemBus.stop(), 0);
    QDBusConnection::disconnectFromBus(connectionName);
}

} // namespace
} // namespace tarnik

#include "SaltrigBusTest.moc"
