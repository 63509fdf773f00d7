#include "Import/AudioConverter.h"

#include "App/MetadataReader.h"
#include "App/Preferences.h"
#include "Import/Metadata.h"
#include "MediaFixtures.h"
#include "Platform/Media/MediaAsset.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QThreadPool>
#include <atomic>
#include <future>
#include <gtest/gtest.h>

namespace tarnik {
namespace {

using Preset = ExportSession::Preset;
using Status = ExportSession::Status;

// An exporter that records what the converter sets and ends with a chosen status.
class RecordingSession : public ExportSession
{
public:
    RecordingSession(const QString &source, Preset preset, Status result)
        : ExportSession(source, preset)
        , m_result(result)
    {
    }

    void setTimeRange(double start, double duration) override
    {
        timeRangeSet = true;
        ExportSession::setTimeRange(start, duration);
    }
    void exportAsynchronously(std::function<void()> handler) override
    {
        ++exportCalls;
        m_ended = true;
        handler();
    }
    Status status() const override { return m_ended ? m_result : Status::Unknown; }

    bool timeRangeSet = false;
    int exportCalls = 0;

private:
    Status m_result;
    bool m_ended = false;
};

struct Call
{
    int completions = 0;
    bool result = false;
};

class AudioConverterTest : public ::testing::Test
{
protected:
    QString path(const QString &name) const { return m_dir.filePath(name); }

    QString tone(const QString &name, double seconds, const QStringList &codec = {})
    {
        const QString file = path(name);
        if (!QFileInfo::exists(file)) {
            EXPECT_TRUE(test::makeTone(file, seconds, 44100, 2, 0.5, codec));
        }
        return file;
    }

    // A converter over recording exporters; the last one made is `session`.
    AudioConverter recordingConverter(Status result = Status::Completed, bool makesExporter = true)
    {
        return AudioConverter({ [this, result, makesExporter](const MediaAsset &asset, Preset preset) {
                                   ++exportersMade;
                                   if (!makesExporter)
                                       return std::shared_ptr<ExportSession>();
                                   session = std::make_shared<RecordingSession>(asset.path(), preset, result);
                                   return std::static_pointer_cast<ExportSession>(session);
                               },
            [this] { return fades; } });
    }

    // A converter over the real exporter with the fade setting of the test.
    AudioConverter realConverter()
    {
        AudioConverter::Environment environment = AudioConverter::defaultEnvironment();
        environment.shouldAddFadeInFadeOut = [this] { return fades; };
        return AudioConverter(environment);
    }

    // Runs a conversion to its end; counts the completions, including any late one.
    static Call run(AudioConverter &converter, const MediaAsset &asset, const QString &output,
        const std::optional<QVariantMap> &metadata, const MediaTimeRange &range, bool reencode, float volume)
    {
        auto completions = std::make_shared<std::atomic<int>>(0);
        auto result = std::make_shared<std::atomic<bool>>(false);
        auto done = std::make_shared<std::promise<void>>();
        converter.convert(asset, output, metadata, range, reencode, volume, [=](bool ok) {
            *result = ok;
            if (++*completions == 1)
                done->set_value();
        });
        done->get_future().wait();
        QThreadPool::globalInstance()->waitForDone(); // a second call would have happened by now
        return { completions->load(), result->load() };
    }

    static MediaTimeRange range(double from, double to)
    {
        return MediaTimeRange::fromTimeToTime(MediaTime::fromSeconds(from), MediaTime::fromSeconds(to));
    }

