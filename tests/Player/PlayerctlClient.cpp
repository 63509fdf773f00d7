#include "PlayerctlClient.h"

#include <QProcess>
#include <QTest>

namespace tarnik::test {

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
