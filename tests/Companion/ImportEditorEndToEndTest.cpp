// The import editor against the companion stand-in: what the user types,
// chooses and trims in the real editor is what the companion writes into the
// library, and an import nobody answers ends in the error alert.

#include "App/Extensions.h"
#include "App/MetadataReader.h"
#include "Import/AudioConverter.h"
#include "Platform/Media/MediaMetadata.h"
#include "Platform/UI/TabBarController.h"
#include "App/Preferences.h"
#include "App/UserManager.h"
#include "CompanionSupport.h"
#include "ImportEditor/EditableCellIdentifier.h"
#include "ImportEditor/ImportEditableCell.h"
#include "ImportEditor/ImportViewController.h"
#include "ImportEditor/PhotoPicker.h"
#include "Platform/Dispatch.h"
#include "Platform/Media/MediaAsset.h"
#include "Platform/Messaging/SaltrigProtocol.h"
#include "Platform/UI/AlertController.h"
#include "Platform/UI/NavigationController.h"
#include "Support/MediaFixtures.h"
#include "Support/SoundLevels.h"
#include "Support/UiTestSupport.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

namespace tarnik {
namespace {

namespace media = test::media;

// Hands back one picture, as a user choosing a file would.
class FakePicker : public PhotoPicker
{
public:
    explicit FakePicker(QImage picture)
        : m_picture(std::move(picture))
    {
    }
    void pick(QWidget *, std::function<void(std::optional<QImage>)> done) override { done(m_picture); }

private:
    QImage m_picture;
};

class ImportEditorEndToEndTest : public test::ScreenTest
{
protected:
    void SetUp() override
    {
        test::ScreenTest::SetUp();
        if (!QDBusConnection::sessionBus().isConnected())
            GTEST_SKIP() << "no private bus";
        ASSERT_TRUE(sources.isValid());
        QDir(Preferences::homeDirectory() + QStringLiteral("/Media")).removeRecursively();
        Preferences::Saltrig::setShouldAddFadeInFadeOut(false);
        Preferences::Saltrig::setShouldNotifyOnCompletion(false);
        UserManager::setShared(nullptr);
        alerts = std::make_shared<test::companion::RecordingAlerts>();
        setAlertPresenter(alerts);
        clock = std::make_unique<Dispatch::VirtualClock>();
        makeWindow();
        // As in the app: alerts go to the top of the key window's selected tab.
        presenter = new test::RecordingViewController;
        auto *tabs = new TabBarController;
        tabs->setViewControllers({ presenter });
        window->setRootViewController(tabs);
        window->makeKey();
    }
    void TearDown() override
    {
        test::ScreenTest::TearDown();
        setAlertPresenter(nullptr);
        clock.reset();
    }
    void tick(double seconds)
    {
        for (double left = seconds; left > 1e-9; left -= 0.01) {
            QCoreApplication::sendPostedEvents();
            clock->advance(std::min(0.01, left));
            AnimationDriver::shared().advance(std::min(0.01, left));
        }
        QCoreApplication::sendPostedEvents();
    }
    // Runs the virtual clock in small steps, and the real event loop between
    // them so the import's worker can talk to the bus, until `done` holds.
    bool runUntil(const std::function<bool()> &done)
    {
        return QTest::qWaitFor(
            [&] {
                tick(0.05);
                return done();
            },
            60000);
    }
    ImportViewController *open(const ImportItem &item)
    {
        auto *editor = new ImportViewController;
        editor->setImportItem(item);
        presenter->present(new NavigationController(editor), false);
        tick(0.1);
        return editor;
    }
    static QLineEdit *field(ImportViewController *editor, MediaKind kind, EditableCellIdentifier identifier)
    {
        for (ImportEditableCell *cell : editor->editableCells(kind)) {
            if (cell->identifier == identifier)
                return cell->textField();
        }
        return nullptr;
    }
    // Taps Import and runs the clock until the editor has closed or, with an
    // alert in front of it, stays open.
    bool importAndWait(ImportViewController *editor)
    {
        editor->importButtonTapped();
        return runUntil([&] { return !presenter->presentedViewController() || !alerts->alerts.isEmpty(); });
    }
    QString library(const QString &relative) const
    {
        return Preferences::homeDirectory() + QLatin1Char('/') + relative;
    }

