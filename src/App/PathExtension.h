#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <optional>

namespace tarnik {

// One path text and the small vocabulary the browser uses on it. A plain value,
// freely copied; nothing is cached and every answer is recomputed. Safe on any
// thread.
//
// The path-text operations never touch the file system. They follow the
// platform's path-string rules: "//" collapses to "/", a trailing "/" is
// dropped (except for the root itself), and the extension is what follows the
// last "." of the last component unless that "." starts the component
// (".profile" has no extension).
class PathExtension
{
public:
    PathExtension() = default;
    explicit PathExtension(QString path_)
        : path(std::move(path_))
    {
    }

    // ---- Path text -------------------------------------------------------

    // The extension without the dot, case kept: "/a/b.MP3" gives "MP3"; "" when
    // the last component has none.
    QString pathExtension() const;
    // The path without its extension and dot.
    QString deletingPathExtension() const;
    // The parent's path: "/a/b" gives "/a", "/a" gives "/", "b" gives "".
    QString deletingLastPathComponent() const;
    // The file name: "/a/b" gives "b"; "/" gives "/".
    QString lastPathComponent() const;
    // The path joined with one more component, one "/" between them.
    QString appendingPathComponent(const QString &component) const;
    // The path with "." and the extension appended; the path unchanged when the
    // extension cannot be one (empty or holding "/") or when the path has no
    // last component to carry it ("" or "/").
    QString appendingPathExtension(const QString &extension) const;

    // ---- Identifier and titles --------------------------------------------

    // The stable identifier of the path: its UTF-8 bytes in standard Base64, cut
    // to the last 96 characters, then "+" -> "-", "/" -> "_" and every "="
    // removed. Names cache files and keys the in-memory caches.
    QString identifier() const;
    // numberOfOccurrences() applied to the held path.
    int numberOfOccurrences(const QString &search) const;

    // The text percent-decoded, then every en dash and every "/" made "-". A
    // text with an invalid percent sequence (or whose decoded bytes are not
    // UTF-8) is returned unchanged.
    static QString normalizedTitle(const QString &text);

    struct ArtistAndTitle
    {
        QString title;
        QString artist;
    };
    // A file name of the form artist " - " title split at the first " - ":
    // the artist trimmed, the title the untrimmed rest. Without " - " the whole
    // (normalized) text is the title and the artist is empty.
    static ArtistAndTitle artistAndTitle(const QString &text);

    // ---- Questions about the file behind the path -------------------------
    // (implemented alongside the media probing, in PathExtensionFiles.cpp)
    // Each reads the file system or probes the file at the moment of the call
    // and caches nothing; only regular files are probed, anything else answers
    // false or nothing at once. The media questions block while the file's
    // headers are read.

    // An item exists at the path and is a directory, or a link ending in one.
    bool isDirectory() const;
    // The file is a media container with a decodable audio or video track.
    bool isExportable() const;
    bool hasAudioTrack() const;
    // Cover art does not count.
    bool hasVideoTrack() const;
    // The platform's audio-file service would open the file (MP3, M4A, ADTS,
    // WAVE, AIFF, CAF, AC-3, AMR, FLAC); see MediaAsset::audioFileFormat().
    bool isReadableAudioFile() const;
    // The type the extension maps to is an image type. Only the extension
    // decides; the file is not read.
    bool isImage() const;
    // The preferred type identifier (a MIME type name here) of the path's
    // extension; nothing when the extension maps to no known type.
    std::optional<QString> typeIdentifier() const;
    // The frame of the video at floor(min(duration, 20)) seconds.
    std::optional<QImage> videoThumbnail() const;
    // That frame as JPEG at quality 0.6.
    std::optional<QByteArray> videoThumbnailData() const;
    // The same bytes for a video's artwork; a failure goes to the debug log.
    std::optional<QByteArray> extractArtworkFromVideo() const;

    QString path;
};

} // namespace tarnik
