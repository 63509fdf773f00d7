#include "App/IncomingDocuments.h"

#include "App/IncomingDocumentQueue.h"
#include "App/InstanceChannel.h"
#include "App/Preferences.h"
#include "Platform/Dispatch.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <future>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

using namespace tarnik;

namespace {
void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}
QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

TEST(IncomingDocumentsTest, FilesAreCopiedIntoTheInboxAndTheCopyIsOpened)
{
    QTemporaryDir dir;
    const QString original = dir.path() + QStringLiteral("/My Song.mp3");
    writeFile(original, "original");
    const auto first = IncomingDocuments::urlForArgument(QStringLiteral("My Song.mp3"), dir.path());
    ASSERT_TRUE(first);
    const QString copy = QUrl(*first).toLocalFile();
    EXPECT_EQ(QFileInfo(copy).absolutePath(), Preferences::inboxPath());
    EXPECT_EQ(readFile(copy), "original");
    // The same name again gets a new one; a file URL works too.
    const auto second
        = IncomingDocuments::urlForArgument(QUrl::fromLocalFile(original).toString(), QStringLiteral("/"));
    ASSERT_TRUE(second);
    EXPECT_TRUE(QUrl(*second).toLocalFile().endsWith(QStringLiteral("/My Song-1.mp3")));
    // Removing the copy cannot touch the original.
    QFile::remove(copy);
    EXPECT_EQ(readFile(original), "original");

    // Links pass through unchanged, letter case included.
    EXPECT_EQ(IncomingDocuments::urlForArgument(QStringLiteral("Tarnik://?locate=%2F"), dir.path()),
        QStringLiteral("Tarnik://?locate=%2F"));
    // Nothing usable: missing files, folders, FIFOs, empty text.
    const QString fifo = dir.path() + QStringLiteral("/pipe");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString &bad : { QStringLiteral("missing.mp3"), dir.path(), fifo, QString() })
        EXPECT_FALSE(IncomingDocuments::urlForArgument(bad, dir.path())) << bad.toStdString();

    EXPECT_EQ(IncomingDocuments::absoluteArguments(
                  { QStringLiteral("a.mp3"), QStringLiteral("tarnik://?x=1") }, QStringLiteral("/music")),
        (QStringList { QStringLiteral("/music/a.mp3"), QStringLiteral("tarnik://?x=1") }));
}

TEST(InstanceChannelTest, ASecondInstanceForwardsItsArgumentsToTheFirst)
{
    QTemporaryDir dir;
    const QString name = dir.path() + QStringLiteral("/test.socket");
    EXPECT_FALSE(InstanceChannel::forward({ QStringLiteral("x") }, name, 200)); // nobody listens yet

    InstanceChannel first(name);
    ASSERT_TRUE(first.listen());
    QSignalSpy received(&first, &InstanceChannel::received);
    InstanceChannel second(name);
    EXPECT_FALSE(second.listen()); // the first is alive

    const QStringList args { QStringLiteral("/music/a b.mp3"), QStringLiteral("tarnik://?locate=%2F") };
    ASSERT_TRUE(InstanceChannel::forward(args, name));
    ASSERT_TRUE(received.wait(5000));
    EXPECT_EQ(received.first().first().toStringList(), args);
}

TEST(InstanceChannelTest, AStaleSocketIsTakenOverAndGarbageIsIgnored)
{
    QTemporaryDir dir;
    const QString name = dir.path() + QStringLiteral("/stale.socket");
    writeFile(name, "not a socket");
    InstanceChannel channel(name);
    ASSERT_TRUE(channel.listen());
    QSignalSpy received(&channel, &InstanceChannel::received);

    QLocalSocket socket;
    socket.connectToServer(name);
    ASSERT_TRUE(socket.waitForConnected(2000));
    socket.write(QByteArray("\xff\xff\xff\x7f garbage", 13));
    socket.waitForBytesWritten(2000);
    socket.disconnectFromServer();
    // A good message after the bad one still arrives, alone; so does an
    // empty one (a second start without arguments brings the window up).
    ASSERT_TRUE(InstanceChannel::forward({ QStringLiteral("ok") }, name));
    ASSERT_TRUE(received.wait(5000));
    EXPECT_EQ(received.last().first().toStringList(), QStringList { QStringLiteral("ok") });
    EXPECT_EQ(received.size(), 1);
    ASSERT_TRUE(InstanceChannel::forward({}, name));
    ASSERT_TRUE(received.wait(5000));
    EXPECT_EQ(received.last().first().toStringList(), QStringList {});
}

