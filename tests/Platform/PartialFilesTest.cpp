#include "Platform/PartialFiles.h"

#include "Support/MediaFixtures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tarnik {
namespace {

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

// The number of a process that has ended (and been reaped), as a killed writer's is at the next start.
qint64 endedProcess()
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    int status = 0;
    ::waitpid(child, &status, 0);
    return qint64(child);
}

// Rewrites the record of a partial file as if another process had made it.
void recordAsWrittenBy(const QString &partial, qint64 pid)
{
    for (const QString &name : filesIn(PartialFiles::recordsFolder())) {
        QFile record(PartialFiles::recordsFolder() + QLatin1Char('/') + name);
        ASSERT_TRUE(record.open(QIODevice::ReadWrite));
        const QByteArray content = record.readAll();
        if (!content.endsWith(partial.toUtf8()))
            continue;
        record.resize(0);
        record.seek(0);
        record.write(QByteArray::number(pid) + '\n' + partial.toUtf8());
        return;
    }
    FAIL() << "no record of " << partial.toStdString();
}

class PartialFilesTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(folder.isValid()); }
    QString path(const QString &name) const { return folder.filePath(name); }
    // The files of this test's folder that have a record (other tests may be writing their own).
    QSet<QString> recorded() const
    {
        QSet<QString> paths;
        for (const QString &name : filesIn(PartialFiles::recordsFolder())) {
            QFile record(PartialFiles::recordsFolder() + QLatin1Char('/') + name);
            if (!record.open(QIODevice::ReadOnly))
                continue;
            const QString path = QString::fromUtf8(record.readAll().split('\n').value(1));
            if (path.startsWith(folder.path() + QLatin1Char('/')))
                paths.insert(QFileInfo(path).fileName());
        }
        return paths;
    }

    QTemporaryDir folder;
};

TEST_F(PartialFilesTest, NamesAreHiddenKeepTheExtensionAndNeverGrowWhenNested)
{
    const auto partial = PartialFiles::create(path(QStringLiteral("Song_AAC.m4a")));
    ASSERT_TRUE(partial);
    const QString name = QFileInfo(*partial).fileName();
    EXPECT_TRUE(name.startsWith(QStringLiteral(".Song_AAC.tarnik-partial-"))) << name.toStdString();
    EXPECT_TRUE(name.endsWith(QStringLiteral(".m4a")));
    EXPECT_TRUE(PartialFiles::isPartialName(name));
    EXPECT_EQ(QFileInfo(*partial).size(), 0);

    // The export session's own partial file beside a conversion's partial file.
    const auto nested = PartialFiles::create(*partial);
    ASSERT_TRUE(nested);
    EXPECT_EQ(QFileInfo(*nested).fileName().size(), name.size());
    EXPECT_NE(*nested, *partial);

    for (const char *user : { "Song.m4a", ".Song.m4a", "Song.tarnik-partial.m4a", ".Song.tarnik-partial-short.m4a" })
        EXPECT_FALSE(PartialFiles::isPartialName(QString::fromLatin1(user))) << user;

    EXPECT_EQ(recorded(), QSet<QString>({ name, QFileInfo(*nested).fileName() }));
    PartialFiles::release(*partial);
    PartialFiles::release(*nested);
    EXPECT_TRUE(recorded().isEmpty());
}

TEST_F(PartialFilesTest, TheNextStartRemovesWhatKilledWritersLeftAndNothingElse)
{
    const qint64 ended = endedProcess();
    // A conversion killed mid-export: its own partial file and the export session's beside it.
    const auto conversion = PartialFiles::create(path(QStringLiteral("Long_AAC.m4a")));
    const auto exporting = PartialFiles::create(*conversion);
    // One still being written by a live process (this one), one renamed into place before the kill,
    // and one whose name now belongs to a link.
    const auto live = PartialFiles::create(path(QStringLiteral("Live_AAC.m4a")));
    const auto renamed = PartialFiles::create(path(QStringLiteral("Done_AAC.m4a")));
    const auto linked = PartialFiles::create(path(QStringLiteral("Link_AAC.m4a")));
    ASSERT_TRUE(conversion && exporting && live && renamed && linked);
    ASSERT_TRUE(test::media::writeFile(*exporting, QByteArray(4096, 'a')));
    for (const auto &partial : { conversion, exporting, renamed, linked })
        recordAsWrittenBy(*partial, ended);
    ASSERT_TRUE(QFile::rename(*renamed, path(QStringLiteral("Done_AAC.m4a"))));
    ASSERT_TRUE(QFile::remove(*linked));
    ASSERT_TRUE(test::media::writeFile(path(QStringLiteral("target")), "user's"));
    ASSERT_TRUE(QFile::link(path(QStringLiteral("target")), *linked));
    // A user's files, one of them named like a partial file but never recorded.
    ASSERT_TRUE(test::media::writeFile(path(QStringLiteral("Long.ogg")), "music"));
    ASSERT_TRUE(test::media::writeFile(path(QStringLiteral(".Other.tarnik-partial-0123456789abc.m4a")), "x"));

    EXPECT_EQ(PartialFiles::removeLeftovers(), 2);

    const QStringList left = filesIn(folder.path());
    EXPECT_EQ(QSet<QString>(left.begin(), left.end()),
        QSet<QString>({ QFileInfo(*live).fileName(), QFileInfo(*linked).fileName(),
            QStringLiteral(".Other.tarnik-partial-0123456789abc.m4a"), QStringLiteral("Done_AAC.m4a"),
            QStringLiteral("Long.ogg"), QStringLiteral("target") }));
    EXPECT_EQ(recorded(), QSet<QString>({ QFileInfo(*live).fileName() })) << "only the live writer's record stays";
    PartialFiles::release(*live);
}

} // namespace
} // namespace tarnik
