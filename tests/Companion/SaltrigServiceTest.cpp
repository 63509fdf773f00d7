// The companion's answers in process: imports driven by the app's own records,
// with the library under a home folder of the test's own.
#include "SaltrigService.h"

#include "App/MetadataReader.h"
#include "App/Preferences.h"
#include "CompanionSupport.h"
#include "Import/AudioConverter.h"
#include "Import/ImportObject.h"
#include "Platform/Media/MediaAsset.h"
#include "Platform/PropertyList.h"
#include "SaltrigImporter.h"
#include "Support/MediaFixtures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>

namespace tarnik {
namespace {

namespace media = test::media;
using test::companion::decodedSamples;
using test::companion::importRequestItems;
using test::companion::rmsLevel;
using test::companion::treeOf;

QVariantMap importRequest(const QVariant &items)
{
    return { { QStringLiteral("identifier"), 21u }, { QStringLiteral("items"), items } };
}

QVariantMap importRequest(const QByteArrayList &items)
{
    return importRequest(QVariant::fromValue(items));
}

class SaltrigServiceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid() && sources.isValid());
        Preferences::Saltrig::setShouldAddFadeInFadeOut(true);
        Preferences::Saltrig::setShouldNotifyOnCompletion(true);
        SaltrigService::Environment environment;
        environment.homeDirectory = [this] { return home.path(); };
        environment.converter = &AudioConverter::shared();
        environment.notify = [this](const QString &summary, const QString &body) {
            notices.append(summary + QLatin1Char('|') + body);
        };
        environment.machineIdPath = sources.filePath(QStringLiteral("machine-id"));
        service = std::make_unique<SaltrigService>(environment);
    }

    void TearDown() override
    {
        service.reset();
        Preferences::Saltrig::setShouldAddFadeInFadeOut(true);
        Preferences::Saltrig::setShouldNotifyOnCompletion(true);
    }

    // One request, answered: the reply dictionary.
    QVariantMap ask(const QVariantMap &userInfo)
    {
        auto reply = std::make_shared<QVariantMap>();
        auto answered = std::make_shared<std::atomic<int>>(0);
        service->handle(userInfo, QString(), [reply, answered](const QVariantMap &answer) {
            *reply = answer;
            answered->fetch_add(1);
        });
        EXPECT_TRUE(QTest::qWaitFor([&] { return answered->load() > 0; }, 120000));
        service->waitForImports();
        EXPECT_EQ(answered->load(), 1);
        return *reply;
    }

    std::optional<bool> importResult(const QVariantMap &userInfo)
    {
        const QVariant result = ask(userInfo).value(QStringLiteral("result"));
        if (result.typeId() != QMetaType::Bool)
            return std::nullopt;
        return result.toBool();
    }

    QString source(const QString &name) const { return sources.filePath(name); }
    QString library(const QString &relative) const { return home.filePath(relative); }

    QTemporaryDir home;
    QTemporaryDir sources;
    QStringList notices;
    std::unique_ptr<SaltrigService> service;
};

