#include "Entries/EntryViewModelController.h"

#include "App/PathExtension.h"
#include "App/Preferences.h"
#include "Entries/Entry.h"
#include "Entries/EntryViewModel.h"
#include "Entries/EntryViewModelOperation.h"
#include "Entries/NaturalSort.h"
#include "Platform/Dispatch.h"
#include "Platform/Media/MediaAsset.h"
#include "Support/EntriesSupport.h"
#include "Support/MediaFixtures.h"
#include "Support/MediaTagFixtures.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSemaphore>
#include <QSet>
#include <QTemporaryDir>
#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <functional>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace tarnik;

namespace {

struct Callback
{
    bool success = false;
    std::optional<QString> error;
    std::optional<QList<IndexPath>> indexPaths;
    std::optional<IndexPath> revealed;
};

class EntryViewModelControllerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        test::resetEntrySettings();
        ASSERT_TRUE(m_dir.isValid());
        m_controller = std::make_unique<EntryViewModelController>();
    }

    // Joined by hand: QDir::filePath() takes a name beginning with ":" for a resource path.
    QString path(const QString &name) const { return m_dir.path() + QLatin1Char('/') + name; }

    void makeFiles(int count, const QString &pattern = QStringLiteral("file %1.txt"))
    {
        for (int i = 0; i < count; ++i)
            ASSERT_TRUE(test::touch(path(pattern.arg(i))));
    }

    EntryViewModelController::FetchCompletion recorder()
    {
        return [this](bool success, const std::optional<QString> &error, const std::optional<QList<IndexPath>> &paths,
                   const std::optional<IndexPath> &revealed) {
            EXPECT_TRUE(Dispatch::isMainThread());
            m_callbacks.append(Callback { success, error, paths, revealed });
        };
    }

    // Lists a directory and waits for the first page.
    void list(const QString &directory, const std::optional<QString> &filePath = std::nullopt)
    {
        m_callbacks.clear();
        m_controller->getFiles(directory, filePath, recorder());
        ASSERT_TRUE(test::waitUntil([&] { return !m_callbacks.isEmpty(); }));
    }

    // Asks for a row and waits for the page it starts, if any.
    void askFor(int row)
    {
        const qsizetype before = m_callbacks.size();
        const int pagesBefore = m_controller->currentPage();
        m_controller->viewModel(row);
        if (m_controller->currentPage() != pagesBefore) {
            ASSERT_TRUE(test::waitUntil([&] { return m_callbacks.size() > before; }));
        }
    }

    QStringList listedNames() const
    {
        QStringList names;
        for (int row = 0; row < m_controller->numberOfViewModels(); ++row)
            names.append(m_controller->entry(row)->name());
        return names;
    }

    QTemporaryDir m_dir;
    std::unique_ptr<EntryViewModelController> m_controller;
    QList<Callback> m_callbacks;
};

QList<IndexPath> rows(int first, int end)
{
    QList<IndexPath> paths;
    for (int i = first; i < end; ++i)
        paths.append(IndexPath { i, 0 });
    return paths;
}

} // namespace

TEST_F(EntryViewModelControllerTest, EmptyMissingOrUnreadableDirectoriesReportOneEmptyPage)
{
    const QString unreadable = path(QStringLiteral("locked"));
    ASSERT_TRUE(QDir().mkpath(unreadable));
    ASSERT_TRUE(test::touch(unreadable + QStringLiteral("/inside")));
    ::chmod(QFile::encodeName(unreadable).constData(), 0);
    ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("empty"))));
    ASSERT_TRUE(test::touch(path(QStringLiteral("plain"))));

    const QString directories[] = { path(QStringLiteral("empty")), path(QStringLiteral("missing")),
        path(QStringLiteral("plain")), geteuid() == 0 ? QString() : unreadable };
    for (const QString &directory : directories) {
        if (directory.isEmpty())
            continue; // root reads every folder
        list(directory);
        test::drainMainQueue();
        ASSERT_EQ(m_callbacks.size(), 1) << directory.toStdString();
        const Callback &callback = m_callbacks.first();
        EXPECT_TRUE(callback.success);
        EXPECT_FALSE(callback.error.has_value());
        EXPECT_EQ(callback.indexPaths, (QList<IndexPath> { IndexPath { 0, 0 } }));
        EXPECT_FALSE(callback.revealed.has_value());
        EXPECT_EQ(m_controller->numberOfFiles(), 0);
        EXPECT_EQ(m_controller->numberOfViewModels(), 0);
        EXPECT_EQ(m_controller->currentPage(), 1);
        EXPECT_FALSE(m_controller->viewModel(0));
    }
    ::chmod(QFile::encodeName(unreadable).constData(), 0700);
}

TEST_F(EntryViewModelControllerTest, PagesOfAHundredLoadWhenTheLastRowIsAskedFor)
{
    makeFiles(250);
    list(m_dir.path());
    EXPECT_EQ(m_controller->numberOfFiles(), 250);
    ASSERT_EQ(m_callbacks.size(), 1);
    EXPECT_EQ(m_callbacks.last().indexPaths, rows(0, 100));
    EXPECT_EQ(m_controller->numberOfViewModels(), 100);

    EXPECT_FALSE(m_controller->viewModel(-1));
    EXPECT_FALSE(m_controller->viewModel(100));
    askFor(98);
    EXPECT_EQ(m_controller->currentPage(), 1) << "only the last loaded row starts a page";

    askFor(99);
    EXPECT_EQ(m_callbacks.last().indexPaths, rows(100, 200));
    askFor(199);
    EXPECT_EQ(m_callbacks.last().indexPaths, rows(200, 250));
    EXPECT_EQ(m_controller->numberOfViewModels(), 250);
    askFor(249);
    test::drainMainQueue();
    EXPECT_EQ(m_callbacks.size(), 3) << "250 is no multiple of 100: no further page";
    EXPECT_EQ(m_controller->currentPage(), 3);
    EXPECT_EQ(m_controller->viewModel(249)->title(), QStringLiteral("file 249.txt"));
    EXPECT_EQ(m_controller->entry(249)->indexPath(), (IndexPath { 249, 0 }));
    EXPECT_EQ(m_controller->entries().size(), 250);
}

TEST_F(EntryViewModelControllerTest, AnExactlyFullLastPageIsFollowedByOneEmptyPage)
{
    makeFiles(100);
    list(m_dir.path());
    askFor(99);
    ASSERT_EQ(m_callbacks.size(), 2);
    EXPECT_EQ(m_callbacks.last().indexPaths, QList<IndexPath> {});
    EXPECT_TRUE(m_callbacks.last().success);
    askFor(99);
    test::drainMainQueue();
    EXPECT_EQ(m_callbacks.size(), 2);
    EXPECT_EQ(m_controller->currentPage(), 2);
}

