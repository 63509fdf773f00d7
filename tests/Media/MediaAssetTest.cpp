#include "Platform/Media/MediaAsset.h"
#include "Platform/Media/FFmpegInput.h"

#include "Support/BlockingProbe.h"
#include "Support/MediaFixtures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QTemporaryDir>
#include <cmath>
#include <fcntl.h>
#include <future>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace tarnik;
using namespace tarnik::test::media;

namespace {

// Every fixture of this file, made once for the suite.
class MediaAssetTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_folder = new QTemporaryDir;
        ASSERT_TRUE(s_folder->isValid());
        const auto path = [](const char *name) { return file(name); };
        ASSERT_TRUE(makePicture(path("cover.jpg"), 32, 32));
        ASSERT_TRUE(makePicture(path("picture.png"), 16, 8));
        ASSERT_TRUE(runFfmpeg(args({ "-f", "lavfi", "-i", "testsrc=size=32x32:rate=5:duration=1", "-loop", "0" })
            << path("animation.gif")));
        ASSERT_TRUE(runFfmpeg(args({ "-f", "lavfi", "-i", "color=red:size=64x64", "-frames:v", "1", "-c:v",
                                  "libaom-av1", "-still-picture", "1" })
            << path("still.avif")));
        ASSERT_TRUE(makeTone(path("tone.mp3"), 2.0));
        ASSERT_TRUE(makeTone(path("tone.m4a"), 2.0, args({ "-c:a", "aac" })));
        ASSERT_TRUE(makeTone(path("tone.aac"), 2.0, args({ "-c:a", "aac", "-f", "adts" })));
        ASSERT_TRUE(makeTone(path("tone.wav"), 2.0));
        ASSERT_TRUE(makeTone(path("tone.aiff"), 2.0));
        ASSERT_TRUE(makeTone(path("tone.aifc"), 2.0, args({ "-c:a", "pcm_f32be", "-f", "aiff" })));
        ASSERT_TRUE(makeTone(path("tone.caf"), 2.0));
        ASSERT_TRUE(makeTone(path("tone.ac3"), 2.0));
        ASSERT_TRUE(makeTone(path("tone.eac3"), 2.0));
        ASSERT_TRUE(makeTone(path("tone.flac"), 2.0));
        ASSERT_TRUE(makeTone(path("tone.ogg"), 2.0, args({ "-c:a", "libvorbis" })));
        ASSERT_TRUE(makeTone(path("tone.opus"), 2.0, args({ "-c:a", "libopus" })));
        ASSERT_TRUE(makeTone(path("tone.wma"), 2.0, args({ "-c:a", "wmav2" })));
        ASSERT_TRUE(makeVideo(path("clip.mp4"), 2.0, true, args({ "-c:v", "libx264", "-c:a", "aac" })));
        ASSERT_TRUE(makeVideo(path("silent.mov"), 2.0, false, args({ "-c:v", "mpeg4" })));
        ASSERT_TRUE(makeVideo(path("clip.mkv"), 2.0, true, args({ "-c:v", "mpeg4", "-c:a", "libvorbis" })));
        ASSERT_TRUE(makeToneWithCover(path("cover.mp3"), path("cover.jpg"), 2.0));
        ASSERT_TRUE(makeToneWithCover(path("cover.m4a"), path("cover.jpg"), 2.0, args({ "-c:a", "aac" })));
        ASSERT_TRUE(writeFile(path("notes.txt"), "Just some words.\nNothing to hear.\n"));
        ASSERT_TRUE(
            runFfmpeg(args({ "-f", "lavfi", "-i", "testsrc=size=32x32", "-frames:v", "1" }) << path("icon.ico")));
        // A binaural-beats script, which FFmpeg would turn into an endless tone.
        ASSERT_TRUE(writeFile(path("beats.txt"), "-SE\nalpha: 200+10/50\nNOW alpha\n"));
        ASSERT_TRUE(writeFile(path("release.nfo"), QByteArray(2000, '#') + "\n  RELEASE INFO  \n"));
        ASSERT_TRUE(writeFile(path("empty.mp3"), {}));
        for (const char *name : { "noise.mp3", "noise.m4a", "noise.mp4", "noise.flac" })
            ASSERT_TRUE(writeFile(path(name), noise(64 * 1024, qHash(QLatin1String(name)))));
        for (const char *name : { "tone.mp3", "tone.m4a", "clip.mp4", "tone.flac" }) {
            QFile source(path(name));
            ASSERT_TRUE(source.open(QIODevice::ReadOnly));
            const QByteArray bytes = source.readAll();
            const QString suffix = QFileInfo(path(name)).suffix();
            ASSERT_TRUE(
                writeFile(s_folder->filePath(QStringLiteral("truncated.") + suffix), bytes.left(bytes.size() / 3)));
            ASSERT_TRUE(writeFile(s_folder->filePath(QStringLiteral("head.") + suffix), bytes.left(700)));
        }
    }

    static void TearDownTestSuite()
    {
        delete s_folder;
        s_folder = nullptr;
    }

    static QString file(const char *name) { return s_folder->filePath(QString::fromLatin1(name)); }

    static QTemporaryDir *s_folder;
};