TEST_F(SaltrigServiceTest, ASongWithATrimRangeVolumeAndFadesLandsAsAnM4AWithThoseLevelsAndTags)
{
    const QString tone = source(QStringLiteral("tone.wav"));
    ASSERT_TRUE(media::makeTone(tone, 10.0));
    const QString cover = source(QStringLiteral("cover.png"));
    ASSERT_TRUE(media::makePicture(cover, 32, 32));
    QFile coverFile(cover);
    ASSERT_TRUE(coverFile.open(QIODevice::ReadOnly));

    Metadata metadata(QStringLiteral("Trimmed Song"));
    metadata.artist = QStringLiteral("The Artist");
    metadata.genre = QStringLiteral("Rock");
    metadata.year = 2016;
    metadata.albumName = QStringLiteral("The Album");
    metadata.artwork = coverFile.readAll();
    ImportItem record(MediaKind::song, tone, metadata);
    record.timeRange = MediaTimeRange::fromTimeToTime(MediaTime::fromSeconds(2.0), MediaTime::fromSeconds(8.0));
    record.volume = 0.5f;

    EXPECT_EQ(importResult(importRequest(importRequestItems({ record }))), true);

    const QString song = library(QStringLiteral("Media/Library/Music/Trimmed Song.m4a"));
    ASSERT_TRUE(QFile::exists(song)) << treeOf(home.path()).join(QLatin1Char(' ')).toStdString();
    const MediaAsset asset(song);
    ASSERT_TRUE(asset.hasAudioTrack());
    EXPECT_EQ(asset.tracks().front().codecName, QStringLiteral("aac"));
    EXPECT_NEAR(asset.duration().value_or(0), 6.0, 0.15);

    // Half the level in the middle, silence rising and falling at the ends.
    const std::vector<float> in = decodedSamples(tone);
    const std::vector<float> out = decodedSamples(song);
    const double sourceLevel = rmsLevel(in, 4.0, 6.0);
    const double middle = rmsLevel(out, 2.0, 4.0);
    ASSERT_GT(sourceLevel, 0.01);
    EXPECT_NEAR(middle / sourceLevel, 0.5, 0.05);
    EXPECT_LT(rmsLevel(out, 0.0, 0.15), 0.2 * middle);
    EXPECT_NEAR(rmsLevel(out, 0.45, 0.55) / middle, 0.5, 0.15);
    EXPECT_LT(rmsLevel(out, 5.85, 5.97), 0.2 * middle);

    const QVariantMap tags = MetadataReader::metadataDictionary(song);
    EXPECT_EQ(tags.value(QStringLiteral("title")).toString(), QStringLiteral("Trimmed Song"));
    EXPECT_EQ(tags.value(QStringLiteral("artist")).toString(), QStringLiteral("The Artist"));
    EXPECT_EQ(tags.value(QStringLiteral("type")).toString(), QStringLiteral("Rock"));
    EXPECT_EQ(tags.value(QStringLiteral("albumName")).toString(), QStringLiteral("The Album"));
    EXPECT_EQ(tags.value(QStringLiteral("creationDate")).toString(), QStringLiteral("2016"));
    EXPECT_EQ(tags.value(QStringLiteral("artwork")).toByteArray(), metadata.artwork);

    ASSERT_EQ(notices.size(), 1);
    EXPECT_TRUE(notices.first().startsWith(QStringLiteral("Import Complete|1 of 1 imported.")));
    // Only the song: no half-written or temporary file stays behind.
    EXPECT_EQ(
        treeOf(library(QStringLiteral("Media/Library/Music"))), QStringList { QStringLiteral("Trimmed Song.m4a") });
}

TEST_F(SaltrigServiceTest, AnM4ASourceWithAVolumeIsReencodedSoTheLevelApplies)
{
    // Copying the stream would keep the level: the volume would be lost.
    const QString tone = source(QStringLiteral("tone.m4a"));
    ASSERT_TRUE(media::makeTone(tone, 3.0, { QStringLiteral("-c:a"), QStringLiteral("aac") }));
    Preferences::Saltrig::setShouldNotifyOnCompletion(false);
    ImportItem record(MediaKind::podcast, tone, Metadata(QStringLiteral("Quiet")));
    record.volume = 0.25f;

    EXPECT_EQ(importResult(importRequest(importRequestItems({ record }))), true);
    const QString podcast = library(QStringLiteral("Media/Library/Podcasts/Quiet.m4a"));
    ASSERT_TRUE(QFile::exists(podcast));
    EXPECT_NEAR(rmsLevel(decodedSamples(podcast), 1.0, 2.0) / rmsLevel(decodedSamples(tone), 1.0, 2.0), 0.25, 0.04);
    EXPECT_TRUE(notices.isEmpty());
}