TEST_F(EntryViewModelControllerTest, NamesSortNaturallyAndHiddenNamesFollowTheSetting)
{
    for (const char *name : { "10.txt", "2.txt", "b.txt", "A.txt", ".hidden", ":colon", "a.txt" })
        ASSERT_TRUE(test::touch(path(QLatin1String(name))));
    list(m_dir.path());
    const QStringList visible { QStringLiteral("2.txt"), QStringLiteral("10.txt"), QStringLiteral("A.txt"),
        QStringLiteral("a.txt"), QStringLiteral("b.txt") };
    // "A.txt" and "a.txt" compare as the same: they keep the directory's order.
    QStringList listed = listedNames();
    if (listed.indexOf(QStringLiteral("a.txt")) < listed.indexOf(QStringLiteral("A.txt")))
        listed.swapItemsAt(listed.indexOf(QStringLiteral("a.txt")), listed.indexOf(QStringLiteral("A.txt")));
    EXPECT_EQ(listed, visible);
    EXPECT_EQ(m_controller->files().size(), 5);

    Preferences::setShowHidden(true);
    list(m_dir.path());
    EXPECT_EQ(m_controller->numberOfFiles(), 7);
    EXPECT_TRUE(listedNames().contains(QStringLiteral(".hidden")));
    EXPECT_TRUE(listedNames().contains(QStringLiteral(":colon")));
}

TEST_F(EntryViewModelControllerTest, KindsLinksAndOddNamesAreTypedWithoutOpeningNonRegularFiles)
{
    ASSERT_TRUE(test::media::makeTone(path(QStringLiteral("song.m4a")), 0.5));
    ASSERT_TRUE(test::media::makePicture(path(QStringLiteral("pic.png")), 4, 4));
    ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("folder"))));
    ASSERT_TRUE(test::touch(path(QStringLiteral("folder/inner.txt"))));
    // The kinds that must never be opened: opening a FIFO for reading blocks without a writer.
    ASSERT_EQ(::mkfifo(QFile::encodeName(path(QStringLiteral("fifo.mp3"))).constData(), 0600), 0);
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    const QByteArray socketPath = QFile::encodeName(path(QStringLiteral("sock.mp3")));
    ASSERT_LT(size_t(socketPath.size()), sizeof(address.sun_path));
    std::memcpy(address.sun_path, socketPath.constData(), size_t(socketPath.size()));
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr *>(&address), sizeof(address)), 0);
    // Links: absolute, relative (to the link's folder), dangling, and a loop.
    QFile::link(path(QStringLiteral("folder")), path(QStringLiteral("absolute-link")));
    ASSERT_EQ(::symlink("folder", QFile::encodeName(path(QStringLiteral("relative-link"))).constData()), 0);
    ASSERT_EQ(::symlink("song.m4a", QFile::encodeName(path(QStringLiteral("relative-song"))).constData()), 0);
    ASSERT_EQ(::symlink("nowhere.mp3", QFile::encodeName(path(QStringLiteral("dangling.mp3"))).constData()), 0);
    ASSERT_EQ(::symlink("loop-b", QFile::encodeName(path(QStringLiteral("loop-a"))).constData()), 0);
    ASSERT_EQ(::symlink("loop-a", QFile::encodeName(path(QStringLiteral("loop-b"))).constData()), 0);
    // Names with a newline and with bytes that are not UTF-8.
    ASSERT_TRUE(test::touch(path(QStringLiteral("line\nbreak.txt"))));
    const QByteArray badName = QFile::encodeName(m_dir.path()) + "/bad-\xff\xfe.mp3";
    ::close(::open(badName.constData(), O_CREAT | O_WRONLY, 0600));

    list(m_dir.path());
    ::close(sock);
    QHash<QString, std::shared_ptr<Entry>> byName;
    for (int row = 0; row < m_controller->numberOfViewModels(); ++row)
        byName.insert(m_controller->entry(row)->name(), m_controller->entry(row));

    struct Case
    {
        QString name;
        EntryType type;
        QString path;
    };
    const QString dir = m_dir.path();
    const Case cases[] = {
        { QStringLiteral("song.m4a"), EntryType::exportable, dir + QStringLiteral("/song.m4a") },
        { QStringLiteral("pic.png"), EntryType::image, dir + QStringLiteral("/pic.png") },
        { QStringLiteral("folder"), EntryType::directory, dir + QStringLiteral("/folder") },
        { QStringLiteral("fifo.mp3"), EntryType::regular, dir + QStringLiteral("/fifo.mp3") },
        { QStringLiteral("sock.mp3"), EntryType::regular, dir + QStringLiteral("/sock.mp3") },
        { QStringLiteral("absolute-link"), EntryType::directory, dir + QStringLiteral("/folder") },
        { QStringLiteral("relative-link"), EntryType::directory, dir + QStringLiteral("/folder") },
        { QStringLiteral("relative-song"), EntryType::exportable, dir + QStringLiteral("/song.m4a") },
        { QStringLiteral("dangling.mp3"), EntryType::regular, dir + QStringLiteral("/nowhere.mp3") },
        { QStringLiteral("loop-a"), EntryType::regular, dir + QStringLiteral("/loop-b") },
        { QStringLiteral("line\nbreak.txt"), EntryType::regular, dir + QStringLiteral("/line\nbreak.txt") },
    };
    for (const Case &c : cases) {
        ASSERT_TRUE(byName.contains(c.name)) << c.name.toStdString();
        EXPECT_EQ(byName[c.name]->type(), c.type) << c.name.toStdString();
        EXPECT_EQ(byName[c.name]->path(), c.path) << c.name.toStdString();
    }
    // Besides the cases: "loop-b" and the undecodable name.
    EXPECT_EQ(m_controller->numberOfViewModels(), int(std::size(cases)) + 2);
    EXPECT_EQ(m_controller->exportableEntries().size(), 2);
    for (const auto &entry : m_controller->exportableEntries())
        EXPECT_EQ(entry->type(), EntryType::exportable);
}

TEST_F(EntryViewModelControllerTest, TheRootListsWithDoubleSlashPaths)
{
    list(QStringLiteral("/"));
    ASSERT_GT(m_controller->numberOfViewModels(), 0);
    bool sawDoubleSlash = false;
    for (int row = 0; row < m_controller->numberOfViewModels(); ++row)
        sawDoubleSlash = sawDoubleSlash || m_controller->entry(row)->path().startsWith(QLatin1String("//"));
    EXPECT_TRUE(sawDoubleSlash);
}

TEST_F(EntryViewModelControllerTest, KernelFoldersListWithoutBlocking)
{
    for (const char *directory : { "/dev", "/proc", "/sys", "/proc/self/fd" }) {
        if (!QFileInfo(QLatin1String(directory)).isDir())
            continue;
        list(QLatin1String(directory));
        // Page through the whole folder: every page must arrive.
        while (m_controller->numberOfViewModels() > 0
            && m_controller->numberOfViewModels() == m_controller->currentPage() * EntryViewModelController::kPageSize)
            askFor(m_controller->numberOfViewModels() - 1);
        EXPECT_GE(m_controller->numberOfViewModels(), 0) << directory;
        for (const auto &entry : m_controller->exportableEntries())
            ADD_FAILURE() << "a kernel file was taken for media: " << entry->path().toStdString();
    }
}