QTemporaryDir *MediaAssetTest::s_folder = nullptr;

struct ProbeCase
{
    const char *name;
    bool exportable;
    bool audio;
    bool video;
    const char *format; // nullptr: not a readable audio file
};

TEST_F(MediaAssetTest, ClassifiesGeneratedFiles)
{
    const ProbeCase cases[] = {
        { "tone.mp3", true, true, false, "MPG3" },
        { "tone.m4a", true, true, false, "m4af" },
        { "tone.aac", true, true, false, "adts" },
        { "tone.wav", true, true, false, "WAVE" },
        { "tone.aiff", true, true, false, "AIFF" },
        { "tone.aifc", true, true, false, "AIFC" },
        { "tone.caf", true, true, false, "caff" },
        { "tone.ac3", true, true, false, "ac-3" },
        { "tone.eac3", true, true, false, "ec-3" },
        { "tone.flac", true, true, false, "flac" },
        { "tone.ogg", true, true, false, nullptr },
        { "tone.opus", true, true, false, nullptr },
        { "tone.wma", true, true, false, nullptr },
        { "clip.mp4", true, true, true, "m4af" },
        { "silent.mov", true, false, true, nullptr },
        { "clip.mkv", true, true, true, nullptr },
        // Cover art is never a video track.
        { "cover.mp3", true, true, false, "MPG3" },
        { "cover.m4a", true, true, false, "m4af" },
        // Pictures, text and noise are no media, whatever their names say.
        { "cover.jpg", false, false, false, nullptr },
        { "picture.png", false, false, false, nullptr },
        { "animation.gif", false, false, false, nullptr },
        { "notes.txt", false, false, false, nullptr },
        { "icon.ico", false, false, false, nullptr },
        { "beats.txt", false, false, false, nullptr },
        { "release.nfo", false, false, false, nullptr },
        { "empty.mp3", false, false, false, nullptr },
        { "noise.mp3", false, false, false, nullptr },
        { "noise.m4a", false, false, false, nullptr },
        { "noise.mp4", false, false, false, nullptr },
        { "noise.flac", false, false, false, nullptr },
        { "missing.mp3", false, false, false, nullptr },
    };
    for (const ProbeCase &row : cases) {
        SCOPED_TRACE(row.name);
        const MediaAsset asset(file(row.name));
        EXPECT_EQ(asset.isExportable(), row.exportable);
        EXPECT_EQ(asset.hasAudioTrack(), row.audio);
        EXPECT_EQ(asset.hasVideoTrack(), row.video);
        EXPECT_EQ(asset.isReadableAudioFile(), row.format != nullptr);
        EXPECT_EQ(asset.audioFileFormat().value_or(QString()), QString::fromLatin1(row.format ? row.format : ""));
        if (row.exportable) {
            ASSERT_TRUE(asset.duration().has_value());
            EXPECT_NEAR(*asset.duration(), 2.0, 0.1);
        }
    }
}

TEST_F(MediaAssetTest, CoverArtIsReportedApartFromTracks)
{
    const MediaAsset asset(file("cover.mp3"));
    EXPECT_TRUE(asset.hasCoverArt());
    ASSERT_EQ(asset.tracks().size(), 1u);
    EXPECT_EQ(asset.tracks()[0].mediaType, MediaType::audio);
    EXPECT_EQ(asset.tracks()[0].sampleRate, 44100);
    EXPECT_EQ(asset.tracks()[0].channelCount, 1);
    EXPECT_FALSE(asset.videoThumbnail().has_value());
}

TEST_F(MediaAssetTest, DamagedFilesNeitherCrashNorHang)
{
    for (const char *name : { "truncated.mp3", "truncated.m4a", "truncated.mp4", "truncated.flac", "head.mp3",
             "head.m4a", "head.mp4", "head.flac" }) {
        SCOPED_TRACE(name);
        const MediaAsset asset(file(name));
        // A cut-off file may still be playable media; it must only answer.
        (void)asset.isExportable();
        (void)asset.isReadableAudioFile();
        (void)asset.duration();
        (void)asset.videoThumbnail();
    }
    // The header is cut before any sample table.
    EXPECT_FALSE(MediaAsset(file("head.m4a")).isExportable());
}

// Bytes this process has read through read(2) and pread(2) so far.
std::int64_t bytesReadSoFar()
{
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : io.readAll().split('\n')) {
        if (line.startsWith("rchar:"))
            return line.mid(6).trimmed().toLongLong();
    }
    return -1;
}

