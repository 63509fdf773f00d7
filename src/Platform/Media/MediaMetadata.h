#pragma once

#include "Platform/Media/MetadataItem.h"

#include <QString>
#include <vector>

namespace tarnik {

// The tag items of one media file, read with TagLib: every ID3v2 frame of an
// MPEG, WAVE or AIFF file and every iTunes atom of an MP4 file, in the order
// the tag holds them, each with its key space and common key. Other formats
// (FLAC, Ogg, …) have no items here.
//
// Reading opens only regular files (see RegularFile) and never fails: a file
// without tags, damaged tags or no file at all give no items. A plain value;
// read() may run on any thread and blocks while the tags are read.
class MediaMetadata
{
public:
    static MediaMetadata read(const QString &path);

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

private:
    std::vector<MetadataItem> m_items;
};

} // namespace tarnik