TEST_F(EntryViewModelControllerTest, RevealedFileIsReportedByThePageThatBuildsItsRow)
{
    makeFiles(200, QStringLiteral("f%1"));
    // Natural order: f0 .. f199, so row 149 is "f149".
    const QString target = m_dir.path() + QStringLiteral("/f149");
    list(m_dir.path(), target);
    EXPECT_FALSE(m_callbacks.last().revealed.has_value());
    askFor(99);
    ASSERT_EQ(m_callbacks.size(), 2);
    EXPECT_EQ(m_callbacks.last().revealed, (IndexPath { 149, 0 }));
}

TEST_F(EntryViewModelControllerTest, NowPlayingMarkerSetsTheIdentifierAndKeepsIt)
{
    ASSERT_TRUE(test::touch(path(QStringLiteral("playing.mp3"))));
    const QString playingPath = m_dir.path() + QStringLiteral("/playing.mp3");
    const QString identifier = Entry(playingPath, QStringLiteral("playing.mp3"), EntryType::regular, {}).identifier();
    Preferences::setNowPlaying(identifier, true);
    list(m_dir.path());
    EXPECT_EQ(m_controller->nowPlayingIdentifier(), identifier);
    Preferences::clearNowPlaying(identifier);
    ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("other"))));
    list(path(QStringLiteral("other")));
    EXPECT_EQ(m_controller->nowPlayingIdentifier(), identifier);
}

TEST_F(EntryViewModelControllerTest, AnEarlierListingsPagesAreDropped)
{
    ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("one"))));
    ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("two"))));
    for (int i = 0; i < 50; ++i)
        ASSERT_TRUE(test::touch(path(QStringLiteral("one/a%1.txt").arg(i))));
    ASSERT_TRUE(test::touch(path(QStringLiteral("two/b.txt"))));

    int firstCalls = 0;
    m_controller->getFiles(path(QStringLiteral("one")), std::nullopt,
        [&](bool, const std::optional<QString> &, const std::optional<QList<IndexPath>> &,
            const std::optional<IndexPath> &) { ++firstCalls; });
    list(path(QStringLiteral("two")));
    test::drainMainQueue();
    EXPECT_EQ(firstCalls, 0);
    ASSERT_EQ(m_callbacks.size(), 1);
    EXPECT_EQ(m_controller->numberOfViewModels(), 1);
    EXPECT_EQ(listedNames(), QStringList { QStringLiteral("b.txt") });
    EXPECT_EQ(m_controller->entries().size(), 1);
}

TEST_F(EntryViewModelControllerTest, DirectoryThatVanishesDuringTheListingStillCompletes)
{
    const QString gone = path(QStringLiteral("gone"));
    for (int i = 0; i < 30; ++i)
        ASSERT_TRUE(test::touch(gone + QStringLiteral("/x%1.png").arg(i)));
    m_callbacks.clear();
    m_controller->getFiles(gone, std::nullopt, recorder());
    ASSERT_TRUE(QDir(gone).removeRecursively());
    ASSERT_TRUE(test::waitUntil([&] { return !m_callbacks.isEmpty(); }));
    EXPECT_EQ(m_controller->numberOfViewModels(), 30);
}

TEST_F(EntryViewModelControllerTest, ListingAgainFromAWorkerIsCarriedOutOnTheGuiThread)
{
    makeFiles(3);
    ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("sub"))));
    list(path(QStringLiteral("sub")));
    ASSERT_EQ(m_controller->numberOfFiles(), 0);

    // The GUI thread waits, without running its events, while a worker lists again: nothing of
    // the listing may change meanwhile, since the GUI thread reads it freely.
    m_callbacks.clear();
    QSemaphore listed;
    Dispatch::global([&] {
        m_controller->getFiles(m_dir.path(), std::nullopt, recorder());
        listed.release();
    });
    listed.acquire();
    EXPECT_EQ(m_controller->directory(), path(QStringLiteral("sub")));
    EXPECT_EQ(m_controller->numberOfFiles(), 0);

    ASSERT_TRUE(test::waitUntil([&] { return !m_callbacks.isEmpty(); }));
    EXPECT_EQ(m_controller->directory(), m_dir.path());
    EXPECT_EQ(m_controller->numberOfFiles(), 4);
    EXPECT_EQ(m_callbacks.last().indexPaths, rows(0, 4));
}

TEST_F(EntryViewModelControllerTest, HideUnsupportedLeavesOutRegularFilesAndNumbersRowsInOrder)
{
    ASSERT_TRUE(test::media::makeTone(path(QStringLiteral("b song.m4a")), 0.5));
    ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("c folder"))));
    ASSERT_TRUE(test::touch(path(QStringLiteral("d picture.jpg"))));
    // A full page of unsupported files before them, so one page yields no row at all.
    makeFiles(150, QStringLiteral("a%1.txt"));
    Preferences::setHideUnsupported(true);
    list(m_dir.path());
    // The first page is all hidden; the controller goes on by itself until rows appear.
    ASSERT_TRUE(test::waitUntil([&] { return m_controller->numberOfViewModels() == 3; }));
    EXPECT_EQ(listedNames(),
        (QStringList { QStringLiteral("b song.m4a"), QStringLiteral("c folder"), QStringLiteral("d picture.jpg") }));
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(m_controller->entry(row)->indexPath(), (IndexPath { row, 0 }));
    EXPECT_EQ(m_callbacks.last().indexPaths, rows(0, 3));

    Preferences::setHideUnsupported(false);
    list(m_dir.path());
    EXPECT_EQ(m_controller->numberOfViewModels(), 100);
}