TEST_F(SaltrigServiceTest, ARingtoneLandsInTheCatalogueAndAsAFileNextToIt)
{
    const QString tone = source(QStringLiteral("bell.wav"));
    ASSERT_TRUE(media::makeTone(tone, 5.0));
    const QString catalogue = library(QStringLiteral("Media/Purchases/Ringtones.plist"));
    ASSERT_TRUE(QDir().mkpath(library(QStringLiteral("Media/Purchases"))));
    const QVariantMap earlier { { QStringLiteral("Name"), QStringLiteral("Earlier") },
        { QStringLiteral("PID"), qint64(7) } };
    ASSERT_TRUE(PropertyList::write(catalogue,
        QVariantMap { { QStringLiteral("Ringtones"), QVariantMap { { QStringLiteral("Earlier.m4r"), earlier } } },
            { QStringLiteral("Other"), QStringLiteral("kept") } }));

    for (const MediaKind kind : { MediaKind::ringtone, MediaKind::tone }) {
        const QString title = kind == MediaKind::ringtone ? QStringLiteral("My Ringtone") : QStringLiteral("My Tone");
        EXPECT_EQ(importResult(importRequest(importRequestItems({ ImportItem(kind, tone, Metadata(title)) }))), true);

        const QString file = title + QStringLiteral(".m4r");
        EXPECT_TRUE(QFile::exists(library(QStringLiteral("Media/Purchases/") + file)));
        const auto root = PropertyList::readDictionary(catalogue);
        ASSERT_TRUE(root);
        EXPECT_EQ(root->value(QStringLiteral("Other")).toString(), QStringLiteral("kept"));
        const QVariantMap ringtones = root->value(QStringLiteral("Ringtones")).toMap();
        EXPECT_EQ(ringtones.value(QStringLiteral("Earlier.m4r")).toMap(), earlier);
        const QVariantMap entry = ringtones.value(file).toMap();
        EXPECT_EQ(entry.value(QStringLiteral("Name")).toString(), title);
        EXPECT_NEAR(entry.value(QStringLiteral("Total Time")).toDouble(), 5000.0, 100.0);
        EXPECT_EQ(entry.value(QStringLiteral("GUID")).toString().size(), 16);
        EXPECT_GT(entry.value(QStringLiteral("PID")).toLongLong(), 0);
    }
    // A name the catalogue already lists is taken even without its file; nothing else is left.
    EXPECT_EQ(importResult(importRequest(
                  importRequestItems({ ImportItem(MediaKind::ringtone, tone, Metadata(QStringLiteral("Earlier"))) }))),
        true);
    EXPECT_EQ(PropertyList::readDictionary(catalogue)
                  ->value(QStringLiteral("Ringtones"))
                  .toMap()
                  .value(QStringLiteral("Earlier 2.m4r"))
                  .toMap()
                  .value(QStringLiteral("Name")),
        QStringLiteral("Earlier"));
    EXPECT_EQ(QDir(library(QStringLiteral("Media/Purchases"))).entryList(QDir::Files | QDir::Hidden, QDir::Name),
        QStringList({ QStringLiteral("Earlier 2.m4r"), QStringLiteral("My Ringtone.m4r"), QStringLiteral("My Tone.m4r"),
            QStringLiteral("Ringtones.plist") }));
}

TEST_F(SaltrigServiceTest, VideosAreCopiedAndTaggedWhereTheContainerTakesTags)
{
    const QString mp4 = source(QStringLiteral("clip.mp4"));
    const QString mkv = source(QStringLiteral("clip.mkv"));
    ASSERT_TRUE(media::makeVideo(mp4, 2.0, true));
    ASSERT_TRUE(media::makeVideo(mkv, 2.0, false));

    EXPECT_EQ(importResult(importRequest(importRequestItems({
                  ImportItem(MediaKind::musicVideo, mp4, Metadata(QStringLiteral("The Video"))),
                  ImportItem(MediaKind::tvEpisode, mkv, Metadata(QStringLiteral("Episode 1"))),
              }))),
        true);

    const QString video = library(QStringLiteral("Media/Library/Videos/musicVideo/The Video.mp4"));
    ASSERT_TRUE(QFile::exists(video));
    EXPECT_TRUE(MediaAsset(video).hasVideoTrack());
    EXPECT_EQ(MetadataReader::metadataDictionary(video).value(QStringLiteral("title")).toString(),
        QStringLiteral("The Video"));

    const QString episode = library(QStringLiteral("Media/Library/Videos/tvEpisode/Episode 1.mkv"));
    QFile copied(episode);
    QFile original(mkv);
    ASSERT_TRUE(copied.open(QIODevice::ReadOnly) && original.open(QIODevice::ReadOnly));
    EXPECT_EQ(copied.readAll(), original.readAll());
}