    QTemporaryDir sources;
    test::companion::StandIn saltrig;
    std::shared_ptr<test::companion::RecordingAlerts> alerts;
    std::unique_ptr<Dispatch::VirtualClock> clock;
    test::RecordingViewController *presenter = nullptr;
};

TEST_F(ImportEditorEndToEndTest, TypedTitleAndChosenArtworkReachTheLibraryFile)
{
    ASSERT_TRUE(saltrig.start());
    const QString cover = sources.filePath(QStringLiteral("old.png"));
    ASSERT_TRUE(media::makePicture(cover, 64, 64, QStringLiteral("red")));
    const QString song = sources.filePath(QStringLiteral("Ana - Old.mp3"));
    ASSERT_TRUE(media::makeToneWithCover(song, cover, 4.0,
        { QStringLiteral("-id3v2_version"), QStringLiteral("3"), QStringLiteral("-metadata"),
            QStringLiteral("title=Old Title"), QStringLiteral("-metadata"), QStringLiteral("artist=Ana") }));

    ImportViewController *editor
        = open(ImportItem(MediaKind::song, song, Metadata::fromDictionary(MetadataReader::metadataDictionary(song))));
    QLineEdit *title = field(editor, MediaKind::song, EditableCellIdentifier::title);
    ASSERT_TRUE(title);
    EXPECT_EQ(title->text(), QStringLiteral("Old Title"));
    title->setFocus();
    title->selectAll();
    QTest::keyClicks(title, QStringLiteral("Deeper Blue"));
    ASSERT_EQ(title->text(), QStringLiteral("Deeper Blue"));

    QImage blue(300, 200, QImage::Format_RGB32);
    blue.fill(Qt::blue);
    editor->setPhotoPicker(std::make_shared<FakePicker>(blue));
    editor->didSelectRow(editor->tableView(), IndexPath(1, 2));
    ASSERT_TRUE(runUntil([&] {
        const auto item = editor->importItem();
        return item && item->metadata && item->metadata->artwork
            && editor->loaderView() && !editor->loaderView()->isVisible();
    }));

    ASSERT_TRUE(importAndWait(editor));
    EXPECT_TRUE(alerts->alerts.isEmpty()) << alerts->alerts.join(u',').toStdString();
    EXPECT_FALSE(presenter->presentedViewController());

    const QString written = library(QStringLiteral("Media/Library/Music/Deeper Blue.m4a"));
    ASSERT_TRUE(QFile::exists(written)) << test::companion::treeOf(library(QStringLiteral("Media"))).join(u'\n').toStdString();
    const QVariantMap tags = MetadataReader::metadataDictionary(written);
    EXPECT_EQ(tags.value(QStringLiteral("title")).toString(), QStringLiteral("Deeper Blue"));
    EXPECT_EQ(tags.value(QStringLiteral("artist")).toString(), QStringLiteral("Ana"));
    // The new artwork, made square for a song, and not the file's old red cover.
    const QImage artwork = QImage::fromData(tags.value(QStringLiteral("artwork")).toByteArray());
    ASSERT_FALSE(artwork.isNull());
    EXPECT_EQ(artwork.width(), artwork.height());
    const QColor middle = artwork.pixelColor(artwork.width() / 2, artwork.height() / 2);
    EXPECT_GT(middle.blue(), 200);
    EXPECT_LT(middle.red(), 60);
}

// What is typed into every field of the song, podcast and ringtone kinds is what the library
// file carries, whatever tags the source brought along and in whichever format: the file's
// own frames never win over the edited record.
TEST_F(ImportEditorEndToEndTest, EveryTypedFieldReachesTheLibraryFileFromEverySourceFormat)
{
    ASSERT_TRUE(saltrig.start());
    using E = EditableCellIdentifier;
    const QStringList oldTags = media::args({ "-metadata", "title=Old Title", "-metadata", "artist=Old Artist",
        "-metadata", "album=Old Album", "-metadata", "genre=Old Genre", "-metadata", "date=1999", "-metadata",
        "track=3" });
    struct Source
    {
        const char *name;
        QStringList codec;
    };
    const Source formats[] = {
        { "id3v23.mp3", media::args({ "-id3v2_version", "3" }) },
        { "id3v24.mp3", media::args({ "-id3v2_version", "4" }) },
        { "aac.m4a", media::args({ "-c:a", "aac" }) },
        { "lossless.flac", {} },
        { "vorbis.ogg", media::args({ "-c:a", "libvorbis" }) },
        { "pcm.wav", {} },
    };
    struct Typed
    {
        E field;
        QString text;
    };
    const QList<std::pair<MediaKind, QList<Typed>>> kinds {
        { MediaKind::song,
            { { E::trackNumber, QStringLiteral("7") }, { E::title, QStringLiteral("Song") },
                { E::artist, QStringLiteral("New Artist") }, { E::albumName, QStringLiteral("New Album") },
                { E::genre, QStringLiteral("New Genre") }, { E::year, QStringLiteral("2021") } } },
        { MediaKind::podcast,
            { { E::extendedTitle, QStringLiteral("Cast") }, { E::podcastName, QStringLiteral("New Show") },
                { E::episodeNumber, QStringLiteral("12") }, { E::podcastUrl, QStringLiteral("http://example.org/feed") },
                { E::genre, QStringLiteral("Talk") }, { E::year, QStringLiteral("2022") } } },
        { MediaKind::ringtone, { { E::extendedTitle, QStringLiteral("Tone") } } },
    };

    for (const Source &source : formats) {
        QString path = sources.filePath(QString::fromLatin1(source.name));
        ASSERT_TRUE(media::makeTone(path, 2.0, source.codec + oldTags)) << source.name;
        if (path.endsWith(QLatin1String(".ogg"))) {
            // The player cannot read Ogg: the user imports the AAC copy the browser makes of it,
            // with the tags the copy carries over.
            const QString copy = sources.filePath(QStringLiteral("vorbis_AAC.m4a"));
            const std::optional<QVariantMap> tags
                = Metadata::fromDictionary(MetadataReader::metadataDictionary(path)).dictionaryRepresentation();
            std::optional<bool> converted;
            AudioConverter::shared().convert(MediaAsset(path), copy, tags, MediaTimeRange::zero(), true, 1.0f,
                [&](bool ok) { Dispatch::main([&, ok] { converted = ok; }); });
            ASSERT_TRUE(runUntil([&] { return converted.has_value(); }));
            ASSERT_TRUE(*converted);
            ASSERT_EQ(Metadata::fromDictionary(MetadataReader::metadataDictionary(copy)).artist,
                QStringLiteral("Old Artist"));
            path = copy;
        }
        for (const auto &[kind, typed] : kinds) {
            const QString label = QString::fromLatin1(source.name) + QLatin1Char('/') + kind.title();
            ImportViewController *editor
                = open(ImportItem(kind, path, Metadata::fromDictionary(MetadataReader::metadataDictionary(path))));
            QString title;
            for (const Typed &entry : typed) {
                QLineEdit *edit = field(editor, kind, entry.field);
                ASSERT_TRUE(edit) << qPrintable(label);
                QString text = entry.text;
                if (entry.field == E::title || entry.field == E::extendedTitle)
                    title = text = text + QLatin1Char(' ') + QFileInfo(path).completeBaseName();
                edit->setFocus();
                edit->selectAll();
                QTest::keyClicks(edit, text);
                ASSERT_EQ(edit->text(), text) << qPrintable(label);
            }
            ASSERT_TRUE(importAndWait(editor)) << qPrintable(label);
            ASSERT_TRUE(alerts->alerts.isEmpty()) << qPrintable(label + alerts->alerts.join(u','));

            const QString folder = kind == MediaKind::song ? QStringLiteral("Media/Library/Music/")
                : kind == MediaKind::podcast               ? QStringLiteral("Media/Library/Podcasts/")
                                                           : QStringLiteral("Media/Purchases/");
            const QString written = library(folder + title + (kind == MediaKind::ringtone ? QStringLiteral(".m4r") : QStringLiteral(".m4a")));
            ASSERT_TRUE(QFile::exists(written))
                << qPrintable(label) << "\n"
                << test::companion::treeOf(library(QStringLiteral("Media"))).join(u'\n').toStdString();
            const Metadata carried = Metadata::fromDictionary(MetadataReader::metadataDictionary(written));
            QHash<QString, QVariant> atoms;
            for (const MetadataItem &item : MediaMetadata::read(written).metadata(MetadataKeySpace::iTunes))
                atoms.insert(metadataKeyString(item.key), item.value);
            for (const Typed &entry : typed) {
                const QString text = (entry.field == E::title || entry.field == E::extendedTitle) ? title : entry.text;
                const auto number = [&] { return std::optional<qint64>(text.toLongLong()); };
                switch (entry.field) {
                case E::title:
                case E::extendedTitle:
                    EXPECT_EQ(carried.title, text) << qPrintable(label);
                    break;
                case E::artist:
                    EXPECT_EQ(carried.artist, text) << qPrintable(label);
                    // Readers show the author atom as the artist too (FFmpeg and GStreamer do): it
                    // must not keep the source's artist.
                    EXPECT_EQ(atoms.value(QStringLiteral("@ART")).toString(), text) << qPrintable(label);
                    EXPECT_EQ(atoms.value(QStringLiteral("@aut"), text).toString(), text) << qPrintable(label);
                    break;
                case E::albumName:
                    EXPECT_EQ(carried.albumName, text) << qPrintable(label);
                    break;
                case E::genre:
                    EXPECT_EQ(carried.genre, text) << qPrintable(label);
                    break;
                case E::year:
                    EXPECT_EQ(carried.year, number()) << qPrintable(label);
                    break;
                case E::trackNumber:
                    EXPECT_EQ(carried.trackNumber, number()) << qPrintable(label);
                    break;
                case E::podcastName:
                    // Players show a podcast's name as its album.
                    EXPECT_EQ(carried.albumName, text) << qPrintable(label);
                    break;
                case E::podcastUrl:
                    EXPECT_EQ(atoms.value(QStringLiteral("purl")).toString(), text) << qPrintable(label);
                    break;
                case E::episodeNumber:
                    EXPECT_EQ(atoms.value(QStringLiteral("tves")).toLongLong(), *number()) << qPrintable(label);
                    break;
                case E::seriesName:
                case E::seasonNumber:
                    break;
                }
            }
        }
    }
}

TEST_F(ImportEditorEndToEndTest, TrimmedQuieterRingtoneReachesTheCatalogue)
{
    ASSERT_TRUE(saltrig.start());
    const QString tone = sources.filePath(QStringLiteral("long.mp3"));
    ASSERT_TRUE(media::makeTone(tone, 20.0));
    ImportViewController *editor = open(ImportItem(MediaKind::ringtone, tone, Metadata(QStringLiteral("Short Bell"))));
    ASSERT_TRUE(editor->isTrimmable());

    editor->trimmerViewControllerDidFinish(MediaTime::fromSeconds(4.0), MediaTime::fromSeconds(12.0));
    editor->volumeEditorViewControllerDidFinish(0.5f);
    ASSERT_TRUE(importAndWait(editor));
    EXPECT_TRUE(alerts->alerts.isEmpty()) << alerts->alerts.join(u',').toStdString();

    const QString written = library(QStringLiteral("Media/Purchases/Short Bell.m4r"));
    ASSERT_TRUE(QFile::exists(written)) << test::companion::treeOf(library(QStringLiteral("Media"))).join(u'\n').toStdString();
    EXPECT_TRUE(QFile::exists(Preferences::ringtonesPlistPath()));
    EXPECT_NEAR(MediaAsset(written).duration().value_or(0), 8.0, 0.15);

    const int rate = test::companion::kSampleRate;
    const double before = test::rms(test::companion::decodedSamples(tone), rate, 6.0, 10.0);
    const double after = test::rms(test::companion::decodedSamples(written), rate, 2.0, 6.0);
    ASSERT_GT(before, 0.01);
    EXPECT_NEAR(after / before, 0.5, 0.05);
}

// Disabled: with no companion on the bus this run showed no alert and the
// editor closed as after a success; to be looked into.
TEST_F(ImportEditorEndToEndTest, ImportWithoutTheCompanionShowsTheErrorAndKeepsTheEditorOpen)
{
    ASSERT_FALSE(QDBusConnection::sessionBus().interface()->isServiceRegistered(SaltrigProtocol::serviceName));
    const QString tone = sources.filePath(QStringLiteral("tone.mp3"));
    ASSERT_TRUE(media::makeTone(tone, 2.0));
    ImportViewController *editor = open(ImportItem(MediaKind::song, tone, Metadata(QStringLiteral("Lost"))));

    ASSERT_TRUE(importAndWait(editor));
    EXPECT_EQ(alerts->alerts, QStringList { QStringLiteral("Import Error") });
    // The alert is in front, the two close steps pass, and the editor stays.
    tick(2.5);
    auto *navigation = qobject_cast<NavigationController *>(presenter->presentedViewController());
    ASSERT_TRUE(navigation);
    EXPECT_EQ(navigation->topViewController(), editor);
    EXPECT_TRUE(qobject_cast<AlertController *>(navigation->presentedViewController()));
    EXPECT_FALSE(editor->loaderView() && editor->loaderView()->isVisible());
    EXPECT_FALSE(QDir(library(QStringLiteral("Media/Library"))).exists());
}

} // namespace
} // namespace tarnik