TEST_F(EntryViewModelControllerTest, EveryPageIsInTheOrderOfAFullSortOfTheVisibleNames)
{
    // Only the first page's names are ordered before it is built; the rest are ordered later.
    // Whatever order the directory gives, the pages must add up to a full sort, ties included.
    std::uint32_t seed = 99;
    const auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    const QStringList pieces { QStringLiteral("track "), QStringLiteral("Track "), QStringLiteral("é"),
        QStringLiteral("e"), QStringLiteral("007"), QStringLiteral("7"), QStringLiteral("12"),
        QStringLiteral("1234567890"), QStringLiteral("."), QStringLiteral(":"), QStringLiteral("b") };
    QSet<QString> made;
    while (made.size() < 340) {
        QString name;
        const int count = 1 + int(next() % 4);
        for (int k = 0; k < count; ++k)
            name += pieces[qsizetype(next() % pieces.size())];
        if (name == QLatin1String(".") || name == QLatin1String("..") || made.contains(name))
            continue;
        made.insert(name);
        ASSERT_TRUE(test::touch(path(name))) << name.toStdString();
    }
    // The names as the directory gives them, then sorted: the order a full sort gives.
    QStringList expected;
    DIR *dir = ::opendir(QFile::encodeName(m_dir.path()).constData());
    ASSERT_NE(dir, nullptr);
    while (const dirent *item = ::readdir(dir)) {
        const QString name = QFile::decodeName(item->d_name);
        if (!name.startsWith(QLatin1Char('.')) && !name.startsWith(QLatin1Char(':')))
            expected.append(name);
    }
    ::closedir(dir);
    NaturalSort::sort(expected);
    ASSERT_GT(expected.size(), 200);

    // Asks for the last row until every page is in (listedNames() may have started one already).
    const auto listAllPages = [this, &expected] {
        for (int page = 1; page < 10 && m_controller->numberOfViewModels() < expected.size(); ++page) {
            const int rows = m_controller->numberOfViewModels();
            m_controller->viewModel(rows - 1);
            ASSERT_TRUE(test::waitUntil([&] { return m_controller->numberOfViewModels() > rows; }));
        }
    };
    list(m_dir.path());
    EXPECT_EQ(m_controller->numberOfFiles(), expected.size());
    EXPECT_EQ(listedNames(), expected.mid(0, 100));
    EXPECT_EQ(m_controller->files(), expected);
    listAllPages();
    EXPECT_EQ(listedNames(), expected);

    // The same at once through a second listing, without asking for files() first; a listing
    // started while the previous one's names are still being ordered is not disturbed by them.
    list(m_dir.path());
    list(m_dir.path());
    listAllPages();
    EXPECT_EQ(listedNames(), expected);
}

TEST_F(EntryViewModelControllerTest, ExtremelyLargeDirectoryListsItsFirstPage)
{
    const int count = 100000;
    const QByteArray base = QFile::encodeName(m_dir.path()) + "/n";
    for (int i = 0; i < count; ++i) {
        const QByteArray name = base + QByteArray::number(i);
        const int fd = ::open(name.constData(), O_CREAT | O_WRONLY, 0600);
        ASSERT_GE(fd, 0);
        ::close(fd);
    }
    list(m_dir.path());
    EXPECT_EQ(m_controller->numberOfFiles(), count);
    EXPECT_EQ(m_controller->numberOfViewModels(), 100);
    EXPECT_EQ(m_controller->entry(0)->name(), QStringLiteral("n0"));
    EXPECT_EQ(m_controller->entry(99)->name(), QStringLiteral("n99"));
}

TEST_F(EntryViewModelControllerTest, RemovedRowsKeepTheirEntries)
{
    makeFiles(3);
    list(m_dir.path());
    const auto last = m_controller->entry(2);
    m_controller->removeViewModel(0);
    m_controller->removeViewModel(7); // no such row: ignored
    EXPECT_EQ(m_controller->numberOfViewModels(), 2);
    EXPECT_EQ(m_controller->entry(1), last);
    EXPECT_EQ(m_controller->entries().size(), 3);
    EXPECT_EQ(m_controller->numberOfFiles(), 3);
}

TEST_F(EntryViewModelControllerTest, EntriesAreFoundByIdentifierAcrossPagesRemovalsAndSharedIdentifiers)
{
    // Two names that differ only far from the end of a long path share an identifier (it keeps
    // the end of the path); the one listed later is the one found.
    const QString tail = QString(120, QLatin1Char('x')) + QStringLiteral(".txt");
    ASSERT_TRUE(test::touch(path(QStringLiteral("a") + tail)));
    ASSERT_TRUE(test::touch(path(QStringLiteral("b") + tail)));
    makeFiles(250);
    list(m_dir.path());
    while (m_controller->numberOfViewModels() < m_controller->numberOfFiles())
        askFor(m_controller->numberOfViewModels() - 1);
    ASSERT_EQ(m_controller->numberOfViewModels(), 252);
    ASSERT_EQ(m_controller->entry(0)->name(), QStringLiteral("a") + tail);
    ASSERT_EQ(m_controller->entry(1)->name(), QStringLiteral("b") + tail);
    const auto second = m_controller->entry(1);
    ASSERT_EQ(m_controller->entry(0)->identifier(), second->identifier());
    EXPECT_EQ(m_controller->entries().size(), 251);
    EXPECT_EQ(m_controller->entries().value(second->identifier()), second);

    for (int row = 2; row < 252; ++row) {
        const auto entry = m_controller->entry(row);
        EXPECT_EQ(m_controller->entries().value(entry->identifier()), entry) << row;
    }
    EXPECT_EQ(m_controller->entries().value(PathExtension(path(QStringLiteral("none.txt"))).identifier()), nullptr);
    EXPECT_FALSE(m_controller->entries().contains(QString()));

    // A removed row's entry is still found, and stays alive for whoever asks.
    const auto removed = m_controller->entry(2);
    const QString identifier = removed->identifier();
    m_controller->removeViewModel(2);
    EXPECT_EQ(m_controller->entries().value(identifier), removed);
    EXPECT_EQ(m_controller->entries().value(identifier)->path(), path(QStringLiteral("file 0.txt")));

    // A new listing forgets them all.
    list(path(QStringLiteral("missing")));
    EXPECT_TRUE(m_controller->entries().isEmpty());
    EXPECT_EQ(m_controller->entries().value(identifier), nullptr);
}

namespace {

class UpdateQueueTest : public EntryViewModelControllerTest
{
protected:
    std::shared_ptr<EntryViewModel> rowFor(const QString &name, EntryType type = EntryType::regular)
    {
        const QString file = path(name);
        // The file exists: a row counts only for the file it was made from.
        if (type != EntryType::directory && !QFile::exists(file))
            EXPECT_TRUE(test::touch(file));
        auto viewModel = std::make_shared<EntryViewModel>(Entry(file, name, type, IndexPath {}));
        QFile::remove(viewModel->persistentCachePath());
        return viewModel;
    }

    int liveOperations() const
    {
        int count = 0;
        for (const auto &operation : m_controller->updateQueue().operations())
            count += operation->isCancelled() ? 0 : 1;
        return count;
    }
};

} // namespace

TEST_F(UpdateQueueTest, RepeatedRequestsShareOneOperationAndTheLastCallbackWins)
{
    auto viewModel = rowFor(QStringLiteral("a.txt"));
    m_controller->updateQueue().setSuspended(true);
    int first = 0;
    int second = 0;
    m_controller->update(viewModel, [&](const std::shared_ptr<EntryViewModel> &) { ++first; });
    m_controller->update(viewModel, [&](const std::shared_ptr<EntryViewModel> &loaded) {
        EXPECT_TRUE(Dispatch::isMainThread());
        EXPECT_EQ(loaded, viewModel);
        ++second;
    });
    EXPECT_EQ(liveOperations(), 1);
    EXPECT_EQ(m_controller->operation(viewModel->identifier())->viewModel(), viewModel);
    m_controller->updateQueue().setSuspended(false);
    ASSERT_TRUE(test::waitUntil([&] { return second == 1; }));
    test::drainMainQueue();
    EXPECT_EQ(first, 0);
    EXPECT_EQ(second, 1);
    EXPECT_EQ(viewModel->state(), UpdateState::updated);
}

