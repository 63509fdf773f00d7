#pragma once

#include <QString>

namespace tarnik {

// What a file's name and first bytes tell about it, without decoding anything: the listing's
// quick answer, so that a folder of songs lists without opening each one with FFmpeg.
//
// The answer is deliberately narrow. It says "audio" only for the audio-only containers whose
// signature is unmistakable and whose extension agrees with it (an MP3 starting with its ID3 tag
// or a frame header, FLAC, WAVE, AIFF, CAF, ADTS AAC, AMR, an M4A, an Ogg stream of Vorbis, Opus
// or FLAC), so the full probe almost always agrees with it; it says "empty" for a file with no
// bytes, which the probe never takes for media; and it says "unknown" for everything else, where
// only the probe can tell (videos, other containers, renamed or odd files). A file the quick answer
// calls audio may still turn out damaged when probed: the caller treats it as provisional.
//
// Reads at most one small block of a regular file (see RegularFile); safe on any thread.
class MediaSignature
{
public:
    enum class Guess { unknown, empty, audio };

    static Guess of(const QString &path);
};

} // namespace tarnik
