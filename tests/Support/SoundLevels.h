#pragma once

// Levels of decoded sound, measured the same way by every suite that checks
// what an export or an import did to the audio.

#include <vector>

namespace tarnik::test {

// Root mean square of samples [from, to) seconds.
double rms(const std::vector<float> &samples, int sampleRate, double from, double to);

} // namespace tarnik::test