TEST_F(UpdateQueueTest, RequestWithoutCallbackStillLoadsTheRow)
{
    auto viewModel = rowFor(QStringLiteral("b.txt"));
    m_controller->update(viewModel);
    ASSERT_TRUE(test::waitUntil([&] { return viewModel->state() == UpdateState::updated; }));
    EXPECT_EQ(viewModel->extensionString(), QStringLiteral("TXT"));
}

TEST_F(UpdateQueueTest, WithdrawnRowsNeverLoadAndCanBeAskedAgain)
{
    auto viewModel = rowFor(QStringLiteral("c.txt"));
    m_controller->updateQueue().setSuspended(true);
    int calls = 0;
    m_controller->update(viewModel, [&](const std::shared_ptr<EntryViewModel> &) { ++calls; });
    m_controller->cancelUpdate(viewModel->identifier());
    EXPECT_FALSE(m_controller->updateQueue().isSuspended());
    EXPECT_FALSE(m_controller->operation(viewModel->identifier()));
    m_controller->cancelUpdate(QStringLiteral("nothing-queued"));
    EXPECT_FALSE(m_controller->updateQueue().isSuspended());

    ASSERT_TRUE(test::waitUntil([&] { return m_controller->updateQueue().operationCount() == 0; }));
    test::drainMainQueue();
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(viewModel->state(), UpdateState::new_);

    m_controller->update(viewModel, [&](const std::shared_ptr<EntryViewModel> &) { ++calls; });
    ASSERT_TRUE(test::waitUntil([&] { return calls == 1; }));
}

TEST_F(UpdateQueueTest, SavedRowsComeFromTheDiskCache)
{
    Preferences::setUsePersistentCache(true);
    auto saved = rowFor(QStringLiteral("song.txt"));
    saved->setTitle(QStringLiteral("From disk"));
    saved->setState(UpdateState::updated);
    ASSERT_TRUE(test::waitUntil([&] { return saved->isCached(); }));
    viewModelCache().removeAllObjects();

    auto fresh
        = std::make_shared<EntryViewModel>(Entry(saved->url(), QStringLiteral("song.txt"), EntryType::regular, {}));
    std::shared_ptr<EntryViewModel> delivered;
    m_controller->update(fresh, [&](const std::shared_ptr<EntryViewModel> &loaded) {
        EXPECT_TRUE(Dispatch::isMainThread());
        delivered = loaded;
    });
    EXPECT_EQ(m_controller->updateQueue().operationCount(), 0) << "no operation for a saved row";
    ASSERT_TRUE(test::waitUntil([&] { return delivered != nullptr; }));
    EXPECT_NE(delivered, fresh);
    EXPECT_EQ(delivered->title(), QStringLiteral("From disk"));
    EXPECT_EQ(delivered->accessoryImage(), fresh->accessoryImage());
}

TEST_F(UpdateQueueTest, UnusableSavedRowFallsBackToLoading)
{
    Preferences::setUsePersistentCache(true);
    auto viewModel = rowFor(QStringLiteral("noimage.txt"));
    QJsonObject json = QJsonDocument::fromJson(viewModel->encode()).object();
    json.insert(QStringLiteral("state"), 1);
    json.insert(QStringLiteral("title"), QStringLiteral("stale"));
    json.insert(QStringLiteral("imageData"), QJsonValue(QJsonValue::Null));
    QFile file(viewModel->persistentCachePath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QJsonDocument(json).toJson());
    file.close();

    std::shared_ptr<EntryViewModel> delivered;
    m_controller->update(viewModel, [&](const std::shared_ptr<EntryViewModel> &loaded) { delivered = loaded; });
    ASSERT_TRUE(test::waitUntil([&] { return delivered != nullptr; }));
    EXPECT_EQ(delivered, viewModel);
    EXPECT_EQ(delivered->title(), QStringLiteral("noimage"));
    EXPECT_EQ(delivered->state(), UpdateState::updated);
}

TEST_F(UpdateQueueTest, NothingIsCalledAfterTheControllerIsGone)
{
    auto viewModel = rowFor(QStringLiteral("late.txt"));
    int calls = 0;
    m_controller->update(viewModel, [&](const std::shared_ptr<EntryViewModel> &) { ++calls; });
    m_controller.reset();
    test::drainMainQueue();
    EXPECT_EQ(calls, 0);
}

TEST_F(UpdateQueueTest, ListedRowsAreServedFromTheMemoryCacheOnlyForTheirOwnPath)
{
    makeFiles(2);
    list(m_dir.path());
    auto row = m_controller->viewModel(0);
    m_controller->update(row);
    ASSERT_TRUE(test::waitUntil([&] { return row->state() == UpdateState::updated; }));
    m_controller->getFiles(m_dir.path(), std::nullopt, recorder());
    ASSERT_TRUE(test::waitUntil([&] { return m_controller->numberOfViewModels() == 2; }));
    EXPECT_EQ(m_controller->viewModel(0), row) << "a loaded row is served from the cache after a new listing";

    // A cached row of another path under the same identifier is not this row.
    auto impostor = std::make_shared<EntryViewModel>(
        Entry(QStringLiteral("/elsewhere"), QStringLiteral("x"), EntryType::regular, {}));
    const QString identifier = m_controller->viewModel(1)->identifier();
    viewModelCache().setObject(identifier, impostor);
    EXPECT_NE(m_controller->viewModel(1), impostor);
    EXPECT_EQ(m_controller->viewModel(1)->url(), m_controller->entry(1)->path());
}

TEST_F(UpdateQueueTest, RowConfiguredThenPrefetchedLoadsOnce)
{
    auto viewModel = rowFor(QStringLiteral("race.txt"));
    const QString identifier = viewModel->identifier();
    int configured = 0;
    int prefetched = 0;
    m_controller->update(viewModel, [&](const std::shared_ptr<EntryViewModel> &) { ++configured; });
    // The operation has done its work and left the queue, but the GUI thread has not committed
    // its result yet: the row's load is still under way.
    m_controller->updateQueue().waitUntilAllOperationsAreFinished();
    EXPECT_EQ(viewModel->state(), UpdateState::new_);
    EXPECT_TRUE(m_controller->operation(identifier));

    m_controller->update(viewModel, [&](const std::shared_ptr<EntryViewModel> &) { ++prefetched; });
    EXPECT_EQ(m_controller->updateQueue().operationCount(), 0) << "a second load was queued";
    ASSERT_TRUE(test::waitUntil([&] { return prefetched == 1; }));
    test::drainMainQueue();
    EXPECT_EQ(configured, 0);
    EXPECT_EQ(prefetched, 1);
    EXPECT_EQ(viewModel->state(), UpdateState::updated);
    EXPECT_FALSE(m_controller->operation(identifier)) << "the load ends once its result is committed";
}

