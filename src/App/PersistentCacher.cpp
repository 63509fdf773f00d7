#include "App/PersistentCacher.h"

#include "App/Globals.h"
#include "Platform/Media/RegularFile.h"
#include "Platform/OperationQueue.h"
#include "Platform/StandardFolders.h"

#include <QDir>
#include <QFile>
#include <QMutex>
#include <QMutexLocker>
#include <QSaveFile>
#include <QThread>
#include <QThreadPool>
#include <atomic>
#include <unistd.h>

namespace tarnik {

namespace {

// Cached items are view models with a thumbnail; anything larger is no item of ours.
constexpr std::int64_t kMaximumItemBytes = 64 * 1024 * 1024;

// Every cacher's queue draws on this one pool. It lives as long as some cacher (or work a
// gone cacher left queued) holds it, and joins its threads when the last one lets go.
std::shared_ptr<QThreadPool> sharedPool()
{
    static QMutex mutex;
    static std::weak_ptr<QThreadPool> shared;
    const QMutexLocker locker(&mutex);
    auto pool = shared.lock();
    if (!pool) {
        pool = std::make_shared<QThreadPool>();
        pool->setObjectName(QStringLiteral("PersistentCacher"));
        pool->setMaxThreadCount(qMax(2, QThread::idealThreadCount()));
        shared = pool;
    }
    return pool;
}

// An identifier names one file inside the folder; anything that would reach outside it, or
// name the folder itself, is refused rather than written.
bool isFileName(const QString &identifier)
{
    return !identifier.isEmpty() && identifier != QLatin1String(".") && identifier != QLatin1String("..")
        && !identifier.contains(QLatin1Char('/')) && !identifier.contains(QChar(0));
}

bool writeAtomically(const QString &path, const QByteArray &bytes, QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    if (file.write(bytes) != bytes.size() || !file.flush() || ::fsync(file.handle()) != 0) {
        *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace

PersistentCacher::CacheDestination::CacheDestination(Kind kind, QString folderName)
    : m_kind(kind)
    , m_folderName(std::move(folderName))
{
}

PersistentCacher::CacheDestination PersistentCacher::CacheDestination::atFolder(const QString &name)
{
    return CacheDestination(Kind::atFolder, name);
}

PersistentCacher::CacheDestination PersistentCacher::CacheDestination::temporary()
{
    return CacheDestination(Kind::temporary, QString());
}

PersistentCacher::PersistentCacher(const CacheDestination &destination)
    : m_pool(sharedPool())
    , m_queue(std::make_shared<OperationQueue>(
          QString(), OperationQueue::kDefaultMaxConcurrentOperationCount, m_pool.get()))
{
    if (destination.kind() == CacheDestination::Kind::temporary)
        m_folder = QDir::cleanPath(StandardFolders::temporaryDirectory());
    else
        m_folder = QDir::cleanPath(StandardFolders::documentsDirectory() + QLatin1Char('/') + destination.folderName());
    if (!QDir().mkpath(m_folder))
        reportFailure(QStringLiteral("Unable to create cache URL: cannot create ") + m_folder);
}

PersistentCacher::~PersistentCacher()
{
    // Work already queued keeps what it captured and must still finish, but the cacher may go
    // on any thread, one of its own operations included, so it never waits here: the queue is
    // drained and destroyed on a global thread. The global pool is used directly (not through
    // Dispatch) because this must not be dropped when the application object is already gone.
    auto drain = [queue = std::move(m_queue), pool = std::move(m_pool)]() mutable {
        queue->waitUntilAllOperationsAreFinished();
        queue.reset();
    };
    if (QThreadPool *global = QThreadPool::globalInstance())
        global->start(std::move(drain));
    else
        drain();
}

QUrl PersistentCacher::destination() const
{
    return QUrl::fromLocalFile(m_folder + QLatin1Char('/'));
}

QString PersistentCacher::filePath(const QString &identifier) const
{
    return m_folder + QLatin1Char('/') + identifier;
}

void PersistentCacher::enqueueWrite(
    const QString &identifier, std::function<std::optional<QByteArray>()> encode, std::function<void(bool)> completion)
{
    const QString path = filePath(identifier);
    const bool safe = isFileName(identifier);
    auto succeeded = std::make_shared<std::atomic<bool>>(false);
    auto operation = std::make_shared<BlockOperation>([path, safe, encode = std::move(encode), succeeded] {
        if (!safe) {
            reportFailure(QStringLiteral("Failed to write item to cache: not a file name: ") + path);
            return;
        }
        const auto bytes = encode();
        if (!bytes) {
            reportFailure(QStringLiteral("Failed to write item to cache: the value does not encode"));
            return;
        }
        QString error;
        if (!writeAtomically(path, *bytes, &error)) {
            reportFailure(QStringLiteral("Failed to write item to cache: ") + error);
            return;
        }
        succeeded->store(true);
    });
    operation->setCompletionBlock([succeeded, completion = std::move(completion)] {
        if (completion)
            completion(succeeded->load());
    });
    m_queue->addOperation(operation);
}

void PersistentCacher::enqueueRead(
    const QString &identifier, std::function<void(const std::optional<QByteArray> &)> deliver)
{
    const QString path = filePath(identifier);
    const bool safe = isFileName(identifier);
    m_queue->addOperation(std::make_shared<BlockOperation>([path, safe, deliver = std::move(deliver)] {
        std::optional<QByteArray> bytes;
        // Only a regular file is read, and never past the limit: a FIFO planted in the folder
        // must not block the queue, nor a huge or endless file fill the memory.
        if (!safe)
            reportFailure(QStringLiteral("Failed to read item from cache: not a file name: ") + path);
        else if (!(bytes = RegularFile::readAll(path, kMaximumItemBytes)))
            reportFailure(QStringLiteral("Failed to read item from cache: ") + path);
        deliver(bytes);
    }));
}

void PersistentCacher::reportFailure(const QString &message)
{
    _print(message);
}

} // namespace tarnik
