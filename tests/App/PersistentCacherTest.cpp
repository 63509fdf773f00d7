#include "App/PersistentCacher.h"

#include "Platform/StandardFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QSet>
#include <QThread>
#include <atomic>
#include <chrono>
#include <future>
#include <gtest/gtest.h>
#include <memory>
#include <thread>

namespace tarnik {

namespace {

using namespace std::chrono_literals;

// Generous: only a broken cacher ever waits this long.
constexpr auto kPatience = 30s;

PersistentCache<QString> textCache(const QString &identifier, const QString &path = QString())
{
    return { identifier, path, [](const QString &value) -> std::optional<QByteArray> { return value.toUtf8(); },
        [](const QByteArray &bytes) -> std::optional<QString> { return QString::fromUtf8(bytes); } };
}

QByteArray slurp(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

template<typename T> T await(std::future<T> &future)
{
    if (future.wait_for(kPatience) != std::future_status::ready) {
        ADD_FAILURE() << "completion never came";
        return T();
    }
    return future.get();
}

struct PersistResult
{
    bool ok = false;
    bool onCallerThread = true;
};

PersistResult persistAndWait(PersistentCacher &cacher, const QString &value, const PersistentCache<QString> &cache)
{
    auto promise = std::make_shared<std::promise<PersistResult>>();
    auto future = promise->get_future();
    QThread *caller = QThread::currentThread();
    cacher.persist(value, cache, [promise, caller](bool ok) {
        promise->set_value({ ok, QThread::currentThread() == caller });
    });
    return await(future);
}

std::optional<QString> loadAndWait(
    PersistentCacher &cacher, const PersistentCache<QString> &cache, bool *onCallerThread = nullptr)
{
    auto promise = std::make_shared<std::promise<std::pair<std::optional<QString>, bool>>>();
    auto future = promise->get_future();
    QThread *caller = QThread::currentThread();
    cacher.load(cache, std::function<void(std::optional<QString>)>([promise, caller](std::optional<QString> value) {
        promise->set_value({ std::move(value), QThread::currentThread() == caller });
    }));
    const auto [value, sameThread] = await(future);
    if (onCallerThread)
        *onCallerThread = sameThread;
    return value;
}

class PersistentCacherTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const QString folder = QDir::cleanPath(StandardFolders::temporaryDirectory());
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
    }
};

} // namespace

TEST_F(PersistentCacherTest, DestinationsAreTheTemporaryFolderItselfOrANewDocumentsFolder)
{
    const PersistentCacher temporary(PersistentCacher::CacheDestination::temporary());
    EXPECT_EQ(temporary.destination(), QUrl::fromLocalFile(StandardFolders::temporaryDirectory()));
    EXPECT_EQ(temporary.filePath(QStringLiteral("abc")), StandardFolders::temporaryDirectory() + QStringLiteral("abc"));

    const QString folder = StandardFolders::documentsDirectory() + QStringLiteral("/NewCacheFolder");
    QDir(folder).removeRecursively();
    const PersistentCacher documents(PersistentCacher::CacheDestination::atFolder(QStringLiteral("NewCacheFolder")));
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(documents.destination(), QUrl::fromLocalFile(folder + QLatin1Char('/')));
}

TEST_F(PersistentCacherTest, WritesOneFileNamedByTheIdentifierAndReadsItBackOffTheCallersThread)
{
    PersistentCacher cacher(PersistentCacher::CacheDestination::temporary());
    const auto written = persistAndWait(cacher, QStringLiteral("héllo"), textCache(QStringLiteral("row-1")));
    EXPECT_TRUE(written.ok);
    EXPECT_FALSE(written.onCallerThread);
    EXPECT_EQ(
        QDir(StandardFolders::temporaryDirectory()).entryList(QDir::Files), QStringList { QStringLiteral("row-1") });
    EXPECT_EQ(slurp(cacher.filePath(QStringLiteral("row-1"))), QStringLiteral("héllo").toUtf8());

    // The described path is carried, not used: same identifier, same file.
    bool onCallerThread = true;
    EXPECT_EQ(loadAndWait(cacher, textCache(QStringLiteral("row-1"), QStringLiteral("/elsewhere")), &onCallerThread),
        QStringLiteral("héllo"));
    EXPECT_FALSE(onCallerThread);

    // A second write replaces the file whole, a shorter value leaving no tail of the longer one.
    EXPECT_TRUE(
        persistAndWait(cacher, QStringLiteral("x"), textCache(QStringLiteral("row-1"), QStringLiteral("/b"))).ok);
    EXPECT_EQ(slurp(cacher.filePath(QStringLiteral("row-1"))), QByteArray("x"));
}