TEST_F(UpdateQueueTest, AFileAndALinkToItAreTwoRowsEachWithItsOwnLoad)
{
    ASSERT_TRUE(test::media::makeTone(path(QStringLiteral("x.mp3")), 0.3));
    ASSERT_EQ(::symlink("x.mp3", QFile::encodeName(path(QStringLiteral("a-link.mp3"))).constData()), 0);
    list(m_dir.path());
    ASSERT_EQ(m_controller->numberOfViewModels(), 2);
    const auto link = m_controller->viewModel(0);
    const auto file = m_controller->viewModel(1);
    ASSERT_EQ(m_controller->entry(0)->name(), QStringLiteral("a-link.mp3"));
    EXPECT_EQ(link->url(), file->url()) << "a link's row reads its destination";
    EXPECT_NE(link->identifier(), file->identifier());

    int linkCalls = 0;
    int fileCalls = 0;
    m_controller->update(link, [&](const std::shared_ptr<EntryViewModel> &) { ++linkCalls; });
    m_controller->update(file, [&](const std::shared_ptr<EntryViewModel> &) { ++fileCalls; });
    ASSERT_TRUE(test::waitUntil([&] { return linkCalls == 1 && fileCalls == 1; }));
    test::drainMainQueue();
    EXPECT_EQ(linkCalls, 1);
    EXPECT_EQ(fileCalls, 1);
    // The file has no title tag: each row's own name gives its title, also from the cache.
    EXPECT_EQ(m_controller->viewModel(0)->title(), QStringLiteral("a-link"));
    EXPECT_EQ(m_controller->viewModel(1)->title(), QStringLiteral("x"));
}

