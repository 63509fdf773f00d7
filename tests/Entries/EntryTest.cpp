#include "Entries/Entry.h"

#include "App/Globals.h"
#include "App/PathExtension.h"
#include "Import/Metadata.h"
#include "Support/EntriesSupport.h"
#include "Support/MediaFixtures.h"
#include "Support/MediaTagFixtures.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>

using namespace tarnik;

namespace {

class EntryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        test::resetEntrySettings();
        ASSERT_TRUE(m_dir.isValid());
    }
    QString file(const QString &name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
};

QByteArray pngOf(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

std::shared_ptr<Entry> makeEntry(const QString &path, EntryType type)
{
    return std::make_shared<Entry>(path, PathExtension(path).lastPathComponent(), type, IndexPath { 0, 0 });
}

} // namespace

TEST_F(EntryTest, TitleAndArtistComeFromTheListedName)
{
    struct Case
    {
        QString name;
        QString title;
        QString artist;
    };
    const Case cases[] = {
        { QStringLiteral("Band - Song.mp3"), QStringLiteral("Song.mp3"), QStringLiteral("Band") },
        { QStringLiteral("Song.mp3"), QStringLiteral("Song.mp3"), QString() },
        { QStringLiteral("A - B - C.m4a"), QStringLiteral("B - C.m4a"), QStringLiteral("A") },
        { QStringLiteral(" - .mp3"), QStringLiteral(".mp3"), QString() },
        { QStringLiteral("AC%2FDC - Song.mp3"), QStringLiteral("Song.mp3"), QStringLiteral("AC-DC") },
        // An invalid percent sequence: the name is split as it is, its "/" kept.
        { QStringLiteral("100% a/b - c"), QStringLiteral("c"), QStringLiteral("100% a/b") },
    };
    for (const Case &c : cases) {
        const Entry entry(QStringLiteral("/music/x"), c.name, EntryType::exportable, IndexPath { 3, 0 });
        EXPECT_EQ(entry.title(), c.title) << c.name.toStdString();
        ASSERT_TRUE(entry.artist().has_value());
        EXPECT_EQ(*entry.artist(), c.artist) << c.name.toStdString();
    }
}

TEST_F(EntryTest, FreshEntryHoldsWhatItsPathGives)
{
    const Entry entry(
        QStringLiteral("/music/a.mp3"), QStringLiteral("a.mp3"), EntryType::exportable, IndexPath { 7, 0 });
    EXPECT_EQ(entry.identifier(), PathExtension(QStringLiteral("/music/a.mp3")).identifier());
    EXPECT_EQ(entry.state(), UpdateState::new_);
    EXPECT_EQ(entry.genre(), QString());
    EXPECT_EQ(entry.year(), _currentYear());
    EXPECT_NE(entry.year(), 0);
    EXPECT_EQ(entry.indexPath(), (IndexPath { 7, 0 }));
    EXPECT_TRUE(entry.image().isNull());
    EXPECT_FALSE(entry.artwork().has_value());
    EXPECT_FALSE(entry.metadata().has_value());
    EXPECT_EQ(entry.url(), QUrl::fromLocalFile(QStringLiteral("/music/a.mp3")));
    EXPECT_TRUE(entry.isExportable());
    EXPECT_FALSE(entry.isDirectory());
    // The file does not exist: the file questions answer false.
    EXPECT_FALSE(entry.isAudio());
    EXPECT_FALSE(entry.isVideo());
    EXPECT_FALSE(entry.isAudioFileReadable());
}

TEST_F(EntryTest, ArtworkSetsTheImageOnlyWhenPresent)
{
    Entry entry(QStringLiteral("/a.mp3"), QStringLiteral("a.mp3"), EntryType::exportable, IndexPath {});
    QImage picture(8, 4, QImage::Format_RGB32);
    picture.fill(Qt::green);
    entry.setArtwork(pngOf(picture));
    EXPECT_EQ(entry.image().size(), QSize(8, 4));
    entry.setArtwork(std::nullopt);
    EXPECT_EQ(entry.image().size(), QSize(8, 4)) << "clearing the artwork keeps the image";
    entry.setArtwork(QByteArray("not a picture"));
    EXPECT_TRUE(entry.image().isNull());
}