TEST_F(SaltrigServiceTest, NamesNeverReplaceAFileNorLeaveTheLibrary)
{
    const QString tone = source(QStringLiteral("short.wav"));
    ASSERT_TRUE(media::makeTone(tone, 1.0));
    const QList<ImportItem> records {
        ImportItem(MediaKind::song, tone, Metadata(QStringLiteral("Same"))),
        ImportItem(MediaKind::song, tone, Metadata(QStringLiteral("Same"))),
        ImportItem(MediaKind::song, tone, Metadata(QStringLiteral("../../../Escape"))),
        ImportItem(MediaKind::song, tone, std::nullopt),
    };
    EXPECT_EQ(importResult(importRequest(importRequestItems(records))), true);
    EXPECT_EQ(treeOf(library(QStringLiteral("Media/Library/Music"))),
        (QStringList { QStringLiteral("Same 2.m4a"), QStringLiteral("Same.m4a"), QStringLiteral("_____Escape.m4a"),
            QStringLiteral("short.m4a") }));
    EXPECT_EQ(treeOf(sources.path()), QStringList { QStringLiteral("short.wav") });

    // The files are for every program of the user to read.
    struct stat info = {};
    ASSERT_EQ(::stat(QFile::encodeName(library(QStringLiteral("Media/Library/Music/Same.m4a"))).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0644u);
}

TEST_F(SaltrigServiceTest, BadRequestsAreRefusedWithoutWritingAnything)
{
    const QString tone = source(QStringLiteral("good.wav"));
    ASSERT_TRUE(media::makeTone(tone, 1.0));
    const QString text = source(QStringLiteral("notes.mp3"));
    ASSERT_TRUE(media::writeFile(text, "these are no sounds\n"));
    const QString picture = source(QStringLiteral("picture.png"));
    ASSERT_TRUE(media::makePicture(picture, 8, 8));
    const QString silentVideo = source(QStringLiteral("silent.mp4"));
    ASSERT_TRUE(media::makeVideo(silentVideo, 1.0, false));
    const QString fifo = source(QStringLiteral("pipe.wav"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString link = source(QStringLiteral("zero.wav"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), link));
    const QStringList sourcesBefore = treeOf(sources.path());

    const auto song = [](const QString &path) { return importRequestItems({ ImportItem(MediaKind::song, path) }); };
    QByteArrayList badKind = song(tone);
    badKind[1].replace("\"song\"", "\"album\"");
    QByteArrayList badVolume = song(tone);
    badVolume[1].replace("\"volume\":1", "\"volume\":-1");
    // A level past full scale overflows the float the converter takes and plays at unity gain.
    QByteArrayList hugeVolume = song(tone);
    hugeVolume[1].replace("\"volume\":1", "\"volume\":1e308");
    QByteArrayList loudVolume = song(tone);
    loudVolume[1].replace("\"volume\":1", "\"volume\":1.5");
    QByteArrayList badRange = song(tone);
    ImportItem ranged(MediaKind::song, tone);
    ranged.timeRange = { MediaTime::fromSeconds(-5.0), MediaTime::fromSeconds(1.0) };
    badRange = importRequestItems({ ranged });
    QByteArrayList hugeRecord = song(tone);
    hugeRecord[1].insert(1, "\"padding\":\"" + QByteArray(SaltrigService::kMaximumRecordBytes, 'x') + "\",");
    QByteArrayList tooMany = song(tone);
    while (tooMany.size() <= SaltrigService::kMaximumRecords + 1)
        tooMany.append(tooMany.at(1));
    QByteArrayList tooLarge { ImportObject().data().value(),
        QByteArray(SaltrigService::kMaximumRequestBytes + 1, '{') };

    const struct
    {
        const char *name;
        QVariantMap userInfo;
    } cases[] = {
        { "a missing file", importRequest(song(source(QStringLiteral("missing.wav")))) },
        { "a folder", importRequest(song(sources.path())) },
        { "a device", importRequest(song(QStringLiteral("/dev/zero"))) },
        { "a link to a device", importRequest(song(link)) },
        { "a pipe", importRequest(song(fifo)) },
        { "a path inside /proc", importRequest(song(QStringLiteral("/proc/self/environ"))) },
        { "a relative path", importRequest(song(QStringLiteral("good.wav"))) },
        { "a path with a NUL", importRequest(song(tone + QChar(0) + QStringLiteral("x"))) },
        { "a text file", importRequest(song(text)) },
        { "a picture", importRequest(song(picture)) },
        { "a video without sound as a song", importRequest(song(silentVideo)) },
        { "an unknown kind", importRequest(badKind) },
        { "a negative volume", importRequest(badVolume) },
        { "a volume of 1e308", importRequest(hugeVolume) },
        { "a volume above one", importRequest(loudVolume) },
        { "a range before the start", importRequest(badRange) },
        { "a malformed envelope", importRequest(QByteArrayList { "{\"bundle\":1}", song(tone).at(1) }) },
        { "garbage bytes", importRequest(QByteArrayList { media::noise(512), media::noise(4096, 2) }) },
        { "a garbage record", importRequest(QByteArrayList { song(tone).at(0), media::noise(300) }) },
        { "a record too large", importRequest(hugeRecord) },
        { "too many records", importRequest(tooMany) },
        { "too many bytes", importRequest(tooLarge) },
        { "no items", importRequest(QVariant()) },
        { "items of texts", importRequest(QVariantList { QStringLiteral("{}"), QStringLiteral("{}") }) },
        { "an empty list", importRequest(QByteArrayList {}) },
    };
    for (const auto &c : cases) {
        EXPECT_EQ(importResult(c.userInfo), false) << c.name;
        EXPECT_EQ(treeOf(home.path()), QStringList {}) << c.name;
        EXPECT_EQ(treeOf(sources.path()), sourcesBefore) << c.name;
    }
    // A good record beside bad ones is imported, and the answer tells that not all were.
    EXPECT_EQ(
        importResult(importRequest(QByteArrayList { song(tone).at(0), song(tone).at(1), media::noise(64) })), false);
    EXPECT_TRUE(QFile::exists(library(QStringLiteral("Media/Library/Music/good.m4a"))));
    EXPECT_TRUE(notices.last().startsWith(QStringLiteral("Import Incomplete|1 of 2 imported.")));
}

TEST_F(SaltrigServiceTest, PartialFilesOfImportsCutShortAreRemovedAtStartAndNothingElse)
{
    // What a companion killed mid-import leaves: the converter's partial output beside the
    // importer's placeholder, in each kind of library folder.
    const QStringList stale {
        QStringLiteral("Media/Library/Music/.saltrig-Ab12Cd.m4a"),
        QStringLiteral("Media/Library/Music/..saltrig-Ab12Cd.m4a.3k9zq1x.m4a"),
        QStringLiteral("Media/Library/Podcasts/.saltrig-Zz0000.m4a"),
        QStringLiteral("Media/Purchases/..saltrig-x1Y2z3.m4r.1a2b3c.m4a"),
        QStringLiteral("Media/Purchases/.saltrig-x1Y2z3.m4r"),
        QStringLiteral("Media/Purchases/..saltrig-x1Y2z3.tarnik-partial-0123456789abc.m4r"),
        QStringLiteral("Media/Library/Videos/musicVideo/.saltrig-Qq7Rr8.mp4"),
        // Killed after the ringtone took its pending name, before its entry was saved.
        QStringLiteral("Media/Purchases/.saltrig-pending-Orphan.m4r"),
    };
    const QStringList kept {
        QStringLiteral("Media/Library/Music/Song.m4a"),
        QStringLiteral("Media/Library/Music/.saltrig-notes.txt"),
        QStringLiteral("Media/Library/Music/saltrig-Ab12Cd.m4a"),
        QStringLiteral("Media/Purchases/Ringtones.plist"),
        QStringLiteral("Media/Other/.saltrig-Ab12Cd.m4a"),
        QStringLiteral("Documents/..saltrig-Ab12Cd.m4a.3k9zq1x.m4a"),
    };
    for (const QString &relative : stale + kept) {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(library(relative)).path()));
        ASSERT_TRUE(media::writeFile(library(relative), "partial"));
    }
    // Killed after the entry was saved, before the file took its name: the file goes into place.
    const QString catalogue = library(QStringLiteral("Media/Purchases/Ringtones.plist"));
    ASSERT_TRUE(PropertyList::write(catalogue,
        QVariantMap { { QStringLiteral("Ringtones"),
            QVariantMap { { QStringLiteral("Saved.m4r"), QVariantMap { { QStringLiteral("Name"), QStringLiteral("Saved") } } } } } }));
    ASSERT_TRUE(media::writeFile(library(QStringLiteral("Media/Purchases/.saltrig-pending-Saved.m4r")), "ring"));
    // A folder of such a name is nobody's partial file.
    ASSERT_TRUE(QDir().mkpath(library(QStringLiteral("Media/Library/Music/.saltrig-Folder.m4a"))));

    service->removeStaleTemporaryFiles();

    for (const QString &relative : stale)
        EXPECT_FALSE(QFileInfo::exists(library(relative))) << relative.toStdString();
    for (const QString &relative : kept)
        EXPECT_TRUE(QFileInfo::exists(library(relative))) << relative.toStdString();
    EXPECT_TRUE(QFileInfo(library(QStringLiteral("Media/Library/Music/.saltrig-Folder.m4a"))).isDir());
    EXPECT_FALSE(QFileInfo::exists(library(QStringLiteral("Media/Purchases/.saltrig-pending-Saved.m4r"))));
    QFile saved(library(QStringLiteral("Media/Purchases/Saved.m4r")));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), QByteArray("ring"));
}

