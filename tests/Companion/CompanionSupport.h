#pragma once
// Helpers of the companion's tests: import requests made with the app's own
// records, decoded sound levels, a private message bus, the companion
// stand-in as a process and the alerts the app shows.

#include "App/ScreenAlertPresenter.h"
#include "Import/ImportItem.h"

#include <QByteArrayList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <vector>

namespace tarnik::test::companion {

// "items" of an import request as the app sends them: the envelope with each
// record's artwork by path, then each record's JSON.
QByteArrayList importRequestItems(const QList<ImportItem> &records);

// The audio of a file as mono samples at 8 kHz, decoded by the ffmpeg command.
constexpr int kSampleRate = 8000;
std::vector<float> decodedSamples(const QString &path);
// The RMS level of the samples between two times (seconds).
double rmsLevel(const std::vector<float> &samples, double from, double to);

// Every file and folder below `folder`, as paths relative to it, sorted.
QStringList treeOf(const QString &folder);

// A dbus-daemon of the test's own, without service activation, so that no
// other test running at the same time can own or call the companion's name.
class PrivateBus
{
public:
    PrivateBus();
    ~PrivateBus();
    bool start();
    QString address() const { return m_address; }

private:
    QTemporaryDir m_folder;
    QProcess m_daemon;
    QString m_address;
};

// The companion stand-in ("saltrig" beside the test) running on the test's
// session bus; stopped when destroyed.
class StandIn
{
public:
    ~StandIn();
    // Starts it and waits until its name is on the bus.
    bool start();

private:
    QProcess m_process;
};

// Shows alerts as the app does and records each one's title.
class RecordingAlerts : public ScreenAlertPresenter
{
public:
    QStringList alerts;
    void presentAlert(ViewController *presenter, const QString &title, const QString &message,
        const AlertAction &action, AlertActionHandler handler) override;
};

} // namespace tarnik::test::companion
