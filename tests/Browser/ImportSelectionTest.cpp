#include "BrowserSupport.h"

#include "Import/Metadata.h"
#include "App/MetadataReader.h"
#include "App/UserManager.h"
#include "Controls/Loaders/RefresherView.h"
#include "Controls/Loaders/SpinnerView.h"
#include "Controls/PassThroughView.h"
#include "Import/ImportItem.h"
#include "Import/MediaKind.h"
#include "Platform/Media/MediaAsset.h"
#include "Platform/UI/AlertControllerAction.h"
#include "Platform/UI/BarButtonItem.h"
#include "Support/MediaFixtures.h"
#include "Support/MediaTagFixtures.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QMutex>
#include <QTest>

#include "Controls/Loaders/LoaderView.h"

namespace tarnik::test {
namespace {

class RecordingUserManager : public UserManager
{
public:
    void importMedia(const QList<ImportItem> &items, std::function<void()> completion) override
    {
        {
            QMutexLocker lock(&mutex);
            calls.append(items);
        }
        completion();
    }
    QMutex mutex;
    QList<QList<ImportItem>> calls;
};

class ImportSelectionTest : public BrowserTest
{
protected:
    void SetUp() override
    {
        BrowserTest::SetUp();
        manager = std::make_shared<RecordingUserManager>();
        UserManager::setShared(manager);
    }
    void TearDown() override
    {
        UserManager::setShared(nullptr);
        BrowserTest::TearDown();
    }
    QStringList actionTitles(AlertController *alert)
    {
        QStringList titles;
        for (AlertControllerAction *action : alert->actions())
            titles.append(action->title());
        return titles;
    }
    AlertControllerAction *action(AlertController *alert, const QString &title)
    {
        for (AlertControllerAction *a : alert->actions())
            if (a->title() == title)
                return a;
        return nullptr;
    }
    std::shared_ptr<RecordingUserManager> manager;
};

TEST_F(ImportSelectionTest, ChosenMediaImportAsTheDestinationPicked)
{
    ASSERT_TRUE(media::makeTone(path(QStringLiteral("a.mp3")), 0.3, media::args({ "-metadata", "title=Alpha" })));
    ASSERT_TRUE(QFile::copy(path(QStringLiteral("a.mp3")), path(QStringLiteral("b.mp3"))));
    ASSERT_TRUE(QFile::copy(path(QStringLiteral("a.mp3")), path(QStringLiteral("c.mp3"))));
    auto *nav = showBrowser(dir.path());
    DirectoryViewController *level = top(nav);
    level->toggleEditMode();
    drainMainQueue();
    for (int i = 0; i < 3; ++i)
        tapItem(level, i);
    ASSERT_EQ(level->selectedEntries().size(), 3);
    QFile::remove(path(QStringLiteral("c.mp3"))); // vanishes before the import

    level->importBarButtonItem()->trigger();
    settle();
    AlertController *sheet = presentedAlert(window->rootViewController());
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->alertTitle(), QStringLiteral("Choose an Import destination"));
    EXPECT_EQ(actionTitles(sheet),
        (QStringList { QStringLiteral("Song"), QStringLiteral("Ringtone"), QStringLiteral("Podcast"),
            QStringLiteral("Music Video"), QStringLiteral("Movie"), QStringLiteral("TV Episode"), QStringLiteral("Cancel") }));
    for (AlertControllerAction *a : sheet->actions())
        EXPECT_EQ(sheet->buttonFor(a)->text(), a->title()) << "a button reachable by its title";
    sheet->tapAction(action(sheet, QStringLiteral("Ringtone")));
    settle();
    drainMainQueue();
    EXPECT_FALSE(level->editMode());
    LoaderView *loader = level->loaderView();
    ASSERT_NE(loader, nullptr);
    ASSERT_TRUE(waitUntil([&] {
        QMutexLocker lock(&manager->mutex);
        return !manager->calls.isEmpty();
    }));
    QList<ImportItem> items;
    {
        QMutexLocker lock(&manager->mutex);
        items = manager->calls.first();
    }
    ASSERT_EQ(items.size(), 2) << "the vanished file is left out";
    QStringList paths;
    for (const ImportItem &item : items) {
        EXPECT_EQ(item.mediaKind, MediaKind::ringtone);
        ASSERT_TRUE(item.metadata.has_value());
        EXPECT_EQ(item.metadata->title, QStringLiteral("Alpha"));
        paths.append(item.path);
    }
    paths.sort();
    EXPECT_EQ(paths, (QStringList { path(QStringLiteral("a.mp3")), path(QStringLiteral("b.mp3")) }));
}

TEST_F(ImportSelectionTest, SelectAllStopsAtUnreadableAudioUntilTheOfferIsAnswered)
{
    ASSERT_TRUE(media::makeTone(path(QStringLiteral("a.mp3")), 0.3));
    ASSERT_TRUE(media::makeTone(path(QStringLiteral("b.ogg")), 0.3));
    ASSERT_TRUE(QFile::copy(path(QStringLiteral("a.mp3")), path(QStringLiteral("c.mp3"))));
    auto *nav = showBrowser(dir.path());
    DirectoryViewController *level = top(nav);
    tick(1.0); // past the listing's own selection step, as a user's first tap always is
    level->toggleEditMode();
    drainMainQueue();
    level->selectAllBarButtonItem()->trigger();
    drainMainQueue();
    settle();
    AlertController *offer = presentedAlert(window->rootViewController());
    ASSERT_NE(offer, nullptr);
    EXPECT_EQ(offer->message(),
        QStringLiteral("The file \"b.ogg\" is malformed, or is not a valid instance of an audio file of its type.\n"
                       "Would you like Tarnik to attempt fixing it by creating an AAC version of it?"));
    EXPECT_EQ(actionTitles(offer), (QStringList { QStringLiteral("NO"), QStringLiteral("YES. Create it") }));
    EXPECT_EQ(level->selectedEntries().size(), 2) << "the walk waits at the offer";

    tick(1.0);
    EXPECT_EQ(level->selectedEntries().size(), 2);
    offer->tapAction(action(offer, QStringLiteral("NO")));
    settle();
    tick(0.5);
    EXPECT_EQ(level->selectedEntries().size(), 2);
    QStringList names;
    for (const auto &entry : level->selectedEntries())
        names.append(entry->name());
    names.sort();
    EXPECT_EQ(names, (QStringList { QStringLiteral("a.mp3"), QStringLiteral("c.mp3") }));
    QList<IndexPath> rows = level->collectionView()->indexPathsForSelectedItems();
    std::sort(rows.begin(), rows.end(), [](const IndexPath &l, const IndexPath &r) { return l.item < r.item; });
    EXPECT_EQ(rows, (QList<IndexPath> { IndexPath { 0, 0 }, IndexPath { 2, 0 } })) << "the rows show what is chosen";
}

TEST_F(ImportSelectionTest, SelectAllThenDeselectAll)
{
    ASSERT_TRUE(media::makeTone(path(QStringLiteral("a.mp3")), 0.3));
    ASSERT_TRUE(QFile::copy(path(QStringLiteral("a.mp3")), path(QStringLiteral("b.mp3"))));
    ASSERT_TRUE(touch(path(QStringLiteral("c.txt"))));
    auto *nav = showBrowser(dir.path());
    DirectoryViewController *level = top(nav);
    level->toggleEditMode();
    drainMainQueue();
    level->selectAllBarButtonItem()->trigger();
    drainMainQueue();
    EXPECT_EQ(level->selectedEntries().size(), 2);
    EXPECT_EQ(level->selectAllBarButtonItem()->title(), QStringLiteral("Deselect All"));
    level->selectAllBarButtonItem()->trigger();
    drainMainQueue();
    EXPECT_TRUE(level->selectedEntries().isEmpty());
    EXPECT_TRUE(level->collectionView()->indexPathsForSelectedItems().isEmpty());
    EXPECT_FALSE(level->importBarButtonItem()->isEnabled());
}

TEST(ConvertedPathTest, SitsBesideTheSource)
{
    EXPECT_EQ(DirectoryViewController::convertedPath(QStringLiteral("/a/b/Song.mp3")), QStringLiteral("/a/b/Song_AAC.m4a"));
    EXPECT_EQ(DirectoryViewController::convertedPath(QStringLiteral("/a/b.c/Song")), QStringLiteral("/a/b.c/Song_AAC.m4a"));
    EXPECT_EQ(DirectoryViewController::convertedPath(QStringLiteral("/a/x.tar.ogg")), QStringLiteral("/a/x.tar_AAC.m4a"));
}

TEST_F(ImportSelectionTest, ConversionWritesAPlayableCopyBesideTheSourceAndListsIt)
{
    const struct
    {
        const char *name;
        QStringList extra;
    } sources[] = {
        { "vorbis.ogg", media::args({ "-c:a", "libvorbis", "-metadata", "title=Vorbis Song" }) },
        { "opus.opus", media::args({ "-c:a", "libopus", "-metadata", "title=Opus Song" }) },
        { "flac.mka", media::args({ "-c:a", "flac", "-metadata", "title=Flac Song" }) },
    };
    for (const auto &source : sources)
        ASSERT_TRUE(media::makeTone(path(QString::fromLatin1(source.name)), 0.5, source.extra)) << source.name;
    ASSERT_TRUE(media::writeFile(path(QStringLiteral("vorbis_AAC.m4a")), "an older copy"));
    auto *nav = showBrowser(dir.path());
    DirectoryViewController *level = top(nav);
    for (const auto &source : sources) {
        const QString name = QString::fromLatin1(source.name);
        const QByteArray before = [&] {
            QFile f(path(name));
            f.open(QIODevice::ReadOnly);
            return f.readAll();
        }();
        std::shared_ptr<Entry> entry;
        for (const auto &candidate : level->entryViewModelController().exportableEntries())
            if (candidate->name() == name)
                entry = candidate;
        ASSERT_NE(entry, nullptr) << source.name;
        const int listings = level->appliedListings();
        level->convertToAAC(entry);
        const bool relisted = waitForListing(level, listings);
        AlertController *failure = presentedAlert(window->rootViewController());
        ASSERT_TRUE(relisted) << source.name << " " << (failure ? failure->message().toStdString() : std::string());
        const QString copy = DirectoryViewController::convertedPath(path(name));
        const MediaAsset asset(copy);
        EXPECT_TRUE(asset.hasAudioTrack()) << source.name;
        // The copy keeps its source's tags where the tag reader reads them (it has no Matroska support,
        // so that copy takes its title from the file name).
        const Metadata copied = Metadata::fromDictionary(MetadataReader::metadataDictionary(copy));
        if (!name.endsWith(QLatin1String(".mka")))
            EXPECT_EQ(copied.title.value_or(QString()), source.extra.last().mid(6)) << source.name;
        QFile original(path(name));
        original.open(QIODevice::ReadOnly);
        EXPECT_EQ(original.readAll(), before) << "the source is never changed";
        bool listed = false;
        for (const QString &file : level->entryViewModelController().files())
            listed = listed || file == QFileInfo(copy).fileName();
        EXPECT_TRUE(listed) << source.name;
    }
    EXPECT_FALSE(QDir(dir.path()).entryList(QDir::Hidden | QDir::Files).join(QLatin1Char(',')).contains(QLatin1String(".m4a.")))
        << "no partial copies are left";
}

TEST_F(ImportSelectionTest, AFileWithoutAudioOrMetadataIsRefused)
{
    ASSERT_TRUE(media::makeVideo(path(QStringLiteral("silent.mp4")), 0.5, false));
    ASSERT_TRUE(media::makeTone(path(QStringLiteral("tone.ogg")), 0.5, media::args({ "-c:a", "libvorbis" })));
    ASSERT_TRUE(media::writeFile(path(QStringLiteral("notes.txt")), "text"));
    auto *nav = showBrowser(dir.path());
    DirectoryViewController *level = top(nav);
    ASSERT_EQ(level->entryViewModelController().exportableEntries().size(), 2);
    const auto listed = [&](const QString &name) -> std::shared_ptr<Entry> {
        for (const auto &entry : level->entryViewModelController().exportableEntries())
            if (entry->name() == name)
                return entry;
        return nullptr;
    };
    // An entry whose metadata never load (a plain file's, whose update does nothing).
    const auto unloaded = [&](const QString &name) {
        return std::make_shared<Entry>(path(name), name, EntryType::regular, IndexPath { 0, 0 });
    };
    struct Case
    {
        const char *what;
        std::shared_ptr<Entry> entry;
        QString message;
    };
    const Case cases[] = {
        // Its metadata load (the name gives a title), so the missing audio is what is said.
        { "a video without audio", listed(QStringLiteral("silent.mp4")), QStringLiteral("This file has no audio tracks.") },
        // The metadata check comes second and its message replaces the first.
        { "neither audio nor metadata", unloaded(QStringLiteral("notes.txt")), QStringLiteral("No metadata found.") },
        { "audio without metadata", unloaded(QStringLiteral("tone.ogg")), QStringLiteral("No metadata found.") },
    };
    for (const Case &c : cases) {
        ASSERT_TRUE(c.entry) << c.what;
        level->convertToAAC(c.entry);
        ASSERT_TRUE(waitUntil([&] { return presentedAlert(window->rootViewController()) != nullptr; })) << c.what;
        AlertController *alert = presentedAlert(window->rootViewController());
        EXPECT_EQ(alert->alertTitle(), QStringLiteral("Convertion Error")) << c.what;
        EXPECT_EQ(alert->message(), c.message) << c.what;
        alert->dismiss(false);
        tick(1.0);
        ASSERT_TRUE(waitUntil([&] { return presentedAlert(window->rootViewController()) == nullptr; })) << c.what;
    }
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("silent_AAC.m4a"))));
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("tone_AAC.m4a"))));
}

