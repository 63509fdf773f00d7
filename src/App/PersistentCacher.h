#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <functional>
#include <memory>
#include <optional>

class QThreadPool;

namespace tarnik {

class OperationQueue;

// How one value is cached: the name of its file in the cacher's folder and the two
// conversions between the value and the file's bytes. `path` names the thing the value
// describes; it travels with the description and the cacher does not use it.
template<typename Value> struct PersistentCache
{
    QString identifier;
    QString path;
    // Encodes the value for writing; no value when it cannot.
    std::function<std::optional<QByteArray>(const Value &)> transform;
    // Decodes the bytes read back; no value when they are not a value.
    std::function<std::optional<Value>(const QByteArray &)> reverse;
};

// Keeps one value per file in a cache folder and writes and reads them off the caller's thread.
//
// Every write and read runs on the cacher's own operation queue; the queues of all cachers
// draw their threads from one bounded pool, so many cachers never mean many threads. Writes
// replace a file atomically: a reader sees the old content or the new, never a part.
// Completions run on a background thread (never the caller's): callers that touch the
// interface move to the main thread themselves. Work already queued finishes even when the
// cacher is destroyed, which never blocks. The cacher deletes nothing; clearing the cache is
// removing files from its folder.
class PersistentCacher
{
public:
    class CacheDestination
    {
    public:
        enum class Kind { atFolder, temporary };

        // A folder of that name inside the documents folder.
        static CacheDestination atFolder(const QString &name);
        // The app's temporary folder itself, with no sub-folder.
        static CacheDestination temporary();

        Kind kind() const { return m_kind; }
        QString folderName() const { return m_folderName; }

    private:
        CacheDestination(Kind kind, QString folderName);
        Kind m_kind;
        QString m_folderName;
    };

    // Creates the folder (and those above it) when missing.
    explicit PersistentCacher(const CacheDestination &destination);
    ~PersistentCacher();
    PersistentCacher(const PersistentCacher &) = delete;
    PersistentCacher &operator=(const PersistentCacher &) = delete;

    // The cache folder, as a file URL.
    QUrl destination() const;
    // The file that holds the value of that identifier: the folder joined with it.
    QString filePath(const QString &identifier) const;

    // Queues encoding and writing the value; returns at once. completion(false) when the
    // value could not be encoded or written (the old file, if any, is then untouched).
    template<typename Value>
    void persist(const Value &value, const PersistentCache<Value> &cache, std::function<void(bool)> completion)
    {
        auto transform = cache.transform;
        enqueueWrite(
            cache.identifier,
            [value, transform]() -> std::optional<QByteArray> { return transform ? transform(value) : std::nullopt; },
            std::move(completion));
    }

    // Queues reading and decoding the value's file; returns at once. completion(no value) when
    // the file is missing or unreadable or its bytes do not decode.
    template<typename Value>
    void load(const PersistentCache<Value> &cache, std::function<void(std::optional<Value>)> completion)
    {
        auto reverse = cache.reverse;
        enqueueRead(
            cache.identifier, [reverse, completion = std::move(completion)](const std::optional<QByteArray> &bytes) {
                std::optional<Value> value;
                if (bytes && reverse)
                    value = reverse(*bytes);
                if (bytes && !value)
                    reportFailure(QStringLiteral("Failed to read item from cache: the bytes do not decode"));
                if (completion)
                    completion(std::move(value));
            });
    }

private:
    void enqueueWrite(const QString &identifier, std::function<std::optional<QByteArray>()> encode,
        std::function<void(bool)> completion);
    void enqueueRead(const QString &identifier, std::function<void(const std::optional<QByteArray> &)> deliver);
    static void reportFailure(const QString &message);

    QString m_folder;
    // Shared by every cacher; declared before the queue so it outlives it.
    std::shared_ptr<QThreadPool> m_pool;
    std::shared_ptr<OperationQueue> m_queue;
};

} // namespace tarnik
