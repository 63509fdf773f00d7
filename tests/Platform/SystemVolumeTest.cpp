#include "Platform/Audio/ApplicationOutputVolume.h"
#include "Platform/Audio/PulseSystemVolume.h"

#include <QSignalSpy>
#include <cmath>
#include <gtest/gtest.h>

using namespace tarnik;

namespace {

// Waits for the volume to report a value near the one expected.
bool waitForVolume(SystemVolume &volume, double expected)
{
    QSignalSpy spy(&volume, &SystemVolume::volumeChanged);
    for (int i = 0; i < 20 && std::abs(volume.volume() - expected) > 0.01; ++i)
        spy.wait(250);
    return std::abs(volume.volume() - expected) <= 0.01;
}

} // namespace

// The test runner's null-sink server: a second connection plays the desktop
// mixer, so the first must follow what it sets.
TEST(SystemVolume, PulseVolumeFollowsChangesMadeElsewhere)
{
    auto ours = PulseSystemVolume::connect(5.0);
    auto mixer = PulseSystemVolume::connect(5.0);
    if (!ours || !mixer)
        GTEST_SKIP() << "no PulseAudio server (scripts/test starts one)";
    EXPECT_TRUE(ours->isSystemWide());

    const double start = ours->volume() > 0.5 ? 0.3 : 0.7;
    mixer->setVolume(start);
    EXPECT_TRUE(waitForVolume(*ours, start));

    // Compared with what the mixer asked for, not with the mixer's own copy: that copy can still
    // be overwritten for a moment by a server snapshot taken before the change.
    QSignalSpy muted(ours.get(), &SystemVolume::mutedChanged);
    const bool wanted = !ours->isMuted();
    mixer->setMuted(wanted);
    ASSERT_TRUE(muted.wait(5000));
    EXPECT_EQ(ours->isMuted(), wanted);
    mixer->setMuted(false);

    // And the other way: what this app sets reaches the server.
    ours->setVolume(0.55);
    EXPECT_TRUE(waitForVolume(*mixer, 0.55));
}

TEST(SystemVolume, NoServerMeansNoPulseVolume)
{
    const QByteArray saved = qgetenv("PULSE_SERVER");
    qputenv("PULSE_SERVER", "unix:/nonexistent/tarnik-no-server");
    auto volume = PulseSystemVolume::connect(1.0);
    if (saved.isNull())
        qunsetenv("PULSE_SERVER");
    else
        qputenv("PULSE_SERVER", saved);
    EXPECT_EQ(volume, nullptr);
}

TEST(SystemVolume, ApplicationVolumeClampsAndReportsChanges)
{
    auto &app = ApplicationOutputVolume::shared();
    EXPECT_FALSE(app.isSystemWide());
    app.setVolume(0.5);
    QSignalSpy changed(&app, &SystemVolume::volumeChanged);
    app.setVolume(1.7);
    EXPECT_DOUBLE_EQ(app.volume(), 1.0);
    app.setVolume(std::nan(""));
    EXPECT_DOUBLE_EQ(app.volume(), 1.0);
    app.setVolume(-1.0);
    EXPECT_DOUBLE_EQ(app.volume(), 0.0);
    ASSERT_EQ(changed.count(), 2);
    EXPECT_DOUBLE_EQ(changed.at(1).at(0).toDouble(), 0.0);
    app.setVolume(1.0);
}