TEST_F(EntryTest, FoldersAndRegularFilesNeverComplete)
{
    for (EntryType type : { EntryType::directory, EntryType::regular }) {
        auto entry = makeEntry(file(QStringLiteral("x")), type);
        int calls = 0;
        entry->updateMetadata([&](const std::shared_ptr<Entry> &) { ++calls; });
        EXPECT_EQ(calls, 0);
        EXPECT_EQ(entry->state(), UpdateState::new_);
    }
}

TEST_F(EntryTest, StateGatesTheUpdate)
{
    auto entry = makeEntry(file(QStringLiteral("song.mp3")), EntryType::exportable);
    entry->setState(UpdateState::updating);
    int calls = 0;
    entry->updateMetadata([&](const std::shared_ptr<Entry> &) { ++calls; });
    EXPECT_EQ(calls, 0);

    entry->setState(UpdateState::updated);
    std::shared_ptr<Entry> delivered;
    entry->updateMetadata([&](const std::shared_ptr<Entry> &e) { delivered = e; });
    EXPECT_EQ(delivered, entry);
    EXPECT_EQ(metadataCache().count(), 0) << "an entry that was already updated is not loaded again";
}

TEST_F(EntryTest, AudioWithoutArtworkGetsThePlaceholderAndIsCachedForItsPath)
{
    const QString path = file(QStringLiteral("Band - Tune.m4a"));
    ASSERT_TRUE(test::media::makeTone(path, 1.0));
    auto first = makeEntry(path, EntryType::exportable);
    std::shared_ptr<Entry> delivered;
    first->updateMetadata([&](const std::shared_ptr<Entry> &e) { delivered = e; });
    ASSERT_EQ(delivered, first) << "the update runs synchronously";
    EXPECT_EQ(first->state(), UpdateState::updated);
    ASSERT_TRUE(first->artwork().has_value());
    EXPECT_TRUE(first->artwork()->startsWith("\x89PNG"));
    EXPECT_FALSE(first->image().isNull());
    ASSERT_TRUE(first->metadata().has_value());
    EXPECT_EQ(first->metadata()->artwork, first->artwork());
    EXPECT_EQ(metadataCache().object(first->identifier()), first);

    // A second object for the same path is answered with the first one and stays new.
    auto second = makeEntry(path, EntryType::exportable);
    second->updateMetadata([&](const std::shared_ptr<Entry> &e) { delivered = e; });
    EXPECT_EQ(delivered, first);
    EXPECT_EQ(second->state(), UpdateState::new_);
    EXPECT_FALSE(second->metadata().has_value());
}

TEST_F(EntryTest, CachedEntryOfAnotherPathWithTheSameIdentifierIsAMiss)
{
    // Identifiers keep only the end of a long path's Base64 text, so two long paths can share one.
    const QString path = file(QStringLiteral("picture.png"));
    ASSERT_TRUE(test::media::makePicture(path, 8, 4));
    auto impostor = makeEntry(QStringLiteral("/elsewhere/picture.png"), EntryType::image);
    impostor->setState(UpdateState::updated);
    auto entry = makeEntry(path, EntryType::image);
    metadataCache().setObject(entry->identifier(), impostor);

    std::shared_ptr<Entry> delivered;
    entry->updateMetadata([&](const std::shared_ptr<Entry> &e) { delivered = e; });
    EXPECT_EQ(delivered, entry);
    EXPECT_EQ(entry->image().size(), QSize(8, 4));
    EXPECT_FALSE(entry->artwork().has_value());
    EXPECT_FALSE(entry->metadata().has_value());
    EXPECT_EQ(metadataCache().object(entry->identifier()), entry);
}

