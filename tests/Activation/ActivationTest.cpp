// The companion as the desktop runs it: nobody starts it by hand, the bus starts it
// from its service file when the app first calls, and the settings' repair ends it
// so that the next call starts a new one. The whole program talks to a dbus-daemon
// of its own whose only service folder is the test's, so no other test sees it.
#include "App/Preferences.h"
#include "App/SaltrigUtils.h"
#include "App/UserManager.h"
#include "Platform/Messaging/SaltrigProtocol.h"
#include "Platform/Messaging/ServiceProcess.h"
#include "Settings/PreferenceViewController.h"
#include "Support/FakeAlertPresenter.h"
#include "Support/MediaFixtures.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusServiceWatcher>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <csignal>
#include <future>
#include <gtest/gtest.h>

namespace tarnik {
namespace {

const QString kService = SaltrigProtocol::serviceName;

// A session bus of the test's own. Its address is fixed before it starts, so the
// daemon, and every service it starts, carries it in DBUS_SESSION_BUS_ADDRESS.
class ActivatingBus : public ::testing::Environment
{
public:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        QDir().mkpath(services());
        const QString config = folder.filePath(QStringLiteral("bus.conf"));
        QFile file(config);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                                  " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                                  "<busconfig>\n"
                                  "  <type>session</type>\n"
                                  "  <listen>unix:path=%1</listen>\n"
                                  "  <servicedir>%2</servicedir>\n"
                                  "  <policy context=\"default\">\n"
                                  "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
                                  "    <allow eavesdrop=\"true\"/>\n"
                                  "    <allow own=\"*\"/>\n"
                                  "  </policy>\n"
                                  "</busconfig>\n")
                       .arg(folder.filePath(QStringLiteral("bus")), services())
                       .toUtf8());
        file.close();
        const QString address = QStringLiteral("unix:path=") + folder.filePath(QStringLiteral("bus"));
        qputenv("DBUS_SESSION_BUS_ADDRESS", address.toUtf8());
        daemon.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        daemon.start(QStringLiteral("dbus-daemon"),
            { QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"), QStringLiteral("--print-address=1") });
        ASSERT_TRUE(daemon.waitForStarted(10000));
        while (!daemon.canReadLine())
            ASSERT_TRUE(daemon.waitForReadyRead(10000));
    }
    void TearDown() override
    {
        QDBusConnection::disconnectFromBus(QDBusConnection::sessionBus().name());
        daemon.terminate();
        daemon.waitForFinished(10000);
    }

    QString services() const { return folder.filePath(QStringLiteral("services")); }

    // Writes the companion's service file naming `program`, as the install does, and
    // has the bus read its folders again.
    bool install(const QString &program)
    {
        QFile file(services() + QStringLiteral("/com.quilmera.saltrig.center.service"));
        if (!file.open(QIODevice::WriteOnly))
            return false;
        const QString text = QStringLiteral("[D-BUS Service]\nName=com.quilmera.saltrig.center\nExec=") + program
            + QLatin1Char('\n');
        file.write(text.toUtf8());
        file.close();
        const QDBusMessage reply = QDBusConnection::sessionBus().call(QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("ReloadConfig")));
        return reply.type() == QDBusMessage::ReplyMessage;
    }

    QTemporaryDir folder;
    QProcess daemon;
};
ActivatingBus *const bus = static_cast<ActivatingBus *>(::testing::AddGlobalTestEnvironment(new ActivatingBus));

QString companionProgram()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/saltrig");
}

// The process the bus names as the companion's, none while nobody owns the name.
std::optional<uint> companionPid()
{
    const QDBusReply<uint> pid = QDBusConnection::sessionBus().interface()->servicePid(kService);
    return pid.isValid() ? std::optional<uint>(pid.value()) : std::nullopt;
}

bool nameIsOwned()
{
    return QDBusConnection::sessionBus().interface()->isServiceRegistered(kService).value();
}

// Gone, or ended and waiting for its parent to collect it.
bool processHasEnded(uint pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')');
    return close >= 0 && line.mid(close + 2, 1) == "Z";
}

class ActivationTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(bus->install(companionProgram()));
        ViewController *tabs = alerts->makeScreen(testing::FakeAlertPresenter::Kind::tabBar);
        alerts->setSelected(tabs, alerts->makeScreen());
        alerts->setRoot(tabs);
        setAlertPresenter(alerts);
        QDir(Preferences::homeDirectory() + QStringLiteral("/Media")).removeRecursively();
    }
    void TearDown() override
    {
        setAlertPresenter(nullptr);
        // The companion this test had started ends the way a session's end would end it.
        if (const std::optional<uint> pid = companionPid()) {
            ::kill(pid_t(*pid), SIGTERM);
            EXPECT_TRUE(QTest::qWaitFor([] { return !nameIsOwned(); }, 60'000));
        }
    }

    // Imports from the GUI thread, as the screens do, and waits for the completion.
    void importAndWait(const QList<ImportItem> &items)
    {
        auto done = std::make_shared<std::atomic<bool>>(false);
        manager.importMedia(items, [done] { *done = true; });
        ASSERT_TRUE(QTest::qWaitFor([&] { return done->load(); }, 60'000));
        QCoreApplication::processEvents();
    }

    // The companion's device identifier, asked off the GUI thread as the app asks it.
    static std::optional<QString> askCompanion()
    {
        return std::async(std::launch::async, [] { return SaltrigUtils::deviceIdentifier(); }).get();
    }

    std::shared_ptr<testing::FakeAlertPresenter> alerts = std::make_shared<testing::FakeAlertPresenter>();
    UserManager manager { UserManager::Configuration {} };
    QTemporaryDir media;
};

TEST_F(ActivationTest, AnImportWithNoCompanionRunningStartsItAndLands)
{
    ASSERT_FALSE(nameIsOwned());
    const QString song = media.filePath(QStringLiteral("song.mp3"));
    ASSERT_TRUE(test::media::makeTone(song, 1.0, test::media::args({ "-metadata", "title=Woken" })));
    importAndWait({ ImportItem(MediaKind::song, song, Metadata(QStringLiteral("Woken"))) });
    EXPECT_TRUE(alerts->alerts().isEmpty());
    EXPECT_TRUE(QFile::exists(Preferences::homeDirectory() + QStringLiteral("/Media/Library/Music/Woken.m4a")));
    EXPECT_TRUE(companionPid().has_value()) << "the bus started the companion and it keeps serving";
}

TEST_F(ActivationTest, ACompanionThatCannotStartEndsInTheImportError)
{
    ASSERT_TRUE(bus->install(QStringLiteral("/nonexistent/saltrig")));
    const QString song = media.filePath(QStringLiteral("song.mp3"));
    ASSERT_TRUE(test::media::makeTone(song, 1.0));
    importAndWait({ ImportItem(MediaKind::song, song, Metadata(QStringLiteral("Lost"))) });
    ASSERT_EQ(alerts->alerts().size(), 1);
    EXPECT_EQ(alerts->alerts().first().title, QStringLiteral("Import Error"));
    EXPECT_EQ(alerts->alerts().first().message, QStringLiteral("Failed to properly import your media."));
    EXPECT_FALSE(QDir(Preferences::homeDirectory() + QStringLiteral("/Media/Library")).exists());
}

TEST_F(ActivationTest, TheRepairEndsTheCompanionAndTheNextCallStartsANewOne)
{
    ASSERT_TRUE(askCompanion().has_value());
    const std::optional<uint> first = companionPid();
    ASSERT_TRUE(first.has_value());
    const QString downloads = Preferences::downloadsPath();
    QDir().mkpath(downloads);
    QFile(downloads + QStringLiteral("/downloads.28.sqlitedb")).open(QIODevice::WriteOnly);

    PreferenceViewController settings;
    settings.fixDownloads();
    EXPECT_TRUE(QDir(downloads).isEmpty());
    EXPECT_TRUE(processHasEnded(*first)) << "the repair waits until the companion's process has gone";
    ASSERT_TRUE(QTest::qWaitFor([] { return !nameIsOwned(); }, 10'000));

    EXPECT_TRUE(askCompanion().has_value());
    const std::optional<uint> second = companionPid();
    ASSERT_TRUE(second.has_value());
    EXPECT_NE(*second, *first);

    // Nobody to end: nothing to report.
    ::kill(pid_t(*second), SIGTERM);
    ASSERT_TRUE(QTest::qWaitFor([] { return !nameIsOwned(); }, 60'000));
    EXPECT_EQ(ServiceProcess::shared().endOwner(kService), std::nullopt);
}

} // namespace
} // namespace tarnik
