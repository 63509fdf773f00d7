#pragma once

namespace tarnik {

// A player counts as playing exactly at the normal rate: paused (0), slowed
// (0.5) and fast (2.0) players all read as not playing, as the platform's
// player answers.
constexpr bool isPlayingAtRate(double rate)
{
    return rate == 1.0;
}

} // namespace tarnik