TEST_F(EntryTest, TrackRecordOverridesTheFileTags)
{
    const QString path = file(QStringLiteral("tagged.mp3"));
    ASSERT_TRUE(test::media::makeTone(path, 1.0));
    const QString cover = file(QStringLiteral("cover.png"));
    ASSERT_TRUE(test::media::makePicture(cover, 6, 6, QStringLiteral("blue")));

    struct Case
    {
        const char *what;
        QVariantMap record;
        std::optional<qint64> year;
        bool coverApplies;
    };
    const Case cases[] = {
        { "integer year and artwork file",
            { { QStringLiteral("title"), QStringLiteral("T") }, { QStringLiteral("artist"), QStringLiteral("A") },
                { QStringLiteral("genre"), QStringLiteral("G") }, { QStringLiteral("year"), 2019 },
                { QStringLiteral("artworkPath"), cover } },
            2019, true },
        { "year as text is ignored, artworkUrl is not read from a caller's record",
            { { QStringLiteral("title"), QStringLiteral("T") }, { QStringLiteral("artist"), QStringLiteral("A") },
                { QStringLiteral("genre"), QStringLiteral("G") }, { QStringLiteral("year"), QStringLiteral("2019") },
                { QStringLiteral("artworkUrl"), QUrl::fromLocalFile(cover) } },
            std::nullopt, false },
    };
    for (const Case &c : cases) {
        metadataCache().removeAllObjects();
        auto entry = makeEntry(path, EntryType::exportable);
        entry->updateMetadata(c.record, [](const std::shared_ptr<Entry> &) {});
        EXPECT_EQ(entry->title(), QStringLiteral("T")) << c.what;
        EXPECT_EQ(entry->artist(), QStringLiteral("A")) << c.what;
        EXPECT_EQ(entry->genre(), QStringLiteral("G")) << c.what;
        EXPECT_EQ(entry->year(), c.year.value_or(_currentYear())) << c.what;
        EXPECT_EQ(entry->image().size(), c.coverApplies ? QSize(6, 6) : QSize(500, 500)) << c.what;
    }
}