TEST_F(MediaAssetTest, HugeZeroFilledFilesAreNoMediaAndAreReadOnlyInPart)
{
    // Sparse files: the raw demuxers' parsers find no frame in zeros and would scan to the end.
    QTemporaryDir folder;
    const std::int64_t gib = std::int64_t(1) << 30;
    for (const auto &[name, size] : { std::pair { "silence.mp3", gib }, std::pair { "silence.ac3", 2 * gib } }) {
        SCOPED_TRACE(name);
        const QString path = folder.filePath(QString::fromLatin1(name));
        QFile sparse(path);
        ASSERT_TRUE(sparse.open(QIODevice::WriteOnly) && sparse.resize(size));
        sparse.close();

        const std::int64_t before = bytesReadSoFar();
        ASSERT_GE(before, 0);
        const MediaAsset asset(path);
        EXPECT_FALSE(asset.isMedia());
        EXPECT_FALSE(asset.isExportable());
        EXPECT_FALSE(MediaAsset::durationOfFile(path).has_value());
        EXPECT_LT(bytesReadSoFar() - before, 64 * 1024 * 1024) << "classifying reads a bounded number of bytes";
    }
}

TEST_F(MediaAssetTest, AnMp3WithADamagedTagHeaderIsMediaWhileOtherWeakGuessesStayOut)
{
    // Behind a large tag whose header no longer reads as one, FFmpeg finds the MP3 only by a
    // weak guess, and the audio after the tag still decodes.
    QTemporaryDir folder;
    const auto path = [&](const char *name) { return folder.filePath(QString::fromLatin1(name)); };
    ASSERT_TRUE(runFfmpeg(
        args({ "-f", "lavfi", "-i", "nullsrc=size=640x640,geq=random(1)*255:128:128", "-frames:v", "1", "-q:v", "2" })
        << path("grain.jpg")));
    ASSERT_TRUE(makeToneWithCover(path("tagged.mp3"), path("grain.jpg"), 2.0));
    QFile tagged(path("tagged.mp3"));
    ASSERT_TRUE(tagged.open(QIODevice::ReadOnly));
    QByteArray bytes = tagged.readAll();
    ASSERT_TRUE(bytes.startsWith("ID3"));
    bytes[1] = 'X';
    for (const char *name : { "damaged.mp3", "damaged.txt" })
        ASSERT_TRUE(writeFile(path(name), bytes));
    ASSERT_TRUE(writeFile(path("grain.mp3"), noise(int(bytes.size()), 7)));
    QFile::copy(path("grain.jpg"), path("picture.mp3"));

    const MediaAsset damaged(path("damaged.mp3"));
    EXPECT_TRUE(damaged.isMedia());
    EXPECT_TRUE(damaged.isExportable());
    EXPECT_EQ(damaged.audioFileFormat().value_or(QString()), QStringLiteral("MPG3"));
    // FFmpeg estimates the length from the bit rate, the broken tag's bytes included.
    ASSERT_TRUE(damaged.duration().has_value());
    EXPECT_GT(*damaged.duration(), 1.9);
    EXPECT_EQ(MediaAsset::durationOfFile(path("damaged.mp3")), damaged.duration());
    // The extension must name the format found, and the guess must decode.
    for (const char *name : { "damaged.txt", "grain.mp3", "picture.mp3" }) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(MediaAsset(path(name)).isMedia());
    }
}

