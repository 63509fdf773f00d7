#include "Platform/Media/ExportSession.h"

#include "MediaFixtures.h"

#include "Support/BlockingProbe.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonObject>
#include <QTemporaryDir>
#include <atomic>
#include <cmath>
#include <fcntl.h>
#include <future>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <taglib/mp4file.h>
#include <taglib/mp4tag.h>
#include <thread>
#include <unistd.h>

namespace tarnik {
namespace {

using test::firstAudioStream;
using test::probe;

class ExportSessionTest : public ::testing::Test
{
protected:
    QString path(const QString &name) const { return m_dir.filePath(name); }

    // Exports and waits; the status the session ended with.
    static ExportSession::Status exportAndWait(const std::shared_ptr<ExportSession> &session)
    {
        std::promise<void> done;
        std::atomic<int> calls { 0 };
        session->exportAsynchronously([&] {
            if (++calls == 1)
                done.set_value();
        });
        done.get_future().wait();
        EXPECT_EQ(calls.load(), 1);
        return session->status();
    }

    static std::shared_ptr<ExportSession> sessionFor(
        const QString &source, ExportSession::Preset preset, const QString &output)
    {
        auto session = ExportSession::create(source, preset);
        if (session) {
            session->setOutputPath(output);
            session->setOutputFileType(ExportSession::fileTypeAppleM4A());
        }
        return session;
    }