TEST_F(EntryTest, FileQuestionsOnNonRegularFilesAnswerAtOnce)
{
    // A FIFO must never be opened: opening it for reading would block without a writer.
    const QString fifo = file(QStringLiteral("pipe.mp3"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    auto entry = makeEntry(fifo, EntryType::exportable);
    EXPECT_FALSE(entry->isAudio());
    EXPECT_FALSE(entry->isVideo());
    EXPECT_FALSE(entry->isAudioFileReadable());
    entry->updateMetadata([](const std::shared_ptr<Entry> &) {});
    EXPECT_EQ(entry->state(), UpdateState::updated);

    auto image = makeEntry(file(QStringLiteral("pipe.mp3")), EntryType::image);
    metadataCache().removeAllObjects();
    image->updateMetadata([](const std::shared_ptr<Entry> &) {});
    EXPECT_TRUE(image->image().isNull());
}

TEST_F(EntryTest, VideoWithoutArtworkTakesItsStillAsJpegArtwork)
{
    const QString path = file(QStringLiteral("clip.mp4"));
    ASSERT_TRUE(test::media::makeVideo(path, 1.5, true));
    auto entry = makeEntry(path, EntryType::exportable);
    entry->updateMetadata([](const std::shared_ptr<Entry> &) {});
    ASSERT_TRUE(entry->artwork().has_value());
    EXPECT_TRUE(entry->artwork()->startsWith("\xff\xd8")) << "JPEG";
    EXPECT_FALSE(entry->image().isNull());
    ASSERT_TRUE(entry->metadata().has_value());
    EXPECT_EQ(entry->metadata()->artwork, entry->artwork());
    EXPECT_EQ(entry->title(), QStringLiteral("clip"));
}

namespace {

// Rewrites a file with `from` replaced by `to` (same length, so the size stays), either in place
// or as a new file renamed over it (a new inode), and moves its modification time on by a second,
// as a coarse file-system clock may not tell two quick writes apart.
bool rewriteKeepingSize(const QString &path, const QByteArray &from, const QByteArray &to, bool newInode)
{
    QFile original(path);
    if (from.size() != to.size() || !original.open(QIODevice::ReadOnly))
        return false;
    QByteArray bytes = original.readAll();
    original.close();
    if (!bytes.contains(from))
        return false;
    bytes.replace(from, to);
    struct stat before;
    if (::stat(QFile::encodeName(path).constData(), &before) != 0)
        return false;
    const QString target = newInode ? path + QStringLiteral(".new") : path;
    if (!test::media::writeFile(target, bytes))
        return false;
    if (newInode && ::rename(QFile::encodeName(target).constData(), QFile::encodeName(path).constData()) != 0)
        return false;
    struct timespec times[2] = { before.st_atim, before.st_mtim };
    times[1].tv_sec += 1;
    return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0;
}

} // namespace

TEST_F(EntryTest, LoadedMetadataCountOnlyForTheVersionOfTheFileTheyCameFrom)
{
    struct Case
    {
        const char *what;
        std::function<bool(const QString &)> change;
        QString title; // after the change
    };
    const Case cases[] = {
        { "unchanged", [](const QString &) { return true; }, QStringLiteral("Old Song") },
        { "retagged in place",
            [](const QString &p) {
                return test::media::writeId3Frames(p, { { "TIT2", QStringLiteral("Retagged") } });
            },
            QStringLiteral("Retagged") },
        { "rewritten in place, same size, new time",
            [](const QString &p) { return rewriteKeepingSize(p, "Old Song", "New Song", false); },
            QStringLiteral("New Song") },
        { "replaced by another file of the same name and size",
            [](const QString &p) { return rewriteKeepingSize(p, "Old Song", "New Song", true); },
            QStringLiteral("New Song") },
    };
    for (const Case &c : cases) {
        metadataCache().removeAllObjects();
        const QString path = file(QStringLiteral("song.mp3"));
        QFile::remove(path);
        ASSERT_TRUE(test::media::makeTone(path, 0.5, test::media::args({ "-metadata", "title=Old Song" }))) << c.what;
        auto first = makeEntry(path, EntryType::exportable);
        first->updateMetadata([](const std::shared_ptr<Entry> &) {});
        ASSERT_EQ(first->title(), QStringLiteral("Old Song")) << c.what;
        ASSERT_TRUE(c.change(path)) << c.what;
        const bool changed = c.title != QStringLiteral("Old Song");

        // A new entry for the path (the folder listed again, a hand-over, a share).
        auto second = makeEntry(path, EntryType::exportable);
        std::shared_ptr<Entry> delivered;
        second->updateMetadata([&](const std::shared_ptr<Entry> &e) { delivered = e; });
        EXPECT_EQ(delivered, changed ? second : first) << c.what;
        ASSERT_TRUE(delivered) << c.what;
        EXPECT_EQ(delivered->title(), c.title) << c.what;
        EXPECT_EQ(delivered->metadata()->title, c.title) << c.what;
        EXPECT_EQ(metadataCache().object(first->identifier()), delivered) << c.what;

        // The entry loaded first (the player's, a selection's) reloads itself when asked again.
        first->updateMetadata([&](const std::shared_ptr<Entry> &e) { delivered = e; });
        EXPECT_EQ(delivered, first) << c.what;
        EXPECT_EQ(first->title(), c.title) << c.what;
        EXPECT_EQ(first->state(), UpdateState::updated) << c.what;
    }
}

TEST_F(EntryTest, AReloadKeepsNothingOfTheFilesEarlierVersion)
{
    const QString path = file(QStringLiteral("Band - Song.m4a"));
    const QString cover = file(QStringLiteral("cover.jpg"));
    ASSERT_TRUE(test::media::makePicture(cover, 40, 20));
    ASSERT_TRUE(test::media::makeToneWithCover(
        path, cover, 0.5, test::media::args({ "-metadata", "genre=Jazz", "-metadata", "date=1999" })));
    auto entry = makeEntry(path, EntryType::exportable);
    entry->updateMetadata([](const std::shared_ptr<Entry> &) {});
    ASSERT_EQ(entry->genre(), QStringLiteral("Jazz"));
    ASSERT_EQ(entry->image().size(), QSize(40, 20));

    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(test::media::makeTone(path, 0.7));
    entry->updateMetadata([](const std::shared_ptr<Entry> &) {});
    EXPECT_EQ(entry->genre(), QString());
    EXPECT_EQ(entry->year(), _currentYear());
    EXPECT_EQ(entry->image().size(), QSize(500, 500)) << "the placeholder, not the old cover";
    EXPECT_EQ(entry->artist(), QStringLiteral("Band"));
}