// A file that starts with a large ID3v2 tag (an MP3 with a cover) has its format guessed
// without the rounds FFmpeg cannot decide within the tag. The guess, its score and what the
// demuxer then reads must be FFmpeg's own: the reference opens each file with FFmpeg alone.
TEST_F(MediaAssetTest, FilesBehindLargeTagsAreGuessedAsFFmpegGuessesThem)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    ASSERT_TRUE(makeTone(folder.filePath(QStringLiteral("bare.mp3")), 1.0, args({ "-id3v2_version", "0" })));
    ASSERT_TRUE(makeTone(folder.filePath(QStringLiteral("bare.aac")), 1.0, args({ "-c:a", "aac", "-f", "adts" })));
    const QList<std::pair<const char *, QByteArray>> payloads {
        { "mp3", readFile(folder.filePath(QStringLiteral("bare.mp3"))) },
        { "adts", readFile(folder.filePath(QStringLiteral("bare.aac"))) },
        { "flac", readFile(file("tone.flac")) },
        { "noise", noise(40000, 5) },
        { "zeros", QByteArray(40000, '\0') },
        { "nothing", {} },
    };
    for (const auto &payload : payloads)
        ASSERT_FALSE(payload.first != QByteArrayLiteral("nothing") && payload.second.isEmpty()) << payload.first;
    const auto syncsafe = [](int size) {
        QByteArray bytes(4, '\0');
        for (int i = 0; i < 4; ++i)
            bytes[i] = char((size >> (21 - 7 * i)) & 0x7f);
        return bytes;
    };
    // Tag bodies just under the first round, a few rounds long, and past the largest guess; with
    // and without a footer; and tags that claim more than the file holds.
    QStringList paths;
    int made = 0;
    for (const int body : { 2030, 30000, 300000, 1100000 }) {
        for (const bool footer : { false, true }) {
            const QByteArray frame = QByteArrayLiteral("TIT2") + QByteArrayLiteral("\0\0\0\x06\0\0\0Title");
            QByteArray tag = QByteArrayLiteral("ID3\x03\x00") + char(footer ? 0x10 : 0) + syncsafe(body) + frame
                + noise(std::min(body, 3000) - int(frame.size()), quint32(body)) + QByteArray(std::max(0, body - 3000), '\0');
            if (footer)
                tag += QByteArrayLiteral("3DI\x03\x00\x10") + syncsafe(body);
            for (const auto &[kind, bytes] : payloads) {
                for (const char *suffix : { "mp3", "aac", "bin" }) {
                    const QString path = folder.filePath(
                        QStringLiteral("t%1-%2-%3.%4").arg(body).arg(footer).arg(QLatin1String(kind), QLatin1String(suffix)));
                    ASSERT_TRUE(writeFile(path, tag + bytes));
                    paths << path;
                    ++made;
                }
            }
        }
    }
    for (const int claimed : { 5000, 2000000 }) {
        const QString path = folder.filePath(QStringLiteral("claims-%1.mp3").arg(claimed));
        ASSERT_TRUE(writeFile(path, QByteArrayLiteral("ID3\x04\x00\x00") + syncsafe(claimed) + payloads[0].second.left(3000)));
        paths << path;
    }
    paths << file("cover.mp3") << file("tone.mp3") << file("cover.m4a");

    int media = 0;
    for (const QString &path : paths) {
        SCOPED_TRACE(path.toStdString());
        const QByteArray name = QFile::encodeName(path);
        AVFormatContext *reference = nullptr;
        const bool referenceOpened = avformat_open_input(&reference, name.constData(), nullptr, nullptr) >= 0;
        const FFmpegInput input(path);
        const FFmpegInput headerOnly(path, false);
        ASSERT_EQ(headerOnly.isOpen(), referenceOpened);
        if (!referenceOpened)
            continue;
        EXPECT_STREQ(headerOnly.context()->iformat->name, reference->iformat->name);
        EXPECT_EQ(headerOnly.context()->probe_score, reference->probe_score);
        ASSERT_GE(avformat_find_stream_info(reference, nullptr), 0);
        ASSERT_TRUE(input.isOpen());
        // What the demuxer read after the guess: the same streams, codecs and length.
        ASSERT_EQ(input.context()->nb_streams, reference->nb_streams);
        for (unsigned i = 0; i < reference->nb_streams; ++i) {
            const AVCodecParameters *ours = input.context()->streams[i]->codecpar;
            const AVCodecParameters *theirs = reference->streams[i]->codecpar;
            EXPECT_EQ(ours->codec_id, theirs->codec_id) << i;
            EXPECT_EQ(ours->sample_rate, theirs->sample_rate) << i;
            EXPECT_EQ(ours->ch_layout.nb_channels, theirs->ch_layout.nb_channels) << i;
            EXPECT_EQ(ours->width, theirs->width) << i;
        }
        EXPECT_EQ(input.context()->duration, reference->duration);
        media += reference->nb_streams > 0 ? 1 : 0;
        avformat_close_input(&reference);
    }
    EXPECT_EQ(made, 4 * 2 * 6 * 3);
    // The table holds real media behind every kind of tag, not only files FFmpeg refuses.
    EXPECT_GT(media, 60);
}

