#include "Platform/Media/AudioMix.h"

#include <gtest/gtest.h>
#include <vector>

namespace tarnik {
namespace {

// The envelope the converter builds for a trim from 10 s to 40 s at volume 0.5
// with fades, in the order it adds them.
AudioMix trimWithFades()
{
    AudioMix mix;
    mix.setVolume(0.0f, 9.0);
    mix.setVolumeRamp(0.0f, 0.5f, 10.0, 11.0);
    mix.setVolumeRamp(0.5f, 0.0f, 39.0, 40.0);
    mix.setVolumeRamp(0.5f, 0.5f, 11.0, 39.0);
    return mix;
}

TEST(AudioMix, EmptyMixLeavesTheLevel)
{
    const AudioMix mix;
    EXPECT_TRUE(mix.isEmpty());
    EXPECT_TRUE(mix.isNeutral());
    EXPECT_FLOAT_EQ(mix.gainAt(-1.0), 1.0f);
    EXPECT_FLOAT_EQ(mix.gainAt(1e6), 1.0f);
}

TEST(AudioMix, PointsAndRampsHoldTheirLastValue)
{
    const AudioMix mix = trimWithFades();
    const struct
    {
        double at;
        float gain;
    } cases[] = {
        { 0.0, 1.0f }, // before the first entry the level is untouched
        { 8.999, 1.0f }, { 9.0, 0.0f }, { 9.5, 0.0f }, // the silence point holds until the fade-in
        { 10.0, 0.0f }, { 10.5, 0.25f }, { 10.9, 0.45f }, // fade-in is linear
        { 11.0, 0.5f }, { 25.0, 0.5f }, { 38.99, 0.5f }, // the middle ramp
        { 39.0, 0.5f }, { 39.5, 0.25f }, { 39.75, 0.125f }, // fade-out
        { 40.0, 0.0f }, { 500.0, 0.0f }, // after the last ramp its end value holds
    };
    for (const auto &c : cases)
        EXPECT_NEAR(mix.gainAt(c.at), c.gain, 1e-5) << "at " << c.at;
    EXPECT_FALSE(mix.isNeutral());
}

TEST(AudioMix, FillGainsAgreesWithGainAt)
{
    const AudioMix mix = trimWithFades();
    const double step = 1.0 / 8.0; // lands exactly on every boundary of the envelope
    std::vector<float> gains(50 * 8);
    mix.fillGains(0.0, step, gains.data(), long(gains.size()));
    for (size_t i = 0; i < gains.size(); ++i)
        ASSERT_FLOAT_EQ(gains[i], mix.gainAt(double(i) * step)) << "at " << double(i) * step;

    // A run that starts in the middle of the envelope.
    std::vector<float> tail(4);
    mix.fillGains(39.25, 0.25, tail.data(), long(tail.size()));
    EXPECT_NEAR(tail[0], 0.375f, 1e-6);
    EXPECT_NEAR(tail[1], 0.25f, 1e-6);
    EXPECT_NEAR(tail[3], 0.0f, 1e-6);
}

TEST(AudioMix, LaterEntryWinsAtTheSameStartAndRampsWithoutLengthArePoints)
{
    AudioMix mix;
    mix.setVolume(0.2f, 5.0);
    mix.setVolumeRamp(0.6f, 0.6f, 5.0, 8.0);
    EXPECT_FLOAT_EQ(mix.gainAt(6.0), 0.6f);

    AudioMix backwards;
    backwards.setVolumeRamp(0.0f, 0.7f, 3.0, 2.0);
    EXPECT_FLOAT_EQ(backwards.gainAt(2.5), 1.0f);
    EXPECT_FLOAT_EQ(backwards.gainAt(3.0), 0.7f);
    ASSERT_EQ(backwards.entries().size(), 1u);
    EXPECT_FALSE(backwards.entries()[0].isRamp);
}

TEST(AudioMix, NeutralOnlyWhenEveryVolumeIsOne)
{
    AudioMix unity;
    unity.setVolumeRamp(1.0f, 1.0f, 0.0, 60.0);
    EXPECT_TRUE(unity.isNeutral());
    unity.setVolume(0.9f, 61.0);
    EXPECT_FALSE(unity.isNeutral());
}

} // namespace
} // namespace tarnik
