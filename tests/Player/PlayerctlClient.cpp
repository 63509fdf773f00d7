#include "PlayerctlClient.h"

#include "Platform/Mpris/MprisService.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>
#include <QTest>
#include <gtest/gtest.h>

namespace tarnik::test {

namespace {

// playerctl -p NAME selects NAME and every NAME.instanceN, and hands a command on to the next of them
// when one cannot take it; --follow reports whichever of them changed last. Addressed by the shared
// name, this process's player would share its client with every other tarnik player on the bus (other
// test processes). So the tests hold the shared name on a connection of their own before the player
// registers: the player then takes "tarnik.instance<pid>", which only it has and only it matches.
class SharedBusNameHolder final : public ::testing::Environment
{
public:
    void SetUp() override
    {
        QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, connectionName());
        // Without a bus there is no name to hold; if another process has it, the player is named apart anyway.
        if (bus.isConnected()) {
            bus.interface()->registerService(MprisService::serviceName, QDBusConnectionInterface::DontQueueService,
                QDBusConnectionInterface::DontAllowReplacement);
        }
    }

    void TearDown() override { QDBusConnection::disconnectFromBus(connectionName()); }

private:
    static QString connectionName() { return QStringLiteral("tarnik-test-shared-mpris-name"); }
};

[[maybe_unused]] ::testing::Environment *const sharedBusNameHolder
    = ::testing::AddGlobalTestEnvironment(new SharedBusNameHolder);

} // namespace

PlayerctlResult playerctl(const QString &busName, const QStringList &arguments)
{
    const QString prefix = QStringLiteral("org.mpris.MediaPlayer2.");
    const QString player = busName.startsWith(prefix) ? busName.mid(prefix.size()) : busName;
    QProcess process;
    process.start(QStringLiteral("playerctl"), QStringList { QStringLiteral("-p"), player } + arguments);
    PlayerctlResult result;
    if (!process.waitForStarted(10'000))
        return result;
    result.finished = QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 20'000);
    if (!result.finished) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.exitCode = process.exitCode();
    result.output = QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    return result;
}

} // namespace tarnik::test
