#include "App/IncomingDocuments.h"

#include "App/InstanceChannel.h"
#include "App/Preferences.h"

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>
#include <sys/stat.h>

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