TEST_F(ImportSelectionTest, TheCopyOfAFilePlayedBeforeCarriesAllItsTags)
{
    const QString source = path(QStringLiteral("tagged.ogg"));
    ASSERT_TRUE(media::makeTone(source, 0.5,
        media::args({ "-c:a", "libvorbis", "-metadata", "title=Tagged Song", "-metadata", "album=The Album",
            "-metadata", "date=1999", "-metadata", "genre=Jazz" })));
    const QString cover = path(QStringLiteral(".cover.png"));
    ASSERT_TRUE(media::makePicture(cover, 24, 12, QStringLiteral("blue")));
    QFile coverFile(cover);
    ASSERT_TRUE(coverFile.open(QIODevice::ReadOnly));
    ASSERT_TRUE(media::addXiphPictures(source, { media::TypedPicture { coverFile.readAll(), 3 } }));
    auto *nav = showBrowser(dir.path());
    DirectoryViewController *level = top(nav);
    ASSERT_EQ(level->entryViewModelController().exportableEntries().size(), 1);
    const std::shared_ptr<Entry> listed = level->entryViewModelController().exportableEntries().first();

    // Played before: another entry for the same file loaded the metadata, and the listed one
    // is answered with that entry from the cache.
    auto played = std::make_shared<Entry>(source, QStringLiteral("tagged.ogg"), EntryType::exportable, IndexPath { 0, 0 });
    played->updateMetadata([](const std::shared_ptr<Entry> &) {});
    ASSERT_EQ(played->metadata()->albumName, QStringLiteral("The Album"));

    const int listings = level->appliedListings();
    level->convertToAAC(listed);
    const bool relisted = waitForListing(level, listings);
    AlertController *failure = presentedAlert(window->rootViewController());
    ASSERT_TRUE(relisted) << (failure ? failure->message().toStdString() : std::string());
    const Metadata copied
        = Metadata::fromDictionary(MetadataReader::metadataDictionary(DirectoryViewController::convertedPath(source)));
    EXPECT_EQ(copied.title, QStringLiteral("Tagged Song"));
    EXPECT_EQ(copied.albumName, QStringLiteral("The Album"));
    EXPECT_EQ(copied.genre, QStringLiteral("Jazz"));
    EXPECT_EQ(copied.year, 1999);
    ASSERT_TRUE(copied.artwork.has_value());
    EXPECT_EQ(QImage::fromData(*copied.artwork).size(), QSize(24, 12));
}

} // namespace
} // namespace tarnik::test
