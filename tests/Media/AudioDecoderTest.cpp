#include "Platform/Media/AudioDecoder.h"

#include "Support/MediaFixtures.h"

#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <vector>

using namespace tarnik;
using namespace tarnik::test::media;

namespace {

std::vector<qint16> readAll(AudioDecoder &decoder, qint64 limit = 1 << 24)
{
    std::vector<qint16> samples;
    std::vector<qint16> chunk(4096 * AudioDecoder::kChannels);
    for (;;) {
        const qint64 got = decoder.read(chunk.data(), 4096);
        if (got <= 0 || qint64(samples.size()) >= limit)
            break;
        samples.insert(samples.end(), chunk.begin(), chunk.begin() + got * AudioDecoder::kChannels);
    }
    return samples;
}

// The largest difference between a run of samples and the same run in a whole decoding.
int largestDifference(const std::vector<qint16> &whole, qint64 fromFrame, const std::vector<qint16> &part)
{
    int largest = 0;
    for (size_t i = 0; i < part.size(); ++i) {
        const size_t at = size_t(fromFrame) * AudioDecoder::kChannels + i;
        if (at >= whole.size())
            return 1 << 16;
        largest = std::max(largest, std::abs(int(whole[at]) - int(part[i])));
    }
    return largest;
}

// A seek lands on the very sample it names, whatever the codec: what is read after it is what a
// decoding from the start holds there. Previews loop on it, so a seek that landed a frame early or
// began with the decoder's silence would be heard at every turn.
TEST(AudioDecoderTest, ASeekLandsOnItsSample)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    struct Case
    {
        const char *name;
        int tolerance; // lossy decoders start from a slightly different state after a seek
    };
    for (const Case &c : { Case { "sweep.wav", 0 }, Case { "sweep.mp3", 16 }, Case { "sweep.m4a", 64 },
             Case { "sweep.flac", 0 } }) {
        const QString path = folder.filePath(QString::fromLatin1(c.name));
        // A rising tone in one ear and a falling one in the other: no two places sound alike.
        ASSERT_TRUE(runFfmpeg(args({ "-f", "lavfi", "-i",
                                  "aevalsrc=0.5*sin(2*PI*(200+300*t)*t)|0.5*sin(2*PI*(1200-300*t)*t):s=44100:d=3" })
            << path))
            << c.name;
        AudioDecoder whole(path);
        ASSERT_TRUE(whole.isOpen()) << c.name;
        EXPECT_EQ(whole.sampleRate(), 44100) << c.name;
        EXPECT_NEAR(double(whole.durationUs()) / 1e6, 3.0, 0.1) << c.name;
        const std::vector<qint16> all = readAll(whole);
        EXPECT_NEAR(double(all.size()) / AudioDecoder::kChannels / 44100, 3.0, 0.1) << c.name;

        for (const qint64 us : { 1'250'000LL, 37'000LL, 2'000'000LL, 1'250'000LL }) {
            ASSERT_TRUE(whole.seek(us)) << c.name;
            std::vector<qint16> part(2048 * AudioDecoder::kChannels);
            ASSERT_EQ(whole.read(part.data(), 2048), 2048) << c.name << " at " << us;
            const qint64 frame = std::llround(double(us) * 44100 / 1e6);
            EXPECT_LE(largestDifference(all, frame, part), c.tolerance) << c.name << " at " << us;
        }
        // Past the end there is nothing to read, and a seek back finds the audio again.
        ASSERT_TRUE(whole.seek(5'000'000));
        std::vector<qint16> rest(1024 * AudioDecoder::kChannels);
        EXPECT_EQ(whole.read(rest.data(), 1024), 0) << c.name;
        ASSERT_TRUE(whole.seek(0));
        EXPECT_EQ(whole.read(rest.data(), 1024), 1024) << c.name;
    }
}

TEST(AudioDecoderTest, FilesWithoutAudioDoNotOpen)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString picture = folder.filePath(QStringLiteral("picture.png"));
    const QString video = folder.filePath(QStringLiteral("silent.mp4"));
    ASSERT_TRUE(makePicture(picture, 8, 8));
    ASSERT_TRUE(makeVideo(video, 1, false));
    for (const QString &path : { picture, video, folder.filePath(QStringLiteral("missing.mp3")), folder.path() }) {
        AudioDecoder decoder(path);
        EXPECT_FALSE(decoder.isOpen()) << qPrintable(path);
        qint16 samples[8];
        EXPECT_EQ(decoder.read(samples, 4), 0);
        EXPECT_FALSE(decoder.seek(0));
    }
}

} // namespace
