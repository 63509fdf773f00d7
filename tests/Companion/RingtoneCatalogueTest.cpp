#include "RingtoneCatalogue.h"

#include "Platform/PropertyList.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimeZone>
#include <csignal>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tarnik {
namespace {

TEST(RingtoneCatalogueTest, ANewEntryKeepsEveryOtherKeyAndItsType)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Ringtones.plist"));
    const QDateTime when = QDateTime::fromSecsSinceEpoch(1700000000, Qt::UTC);
    const QVariantMap old {
        { QStringLiteral("Version"), qint64(3) },
        { QStringLiteral("Created"), when },
        { QStringLiteral("Ringtones"),
            QVariantMap { { QStringLiteral("Old.m4r"),
                QVariantMap { { QStringLiteral("Name"), QStringLiteral("Old") },
                    { QStringLiteral("Protected Content"), false },
                    { QStringLiteral("Blob"), QByteArray("\x01\x02") } } } } },
    };
    ASSERT_TRUE(PropertyList::write(path, old));

    ASSERT_TRUE(RingtoneCatalogue(path).addRingtone(QStringLiteral("New.m4r"), QStringLiteral("New Tone"), 6000));

    const auto root = PropertyList::readDictionary(path);
    ASSERT_TRUE(root);
    EXPECT_EQ(root->value(QStringLiteral("Version")), QVariant(qint64(3)));
    EXPECT_EQ(root->value(QStringLiteral("Created")).toDateTime(), when);
    const QVariantMap ringtones = root->value(QStringLiteral("Ringtones")).toMap();
    EXPECT_EQ(ringtones.value(QStringLiteral("Old.m4r")),
        old.value(QStringLiteral("Ringtones")).toMap().value(QStringLiteral("Old.m4r")));

    const QVariantMap entry = ringtones.value(QStringLiteral("New.m4r")).toMap();
    EXPECT_EQ(entry.value(QStringLiteral("Name")).toString(), QStringLiteral("New Tone"));
    EXPECT_EQ(entry.value(QStringLiteral("Total Time")).toLongLong(), 6000);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^[0-9A-F]{16}$"))
                    .match(entry.value(QStringLiteral("GUID")).toString())
                    .hasMatch());
    EXPECT_GT(entry.value(QStringLiteral("PID")).toLongLong(), 0);
}

TEST(RingtoneCatalogueTest, AMissingCatalogueIsMadeAndAnUnreadableOneIsLeftAlone)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Purchases/Ringtones.plist"));
    ASSERT_TRUE(RingtoneCatalogue(path).addRingtone(QStringLiteral("A.m4r"), QStringLiteral("A"), 1000));
    EXPECT_EQ(PropertyList::readDictionary(path)->value(QStringLiteral("Ringtones")).toMap().size(), 1);

    const struct
    {
        const char *name;
        QByteArray content;
    } broken[] = {
        { "not a property list", QByteArrayLiteral("this is no catalogue") },
        { "an array at the root", PropertyList::toBytes(QVariantList { 1, 2 }).value_or(QByteArray()) },
        { "Ringtones is a text",
            PropertyList::toBytes(QVariantMap { { QStringLiteral("Ringtones"), QStringLiteral("x") } })
                .value_or(QByteArray()) },
    };
    for (const auto &c : broken) {
        ASSERT_FALSE(c.content.isEmpty()) << c.name;
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(c.content);
        file.close();
        EXPECT_FALSE(RingtoneCatalogue(path).addRingtone(QStringLiteral("B.m4r"), QStringLiteral("B"), 1000)) << c.name;
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), c.content) << c.name;
    }
}

// A companion killed at any moment while it adds ringtones: once the next start has finished what
// it found, the folder and the catalogue agree. Each round kills a child that keeps adding right
// after one of the three steps (the file takes its pending name, the entry is saved, the file takes
// its name) shows in the folder, so the kill lands anywhere around each step.
TEST(RingtoneCatalogueTest, AKillAtAnyMomentLeavesTheFileWithItsEntryOrNeither)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QString folder = home.filePath(QStringLiteral("Purchases"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("/Ringtones.plist");
    const RingtoneCatalogue catalogue(path);

    const int watch = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    ASSERT_GE(watch, 0);
    ASSERT_GE(::inotify_add_watch(watch, QFile::encodeName(folder).constData(), IN_MOVED_TO | IN_CREATE), 0);
    // True once a name that `isStep` accepts arrives in the folder; false after a minute without.
    const auto awaitStep = [watch](const auto &isStep) {
        alignas(inotify_event) char buffer[4096];
        const QDeadlineTimer deadline(60000);
        for (;;) {
            pollfd ready { watch, POLLIN, 0 };
            if (::poll(&ready, 1, int(deadline.remainingTime())) != 1)
                return false;
            const ssize_t length = ::read(watch, buffer, sizeof buffer);
            for (ssize_t at = 0; at < length;) {
                const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
                if (event->len > 0 && isStep(QFile::decodeName(event->name)))
                    return true;
                at += ssize_t(sizeof(inotify_event) + event->len);
            }
        }
    };
    const auto isPending = [](const QString &name) { return name.startsWith(RingtoneCatalogue::kPendingPrefix); };
    const auto isCatalogue = [](const QString &name) { return name == QStringLiteral("Ringtones.plist"); };
    const auto isRingtone = [](const QString &name) { return !name.startsWith(QLatin1Char('.')) && name.endsWith(QStringLiteral(".m4r")); };

    for (int round = 0; round < 12; ++round) {
        // What the last round and its clean-up did is no step of this one.
        for (char drain[4096]; ::read(watch, drain, sizeof drain) > 0;) { }
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            for (int number = 0;; ++number) {
                const QString temporary = folder + QStringLiteral("/.saltrig-%1-%2.m4r").arg(round).arg(number);
                QFile file(temporary);
                if (!file.open(QIODevice::WriteOnly) || file.write("ring") != 4)
                    ::_exit(1);
                file.close();
                if (!catalogue.addRingtoneFile(temporary, QStringLiteral("Tone"), QStringLiteral("m4r"), QStringLiteral("Tone"), 1000))
                    ::_exit(2);
            }
        }
        const bool stepped = round % 3 == 0 ? awaitStep(isPending) : round % 3 == 1 ? awaitStep(isCatalogue) : awaitStep(isRingtone);
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(stepped) << "round " << round;
        ASSERT_TRUE(WIFSIGNALED(status)) << "round " << round << ": the child ended by itself, status " << status;

        catalogue.finishPendingFiles();

        // No catalogue yet reads as one without entries.
        const auto root = QFile::exists(path) ? PropertyList::readDictionary(path) : std::optional(QVariantMap());
        ASSERT_TRUE(root) << "round " << round;
        QStringList entries = root->value(QStringLiteral("Ringtones")).toMap().keys();
        QStringList ringtones;
        for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name)) {
            if (isRingtone(name))
                ringtones.append(name);
            else if (name == QStringLiteral("Ringtones.plist") || name.startsWith(QStringLiteral(".saltrig-")))
                EXPECT_FALSE(isPending(name)) << "round " << round << ": " << name.toStdString();
            else
                ADD_FAILURE() << "round " << round << ": left behind: " << name.toStdString();
        }
        entries.sort();
        ringtones.sort();
        EXPECT_EQ(ringtones.join(QStringLiteral(", ")).toStdString(), entries.join(QStringLiteral(", ")).toStdString())
            << "round " << round << ": files, then entries";
    }
    ::close(watch);
}

} // namespace
} // namespace tarnik
