#pragma once

#include "Entries/FileState.h"
#include "Platform/Media/MediaAsset.h"

#include <QString>
#include <optional>

namespace tarnik {

// The full FFmpeg answer about a file (exportable, its audio and video tracks, whether the
// audio-file service reads it), made once for each version of the file and kept with the state of
// the file it was made from, so that the row, the entry and whoever asks next share one probe.
//
// Process-wide and bounded (kMediaProbeCacheCountLimit files, the least recently asked for go
// first). Safe from any thread; a call for a version not yet probed blocks while FFmpeg reads it,
// so callers ask off the GUI thread where they can.
class MediaProbe
{
public:
    // The probe of path as it is now (one stat). A file that cannot be stat'ed is probed afresh and
    // nothing is kept.
    static MediaAsset of(const QString &path);
    // The probe of path in the version state names (a stat the caller already made). The answer is
    // kept under that state; an answer kept under another state is not used.
    static MediaAsset of(const QString &path, const std::optional<FileState> &state);

    // Forgets every answer (tests).
    static void clear();
};

inline constexpr qsizetype kMediaProbeCacheCountLimit = 20000;

} // namespace tarnik