TEST_F(MediaAssetTest, NonRegularFilesAnswerAtOnce)
{
    QTemporaryDir folder;
    const QString fifo = folder.filePath(QStringLiteral("pipe.mp3"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QLocalServer server;
    const QString socket = folder.filePath(QStringLiteral("socket.mp3"));
    ASSERT_TRUE(server.listen(socket));
    const QString directory = folder.filePath(QStringLiteral("folder.mp3"));
    ASSERT_TRUE(QDir().mkpath(directory));
    const QString linkToFifo = folder.filePath(QStringLiteral("link.mp3"));
    ASSERT_TRUE(QFile::link(fifo, linkToFifo));

    const QStringList paths { fifo, socket, directory, linkToFifo, QStringLiteral("/dev/zero"),
        QStringLiteral("/dev/null"), QStringLiteral("/proc/self/status"), QStringLiteral("/proc/kcore"),
        QStringLiteral("/sys/kernel/mm/transparent_hugepage/enabled"), QStringLiteral("/"), QString() };
    for (const QString &path : paths) {
        SCOPED_TRACE(path.toStdString());
        const MediaAsset asset(path);
        EXPECT_FALSE(asset.isMedia());
        EXPECT_FALSE(asset.isExportable());
        EXPECT_FALSE(asset.hasAudioTrack());
        EXPECT_FALSE(asset.isReadableAudioFile());
        EXPECT_FALSE(asset.duration().has_value());
        EXPECT_FALSE(asset.videoThumbnail().has_value());
    }
}

TEST_F(MediaAssetTest, ListsThatNameOtherFilesAreNoMedia)
{
    // A concatenation list or a playlist is a text naming other files. Probing
    // it reads nothing else: a FIFO among the names would block for good.
    QTemporaryDir folder;
    const QString fifo = folder.filePath(QStringLiteral("pipe.wav"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_TRUE(QFile::copy(file("tone.wav"), folder.filePath(QStringLiteral("tone.wav"))));
    const auto write = [&](const char *name, const QByteArray &text) {
        const QString path = folder.filePath(QString::fromLatin1(name));
        EXPECT_TRUE(writeFile(path, text));
        return path;
    };
    const QString lists[] = {
        write("to-fifo.ffconcat", "ffconcat version 1.0\nfile pipe.wav\n"),
        write("to-tone.ffconcat", "ffconcat version 1.0\nfile tone.wav\n"),
        write("to-fifo.m3u8", "#EXTM3U\n#EXT-X-TARGETDURATION:1\n#EXTINF:1.0,\npipe.wav\n#EXT-X-ENDLIST\n"),
    };
    for (const QString &list : lists) {
        SCOPED_TRACE(list.toStdString());
        const auto answer = test::answerWithoutBlocking(fifo, [list] {
            const MediaAsset asset(list);
            return asset.isMedia() || asset.isExportable() || asset.duration().has_value();
        });
        if (answer) {
            EXPECT_FALSE(*answer);
        }
    }
}

TEST_F(MediaAssetTest, SymbolicLinkToMediaIsFollowed)
{
    QTemporaryDir folder;
    const QString link = folder.filePath(QStringLiteral("song.mp3"));
    ASSERT_TRUE(QFile::link(file("tone.mp3"), link));
    EXPECT_TRUE(MediaAsset(link).isReadableAudioFile());
}

TEST_F(MediaAssetTest, UnreadableFileIsNoMedia)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the super-user";
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("locked.mp3"));
    ASSERT_TRUE(QFile::copy(file("tone.mp3"), path));
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::WriteOwner));
    EXPECT_FALSE(MediaAsset(path).isExportable());
}

TEST_F(MediaAssetTest, VanishedFileGivesNoStill)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("gone.mp4"));
    ASSERT_TRUE(QFile::copy(file("clip.mp4"), path));
    const MediaAsset asset(path);
    ASSERT_TRUE(asset.hasVideoTrack());
    ASSERT_TRUE(QFile::remove(path));
    EXPECT_FALSE(asset.videoThumbnail().has_value());
    // The probe's answers stay those of the file it read.
    EXPECT_TRUE(asset.isExportable());
}

TEST_F(MediaAssetTest, ThumbnailTimeIsTheWholeSecondUpToTwenty)
{
    EXPECT_EQ(MediaAsset::thumbnailTime(7.9), 7.0);
    EXPECT_EQ(MediaAsset::thumbnailTime(120.0), 20.0);
    EXPECT_EQ(MediaAsset::thumbnailTime(0.6), 0.0);
    EXPECT_EQ(MediaAsset::thumbnailTime(std::nullopt), 0.0);
    EXPECT_EQ(MediaAsset::thumbnailTime(std::nan("")), 0.0);
}

// The counting video's luma is 16 + 10 per second; RGB gives it back in full range.
int secondShown(const QImage &image)
{
    const QColor centre = image.pixelColor(image.width() / 2, image.height() / 2);
    return int(std::lround(centre.green() * 219.0 / 255.0 / 10.0));
}

TEST_F(MediaAssetTest, StillsComeFromTheRequestedSecond)
{
    QTemporaryDir folder;
    const QString shortVideo = folder.filePath(QStringLiteral("short.mp4"));
    const QString longVideo = folder.filePath(QStringLiteral("long.mp4"));
    ASSERT_TRUE(makeCountingVideo(shortVideo, 7.9));
    ASSERT_TRUE(makeCountingVideo(longVideo, 24.0));

    const MediaAsset shortAsset(shortVideo);
    const auto shortStill = shortAsset.videoThumbnail();
    ASSERT_TRUE(shortStill.has_value());
    EXPECT_EQ(shortStill->size(), QSize(64, 48));
    EXPECT_EQ(secondShown(*shortStill), 7);

    const auto longStill = MediaAsset(longVideo).videoThumbnail();
    ASSERT_TRUE(longStill.has_value());
    EXPECT_EQ(secondShown(*longStill), 20);

    const auto first = shortAsset.image(0);
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(secondShown(*first), 0);
    const auto third = shortAsset.image(3.0);
    ASSERT_TRUE(third.has_value());
    EXPECT_EQ(secondShown(*third), 3);
    // Past the end: the last frame.
    const auto past = shortAsset.image(60.0);
    ASSERT_TRUE(past.has_value());
    EXPECT_EQ(secondShown(*past), 7);
}

TEST_F(MediaAssetTest, AudioOnlyFileHasNoStill)
{
    EXPECT_FALSE(MediaAsset(file("tone.m4a")).videoThumbnail().has_value());
    EXPECT_FALSE(MediaAsset(file("cover.jpg")).videoThumbnail().has_value());
}

} // namespace

