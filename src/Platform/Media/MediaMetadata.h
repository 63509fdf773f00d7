#pragma once

#include "Platform/Media/MetadataItem.h"

#include <QString>
#include <optional>
#include <vector>

namespace tarnik {

// The tag items of one media file, read with TagLib: every ID3v2 frame of an
// MPEG, WAVE or AIFF file, every iTunes atom of an MP4 file, the Vorbis
// comments and pictures of FLAC, Ogg Vorbis, Opus and Ogg FLAC files, the
// RIFF INFO fields of a WAVE file and the ID3v1 tag of an MP3 without ID3v2,
// in the order the tag holds them, each with its key space and common key.
// Other formats have no items here.
//
// On request the same read also gives the file's length where TagLib reads it
// exactly from the stream's headers (sample counts, a VBR header, an MP4
// sound track's header in a file without video), so a reader that wants tags
// and length opens the file once.
//
// Reading opens only regular files (see RegularFile) and never fails: a file
// without tags, damaged tags or no file at all give no items, and so does a
// file whose boxes send TagLib before the start or past what a position holds,
// or that makes it read more bytes than any tag needs (the read stops there).
// A plain value; read() may run on any thread and blocks while the tags are
// read, a bounded time.
class MediaMetadata
{
public:
    enum class ReadLength { no, yes };
    static MediaMetadata read(const QString &path);
    static MediaMetadata read(const QString &path, ReadLength readLength);

    MediaMetadata() = default;
    // Tags from elsewhere (a test, a cache), in file order.
    explicit MediaMetadata(std::vector<MetadataItem> items)
        : m_items(std::move(items))
    {
    }

    // Every item, in file order.
    const std::vector<MetadataItem> &items() const { return m_items; }

    // The items that have a common key, across all key spaces.
    std::vector<MetadataItem> commonMetadata() const;

    // The key spaces that hold at least one item, in the order they were read.
    std::vector<MetadataKeySpace> availableMetadataFormats() const;

    // The items of one key space, in file order.
    std::vector<MetadataItem> metadata(MetadataKeySpace keySpace) const;

    // The length in seconds when it was asked for and TagLib knows it exactly.
    std::optional<double> duration() const { return m_duration; }

private:
    std::vector<MetadataItem> m_items;
    std::optional<double> m_duration;
};

} // namespace tarnik
