#include "Platform/Media/AudioMix.h"

#include <algorithm>

namespace tarnik {

namespace {

float valueOf(const AudioMix::Entry &entry, double seconds)
{
    if (!entry.isRamp || seconds >= entry.end)
        return entry.endVolume;
    const double position = (seconds - entry.start) / (entry.end - entry.start);
    return float(entry.startVolume + (double(entry.endVolume) - entry.startVolume) * position);
}

} // namespace

void AudioMix::setVolume(float volume, double seconds)
{
    add({ seconds, seconds, volume, volume, false });
}

void AudioMix::setVolumeRamp(float startVolume, float endVolume, double startSeconds, double endSeconds)
{
    if (!(endSeconds > startSeconds)) {
        setVolume(endVolume, startSeconds);
        return;
    }
    add({ startSeconds, endSeconds, startVolume, endVolume, true });
}

bool AudioMix::isNeutral() const
{
    return std::all_of(m_entries.begin(), m_entries.end(),
        [](const Entry &e) { return e.startVolume == 1.0f && e.endVolume == 1.0f; });
}

void AudioMix::add(const Entry &entry)
{
    m_entries.push_back(entry);
    const auto at = std::upper_bound(
        m_sorted.begin(), m_sorted.end(), entry, [](const Entry &a, const Entry &b) { return a.start < b.start; });
    m_sorted.insert(at, entry);
}

float AudioMix::gainAt(double seconds) const
{
    float gain = 1.0f;
    fillGains(seconds, 0.0, &gain, 1);
    return gain;
}

void AudioMix::fillGains(double startSeconds, double stepSeconds, float *gains, long count) const
{
    const std::vector<Entry> &entries = m_sorted;
    // `next` is the first entry that has not begun yet; the one before it rules.
    size_t next = 0;
    for (long i = 0; i < count; ++i) {
        const double t = startSeconds + double(i) * stepSeconds;
        while (next < entries.size() && entries[next].start <= t)
            ++next;
        gains[i] = next == 0 ? 1.0f : valueOf(entries[next - 1], t);
    }
}

} // namespace tarnik