namespace {

// Every answer of two assets of the same file, the kind first (so an asset that takes its kind from
// the headers answers it before it makes its probe).
void expectSameAnswers(const MediaAsset &full, const MediaAsset &asset)
{
    EXPECT_EQ(asset.isExportable(), full.isExportable());
    EXPECT_EQ(asset.hasAudioTrack(), full.hasAudioTrack());
    EXPECT_EQ(asset.hasVideoTrack(), full.hasVideoTrack());
    EXPECT_EQ(asset.isMedia(), full.isMedia());
    EXPECT_EQ(asset.containerName(), full.containerName());
    EXPECT_EQ(asset.hasCoverArt(), full.hasCoverArt());
    EXPECT_EQ(asset.duration(), full.duration());
    EXPECT_EQ(asset.audioFileFormat(), full.audioFileFormat());
    EXPECT_EQ(asset.hasTrack(MediaType::subtitle), full.hasTrack(MediaType::subtitle));
    EXPECT_EQ(asset.hasTrack(MediaType::other), full.hasTrack(MediaType::other));
    ASSERT_EQ(asset.tracks().size(), full.tracks().size());
    for (size_t i = 0; i < full.tracks().size(); ++i) {
        const MediaTrack &a = asset.tracks()[i];
        const MediaTrack &b = full.tracks()[i];
        EXPECT_EQ(a.streamIndex, b.streamIndex) << i;
        EXPECT_EQ(a.mediaType, b.mediaType) << i;
        EXPECT_EQ(a.codecName, b.codecName) << i;
        EXPECT_EQ(a.isDecodable, b.isDecodable) << i;
        EXPECT_EQ(a.sampleRate, b.sampleRate) << i;
        EXPECT_EQ(a.channelCount, b.channelCount) << i;
        EXPECT_EQ(a.width, b.width) << i;
        EXPECT_EQ(a.height, b.height) << i;
        EXPECT_EQ(a.bitRate, b.bitRate) << i;
    }
}

// Compares every answer of each file with the full probe's; returns how many took their kind from
// the headers (each of them exportable).
int expectSameAnswersOnEach(const QStringList &paths)
{
    int fromHeaders = 0;
    for (const QString &name : paths) {
        SCOPED_TRACE(name.toStdString());
        const MediaAsset full(name);
        const MediaAsset asset = MediaAsset::withDetailsOnDemand(name);
        if (asset.kindIsFromHeaders()) {
            ++fromHeaders;
            EXPECT_TRUE(full.isExportable());
        }
        expectSameAnswers(full, asset);
    }
    return fromHeaders;
}

} // namespace

