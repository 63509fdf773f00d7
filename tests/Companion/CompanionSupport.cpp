#include "CompanionSupport.h"

#include "Import/ImportObject.h"
#include "Platform/Messaging/SaltrigProtocol.h"
#include "Support/SoundLevels.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusServiceWatcher>
#include <QDirIterator>
#include <QFile>
#include <QSignalSpy>
#include <cmath>
#include <csignal>
#include <cstring>
#include <sys/prctl.h>

namespace tarnik::test::companion {

QByteArrayList importRequestItems(const QList<ImportItem> &records)
{
    ImportObject::Artworks artworks;
    for (const ImportItem &record : records)
        artworks.insert(record.path, record.metadata ? record.metadata->artwork : std::nullopt);
    QByteArrayList items { ImportObject(artworks).data().value() };
    for (const ImportItem &record : records)
        items.append(record.data().value());
    return items;
}

std::vector<float> decodedSamples(const QString &path)
{
    QProcess ffmpeg;
    ffmpeg.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    ffmpeg.start(QStringLiteral("ffmpeg"),
        { QStringLiteral("-hide_banner"), QStringLiteral("-loglevel"), QStringLiteral("error"),
            QStringLiteral("-nostdin"), QStringLiteral("-i"), path, QStringLiteral("-ac"), QStringLiteral("1"),
            QStringLiteral("-ar"), QString::number(kSampleRate), QStringLiteral("-f"), QStringLiteral("f32le"),
            QStringLiteral("-") });
    if (!ffmpeg.waitForFinished(120000) || ffmpeg.exitCode() != 0)
        return {};
    const QByteArray bytes = ffmpeg.readAllStandardOutput();
    std::vector<float> samples(size_t(bytes.size()) / sizeof(float));
    std::memcpy(samples.data(), bytes.constData(), samples.size() * sizeof(float));
    return samples;
}

double rmsLevel(const std::vector<float> &samples, double from, double to)
{
    return rms(samples, kSampleRate, from, to);
}

QStringList treeOf(const QString &folder)
{
    QStringList paths;
    QDirIterator it(
        folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        paths.append(QDir(folder).relativeFilePath(it.next()));
    paths.sort();
    return paths;
}

namespace {

// A test process that dies without its destructors (a crash, or a sanitizer halting it) takes the
// bus and the companion it started with it; left running, they would hold the test's output open
// and the runner would wait for them until its timeout.
void endWithThisProcess(QProcess &process)
{
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
}

} // namespace

PrivateBus::PrivateBus() = default;

PrivateBus::~PrivateBus()
{
    if (m_daemon.state() != QProcess::NotRunning) {
        m_daemon.terminate();
        m_daemon.waitForFinished(10000);
    }
}

bool PrivateBus::start()
{
    if (!m_folder.isValid())
        return false;
    const QString config = m_folder.filePath(QStringLiteral("bus.conf"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(QStringLiteral("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                              " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                              "<busconfig>\n"
                              "  <type>session</type>\n"
                              "  <listen>unix:dir=%1</listen>\n"
                              "  <policy context=\"default\">\n"
                              "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
                              "    <allow eavesdrop=\"true\"/>\n"
                              "    <allow own=\"*\"/>\n"
                              "  </policy>\n"
                              "</busconfig>\n")
                   .arg(m_folder.path())
                   .toUtf8());
    file.close();

    m_daemon.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    endWithThisProcess(m_daemon);
    m_daemon.start(QStringLiteral("dbus-daemon"),
        { QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"), QStringLiteral("--print-address=1") });
    if (!m_daemon.waitForStarted(10000))
        return false;
    while (!m_daemon.canReadLine()) {
        if (!m_daemon.waitForReadyRead(10000))
            return false;
    }
    m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    return !m_address.isEmpty();
}

StandIn::~StandIn()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(60000))
        m_process.kill();
}

bool StandIn::start()
{
    QDBusServiceWatcher watcher(
        SaltrigProtocol::serviceName, QDBusConnection::sessionBus(), QDBusServiceWatcher::WatchForRegistration);
    QSignalSpy registered(&watcher, &QDBusServiceWatcher::serviceRegistered);
    m_process.setProcessChannelMode(QProcess::ForwardedChannels);
    endWithThisProcess(m_process);
    m_process.start(QCoreApplication::applicationDirPath() + QStringLiteral("/saltrig"), {});
    return m_process.waitForStarted(30000)
        && (registered.wait(30000)
            || QDBusConnection::sessionBus().interface()->isServiceRegistered(SaltrigProtocol::serviceName));
}

void RecordingAlerts::presentAlert(ViewController *presenter, const QString &title, const QString &message,
    const AlertAction &action, AlertActionHandler handler)
{
    alerts << title;
    ScreenAlertPresenter::presentAlert(presenter, title, message, action, std::move(handler));
}

} // namespace tarnik::test::companion