    QTemporaryDir m_dir;
    bool fades = true;
    int exportersMade = 0;
    std::shared_ptr<RecordingSession> session;
};

TEST_F(AudioConverterTest, ChoosesThePresetAndProbesOnlyWithoutReencoding)
{
    const QString m4a = tone(QStringLiteral("Song.M4A"), 0.5,
        { QStringLiteral("-c:a"), QStringLiteral("aac"), QStringLiteral("-f"), QStringLiteral("ipod") });
    const QString mp3 = tone(QStringLiteral("song.mp3"), 0.5);
    // Ogg is exportable but the audio-file service does not read it.
    const QString ogg = tone(QStringLiteral("song.ogg"), 0.5, { QStringLiteral("-c:a"), QStringLiteral("libvorbis") });
    const struct
    {
        QString source;
        bool reencode;
        bool exporterMade;
        Preset preset;
        bool result;
    } cases[] = {
        { m4a, false, true, Preset::Passthrough, true },
        { m4a, true, true, Preset::AppleM4A, true },
        { mp3, false, true, Preset::AppleM4A, true },
        { ogg, false, false, Preset::AppleM4A, false },
        { ogg, true, true, Preset::AppleM4A, true },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.source.toStdString() + (c.reencode ? " re-encoded" : " as it is"));
        exportersMade = 0;
        session.reset();
        AudioConverter converter = recordingConverter();
        const Call call = run(converter, MediaAsset(c.source), path(QStringLiteral("out.m4a")), std::nullopt,
            MediaTimeRange::zero(), c.reencode, 1.0f);
        EXPECT_EQ(call.completions, 1);
        EXPECT_EQ(call.result, c.result);
        EXPECT_EQ(exportersMade, c.exporterMade ? 1 : 0);
        if (c.exporterMade) {
            ASSERT_TRUE(session);
            EXPECT_EQ(session->preset(), c.preset);
            EXPECT_EQ(session->outputPath(), path(QStringLiteral("out.m4a")));
            EXPECT_EQ(session->outputFileType(), ExportSession::fileTypeAppleM4A());
            EXPECT_EQ(session->exportCalls, 1);
        }
    }
}

TEST_F(AudioConverterTest, EveryFailureCompletesOnceWithFalse)
{
    const QString wav = tone(QStringLiteral("tone.wav"), 0.5);
    const QString silentVideo = path(QStringLiteral("silent.mp4"));
    ASSERT_TRUE(test::runFfmpeg({ QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
        QStringLiteral("testsrc=d=1:s=64x64:r=10"), QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p"),
        silentVideo }));
    const struct
    {
        const char *name;
        QString source;
        bool makesExporter;
        Status status;
        MediaTimeRange range;
        bool result;
    } cases[] = {
        { "no exporter", wav, false, Status::Completed, MediaTimeRange::zero(), false },
        { "no audio track", silentVideo, true, Status::Completed, MediaTimeRange::zero(), false },
        { "indefinite range", wav, true, Status::Completed,
            MediaTimeRange { MediaTime::fromSeconds(1.0), MediaTime::indefinite() }, false },
        { "export failed", wav, true, Status::Failed, MediaTimeRange::zero(), false },
        { "export cancelled", wav, true, Status::Cancelled, MediaTimeRange::zero(), false },
        { "export completed", wav, true, Status::Completed, MediaTimeRange::zero(), true },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        session.reset();
        AudioConverter converter = recordingConverter(c.status, c.makesExporter);
        const Call call
            = run(converter, MediaAsset(c.source), path(QStringLiteral("out.m4a")), std::nullopt, c.range, true, 1.0f);
        EXPECT_EQ(call.completions, 1);
        EXPECT_EQ(call.result, c.result);
        if (session && !c.result && c.status == Status::Completed) {
            EXPECT_EQ(session->exportCalls, 0);
        }
    }
}

struct MixCase
{
    const char *name;
    std::optional<std::pair<double, double>> trim; // from, to; none for the whole file
    float volume;
    bool fades;
    std::vector<AudioMix::Entry> expected; // empty: no mix at all
};

TEST_F(AudioConverterTest, SetsTheTimeRangeAndTheAudioMix)
{
    const QString wav = tone(QStringLiteral("long.wav"), 50.0);
    const double whole = *MediaAsset(wav).duration();
    const auto point = [](float v, double at) { return AudioMix::Entry { at, at, v, v, false }; };
    const auto ramp = [](float from, float to, double a, double b) { return AudioMix::Entry { a, b, from, to, true }; };
    const MixCase cases[] = {
        { "whole file at 1.0", std::nullopt, 1.0f, true, { ramp(1.0f, 1.0f, 0.0, whole) } },
        { "whole file at 1.5", std::nullopt, 1.5f, true, {} },
        { "whole file at 0.3, no fades even when asked", std::nullopt, 0.3f, true, { ramp(0.3f, 0.3f, 0.0, whole) } },
        { "trim at 1.0 without fades", std::make_pair(10.0, 40.0), 1.0f, false, {} },
        { "trim at 1.5 with fades", std::make_pair(10.0, 40.0), 1.5f, true,
            { point(0.0f, 9.0), ramp(0.0f, 1.5f, 10.0, 11.0), ramp(1.5f, 0.0f, 39.0, 40.0) } },
        { "worked example", std::make_pair(10.0, 40.0), 0.5f, true,
            { point(0.0f, 9.0), ramp(0.0f, 0.5f, 10.0, 11.0), ramp(0.5f, 0.0f, 39.0, 40.0),
                ramp(0.5f, 0.5f, 11.0, 39.0) } },
        { "worked example without fades", std::make_pair(10.0, 40.0), 0.5f, false, { ramp(0.5f, 0.5f, 10.0, 40.0) } },
        // Trims shorter than two seconds get fades of half their length, no middle.
        { "short trim", std::make_pair(5.0, 6.0), 0.5f, true,
            { point(0.0f, 4.0), ramp(0.0f, 0.5f, 5.0, 5.5), ramp(0.5f, 0.0f, 5.5, 6.0) } },
        // A trim from before one second keeps its silence point at time zero.
        { "trim from 0.4 s", std::make_pair(0.4, 20.0), 0.5f, true,
            { point(0.0f, 0.0), ramp(0.0f, 0.5f, 0.4, 1.4), ramp(0.5f, 0.0f, 19.0, 20.0),
                ramp(0.5f, 0.5f, 1.4, 19.0) } },
    };
    for (const MixCase &c : cases) {
        SCOPED_TRACE(c.name);
        fades = c.fades;
        session.reset();
        AudioConverter converter = recordingConverter();
        const MediaTimeRange timeRange = c.trim ? range(c.trim->first, c.trim->second) : MediaTimeRange::zero();
        const Call call
            = run(converter, MediaAsset(wav), path(QStringLiteral("out.m4a")), std::nullopt, timeRange, true, c.volume);
        ASSERT_EQ(call.completions, 1);
        ASSERT_TRUE(session);
        EXPECT_EQ(session->timeRangeSet, c.trim.has_value());
        if (c.trim) {
            EXPECT_DOUBLE_EQ(session->timeRange()->first, c.trim->first);
            EXPECT_DOUBLE_EQ(session->timeRange()->second, c.trim->second - c.trim->first);
        }
        ASSERT_EQ(session->audioMix().has_value(), !c.expected.empty());
        if (!c.expected.empty()) {
            const std::vector<AudioMix::Entry> &entries = session->audioMix()->entries();
            ASSERT_EQ(entries.size(), c.expected.size());
            for (size_t i = 0; i < entries.size(); ++i) {
                SCOPED_TRACE(i);
                EXPECT_NEAR(entries[i].start, c.expected[i].start, 1e-6);
                EXPECT_NEAR(entries[i].end, c.expected[i].end, 1e-6);
                EXPECT_FLOAT_EQ(entries[i].startVolume, c.expected[i].startVolume);
                EXPECT_FLOAT_EQ(entries[i].endVolume, c.expected[i].endVolume);
                EXPECT_EQ(entries[i].isRamp, c.expected[i].isRamp);
            }
        }
    }
}

TEST_F(AudioConverterTest, WritesOnlyKeysWithAnITunesAtom)
{
    const QVariantMap dictionary {
        { QStringLiteral("title"), QStringLiteral("T") },
        { QStringLiteral("type"), QStringLiteral("Rock") }, // the genre
        { QStringLiteral("creator"), QStringLiteral("AA") }, // the album artist
        { QStringLiteral("creationDate"), QVariant::fromValue<qint64>(2016) },
        { QStringLiteral("duration"), 245300.0 },
        { QStringLiteral("podcastURL"), QStringLiteral("http://example.invalid/feed") },
        { QStringLiteral("trackCount"), QVariant::fromValue<qint64>(12) },
        { QStringLiteral("genre"), QStringLiteral("JSON key") },
        { QStringLiteral("albumArtist"), QStringLiteral("JSON key") },
    };
    QHash<QString, QVariant> items;
    for (const ExportSession::MetadataItem &item : AudioConverter::metadataItems(dictionary))
        items.insert(item.key, item.value);
    const QHash<QString, QVariant> expected {
        { QStringLiteral("@nam"), QStringLiteral("T") },
        { QStringLiteral("@gen"), QStringLiteral("Rock") },
        { QStringLiteral("aART"), QStringLiteral("AA") },
        { QStringLiteral("@day"), QVariant::fromValue<qint64>(2016) },
    };
    EXPECT_EQ(items, expected);

    // An unsigned 16-bit track number becomes the "trkn" block; any other stays as it is.
    const auto trackItem = [](const QVariant &value) {
        const auto list = AudioConverter::metadataItems({ { QStringLiteral("trackNumber"), value } });
        return list.size() == 1 && list.front().key == QStringLiteral("trkn") ? list.front().value : QVariant();
    };
    EXPECT_EQ(trackItem(QVariant::fromValue<quint16>(7)), QVariant(QByteArray("\x00\x00\x00\x07\x00\x00\x00\x00", 8)));
    EXPECT_EQ(trackItem(QVariant::fromValue<qint64>(7)), QVariant::fromValue<qint64>(7));
}

TEST_F(AudioConverterTest, RemovesAnEarlierOutputButNeverTheSource)
{
    const QString wav = tone(QStringLiteral("tone.wav"), 0.5);
    const QString output = path(QStringLiteral("out.m4a"));
    QDir(m_dir.path()).mkpath(QStringLiteral("sub"));
    ASSERT_TRUE(QFile::link(wav, path(QStringLiteral("link.wav"))));

    // The exporter fails; the removal has happened all the same.
    QFile(output).open(QIODevice::WriteOnly);
    AudioConverter failing = recordingConverter(Status::Failed);
    EXPECT_FALSE(run(failing, MediaAsset(wav), output, std::nullopt, MediaTimeRange::zero(), true, 1.0f).result);
    EXPECT_FALSE(QFileInfo::exists(output));

    for (const QString &same : { wav, path(QStringLiteral("sub/../tone.wav")), path(QStringLiteral("link.wav")) }) {
        SCOPED_TRACE(same.toStdString());
        AudioConverter converter = recordingConverter(Status::Failed);
        run(converter, MediaAsset(wav), same, std::nullopt, MediaTimeRange::zero(), true, 1.0f);
        EXPECT_TRUE(QFileInfo::exists(wav));
        EXPECT_TRUE(QFileInfo(path(QStringLiteral("link.wav"))).isSymLink());
    }
}

TEST_F(AudioConverterTest, FadesFollowTheCompanionSetting)
{
    const auto setting = AudioConverter::defaultEnvironment().shouldAddFadeInFadeOut;
    EXPECT_TRUE(setting()); // on by default
    Preferences::Saltrig::setShouldAddFadeInFadeOut(false);
    EXPECT_FALSE(setting());
    Preferences::Saltrig::setShouldAddFadeInFadeOut(true);
    EXPECT_TRUE(setting());
}

// End to end, over the real exporter, measured with ffmpeg.

TEST_F(AudioConverterTest, LevelsFollowTheMix)
{
    const QString source = tone(QStringLiteral("long.wav"), 50.0);
    const double full = 0.5 / std::sqrt(2.0); // RMS of the source's sine
    const auto measure = [&](const MediaTimeRange &timeRange, float volume, bool withFades) {
        fades = withFades;
        const QString output = path(QStringLiteral("measured.m4a"));
        AudioConverter converter = realConverter();
        const Call call = run(converter, MediaAsset(source), output, std::nullopt, timeRange, true, volume);
        EXPECT_EQ(call.completions, 1);
        EXPECT_TRUE(call.result);
        return test::decodeFirstChannel(output);
    };
    const auto expectLevel = [&](const std::vector<float> &pcm, double from, double to, double gain) {
        SCOPED_TRACE(testing::Message() << "[" << from << ", " << to << ")");
        EXPECT_NEAR(test::rms(pcm, 44100, from, to), gain * full, 0.03 * full + 0.02 * gain * full);
    };

    // The worked example: 10 s to 40 s at 0.5 with fades.
    const std::vector<float> example = measure(range(10.0, 40.0), 0.5f, true);
    EXPECT_NEAR(double(example.size()) / 44100, 30.0, 0.05);
    expectLevel(example, 0.0, 0.05, 0.0125); // silence rising
    expectLevel(example, 0.45, 0.55, 0.25); // half-way up the fade-in
    expectLevel(example, 1.5, 28.5, 0.5); // the constant middle
    expectLevel(example, 29.45, 29.55, 0.25); // half-way down the fade-out
    expectLevel(example, 29.95, 30.0, 0.0125);

    const std::vector<float> plain = measure(range(10.0, 40.0), 0.5f, false);
    expectLevel(plain, 0.05, 29.95, 0.5);

    // Whole files: 0.3 lowers the level, 1.0 and 1.5 leave it as it is.
    for (const float volume : { 0.3f, 1.0f, 1.5f }) {
        SCOPED_TRACE(volume);
        const std::vector<float> pcm = measure(MediaTimeRange::zero(), volume, true);
        EXPECT_NEAR(double(pcm.size()) / 44100, 50.0, 0.05);
        expectLevel(pcm, 0.05, 49.95, std::min(volume, 1.0f));
    }
}

TEST_F(AudioConverterTest, ExportedFileReadsBackWithIndependentTools)
{
    const QString source = tone(QStringLiteral("Artist - Song.mp3"), 2.0);
    const QString output = path(QStringLiteral("Artist - Song_AAC.m4a"));
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QByteArray artwork;
    QBuffer buffer(&artwork);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG");
    const QVariantMap dictionary {
        { QStringLiteral("title"), QStringLiteral("Song") },
        { QStringLiteral("artist"), QStringLiteral("Artist") },
        { QStringLiteral("albumName"), QStringLiteral("Album") },
        { QStringLiteral("type"), QStringLiteral("Jazz") },
        { QStringLiteral("creationDate"), QVariant::fromValue<qint64>(2016) },
        { QStringLiteral("trackNumber"), QVariant::fromValue<qint64>(4) },
        { QStringLiteral("comment"), QStringLiteral("Made here") },
        { QStringLiteral("creator"), QStringLiteral("Band") },
        { QStringLiteral("duration"), 2000.0 },
        { QStringLiteral("podcastName"), QStringLiteral("never written") },
        { QStringLiteral("artwork"), artwork },
    };
    AudioConverter converter = realConverter();
    const Call call = run(converter, MediaAsset(source), output, dictionary, MediaTimeRange::zero(), true, 1.0f);
    ASSERT_EQ(call.completions, 1);
    ASSERT_TRUE(call.result);

    const QJsonObject probed = test::probe(output);
    const QJsonObject format = probed.value(QStringLiteral("format")).toObject();
    EXPECT_EQ(format.value(QStringLiteral("tags")).toObject().value(QStringLiteral("major_brand")).toString(),
        QStringLiteral("M4A "));
    EXPECT_EQ(test::firstAudioStream(probed).value(QStringLiteral("codec_name")).toString(), QStringLiteral("aac"));
    const QJsonObject tags = format.value(QStringLiteral("tags")).toObject();
    EXPECT_EQ(tags.value(QStringLiteral("title")).toString(), QStringLiteral("Song"));
    EXPECT_EQ(tags.value(QStringLiteral("artist")).toString(), QStringLiteral("Artist"));
    EXPECT_EQ(tags.value(QStringLiteral("album")).toString(), QStringLiteral("Album"));
    EXPECT_EQ(tags.value(QStringLiteral("genre")).toString(), QStringLiteral("Jazz"));
    EXPECT_EQ(tags.value(QStringLiteral("date")).toString(), QStringLiteral("2016"));
    EXPECT_EQ(tags.value(QStringLiteral("track")).toString().section(QLatin1Char('/'), 0, 0), QStringLiteral("4"));
    EXPECT_EQ(tags.value(QStringLiteral("comment")).toString(), QStringLiteral("Made here"));
    EXPECT_EQ(tags.value(QStringLiteral("album_artist")).toString(), QStringLiteral("Band"));
    EXPECT_EQ(test::folderEntries(m_dir.path()).size(), 2);

    // This app's own reader gets the same record back.
    const Metadata read = Metadata::fromDictionary(MetadataReader::metadataDictionary(output));
    EXPECT_EQ(read.title, QStringLiteral("Song"));
    EXPECT_EQ(read.artist, QStringLiteral("Artist"));
    EXPECT_EQ(read.albumName, QStringLiteral("Album"));
    EXPECT_EQ(read.albumArtist, QStringLiteral("Band"));
    EXPECT_EQ(read.genre, QStringLiteral("Jazz"));
    EXPECT_EQ(read.year, 2016);
    EXPECT_EQ(read.trackNumber, 4);
    EXPECT_EQ(read.comment, QStringLiteral("Made here"));
    EXPECT_FALSE(read.podcastName.has_value());
    EXPECT_EQ(read.artwork, artwork);
    EXPECT_NEAR(read.duration.value_or(0.0), 2000.0, 60.0);
}

TEST_F(AudioConverterTest, PassthroughOfAnM4aKeepsItsBitstream)
{
    const QString source = tone(QStringLiteral("Song.M4A"), 3.0,
        { QStringLiteral("-c:a"), QStringLiteral("aac"), QStringLiteral("-f"), QStringLiteral("ipod") });
    const QString output = path(QStringLiteral("Song copy.m4a"));
    AudioConverter converter = realConverter();
    const Call call = run(converter, MediaAsset(source), output,
        QVariantMap { { QStringLiteral("title"), QStringLiteral("X") } }, MediaTimeRange::zero(), false, 1.0f);
    ASSERT_TRUE(call.result);
    EXPECT_EQ(test::packetHashes(output), test::packetHashes(source));
}

TEST_F(AudioConverterTest, BadInputNeverLeavesAnOutput)
{
    const QString notMedia = path(QStringLiteral("readme.mp3"));
    {
        QFile file(notMedia);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(4096, 'x'));
    }
    const QString cut = tone(QStringLiteral("cut.m4a"), 6.0,
        { QStringLiteral("-c:a"), QStringLiteral("aac"), QStringLiteral("-movflags"), QStringLiteral("+faststart") });
    ASSERT_EQ(::truncate(QFile::encodeName(cut).constData(), QFileInfo(cut).size() * 2 / 3), 0);
    const QString good = tone(QStringLiteral("good.wav"), 1.0);
    const QString readOnly = path(QStringLiteral("locked"));
    ASSERT_TRUE(QDir().mkpath(readOnly));
    QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const bool root = ::geteuid() == 0;

