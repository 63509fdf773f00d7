#include "Entries/Entry.h"

#include "App/Globals.h"
#include "App/PathExtension.h"
#include "Import/Metadata.h"
#include "Support/EntriesSupport.h"
#include "Support/MediaFixtures.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <gtest/gtest.h>
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