// The kind of a plain AAC file in an MP4 container comes from its headers; every answer, the kind
// included, is the full probe's: on AAC files of every layout and rate, with and without cover and
// with the index first or last, on their neighbours the headers do not settle (ALAC, video, other
// object types), on configurations and headers overwritten byte by byte, and on files cut short.
TEST_F(MediaAssetTest, AKindTakenFromTheHeadersIsWhatTheFullProbeSays)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const auto path = [&](const QString &name) { return folder.filePath(name); };
    QStringList seeds;
    const auto tone = [&](const QString &name, const QStringList &extra) {
        ASSERT_TRUE(makeTone(path(name), 0.5, extra)) << name.toStdString();
        seeds << path(name);
    };
    tone(QStringLiteral("mono-8000.m4a"), args({ "-ac", "1", "-ar", "8000", "-c:a", "aac" }));
    tone(QStringLiteral("stereo-22050.m4a"), args({ "-ac", "2", "-ar", "22050", "-c:a", "aac" }));
    tone(QStringLiteral("stereo-48000-first.m4a"),
        args({ "-ac", "2", "-ar", "48000", "-c:a", "aac", "-movflags", "+faststart" }));
    tone(QStringLiteral("surround-96000.mp4"), args({ "-ac", "6", "-ar", "96000", "-c:a", "aac" }));
    tone(QStringLiteral("alac.m4a"), args({ "-c:a", "alac" }));
    tone(QStringLiteral("mp3-in.mp4"), args({ "-c:a", "libmp3lame" }));
    tone(QStringLiteral("tone.mov"), args({ "-c:a", "aac", "-f", "mov" }));
    ASSERT_TRUE(makeToneWithCover(path(QStringLiteral("cover-first.m4a")), file("cover.jpg"), 0.5,
        args({ "-c:a", "aac", "-movflags", "+faststart" })));
    seeds << path(QStringLiteral("cover-first.m4a")) << file("cover.m4a") << file("clip.mp4") << file("silent.mov")
          << file("tone.m4a") << file("truncated.m4a") << file("head.m4a");

    QStringList paths = seeds;
    int made = 0;
    for (const QString &seedName : { QStringLiteral("stereo-48000-first.m4a"), QStringLiteral("cover-first.m4a") }) {
        const QByteArray seed = readFile(path(seedName));
        ASSERT_FALSE(seed.isEmpty());
        // The decoder configuration as FFmpeg's encoder writes it (AAC-LC, the rate's index, two
        // channels, the explicit "SBR absent" extension), and variants of it.
        QByteArray config;
        {
            const FFmpegInput input(path(seedName), false);
            ASSERT_TRUE(input.isOpen());
            for (unsigned i = 0; i < input.context()->nb_streams; ++i) {
                const AVCodecParameters *parameters = input.context()->streams[i]->codecpar;
                if (parameters->codec_id == AV_CODEC_ID_AAC)
                    config
                        = QByteArray(reinterpret_cast<const char *>(parameters->extradata), parameters->extradata_size);
            }
        }
        ASSERT_EQ(config.size(), 5);
        const qsizetype at = seed.indexOf(config);
        ASSERT_GT(at, 0) << seedName.toStdString();
        const auto variant = [&](int byte, int keep, int set) {
            QByteArray bytes = config;
            bytes[byte] = char((bytes[byte] & keep) | set);
            return bytes;
        };
        const QList<QByteArray> configs {
            variant(0, 0x07, 5 << 3), // object type 5 (SBR)
            variant(0, 0x07, 29 << 3), // 29 (PS)
            variant(0, 0x07, 1 << 3), // 1 (main)
            variant(0, 0x07, 4 << 3), // 4 (LTP)
            variant(4, 0x7f, 0x80), // SBR present
            config.left(2) + QByteArray(3, '\0'),
            config.left(2),
            config + '\0',
            variant(1, 0x7f, 0x80), // the rate's index moved by one
            variant(0, 0xf8, 0x06), // index 12 or 13
            variant(0, 0xf8, 0x07), // index 14 or 15
            variant(1, 0x87, 0 << 3), // channel configuration 0
            variant(1, 0x87, 8 << 3), // 8
            variant(1, 0x87, 1 << 3), // mono
            variant(1, 0x87, 7 << 3), // 7
            variant(1, 0xf8, 4), // 960-sample frames
            variant(1, 0xf8, 2), // core coder
            variant(1, 0xf8, 1), // extension flag
            QByteArray(5, '\xff'),
        };
        for (const QByteArray &other : configs) {
            QByteArray bytes = seed;
            bytes.replace(at, config.size(), other);
            paths << path(
                QStringLiteral("config-%1-%2-%3").arg(made).arg(QString::fromLatin1(other.toHex()), seedName));
            ASSERT_TRUE(writeFile(paths.last(), bytes));
            ++made;
        }
        // Bytes of the index overwritten one at a time, and the file cut at many lengths.
        const qsizetype moov = seed.indexOf("moov");
        ASSERT_GT(moov, 0);
        for (int i = 0; i < 160; ++i) {
            QByteArray bytes = seed;
            const qsizetype position = moov - 4 + (qsizetype(i) * 7919) % std::min<qsizetype>(seed.size() - moov, 4000);
            bytes[position] = char(bytes[position] ^ (1 << (i % 8)) ^ (i % 3 ? 0 : 0xff));
            paths << path(QStringLiteral("flip-%1-%2").arg(i).arg(seedName));
            ASSERT_TRUE(writeFile(paths.last(), bytes));
            ++made;
        }
        for (int i = 1; i <= 40; ++i) {
            paths << path(QStringLiteral("cut-%1-%2").arg(i).arg(seedName));
            ASSERT_TRUE(writeFile(paths.last(), seed.left(seed.size() * i / 41)));
            ++made;
        }
    }
    EXPECT_EQ(made, 2 * (19 + 160 + 40));

    const int fromHeaders = expectSameAnswersOnEach(paths);
    // The plain AAC files take their kind from the headers, their neighbours do not.
    for (const char *name : { "mono-8000.m4a", "stereo-22050.m4a", "stereo-48000-first.m4a", "surround-96000.mp4",
             "tone.mov", "cover-first.m4a" })
        EXPECT_TRUE(MediaAsset::withDetailsOnDemand(path(QLatin1String(name))).kindIsFromHeaders()) << name;
    EXPECT_TRUE(MediaAsset::withDetailsOnDemand(file("cover.m4a")).kindIsFromHeaders());
    for (const QString &name : { path(QStringLiteral("alac.m4a")), path(QStringLiteral("mp3-in.mp4")), file("clip.mp4"),
             file("silent.mov"), file("notes.txt") })
        EXPECT_FALSE(MediaAsset::withDetailsOnDemand(name).kindIsFromHeaders()) << name.toStdString();
    EXPECT_GT(fromHeaders, 100);
}

