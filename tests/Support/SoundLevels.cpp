#include "SoundLevels.h"

#include <algorithm>
#include <cmath>

namespace tarnik::test {

double rms(const std::vector<float> &samples, int sampleRate, double from, double to)
{
    const auto first = size_t(std::max(0.0, from * sampleRate));
    const auto last = std::min(samples.size(), size_t(std::max(0.0, to * sampleRate)));
    if (last <= first)
        return 0.0;
    double sum = 0.0;
    for (size_t i = first; i < last; ++i)
        sum += double(samples[i]) * samples[i];
    return std::sqrt(sum / double(last - first));
}

} // namespace tarnik::test