    const MediaTimeRange whole = MediaTimeRange::zero();
    const struct
    {
        QString source;
        QString output;
        bool reencode;
        MediaTimeRange range;
    } cases[] = {
        { notMedia, path(QStringLiteral("a.m4a")), true, whole },
        { notMedia, path(QStringLiteral("a.m4a")), false, whole },
        { path(QStringLiteral("missing.wav")), path(QStringLiteral("a.m4a")), true, whole },
        { cut, path(QStringLiteral("a.m4a")), true, whole },
        { cut, path(QStringLiteral("a.m4a")), false, whole },
        { good, path(QStringLiteral("no/such/folder/a.m4a")), true, whole },
        { good, readOnly + QStringLiteral("/a.m4a"), true, whole },
        { good, path(QStringLiteral("a.m4a")), true, MediaTimeRange::invalid() },
        { good, path(QStringLiteral("a.m4a")), true, range(5.0, 8.0) }, // nothing there
    };
    const QStringList before = test::folderEntries(m_dir.path());
    for (const auto &c : cases) {
        if (root && c.output.startsWith(readOnly))
            continue;
        SCOPED_TRACE(c.source.toStdString() + " -> " + c.output.toStdString());
        AudioConverter converter = realConverter();
        const Call call = run(converter, MediaAsset(c.source), c.output, std::nullopt, c.range, c.reencode, 1.0f);
        EXPECT_EQ(call.completions, 1);
        EXPECT_FALSE(call.result);
        EXPECT_EQ(test::folderEntries(m_dir.path()), before);
        EXPECT_TRUE(test::folderEntries(readOnly).isEmpty());
    }
    QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

} // namespace
} // namespace tarnik