    QTemporaryDir m_dir;
};

TEST_F(ExportSessionTest, ReencodesToAacInAnM4aContainerKeepingRateAndChannelLayout)
{
    const struct
    {
        const char *name;
        int rate;
        int channels;
        QStringList codec;
        int expectedChannels;
    } cases[] = {
        { "stereo.wav", 44100, 2, {}, 2 },
        { "mono.mp3", 22050, 1, { QStringLiteral("-c:a"), QStringLiteral("libmp3lame") }, 1 },
        { "stereo48k.flac", 48000, 2, {}, 2 },
        { "surround.ogg", 32000, 6, { QStringLiteral("-c:a"), QStringLiteral("libvorbis") }, 2 },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString source = path(QString::fromLatin1(c.name));
        ASSERT_TRUE(test::makeTone(source, 3.0, c.rate, c.channels, 0.5, c.codec));
        const QString output = source + QStringLiteral(".m4a");
        auto session = sessionFor(source, ExportSession::Preset::AppleM4A, output);
        ASSERT_TRUE(session);
        ASSERT_EQ(exportAndWait(session), ExportSession::Status::Completed) << session->errorString().toStdString();

        const QJsonObject probed = probe(output);
        const QJsonObject format = probed.value(QStringLiteral("format")).toObject();
        EXPECT_TRUE(format.value(QStringLiteral("format_name")).toString().contains(QStringLiteral("m4a")));
        EXPECT_EQ(format.value(QStringLiteral("tags")).toObject().value(QStringLiteral("major_brand")).toString(),
            QStringLiteral("M4A "));
        EXPECT_NEAR(format.value(QStringLiteral("duration")).toString().toDouble(), 3.0, 0.05);
        const QJsonObject audio = firstAudioStream(probed);
        EXPECT_EQ(audio.value(QStringLiteral("codec_name")).toString(), QStringLiteral("aac"));
        EXPECT_EQ(audio.value(QStringLiteral("sample_rate")).toString().toInt(), c.rate);
        EXPECT_EQ(audio.value(QStringLiteral("channels")).toInt(), c.expectedChannels);
        // Rate control of the AAC encoder is loose on a pure tone; the target is what counts.
        EXPECT_GT(audio.value(QStringLiteral("bit_rate")).toString().toInt(), 64000 * c.expectedChannels);
    }
}

TEST_F(ExportSessionTest, PassthroughCopiesTheBitstreamUnchanged)
{
    const QString source = path(QStringLiteral("Song.M4A"));
    ASSERT_TRUE(test::makeTone(source, 4.0, 44100, 2, 0.5,
        { QStringLiteral("-c:a"), QStringLiteral("aac"), QStringLiteral("-b:a"), QStringLiteral("96k"),
            QStringLiteral("-f"), QStringLiteral("ipod") }));
    const QString output = path(QStringLiteral("copy.m4a"));
    auto session = sessionFor(source, ExportSession::Preset::Passthrough, output);
    ASSERT_TRUE(session);
    ASSERT_EQ(exportAndWait(session), ExportSession::Status::Completed) << session->errorString().toStdString();

    const QStringList before = test::packetHashes(source);
    ASSERT_FALSE(before.isEmpty());
    EXPECT_EQ(test::packetHashes(output), before);
    EXPECT_EQ(firstAudioStream(probe(output)).value(QStringLiteral("codec_name")).toString(), QStringLiteral("aac"));
}

TEST_F(ExportSessionTest, HonoursTheTimeRange)
{
    const QString wav = path(QStringLiteral("long.wav"));
    const QString m4a = path(QStringLiteral("long.m4a"));
    ASSERT_TRUE(test::makeTone(wav, 12.0));
    ASSERT_TRUE(test::makeTone(m4a, 12.0, 44100, 2, 0.5, { QStringLiteral("-c:a"), QStringLiteral("aac") }));
    const struct
    {
        QString source;
        ExportSession::Preset preset;
        double start, duration, expected, tolerance;
    } cases[] = {
        { wav, ExportSession::Preset::AppleM4A, 2.0, 5.0, 5.0, 0.03 },
        { wav, ExportSession::Preset::AppleM4A, 10.0, 30.0, 2.0, 0.03 }, // past the end: what there is
        { m4a, ExportSession::Preset::Passthrough, 2.0, 5.0, 5.0, 0.1 }, // whole packets only
    };
    int n = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(n);
        const QString output = path(QStringLiteral("range%1.m4a").arg(n++));
        auto session = sessionFor(c.source, c.preset, output);
        ASSERT_TRUE(session);
        session->setTimeRange(c.start, c.duration);
        ASSERT_EQ(exportAndWait(session), ExportSession::Status::Completed) << session->errorString().toStdString();
        const double duration = probe(output)
                                    .value(QStringLiteral("format"))
                                    .toObject()
                                    .value(QStringLiteral("duration"))
                                    .toString()
                                    .toDouble();
        EXPECT_NEAR(duration, c.expected, c.tolerance);
    }
}

// Where sound first reaches half the tone's amplitude, in seconds; negative when it never does.
double onsetOf(const std::vector<float> &samples, int sampleRate)
{
    for (size_t i = 0; i < samples.size(); ++i) {
        if (std::abs(samples[i]) >= 0.25f)
            return double(i) / sampleRate;
    }
    return -1.0;
}

// A range counts from the stream's first sample, as playback and the trimmer's preview do: an MP3
// (whose stream starts after the encoder's delay, 25 ms here) is cut where the user chose, and a
// file whose stream starts at zero is cut as before. The source is silent, then a tone starts at
// 2 s; the export from 1.5 s must have it start at 0.5 s, measured against the source decoded by
// ffmpeg, which also counts from the first sample.
TEST_F(ExportSessionTest, TheRangeCountsFromTheStreamsFirstSample)
{
    const QString tone = QStringLiteral("aevalsrc=if(gte(t\\,2)\\,0.5*sin(2*PI*1000*t)\\,0):s=44100:d=4");
    const struct
    {
        QString name;
        QStringList codec;
        bool startsLater; // the stream's start time is past zero
    } sources[] = {
        { QStringLiteral("late.mp3"), { QStringLiteral("-c:a"), QStringLiteral("libmp3lame"), QStringLiteral("-b:a"),
                                          QStringLiteral("192k") },
            true },
        { QStringLiteral("plain.wav"), {}, false },
        { QStringLiteral("plain.flac"), {}, false },
    };
    for (const auto &source : sources) {
        SCOPED_TRACE(source.name.toStdString());
        const QString file = path(source.name);
        ASSERT_TRUE(test::runFfmpeg(QStringList { QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                                        tone, QStringLiteral("-ac"), QStringLiteral("2") }
            + source.codec + QStringList { file }));
        const double startTime = firstAudioStream(probe(file)).value(QStringLiteral("start_time")).toString().toDouble();
        EXPECT_EQ(startTime > 0.01, source.startsLater) << "the fixture's start time is " << startTime;
        const double heard = onsetOf(test::decodeFirstChannel(file), 44100);
        ASSERT_NEAR(heard, 2.0, 0.003);

        const QString output = path(source.name + QStringLiteral(".m4a"));
        auto session = sessionFor(file, ExportSession::Preset::AppleM4A, output);
        ASSERT_TRUE(session);
        session->setTimeRange(1.5, 1.0);
        ASSERT_EQ(exportAndWait(session), ExportSession::Status::Completed) << session->errorString().toStdString();
        const std::vector<float> exported = test::decodeFirstChannel(output);
        EXPECT_NEAR(onsetOf(exported, 44100), heard - 1.5, 0.002);
        EXPECT_NEAR(double(exported.size()) / 44100, 1.0, 0.03);
    }
}

QByteArray pngBytes()
{
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

TEST_F(ExportSessionTest, WritesMetadataAsITunesAtoms)
{
    const QString source = path(QStringLiteral("tone.wav"));
    ASSERT_TRUE(test::makeTone(source, 1.0));
    const QByteArray cover = pngBytes();
    const QByteArray trackBlock("\x00\x00\x00\x07\x00\x00\x00\x00", 8);

    const struct
    {
        const char *name;
        QVariant track;
        int expectedTrack;
    } trackCases[] = {
        { "eight-byte block", trackBlock, 7 },
        { "signed 64-bit", QVariant::fromValue<qint64>(12), 12 },
        { "unsigned 16-bit", QVariant::fromValue<quint16>(3), 3 },
        { "double", QVariant(5.0), 5 },
    };
    int n = 0;
    for (const auto &c : trackCases) {
        SCOPED_TRACE(c.name);
        const QString output = path(QStringLiteral("tagged%1.m4a").arg(n++));
        auto session = sessionFor(source, ExportSession::Preset::AppleM4A, output);
        ASSERT_TRUE(session);
        session->setMetadata({
            { QStringLiteral("©nam"), QStringLiteral("Título") },
            { QStringLiteral("©ART"), QStringLiteral("Artist") },
            { QStringLiteral("©day"), QVariant::fromValue<qint64>(2016) },
            { QStringLiteral("©gen"), QStringLiteral("Rock") },
            { QStringLiteral("trkn"), c.track },
            { QStringLiteral("covr"), cover },
        });
        ASSERT_EQ(exportAndWait(session), ExportSession::Status::Completed) << session->errorString().toStdString();

        const QJsonObject tags
            = probe(output).value(QStringLiteral("format")).toObject().value(QStringLiteral("tags")).toObject();
        EXPECT_EQ(tags.value(QStringLiteral("title")).toString(), QStringLiteral("Título"));
        EXPECT_EQ(tags.value(QStringLiteral("artist")).toString(), QStringLiteral("Artist"));
        EXPECT_EQ(tags.value(QStringLiteral("date")).toString(), QStringLiteral("2016"));
        EXPECT_EQ(tags.value(QStringLiteral("genre")).toString(), QStringLiteral("Rock"));
        EXPECT_EQ(
            tags.value(QStringLiteral("track")).toString().section(QLatin1Char('/'), 0, 0).toInt(), c.expectedTrack);

        TagLib::MP4::File file(QFile::encodeName(output).constData());
        ASSERT_TRUE(file.isValid());
        const TagLib::MP4::Item track = file.tag()->item("trkn");
        ASSERT_TRUE(track.isValid());
        EXPECT_EQ(track.toIntPair().first, c.expectedTrack);
        const TagLib::MP4::CoverArtList covers = file.tag()->item("covr").toCoverArtList();
        ASSERT_EQ(covers.size(), 1u);
        EXPECT_EQ(covers.front().format(), TagLib::MP4::CoverArt::PNG);
        EXPECT_EQ(QByteArray(covers.front().data().data(), int(covers.front().data().size())), cover);
    }
}

TEST_F(ExportSessionTest, CoverArtThatIsNoPictureIsLeftOut)
{
    const QString source = path(QStringLiteral("tone.wav"));
    ASSERT_TRUE(test::makeTone(source, 0.5));
    const QByteArray png = pngBytes();
    const struct
    {
        const char *name;
        QByteArray cover;
    } cases[] = {
        { "a JPEG signature and noise", QByteArray("\xFF\xD8\xFF\xE0", 4) + QByteArray(256, '\x5A') },
        { "a PNG cut short", png.left(png.size() / 2) },
        { "text", QByteArrayLiteral("not a picture at all") },
    };
    int n = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString output = path(QStringLiteral("cover%1.m4a").arg(n++));
        auto session = sessionFor(source, ExportSession::Preset::AppleM4A, output);
        ASSERT_TRUE(session);
        session->setMetadata({
            { QStringLiteral("©nam"), QStringLiteral("Title") },
            { QStringLiteral("covr"), c.cover },
        });
        ASSERT_EQ(exportAndWait(session), ExportSession::Status::Completed) << session->errorString().toStdString();
        TagLib::MP4::File file(QFile::encodeName(output).constData());
        ASSERT_TRUE(file.isValid());
        EXPECT_TRUE(file.tag()->item("\xA9nam").isValid()) << "the other tags are written";
        EXPECT_FALSE(file.tag()->contains("covr"));
    }
}

TEST_F(ExportSessionTest, BadSourcesGiveNoSessionOrFailWithoutOutput)
{
    const QString text = path(QStringLiteral("notes.txt"));
    {
        QFile file(text);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("just some words, nothing to hear\n");
    }
    const QString empty = path(QStringLiteral("empty.mp3"));
    QFile(empty).open(QIODevice::WriteOnly);
    const QString fifo = path(QStringLiteral("pipe.wav"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString silentVideo = path(QStringLiteral("silent.mp4"));
    ASSERT_TRUE(test::runFfmpeg({ QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
        QStringLiteral("testsrc=d=1:s=64x64:r=10"), QStringLiteral("-pix_fmt"), QStringLiteral("yuv420p"),
        silentVideo }));
    const QString image = path(QStringLiteral("cover.png"));
    {
        QFile file(image);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(pngBytes());
    }
    // Sources cut short whose container says how long they are: the export
    // must notice rather than pass off the part as the whole.
    const auto cutCopy = [&](const QString &name, const QStringList &codec, double fraction) {
        const QString file = path(name);
        EXPECT_TRUE(test::makeTone(file, 6.0, 44100, 2, 0.5, codec));
        EXPECT_EQ(::truncate(QFile::encodeName(file).constData(), off_t(double(QFileInfo(file).size()) * fraction)), 0);
        return file;
    };
    const QStringList aacFastStart { QStringLiteral("-c:a"), QStringLiteral("aac"), QStringLiteral("-movflags"),
        QStringLiteral("+faststart") };
    const QString cutM4aHalf = cutCopy(QStringLiteral("cut-half.m4a"), aacFastStart, 0.5);
    const QString cutM4aLate = cutCopy(QStringLiteral("cut-late.m4a"), aacFastStart, 0.9);
    const QString cutM4aIndex
        = cutCopy(QStringLiteral("cut-index.m4a"), { QStringLiteral("-c:a"), QStringLiteral("aac") }, 0.9);
    const QString cutWav = cutCopy(QStringLiteral("cut.wav"), {}, 0.5);
    const QString cutFlac = cutCopy(QStringLiteral("cut.flac"), {}, 0.5);

    const QDir outputs(path(QStringLiteral("out")));
    ASSERT_TRUE(outputs.mkpath(QStringLiteral(".")));
    const struct
    {
        QString source;
        bool sessionExpected;
    } cases[] = {
        { text, false },
        { empty, false },
        { fifo, false },
        { path(QStringLiteral("missing.wav")), false },
        { silentVideo, true },
        { image, true },
        { cutM4aHalf, true },
        { cutM4aLate, true },
        { cutM4aIndex, false },
        { cutWav, true },
        { cutFlac, true },
    };
    for (const auto preset : { ExportSession::Preset::AppleM4A, ExportSession::Preset::Passthrough }) {
        for (const auto &c : cases) {
            SCOPED_TRACE(c.source.toStdString());
            const QString output = outputs.filePath(QStringLiteral("result.m4a"));
            auto session = sessionFor(c.source, preset, output);
            if (!session) {
                EXPECT_FALSE(c.sessionExpected);
                continue;
            }
            EXPECT_TRUE(c.sessionExpected);
            EXPECT_EQ(exportAndWait(session), ExportSession::Status::Failed);
            EXPECT_TRUE(test::folderEntries(outputs.path()).isEmpty());
            QFile::remove(output);
        }
    }
}

TEST_F(ExportSessionTest, ListsAndPlaylistsCannotOpenOtherFiles)
{
    // A playlist or a concatenation list names other files; the session reads
    // the one file it was given. Were it to follow the names, a FIFO among them
    // would block it for good, and any file could end up in the output.
    const QString tone = path(QStringLiteral("tone.wav"));
    ASSERT_TRUE(test::makeTone(tone, 1.0));
    const QString fifo = path(QStringLiteral("pipe.wav"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const auto write = [&](const char *name, const QByteArray &text) {
        QFile file(path(QString::fromLatin1(name)));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        return file.fileName();
    };
    const QString lists[] = {
        write("to-fifo.ffconcat", "ffconcat version 1.0\nfile pipe.wav\n"),
        write("to-tone.ffconcat", "ffconcat version 1.0\nfile tone.wav\n"),
        write("to-fifo.m3u8", "#EXTM3U\n#EXT-X-TARGETDURATION:1\n#EXTINF:1.0,\npipe.wav\n#EXT-X-ENDLIST\n"),
        write("to-tone.m3u8", "#EXTM3U\n#EXT-X-TARGETDURATION:1\n#EXTINF:1.0,\ntone.wav\n#EXT-X-ENDLIST\n"),
    };
    for (const QString &list : lists) {
        SCOPED_TRACE(list.toStdString());
        const auto answer = test::answerWithoutBlocking(
            fifo, [list] { return ExportSession::create(list, ExportSession::Preset::AppleM4A) != nullptr; });
        if (answer) {
            EXPECT_FALSE(*answer);
        }
    }
}

TEST_F(ExportSessionTest, BadOutputsFailAndLeaveNothingBehind)
{
    const QString source = path(QStringLiteral("tone.wav"));
    ASSERT_TRUE(test::makeTone(source, 1.0));
    const QString readOnly = path(QStringLiteral("locked"));
    ASSERT_TRUE(QDir().mkpath(readOnly));
    ASSERT_EQ(::chmod(QFile::encodeName(readOnly).constData(), 0555), 0);
    const QString folderTarget = path(QStringLiteral("taken"));
    ASSERT_TRUE(QDir().mkpath(folderTarget + QStringLiteral("/inside")));
    const bool runsAsRoot = ::geteuid() == 0; // root writes into read-only folders

    const struct
    {
        QString output;
        QString folderToCheck;
        bool skipAsRoot;
    } cases[] = {
        { path(QStringLiteral("nowhere/out.m4a")), path(QStringLiteral("nowhere")), false },
        { readOnly + QStringLiteral("/out.m4a"), readOnly, true },
        { folderTarget, m_dir.path(), false },
        { QString(), m_dir.path(), false },
    };
    const QStringList before = test::folderEntries(m_dir.path());
    for (const auto &c : cases) {
        if (c.skipAsRoot && runsAsRoot)
            continue;
        SCOPED_TRACE(c.output.toStdString());
        auto session = sessionFor(source, ExportSession::Preset::AppleM4A, c.output);
        ASSERT_TRUE(session);
        EXPECT_EQ(exportAndWait(session), ExportSession::Status::Failed);
        EXPECT_EQ(test::folderEntries(m_dir.path()), before);
    }
    EXPECT_TRUE(QFileInfo(folderTarget + QStringLiteral("/inside")).isDir());
    EXPECT_TRUE(test::folderEntries(readOnly).isEmpty());
    ::chmod(QFile::encodeName(readOnly).constData(), 0755);
}

TEST_F(ExportSessionTest, FailureKeepsTheFileAtTheOutputPath)
{
    // A time range past the end has nothing to write: the export fails, and
    // even with the source as its own output the source stays as it was.
    const QString source = path(QStringLiteral("keep.m4a"));
    ASSERT_TRUE(test::makeTone(source, 2.0, 44100, 2, 0.5, { QStringLiteral("-c:a"), QStringLiteral("aac") }));
    QFile original(source);
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    const QByteArray bytes = original.readAll();
    original.close();
    for (const auto preset : { ExportSession::Preset::AppleM4A, ExportSession::Preset::Passthrough }) {
        auto session = sessionFor(source, preset, source);
        ASSERT_TRUE(session);
        session->setTimeRange(30.0, 5.0);
        EXPECT_EQ(exportAndWait(session), ExportSession::Status::Failed);
        ASSERT_TRUE(original.open(QIODevice::ReadOnly));
        EXPECT_EQ(original.readAll(), bytes);
        original.close();
        EXPECT_EQ(test::folderEntries(m_dir.path()), QStringList { QStringLiteral("keep.m4a") });
    }
}

TEST_F(ExportSessionTest, SourceAsItsOwnOutputIsReadInFullBeforeItIsReplaced)
{
    const QString source = path(QStringLiteral("self.m4a"));
    ASSERT_TRUE(test::makeTone(source, 5.0, 44100, 2, 0.5, { QStringLiteral("-c:a"), QStringLiteral("aac") }));
    for (const auto preset : { ExportSession::Preset::AppleM4A, ExportSession::Preset::Passthrough }) {
        auto session = sessionFor(source, preset, source);
        ASSERT_TRUE(session);
        ASSERT_EQ(exportAndWait(session), ExportSession::Status::Completed);
        const QJsonObject probed = probe(source);
        EXPECT_NEAR(
            probed.value(QStringLiteral("format")).toObject().value(QStringLiteral("duration")).toString().toDouble(),
            5.0, 0.05);
        EXPECT_EQ(test::folderEntries(m_dir.path()), QStringList { QStringLiteral("self.m4a") });
    }
}

TEST_F(ExportSessionTest, SourceChangingUnderTheExport)
{
    const QString source = path(QStringLiteral("moving.wav"));
    const QString output = path(QStringLiteral("moving.m4a"));

    // Cut short after the session opened it: the short read is caught.
    ASSERT_TRUE(test::makeTone(source, 4.0));
    auto cut = sessionFor(source, ExportSession::Preset::AppleM4A, output);
    ASSERT_TRUE(cut);
    ASSERT_EQ(::truncate(QFile::encodeName(source).constData(), 4096), 0);
    EXPECT_EQ(exportAndWait(cut), ExportSession::Status::Failed);
    EXPECT_FALSE(QFileInfo::exists(output));

    // Removed after the session opened it: the open file still reads in full.
    ASSERT_TRUE(test::makeTone(source, 4.0));
    auto removed = sessionFor(source, ExportSession::Preset::AppleM4A, output);
    ASSERT_TRUE(removed);
    ASSERT_TRUE(QFile::remove(source));
    ASSERT_EQ(exportAndWait(removed), ExportSession::Status::Completed);
    EXPECT_NEAR(probe(output)
                    .value(QStringLiteral("format"))
                    .toObject()
                    .value(QStringLiteral("duration"))
                    .toString()
                    .toDouble(),
        4.0, 0.05);
    EXPECT_EQ(test::folderEntries(m_dir.path()), QStringList { QStringLiteral("moving.m4a") });
}

TEST_F(ExportSessionTest, CancelledBeforeItRunsWritesNothing)
{
    const QString source = path(QStringLiteral("tone.wav"));
    ASSERT_TRUE(test::makeTone(source, 1.0));
    auto session = sessionFor(source, ExportSession::Preset::AppleM4A, path(QStringLiteral("out.m4a")));
    ASSERT_TRUE(session);
    session->cancelExport();
    EXPECT_EQ(exportAndWait(session), ExportSession::Status::Cancelled);
    EXPECT_EQ(test::folderEntries(m_dir.path()), QStringList { QStringLiteral("tone.wav") });
}

} // namespace
} // namespace tarnik