TEST_F(SaltrigServiceTest, AnImportThatOutlastsTheReplyBudgetIsAnsweredPendingAndGoesOn)
{
    const QString tone = source(QStringLiteral("slow.wav"));
    ASSERT_TRUE(media::makeTone(tone, 2.0));
    SaltrigService::Environment environment;
    environment.homeDirectory = [this] { return home.path(); };
    environment.notify = [this](const QString &summary, const QString &) { notices.append(summary); };
    environment.replyBudgetMilliseconds = 0;
    service = std::make_unique<SaltrigService>(environment);

    // The budget's timer runs on this thread's event loop, which the import
    // cannot reach before the first event is processed.
    service->waitForImports();
    const QVariantMap reply = ask(
        importRequest(importRequestItems({ ImportItem(MediaKind::song, tone, Metadata(QStringLiteral("Later"))) })));
    EXPECT_TRUE(reply == (QVariantMap { { QStringLiteral("pending"), true } })
        || reply == (QVariantMap { { QStringLiteral("result"), true } }));
    service->waitForImports();
    EXPECT_TRUE(QFile::exists(library(QStringLiteral("Media/Library/Music/Later.m4a"))));
    EXPECT_EQ(notices, QStringList { QStringLiteral("Import Complete") });
}

TEST_F(SaltrigServiceTest, MutatedRequestsAreAnsweredAndNeverCrashTheService)
{
    const QString tone = source(QStringLiteral("fuzz.wav"));
    ASSERT_TRUE(media::makeTone(tone, 0.5));
    Preferences::Saltrig::setShouldNotifyOnCompletion(false);
    ImportItem record(MediaKind::ringtone, tone, Metadata(QStringLiteral("Fuzz")));
    record.timeRange = MediaTimeRange::fromTimeToTime(MediaTime::fromSeconds(0.1), MediaTime::fromSeconds(0.4));
    const QByteArrayList valid = importRequestItems({ record });

    std::mt19937 random(8);
    for (int round = 0; round < 150; ++round) {
        QByteArrayList items = valid;
        QByteArray &item = items[random() % items.size()];
        for (int flips = 1 + random() % 4; flips > 0; --flips)
            item[random() % item.size()] = char(random() % 256);
        const QVariantMap reply = ask(importRequest(items));
        EXPECT_EQ(reply.value(QStringLiteral("result")).typeId(), QMetaType::Bool) << round;
    }
    // Whatever was imported stayed inside the library folders.
    for (const QString &path : treeOf(home.path()))
        EXPECT_TRUE(path == QStringLiteral("Media") || path.startsWith(QStringLiteral("Media/"))) << path.toStdString();
}