namespace tarnik {
namespace {

TEST_F(AudioConverterTest, ThreeHourSource)
{
    // Three hours of low-rate AAC, made by looping a ten-second clip without re-encoding.
    const QString clip = tone(QStringLiteral("clip.m4a"), 10.0,
        { QStringLiteral("-ar"), QStringLiteral("8000"), QStringLiteral("-ac"), QStringLiteral("1"),
            QStringLiteral("-c:a"), QStringLiteral("aac"), QStringLiteral("-b:a"), QStringLiteral("16k") });
    const QString source = path(QStringLiteral("long.m4a"));
    ASSERT_TRUE(test::runFfmpeg({ QStringLiteral("-stream_loop"), QStringLiteral("-1"), QStringLiteral("-i"), clip,
        QStringLiteral("-t"), QStringLiteral("10800"), QStringLiteral("-c"), QStringLiteral("copy"), source }));
    const MediaAsset asset(source);
    ASSERT_NEAR(asset.duration().value_or(0.0), 10800.0, 0.1);

    const struct
    {
        const char *name;
        MediaTimeRange range;
        bool reencode;
        double expected;
    } cases[] = {
        { "whole, copied", MediaTimeRange::zero(), false, 10800.0 },
        { "the last ten seconds, re-encoded", range(10790.0, 10800.0), true, 10.0 },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString output = path(QStringLiteral("long out.m4a"));
        AudioConverter converter = realConverter();
        const Call call = run(converter, asset, output, std::nullopt, c.range, c.reencode, 0.8f);
        ASSERT_EQ(call.completions, 1);
        ASSERT_TRUE(call.result);
        const double duration = test::probe(output)
                                    .value(QStringLiteral("format"))
                                    .toObject()
                                    .value(QStringLiteral("duration"))
                                    .toString()
                                    .toDouble();
        EXPECT_NEAR(duration, c.expected, 0.2);
    }
    // Re-encoding all three hours works the same way but takes a minute;
    // bench/ measures the encoding speed instead.
}

} // namespace
} // namespace tarnik
