#pragma once
// Helpers of the companion's tests: import requests made with the app's own
// records, decoded sound levels and a private message bus.

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

} // namespace tarnik::test::companion
