#pragma once

#include "DeviceIdentifier.h"

#include <QByteArrayList>
#include <QString>
#include <QThreadPool>
#include <QVariantMap>
#include <functional>
#include <mutex>

namespace tarnik {

class AudioConverter;

// The companion service's answers to the app's requests, apart from any bus:
// a request is the user-info dictionary of one message, the reply another.
//  - operation 18: "result" = the device identifier text;
//  - operation 21: the import of every record in "items" (the envelope's JSON
//    first, then each record's JSON), "result" = true when every record was
//    imported, false otherwise (or "pending" = true when the import outlasts
//    the reply budget); a desktop notice afterwards when the companion's
//    "shouldNotifyOnCompletion" is on;
//  - anything else: an empty reply.
// Every request is logged. Bad requests (wrong types, undecodable JSON, too
// many or too large items, files that are no media) are refused with false
// and never write anything.
//
// handle() is called on one thread (the bus thread); identifier requests are
// answered there, imports run one at a time on the service's own worker
// thread, which the destructor waits for. The reply callback runs once, on
// the thread that answered (the pending answer comes from the calling
// thread's event loop, when it has one).
class SaltrigService
{
public:
    struct Environment
    {
        // The device home the library lives under; asked at every import.
        std::function<QString()> homeDirectory;
        AudioConverter *converter = nullptr;
        // Shows a desktop notice; empty when there is none to show.
        std::function<void(const QString &summary, const QString &body)> notify;
        QString machineIdPath = QStringLiteral("/etc/machine-id");
        // How long an import request may wait for its answer. The app waits
        // 10 s and takes silence for a failure, so an import still under way
        // then is answered "pending" = true (no "result") and goes on.
        int replyBudgetMilliseconds = 8000;
    };

    // Limits of one import request: the app sends at most ten records with
    // artworks of a few hundred kilobytes.
    static constexpr qsizetype kMaximumRecords = 100;
    static constexpr qsizetype kMaximumRecordBytes = 1 << 20;
    static constexpr qsizetype kMaximumRequestBytes = 64 << 20;
    // Imports waiting beyond this many are refused at once.
    static constexpr int kMaximumPendingImports = 16;

    // The running application's environment: Preferences::homeDirectory(),
    // the shared converter, no notices.
    static Environment defaultEnvironment();

    explicit SaltrigService(Environment environment);
    ~SaltrigService();
    SaltrigService(const SaltrigService &) = delete;
    SaltrigService &operator=(const SaltrigService &) = delete;

    // Answers one request; `sender` names the peer in the log.
    void handle(const QVariantMap &userInfo, const QString &sender, std::function<void(const QVariantMap &)> reply);

    // The operation code of a request: "identifier" as an integer.
    static std::optional<quint32> operationCode(const QVariantMap &userInfo);
    // The items of an import request as byte arrays, with the one trailing
    // NUL that command-line tools add to byte strings taken off; no value
    // when "items" is missing or not a list of byte arrays.
    static std::optional<QByteArrayList> importItems(const QVariantMap &userInfo);

    // Runs one import on the calling thread; true when every record was imported.
    bool importNow(const QByteArrayList &items, const QString &sender);

    // Removes the partial files of imports cut short in an earlier run from the
    // library under the home folder. Call it once the service owns its bus
    // name (so no other companion is importing), before serving.
    void removeStaleTemporaryFiles();

    // Waits until every queued import has been answered.
    void waitForImports();

private:
    Environment m_environment;
    DeviceIdentifier m_deviceIdentifier;
    QThreadPool m_imports;
    std::mutex m_pendingMutex;
    int m_pending = 0; // guarded by m_pendingMutex
};

} // namespace tarnik