namespace {

int openDescriptors()
{
    return int(
        QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size());
}

// A client that connects and then says nothing; -1 when no descriptor or queue place is left.
int idleClient(const QString &path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return -1;
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    const QByteArray native = QFile::encodeName(path);
    std::memcpy(address.sun_path, native.constData(), size_t(native.size()));
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Whether the other end has closed the connection.
bool closedByPeer(int fd)
{
    char byte = 0;
    return ::recv(fd, &byte, 1, MSG_DONTWAIT) == 0;
}

} // namespace

TEST(InstanceChannelTest, AFloodOfIdleConnectionsNeverEndsSingleInstance)
{
    Dispatch::VirtualClock clock;
    QTemporaryDir dir;
    const QString name = dir.path() + QStringLiteral("/flood.socket");
    InstanceChannel channel(name);
    ASSERT_TRUE(channel.listen());
    QSignalSpy received(&channel, &InstanceChannel::received);

    // Few descriptors left: the flood runs the process out of them as a thousand connections
    // would under the usual limit.
    rlimit saved = {};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    rlimit low = saved;
    low.rlim_cur = rlim_t(openDescriptors() + 48);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &low), 0);
    // They all queue before the channel gets to accept any.
    std::vector<int> clients;
    for (int i = 0; i < 200; ++i) {
        const int fd = idleClient(name);
        if (fd < 0)
            break;
        clients.push_back(fd);
    }
    ASSERT_GT(clients.size(), size_t(2 * InstanceChannel::kMaxConnections));
    QCoreApplication::processEvents();
    // Some flooders give up; the others stay, idle.
    for (int i = 0; i < 2 * InstanceChannel::kMaxConnections; ++i) {
        ::close(clients.back());
        clients.pop_back();
    }
    clock.advance(InstanceChannel::kAcceptRetrySeconds);
    QCoreApplication::processEvents();
    EXPECT_TRUE(QFileInfo::exists(name)) << "the socket is kept";
    EXPECT_FALSE(InstanceChannel(name).listen()) << "a second instance still finds the first";
    const bool forwarded = InstanceChannel::forward({ QStringLiteral("/music/after.mp3") }, name, 2000);
    ::setrlimit(RLIMIT_NOFILE, &saved);
    ASSERT_TRUE(forwarded);
    ASSERT_TRUE(received.wait(5000));
    EXPECT_EQ(received.last().first().toStringList(), QStringList { QStringLiteral("/music/after.mp3") });

    // Idle connections do not stay: every flooding client is dropped within a few lifetimes.
    for (int round = 0; round < 4; ++round) {
        QCoreApplication::processEvents();
        clock.advance(InstanceChannel::kConnectionLifetimeSeconds + InstanceChannel::kAcceptRetrySeconds);
    }
    QCoreApplication::processEvents();
    for (const int fd : clients) {
        EXPECT_TRUE(closedByPeer(fd));
        ::close(fd);
    }
}

TEST(IncomingDocumentsTest, HandedOverFilesAreCopiedOffTheGuiThreadInOrder)
{
    QTemporaryDir dir;
    const QString large = dir.path() + QStringLiteral("/Large Film.mp4");
    QByteArray content(3 * 1024 * 1024 + 17, Qt::Uninitialized);
    for (qsizetype i = 0; i < content.size(); ++i)
        content[i] = char((i * 7919) >> 5);
    writeFile(large, content);

    // The copy waits until the test has seen the GUI thread go on without it.
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<bool> copiedOnGuiThread { false };
    const auto resolver = [&, released](const QString &argument, const QString &workingDirectory) {
        if (QThread::currentThread() == QCoreApplication::instance()->thread())
            copiedOnGuiThread = true;
        released.wait_for(std::chrono::seconds(5));
        return IncomingDocuments::urlForArgument(argument, workingDirectory);
    };
    QStringList opened;
    IncomingDocumentQueue queue([&](const QString &url) { opened.append(url); }, resolver);
    QSignalSpy started(&queue, &IncomingDocumentQueue::copyStarted);
    QSignalSpy finished(&queue, &IncomingDocumentQueue::copyFinished);
    QSignalSpy drained(&queue, &IncomingDocumentQueue::drained);

    queue.enqueue({ large, QStringLiteral("tarnik://?locate=%2F"), QStringLiteral("missing.mp3") }, dir.path());
    EXPECT_EQ(started.size(), 1) << "the loader shows at once";
    EXPECT_TRUE(finished.isEmpty());
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_TRUE(queue.isBusy());
    release.set_value();
    ASSERT_TRUE(drained.wait(10000));

    EXPECT_FALSE(copiedOnGuiThread);
    ASSERT_EQ(opened.size(), 2);
    EXPECT_EQ(readFile(QUrl(opened.at(0)).toLocalFile()), content);
    EXPECT_EQ(opened.at(1), QStringLiteral("tarnik://?locate=%2F"));
    ASSERT_EQ(finished.size(), 2);
    EXPECT_EQ(finished.at(0), (QVariantList { QStringLiteral("Large Film.mp4"), true }));
    EXPECT_EQ(finished.at(1), (QVariantList { QStringLiteral("missing.mp3"), false }));
    EXPECT_FALSE(queue.isBusy());
}

TEST(IncomingDocumentsTest, AFailedCopyLeavesNothingInTheInbox)
{
    QTemporaryDir dir;
    const QString source = dir.path() + QStringLiteral("/song.mp3");
    writeFile(source, QByteArray(2 * 1024 * 1024, 'x'));
    const QString inbox = dir.path() + QStringLiteral("/Inbox");

    // A file-size limit makes the writes fail part-way, as a full disk would.
    rlimit saved = {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit low = saved;
    low.rlim_cur = 256 * 1024;
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &low), 0);
    const std::optional<QString> copy = IncomingDocuments::copyIntoInbox(source, inbox);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    EXPECT_FALSE(copy);
    EXPECT_EQ(QDir(inbox).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList {});
    // With room again the same file copies whole, under its own name.
    const std::optional<QString> second = IncomingDocuments::copyIntoInbox(source, inbox);
    ASSERT_TRUE(second);
    EXPECT_EQ(*second, inbox + QStringLiteral("/song.mp3"));
    EXPECT_EQ(QFileInfo(*second).size(), 2 * 1024 * 1024);
    EXPECT_EQ(QFileInfo(*second).permissions() & (QFileDevice::ReadOther | QFileDevice::ReadGroup), 0);
}