// The kind of an MP3 comes from its first frames' headers; every answer, the kind included, is the
// full probe's: on MP3s of every version, rate, channel count and bit rate mode, with and without
// the encoder's information frame, tags and cover, on their neighbours the headers do not settle
// (Layer II in an MP3 file, junk, damaged tags), on the first frames overwritten bit by bit and on
// files cut short.
TEST_F(MediaAssetTest, AnMp3KindTakenFromTheHeadersIsWhatTheFullProbeSays)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const auto path = [&](const QString &name) { return folder.filePath(name); };
    QStringList paths { file("tone.mp3"), file("cover.mp3") };
    const auto tone = [&](const QString &name, double seconds, const QStringList &extra) {
        ASSERT_TRUE(makeTone(path(name), seconds, extra)) << name.toStdString();
        paths << path(name);
    };
    for (const char *rate : { "8000", "11025", "16000", "22050", "24000", "32000", "44100", "48000" })
        tone(QStringLiteral("cbr-%1.mp3").arg(QLatin1String(rate)), 0.5, args({ "-ac", "2", "-ar", rate }));
    tone(QStringLiteral("mono-vbr.mp3"), 0.5, args({ "-ac", "1", "-q:a", "2" }));
    tone(QStringLiteral("no-info-frame.mp3"), 0.5, args({ "-write_xing", "0" }));
    tone(QStringLiteral("no-tags.mp3"), 0.5, args({ "-id3v2_version", "0", "-write_xing", "0" }));
    tone(QStringLiteral("id3v1.mp3"), 0.5, args({ "-write_id3v1", "1", "-metadata", "title=One" }));
    tone(QStringLiteral("320k.mp3"), 0.5, args({ "-b:a", "320k" }));
    tone(QStringLiteral("short.mp3"), 0.03, {});
    tone(QStringLiteral("layer2.mp3"), 0.5, args({ "-c:a", "mp2", "-f", "mp2" }));
    ASSERT_TRUE(makeToneWithCover(path(QStringLiteral("cover-vbr.mp3")), file("cover.jpg"), 0.5, args({ "-q:a", "4" })));
    paths << path(QStringLiteral("cover-vbr.mp3"));

    int made = 0;
    for (const QString &seedName : { QStringLiteral("no-tags.mp3"), QStringLiteral("cover-vbr.mp3") }) {
        const QByteArray seed = readFile(path(seedName));
        ASSERT_FALSE(seed.isEmpty());
        // Where the frames start: past the ID3v2 tag, whose size is four 7-bit bytes.
        qsizetype start = 0;
        if (seed.startsWith("ID3"))
            start = 10
                + ((qsizetype(seed[6] & 0x7f) << 21) | (qsizetype(seed[7] & 0x7f) << 14) | (qsizetype(seed[8] & 0x7f) << 7)
                    | qsizetype(seed[9] & 0x7f));
        ASSERT_EQ(uchar(seed[start]), 0xff) << seedName.toStdString();
        // Junk between the tag and the frames, as some taggers leave it.
        for (const int junk : { 1, 3, 417, 5000 }) {
            QByteArray bytes = seed;
            bytes.insert(start, QByteArray(junk, char(0x55)));
            paths << path(QStringLiteral("junk-%1-%2").arg(junk).arg(seedName));
            ASSERT_TRUE(writeFile(paths.last(), bytes));
            ++made;
        }
        // Bits of the first frames flipped one at a time: headers, side information and data.
        for (int i = 0; i < 240; ++i) {
            QByteArray bytes = seed;
            const qsizetype position = start + (qsizetype(i) * 37) % std::min<qsizetype>(seed.size() - start, 2400);
            bytes[position] = char(bytes[position] ^ (1 << (i % 8)) ^ (i % 5 ? 0 : 0xf0));
            paths << path(QStringLiteral("flip-%1-%2").arg(i).arg(seedName));
            ASSERT_TRUE(writeFile(paths.last(), bytes));
            ++made;
        }
        for (int i = 1; i <= 40; ++i) {
            paths << path(QStringLiteral("cut-%1-%2").arg(i).arg(seedName));
            ASSERT_TRUE(writeFile(paths.last(), seed.left(start + (seed.size() - start) * i / 160)));
            ++made;
        }
    }
    EXPECT_EQ(made, 2 * (4 + 240 + 40));

    const int fromHeaders = expectSameAnswersOnEach(paths);
    for (const QString &name : { file("tone.mp3"), file("cover.mp3"), path(QStringLiteral("cbr-8000.mp3")),
             path(QStringLiteral("cbr-48000.mp3")), path(QStringLiteral("mono-vbr.mp3")),
             path(QStringLiteral("no-info-frame.mp3")), path(QStringLiteral("id3v1.mp3")),
             path(QStringLiteral("cover-vbr.mp3")), path(QStringLiteral("junk-417-cover-vbr.mp3")) })
        EXPECT_TRUE(MediaAsset::withDetailsOnDemand(name).kindIsFromHeaders()) << name.toStdString();
    EXPECT_FALSE(MediaAsset::withDetailsOnDemand(path(QStringLiteral("layer2.mp3"))).kindIsFromHeaders());
    EXPECT_GT(fromHeaders, 200);
}