TEST_F(PersistentCacherTest, FailuresAreReportedAndNeverLookLikeSuccess)
{
    PersistentCacher cacher(PersistentCacher::CacheDestination::temporary());
    ASSERT_TRUE(persistAndWait(cacher, QStringLiteral("old"), textCache(QStringLiteral("kept"))).ok);

    auto failingEncode = textCache(QStringLiteral("kept"));
    failingEncode.transform = [](const QString &) -> std::optional<QByteArray> { return std::nullopt; };
    EXPECT_FALSE(persistAndWait(cacher, QStringLiteral("new"), failingEncode).ok);
    EXPECT_EQ(slurp(cacher.filePath(QStringLiteral("kept"))), QByteArray("old")) << "a failed write keeps the old file";

    auto failingDecode = textCache(QStringLiteral("kept"));
    failingDecode.reverse = [](const QByteArray &) -> std::optional<QString> { return std::nullopt; };
    EXPECT_EQ(loadAndWait(cacher, failingDecode), std::nullopt);
    EXPECT_EQ(loadAndWait(cacher, textCache(QStringLiteral("missing"))), std::nullopt);

    // The folder turned into a regular file: nothing can be written or read there.
    const QString folder = StandardFolders::documentsDirectory() + QStringLiteral("/Gone");
    PersistentCacher gone(PersistentCacher::CacheDestination::atFolder(QStringLiteral("Gone")));
    ASSERT_TRUE(QDir(folder).removeRecursively());
    QFile blocker(folder);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_FALSE(persistAndWait(gone, QStringLiteral("v"), textCache(QStringLiteral("a"))).ok);
    EXPECT_EQ(loadAndWait(gone, textCache(QStringLiteral("a"))), std::nullopt);
    QFile::remove(folder);
}

TEST_F(PersistentCacherTest, IdentifiersThatAreNotPlainFileNamesAreRefused)
{
    PersistentCacher cacher(PersistentCacher::CacheDestination::atFolder(QStringLiteral("Inner")));
    const QString outside = StandardFolders::documentsDirectory() + QStringLiteral("/escaped");
    QFile::remove(outside);
    for (const QString &identifier :
        { QString(), QStringLiteral("."), QStringLiteral(".."), QStringLiteral("../escaped"), QStringLiteral("a/b") }) {
        SCOPED_TRACE(identifier.toStdString());
        EXPECT_FALSE(persistAndWait(cacher, QStringLiteral("v"), textCache(identifier)).ok);
        EXPECT_EQ(loadAndWait(cacher, textCache(identifier)), std::nullopt);
    }
    EXPECT_FALSE(QFileInfo::exists(outside));
}

TEST_F(PersistentCacherTest, AReaderDuringWritesSeesTheOldOrTheNewValueWhole)
{
    PersistentCacher cacher(PersistentCacher::CacheDestination::temporary());
    const QString a(200000, QLatin1Char('a'));
    const QString b(150000, QLatin1Char('b'));
    const auto cache = textCache(QStringLiteral("contended"));
    ASSERT_TRUE(persistAndWait(cacher, a, cache).ok);

    std::atomic<bool> writing = true;
    std::atomic<int> torn = 0;
    std::atomic<int> reads = 0;
    std::thread reader([&] {
        while (writing || reads < 20) {
            const QByteArray bytes = slurp(cacher.filePath(QStringLiteral("contended")));
            if (bytes != a.toUtf8() && bytes != b.toUtf8())
                ++torn;
            ++reads;
        }
    });
    for (int i = 0; i < 40; ++i)
        EXPECT_TRUE(persistAndWait(cacher, i % 2 ? a : b, cache).ok);
    writing = false;
    reader.join();
    EXPECT_EQ(torn, 0);
}

