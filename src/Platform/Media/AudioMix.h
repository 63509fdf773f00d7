#pragma once

#include <vector>

namespace tarnik {

// The gain envelope of one audio track during an export: volume points and
// linear volume ramps placed in source time (seconds). Before the first point
// or ramp the gain is 1.0; inside a ramp it moves linearly from its start
// volume to its end volume; after a point or a ramp its last volume holds
// until the next one begins. When two entries begin at the same time, the one
// added later wins.
//
// A plain value with no thread affinity; the export reads it on its worker
// thread from its own copy.
class AudioMix
{
public:
    struct Entry
    {
        double start = 0.0; // seconds
        double end = 0.0; // equal to start for a point
        float startVolume = 1.0f;
        float endVolume = 1.0f;
        bool isRamp = false;

        bool operator==(const Entry &) const = default;
    };

    // The volume from `seconds` on.
    void setVolume(float volume, double seconds);

    // A linear ramp over [startSeconds, endSeconds]. A ramp whose end is not
    // after its start has no length: it acts as a point of its end volume.
    void setVolumeRamp(float startVolume, float endVolume, double startSeconds, double endSeconds);

    // The entries in the order they were added.
    const std::vector<Entry> &entries() const { return m_entries; }
    bool isEmpty() const { return m_entries.empty(); }

    // Whether the gain is 1.0 at every time, so applying the mix changes nothing.
    bool isNeutral() const;

    float gainAt(double seconds) const;

    // gains[i] = gainAt(startSeconds + i * stepSeconds) for i in [0, count), in
    // one pass over the entries (stepSeconds must not be negative).
    void fillGains(double startSeconds, double stepSeconds, float *gains, long count) const;

    bool operator==(const AudioMix &) const = default;

private:
    void add(const Entry &entry);

    std::vector<Entry> m_entries;
    // The same entries sorted by start, later additions after earlier ones of equal start.
    std::vector<Entry> m_sorted;
};

} // namespace tarnik