TEST_F(UpdateQueueTest, LoadingManyFoldersKeepsTheRowCacheBounded)
{
    // Pictures whose rows each hold a full 128 x 128 thumbnail, in more folders than the cache
    // holds rows of (sized here for a screen of 10 rows: the cache's least).
    fitViewModelCacheToScreen(10);
    constexpr int kFolders = 11;
    constexpr int kPictures = 60;
    static_assert(kFolders * kPictures > kViewModelCacheMinimumRows);
    QImage picture(160, 160, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    std::shared_ptr<EntryViewModel> last;
    for (int folder = 0; folder < kFolders; ++folder) {
        const QString directory = path(QStringLiteral("folder %1").arg(folder));
        ASSERT_TRUE(QDir().mkpath(directory));
        for (int i = 0; i < kPictures; ++i)
            ASSERT_TRUE(picture.save(directory + QStringLiteral("/picture %1.png").arg(i)));
        list(directory);
        ASSERT_EQ(m_controller->numberOfViewModels(), kPictures);
        int loaded = 0;
        for (int row = 0; row < kPictures; ++row) {
            last = m_controller->viewModel(row);
            m_controller->update(last, [&](const std::shared_ptr<EntryViewModel> &) { ++loaded; });
        }
        ASSERT_TRUE(test::waitUntil([&] { return loaded == kPictures; }));
    }
    EXPECT_EQ(last->image().size(), QSize(128, 128));
    EXPECT_EQ(viewModelCache().count(), kViewModelCacheMinimumRows);
    EXPECT_EQ(viewModelCache().object(last->identifier()), last) << "the latest rows stay";
}

namespace {

QByteArray pictureBytes(const QString &path, int width, int height, const QString &colour)
{
    if (!test::media::makePicture(path, width, height, colour))
        return {};
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST_F(UpdateQueueTest, ListingAgainLoadsOnlyTheRowsOfFilesThatChanged)
{
    ASSERT_TRUE(test::media::makeTone(path(QStringLiteral("a kept.mp3")), 0.3, test::media::args({ "-metadata", "title=Kept" })));
    ASSERT_TRUE(test::media::makeTone(path(QStringLiteral("b changed.mp3")), 0.3, test::media::args({ "-metadata", "title=Before" })));
    list(m_dir.path());
    ASSERT_EQ(m_controller->numberOfViewModels(), 2);
    const auto kept = m_controller->viewModel(0);
    const auto changed = m_controller->viewModel(1);
    m_controller->update(kept);
    m_controller->update(changed);
    ASSERT_TRUE(test::waitUntil([&] { return kept->state() == UpdateState::updated && changed->state() == UpdateState::updated; }));
    ASSERT_EQ(changed->title(), QStringLiteral("Before"));

    const QByteArray cover = pictureBytes(path(QStringLiteral(".cover.jpg")), 30, 60, QStringLiteral("blue"));
    ASSERT_FALSE(cover.isEmpty());
    ASSERT_TRUE(test::media::writeId3Frames(path(QStringLiteral("b changed.mp3")), { { "TIT2", QStringLiteral("After") }, { "APIC", cover } }));

    list(m_dir.path());
    ASSERT_EQ(m_controller->numberOfViewModels(), 2);
    EXPECT_EQ(m_controller->viewModel(0), kept) << "an unchanged file's row comes from the cache";
    const auto fresh = m_controller->viewModel(1);
    EXPECT_NE(fresh, changed);
    EXPECT_EQ(fresh->state(), UpdateState::new_);
    m_controller->update(fresh);
    ASSERT_TRUE(test::waitUntil([&] { return fresh->state() == UpdateState::updated; }));
    EXPECT_EQ(fresh->title(), QStringLiteral("After"));
    EXPECT_EQ(fresh->image().size(), QSize(64, 128)) << "the new cover";
    EXPECT_EQ(m_controller->viewModel(1), fresh);
}

TEST_F(UpdateQueueTest, ASavedRowCountsOnlyForTheFileItWasSavedFrom)
{
    Preferences::setUsePersistentCache(true);
    struct Case
    {
        const char *what;
        std::function<bool(const QString &file, const QString &cacheFile)> change;
        bool fromDisk;
        QString title;
    };
    const auto withoutState = [](const QString &, const QString &cacheFile) {
        QFile saved(cacheFile);
        if (!saved.open(QIODevice::ReadOnly))
            return false;
        QJsonObject json = QJsonDocument::fromJson(saved.readAll()).object();
        saved.close();
        json.remove(QStringLiteral("fileState"));
        return test::media::writeFile(cacheFile, QJsonDocument(json).toJson());
    };
    const Case cases[] = {
        { "unchanged", [](const QString &, const QString &) { return true; }, true, QStringLiteral("Saved") },
        { "retagged since",
            [](const QString &file, const QString &) {
                return test::media::writeId3Frames(file, { { "TIT2", QStringLiteral("Retagged") } });
            },
            false, QStringLiteral("Retagged") },
        { "saved by an older version, which kept no file state", withoutState, false, QStringLiteral("Saved") },
    };
    for (const Case &c : cases) {
        const QString file = path(QStringLiteral("song.mp3"));
        QFile::remove(file);
        ASSERT_TRUE(test::media::makeTone(file, 0.3, test::media::args({ "-metadata", "title=Saved" }))) << c.what;
        list(m_dir.path());
        const auto first = m_controller->viewModel(0);
        QFile::remove(first->persistentCachePath());
        m_controller->update(first);
        ASSERT_TRUE(test::waitUntil([&] { return first->state() == UpdateState::updated && first->isCached(); })) << c.what;
        ASSERT_TRUE(c.change(file, first->persistentCachePath())) << c.what;

        // As after a restart: nothing in memory, the folder listed anew.
        viewModelCache().removeAllObjects();
        list(m_dir.path());
        const auto listed = m_controller->viewModel(0);
        std::shared_ptr<EntryViewModel> delivered;
        m_controller->update(listed, [&](const std::shared_ptr<EntryViewModel> &loaded) { delivered = loaded; });
        ASSERT_TRUE(test::waitUntil([&] { return delivered != nullptr; })) << c.what;
        EXPECT_EQ(delivered != listed, c.fromDisk) << c.what;
        EXPECT_EQ(delivered->title(), c.title) << c.what;
        // The file is written again for the file as it is now.
        const auto current = FileState::of(file);
        EXPECT_TRUE(test::waitUntil([&] {
            QFile saved(listed->persistentCachePath());
            const auto copy = saved.open(QIODevice::ReadOnly) ? EntryViewModel::decode(saved.readAll()) : nullptr;
            return copy && isSameFileState(copy->fileState(), current);
        })) << c.what;
    }
}

TEST_F(UpdateQueueTest, RowsLoadTogetherButArriveInTheOrderTheyWereAskedFor)
{
    // Rows that take very different times to load: large pictures between tiny files, so that
    // loads running side by side finish out of order.
    QImage large(1600, 1200, QImage::Format_RGB32);
    large.fill(Qt::darkGreen);
    QList<std::shared_ptr<EntryViewModel>> rows;
    for (int i = 0; i < 24; ++i) {
        const QString name = QStringLiteral("row %1.%2").arg(i, 2, 10, QLatin1Char('0')).arg(i % 3 == 0 ? QStringLiteral("png") : QStringLiteral("txt"));
        if (i % 3 == 0)
            ASSERT_TRUE(large.save(path(name)));
        rows.append(rowFor(name, i % 3 == 0 ? EntryType::image : EntryType::regular));
    }
    EXPECT_GT(m_controller->updateQueue().maxConcurrentOperationCount(), 1);
    QStringList arrived;
    for (const auto &row : rows)
        m_controller->update(row, [&](const std::shared_ptr<EntryViewModel> &loaded) {
            EXPECT_EQ(loaded->state(), UpdateState::updated);
            arrived.append(loaded->identifier());
        });
    ASSERT_TRUE(test::waitUntil([&] { return arrived.size() == rows.size(); }));
    QStringList asked;
    for (const auto &row : rows)
        asked.append(row->identifier());
    EXPECT_EQ(arrived, asked);
    EXPECT_EQ(rows.first()->image().size(), QSize(128, 96));
}

namespace {

// The same audio in a dozen containers, then damaged in the ways files get damaged: cut short (to
// its header, a few frames, half), renamed to another format's extension, text or noise under an
// audio name, an empty file, a tag in front of nothing. Returns the names made.
QStringList makeMutatedMedia(const QString &folder, const QString &scratch)
{
    const auto at = [&](const QString &name) -> QString { return folder + QLatin1Char('/') + name; };
    const auto seed = [&](const QString &name) -> QString { return scratch + QLatin1Char('/') + name; };
    const QStringList seeds = { QStringLiteral("tone.mp3"), QStringLiteral("tone.m4a"), QStringLiteral("tone.flac"),
        QStringLiteral("tone.wav"), QStringLiteral("tone.ogg"), QStringLiteral("tone.opus"), QStringLiteral("tone.aiff"),
        QStringLiteral("tone.aac"), QStringLiteral("tone.caf") };
    for (const QString &name : seeds)
        EXPECT_TRUE(test::media::makeTone(seed(name), 1.0)) << name.toStdString();
    EXPECT_TRUE(test::media::makeVideo(seed(QStringLiteral("clip.mp4")), 1.0, true));
    EXPECT_TRUE(test::media::makeVideo(seed(QStringLiteral("mute.mkv")), 1.0, false));
    EXPECT_TRUE(test::media::makeVideo(seed(QStringLiteral("video-as.m4a")), 1.0, false));

    QStringList names;
    const auto put = [&](const QString &name, const QByteArray &bytes) {
        EXPECT_TRUE(test::media::writeFile(at(name), bytes)) << name.toStdString();
        names.append(name);
    };
    const auto bytesOf = [&](const QString &name) {
        QFile file(seed(name));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        return file.readAll();
    };
    for (const QString &name : seeds + QStringList { QStringLiteral("clip.mp4"), QStringLiteral("mute.mkv"), QStringLiteral("video-as.m4a") }) {
        const QByteArray whole = bytesOf(name);
        const QString base = name.section(QLatin1Char('.'), 0, 0);
        const QString extension = name.section(QLatin1Char('.'), 1);
        put(QStringLiteral("%1 intact.%2").arg(base, extension), whole);
        put(QStringLiteral("%1 header.%2").arg(base, extension), whole.left(64));
        put(QStringLiteral("%1 start.%2").arg(base, extension), whole.left(600));
        put(QStringLiteral("%1 half.%2").arg(base, extension), whole.left(whole.size() / 2));
        put(QStringLiteral("%1 tail.%2").arg(base, extension), whole.mid(whole.size() / 2));
        put(QStringLiteral("%1 renamed.mp3").arg(name), whole);
        put(QStringLiteral("%1 renamed.m4a").arg(name), whole);
        put(QStringLiteral("%1 renamed.txt").arg(name), whole);
        put(QStringLiteral("%1 no extension").arg(name), whole);
    }
    const QByteArray text = QByteArrayLiteral("Shopping list\nmilk\neggs\n");
    for (const char *extension : { "mp3", "m4a", "flac", "wav", "ogg", "aac", "txt" })
        put(QStringLiteral("text.%1").arg(QLatin1String(extension)), text);
    for (const char *extension : { "mp3", "m4a", "flac", "ogg", "txt" }) {
        put(QStringLiteral("empty.%1").arg(QLatin1String(extension)), QByteArray());
        put(QStringLiteral("noise.%1").arg(QLatin1String(extension)), test::media::noise(20000, 7));
    }
    // Signatures followed by nothing real.
    put(QStringLiteral("tag only.mp3"), bytesOf(QStringLiteral("tone.mp3")).left(10) + QByteArray(4000, '\0'));
    put(QStringLiteral("tag then noise.mp3"), bytesOf(QStringLiteral("tone.mp3")).left(10) + test::media::noise(20000, 3));
    put(QStringLiteral("fLaC then noise.flac"), QByteArrayLiteral("fLaC") + test::media::noise(20000, 5));
    put(QStringLiteral("RIFF then zeros.wav"), QByteArrayLiteral("RIFF\x10\0\0\0WAVEfmt ") + QByteArray(200, '\0'));
    put(QStringLiteral("ftyp then noise.m4a"), bytesOf(QStringLiteral("tone.m4a")).left(32) + test::media::noise(20000, 9));
    put(QStringLiteral("OggS then noise.ogg"), bytesOf(QStringLiteral("tone.ogg")).left(64) + test::media::noise(20000, 11));
    put(QStringLiteral("picture.png"), bytesOf(QStringLiteral("tone.mp3")));
    return names;
}

// What the row of each file is when the file is probed in full: a picture by its extension,
// otherwise media exactly when FFmpeg exports it. "video" marks media with a video track.
QString probedKind(const QString &file)
{
    if (PathExtension(file).isImage())
        return QStringLiteral("image");
    const MediaAsset asset(file);
    if (!asset.isExportable())
        return QStringLiteral("regular");
    return asset.hasVideoTrack() ? QStringLiteral("video") : QStringLiteral("media");
}

QString rowKind(const EntryViewModel &row)
{
    switch (row.type()) {
    case EntryType::directory:
        return QStringLiteral("directory");
    case EntryType::exportable:
        return row.hasVideoTrack().value_or(false) ? QStringLiteral("video") : QStringLiteral("media");
    case EntryType::image:
        return QStringLiteral("image");
    case EntryType::regular:
        return QStringLiteral("regular");
    }
    return {};
}

} // namespace

// Files are typed by their name and first bytes when listed, and probed where their rows load. A
// folder of damaged and renamed media must end up with exactly the rows the full probe gives every
// file, for the rows, the entries and the list of media (the playing queue, select-all, the import).
TEST_F(UpdateQueueTest, AFolderOfMutatedMediaListsTheKindsTheProbeGives)
{
    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    const QStringList names = makeMutatedMedia(m_dir.path(), scratch.path());
    QHash<QString, QString> expected;
    for (const QString &name : names)
        expected.insert(name, probedKind(path(name)));
    // The fixture holds both answers in numbers, or it proves nothing.
    ASSERT_GT(expected.values().count(QStringLiteral("media")), 20);
    ASSERT_GT(expected.values().count(QStringLiteral("regular")), 40);
    ASSERT_GT(expected.values().count(QStringLiteral("video")), 5);

    const auto listAll = [&] {
        list(m_dir.path());
        for (int row = 0; row < m_controller->numberOfViewModels(); ++row)
            askFor(row);
    };
    const auto expectedMedia = [&] {
        QStringList media;
        for (int row = 0; row < m_controller->numberOfViewModels(); ++row) {
            const QString kind = expected.value(m_controller->entry(row)->name());
            if (kind == QStringLiteral("media") || kind == QStringLiteral("video"))
                media.append(m_controller->entry(row)->name());
        }
        return media;
    };
    const auto listedMedia = [&] {
        QStringList media;
        for (const auto &entry : m_controller->exportableEntries())
            media.append(entry->name());
        return media;
    };

    // Listed: what is not provisional is already the probe's answer; the rest looks like audio.
    listAll();
    ASSERT_EQ(m_controller->numberOfViewModels(), names.size());
    int provisional = 0;
    for (int row = 0; row < m_controller->numberOfViewModels(); ++row) {
        const std::shared_ptr<Entry> entry = m_controller->entry(row);
        const std::shared_ptr<EntryViewModel> viewModel = m_controller->viewModel(row);
        if (entry->isTypeProvisional()) {
            ++provisional;
            EXPECT_EQ(entry->type(), EntryType::exportable) << entry->name().toStdString();
            continue;
        }
        EXPECT_EQ(rowKind(*viewModel), expected.value(entry->name())) << entry->name().toStdString();
    }
    // The quick answer is what lists the intact songs, or the listing still probes everything.
    EXPECT_GE(provisional, 9);

    // Loaded: every row, every entry and the list of media are the probe's.
    int changes = 0;
    m_controller->setExportableEntriesChangedHandler([&] { ++changes; });
    int loaded = 0;
    for (int row = 0; row < m_controller->numberOfViewModels(); ++row)
        m_controller->update(m_controller->viewModel(row), [&](const std::shared_ptr<EntryViewModel> &) { ++loaded; });
    ASSERT_TRUE(test::waitUntil([&] { return loaded == m_controller->numberOfViewModels(); }, std::chrono::seconds(60)));
    for (int row = 0; row < m_controller->numberOfViewModels(); ++row) {
        const std::shared_ptr<Entry> entry = m_controller->entry(row);
        const std::shared_ptr<EntryViewModel> viewModel = m_controller->viewModel(row);
        const QString name = entry->name();
        EXPECT_FALSE(entry->isTypeProvisional()) << name.toStdString();
        EXPECT_EQ(rowKind(*viewModel), expected.value(name)) << name.toStdString();
        EXPECT_EQ(viewModel->type(), entry->type()) << name.toStdString();
        if (viewModel->type() == EntryType::regular) {
            EXPECT_TRUE(viewModel->accessoryImage().isNull()) << name.toStdString();
        }
    }
    EXPECT_EQ(listedMedia(), expectedMedia());
    ASSERT_TRUE(test::waitUntil([&] { return changes > 0; }));

    // Listed again without loading a row: whoever takes the whole list settles it first.
    viewModelCache().removeAllObjects();
    listAll();
    bool settled = false;
    m_controller->settleExportableEntries([&] { settled = true; });
    ASSERT_TRUE(test::waitUntil([&] { return settled; }, std::chrono::seconds(60)));
    EXPECT_EQ(listedMedia(), expectedMedia());
    for (const auto &entry : m_controller->exportableEntries())
        EXPECT_FALSE(entry->isTypeProvisional()) << entry->name().toStdString();

    // A listing that hides other files knows at once which rows are media.
    Preferences::setHideUnsupported(true);
    listAll();
    QStringList shown;
    for (int row = 0; row < m_controller->numberOfViewModels(); ++row) {
        EXPECT_FALSE(m_controller->entry(row)->isTypeProvisional());
        shown.append(m_controller->entry(row)->name());
    }
    QStringList notRegular;
    for (const QString &name : names) {
        if (expected.value(name) != QStringLiteral("regular"))
            notRegular.append(name);
    }
    std::sort(shown.begin(), shown.end());
    std::sort(notRegular.begin(), notRegular.end());
    EXPECT_EQ(shown, notRegular);
}