TEST_F(PersistentCacherTest, QueuedWorkFinishesAfterTheCacherIsGone)
{
    auto cacher = std::make_unique<PersistentCacher>(PersistentCacher::CacheDestination::temporary());
    const QString path = cacher->filePath(QStringLiteral("late"));
    // Every write waits at a gate that opens only after the cacher is gone, so most of them are
    // still queued, not running, when it goes: none may be dropped. (The gate gives up after a
    // while so that a cacher that blocks until its work is done makes this slow, not hung.)
    std::promise<void> open;
    std::shared_future<void> gate = open.get_future().share();
    auto cache = textCache(QStringLiteral("late"));
    cache.transform = [gate](const QString &value) -> std::optional<QByteArray> {
        gate.wait_for(5s);
        return value.toUtf8();
    };
    std::vector<std::future<bool>> done;
    for (int i = 0; i < 4 * qMax(2, QThread::idealThreadCount()); ++i) {
        auto promise = std::make_shared<std::promise<bool>>();
        done.push_back(promise->get_future());
        cacher->persist(QString::number(i), cache, [promise](bool ok) { promise->set_value(ok); });
    }
    cacher.reset();
    open.set_value();
    for (auto &future : done)
        EXPECT_TRUE(await(future));
    EXPECT_TRUE(QFileInfo(path).isFile());
}

TEST_F(PersistentCacherTest, ACacherMayBeDroppedFromItsOwnCompletion)
{
    auto promise = std::make_shared<std::promise<bool>>();
    auto future = promise->get_future();
    auto cacher = std::make_shared<PersistentCacher>(PersistentCacher::CacheDestination::temporary());
    auto holder = std::make_shared<std::shared_ptr<PersistentCacher>>(cacher);
    cacher->persist(QStringLiteral("v"), textCache(QStringLiteral("self")), [holder, promise](bool ok) {
        holder->reset(); // the last owner lets go on the cacher's own thread
        promise->set_value(ok);
    });
    cacher.reset();
    EXPECT_TRUE(await(future));
}

TEST_F(PersistentCacherTest, ManyCachersWorkAtOnce)
{
    // The threads that encode, all cachers together: one shared, bounded pool, not a pool per cacher.
    QMutex mutex;
    QSet<QThread *> threads;
    std::vector<std::unique_ptr<PersistentCacher>> cachers;
    std::vector<std::future<bool>> done;
    for (int c = 0; c < 50; ++c) {
        cachers.push_back(std::make_unique<PersistentCacher>(PersistentCacher::CacheDestination::temporary()));
        for (int i = 0; i < 4; ++i) {
            auto promise = std::make_shared<std::promise<bool>>();
            done.push_back(promise->get_future());
            auto cache = textCache(QStringLiteral("c%1-%2").arg(c).arg(i));
            cache.transform = [&mutex, &threads](const QString &value) -> std::optional<QByteArray> {
                const QMutexLocker locker(&mutex);
                threads.insert(QThread::currentThread());
                return value.toUtf8();
            };
            cachers.back()->persist(QStringLiteral("value"), cache, [promise](bool ok) { promise->set_value(ok); });
        }
    }
    for (auto &future : done)
        EXPECT_TRUE(await(future));
    EXPECT_EQ(QDir(StandardFolders::temporaryDirectory()).entryList(QDir::Files).size(), 200);
    const QMutexLocker locker(&mutex);
    EXPECT_LE(threads.size(), qMax(2, QThread::idealThreadCount()));
}

} // namespace tarnik