TEST_F(SaltrigServiceTest, TheIdentifierRequestAndUnknownRequests)
{
    const QString identifier
        = ask({ { QStringLiteral("identifier"), 18u } }).value(QStringLiteral("result")).toString();
    EXPECT_EQ(identifier.size(), 40);
    EXPECT_EQ(ask({ { QStringLiteral("identifier"), 18 } }).value(QStringLiteral("result")).toString(), identifier);

    for (const QVariantMap &userInfo : {
             QVariantMap {},
             QVariantMap { { QStringLiteral("identifier"), 19u } },
             QVariantMap { { QStringLiteral("identifier"), QStringLiteral("18") } },
             QVariantMap { { QStringLiteral("identifier"), 18.0 } },
             QVariantMap { { QStringLiteral("identifier"), -18 } },
         })
        EXPECT_EQ(ask(userInfo), QVariantMap {});
    EXPECT_EQ(treeOf(home.path()), QStringList {});
}

TEST(SaltrigImporterTest, MetadataJsonBecomesTheDictionaryTheConverterWrites)
{
    const QJsonObject json {
        { QStringLiteral("title"), QStringLiteral("T") },
        { QStringLiteral("genre"), QStringLiteral("G") },
        { QStringLiteral("year"), 2016 },
        { QStringLiteral("albumArtist"), QStringLiteral("AA") },
        { QStringLiteral("podcastUrl"), QStringLiteral("https://example.invalid/feed") },
        { QStringLiteral("trackNumber"), 3 },
        { QStringLiteral("duration"), 1234.5 },
        { QStringLiteral("artist"), 12 }, // no text: dropped
        { QStringLiteral("type"), QStringLiteral("dictionary key, not JSON") },
        { QStringLiteral("artwork"), QStringLiteral("bm90IGhlcmU=") },
    };
    const auto dictionary = SaltrigImporter::metadataDictionary(json, QByteArray("png"));
    ASSERT_TRUE(dictionary);
    EXPECT_EQ(*dictionary,
        (QVariantMap {
            { QStringLiteral("title"), QStringLiteral("T") },
            { QStringLiteral("type"), QStringLiteral("G") },
            { QStringLiteral("creationDate"), qint64(2016) },
            { QStringLiteral("creator"), QStringLiteral("AA") },
            { QStringLiteral("podcastURL"), QStringLiteral("https://example.invalid/feed") },
            { QStringLiteral("trackNumber"), qint64(3) },
            { QStringLiteral("duration"), 1234.5 },
            { QStringLiteral("artwork"), QByteArray("png") },
        }));
    EXPECT_FALSE(SaltrigImporter::metadataDictionary(std::nullopt, std::nullopt));
}

} // namespace
} // namespace tarnik
