#pragma once

#include <QString>
#include <QVariant>

namespace tarnik {

// The tag formats whose items the reader yields: ID3v2 frames (MP3, WAVE and
// AIFF files), the iTunes atoms of MP4 files (M4A, MP4, MOV), Vorbis comments
// and their pictures (FLAC, Ogg Vorbis, Opus, Ogg FLAC), the RIFF "LIST INFO"
// chunk of WAVE files and the ID3v1 tag of MP3 files that have no ID3v2 tag.
enum class MetadataKeySpace { id3, iTunes, other, vorbisComment, riffInfo, id3v1 };

// The keys shared by every tag format, as the platform names them. An item of
// either key space that carries one of these meanings has it as its common key.
namespace MetadataCommonKey {
inline const QString title = QStringLiteral("title");
inline const QString artist = QStringLiteral("artist");
inline const QString albumName = QStringLiteral("albumName");
inline const QString type = QStringLiteral("type"); // the genre
inline const QString creationDate = QStringLiteral("creationDate");
inline const QString artwork = QStringLiteral("artwork");
inline const QString creator = QStringLiteral("creator");
inline const QString publisher = QStringLiteral("publisher");
inline const QString author = QStringLiteral("author");
inline const QString description = QStringLiteral("description");
inline const QString copyrights = QStringLiteral("copyrights");
inline const QString language = QStringLiteral("language");
inline const QString software = QStringLiteral("software");
} // namespace MetadataCommonKey

// One tag item: where it comes from, its key, its common key and its value.
// A plain value; safe to copy between threads.
struct MetadataItem
{
    MetadataKeySpace keySpace = MetadataKeySpace::other;
    // The format's own key: an ID3 frame identifier as text ("TIT2"), or an
    // iTunes atom name as its four-character code in a quint32 (the title atom
    // is 0xA96E616D, U+00A9 "nam"); freeform iTunes items have a text key.
    // metadataKeyString() (App/Extensions.h) gives the text form ("@nam").
    QVariant key;
    // One of MetadataCommonKey, or empty.
    QString commonKey;
    // QString for texts, qint64 for numbers, QByteArray for pictures and
    // binary atoms ("trkn" is its 8 bytes: 2 reserved, the track number and the
    // count as 16-bit big-endian values, 2 reserved). Invalid: no value.
    QVariant value;
    // A picture the tag marks as the front cover (ID3 and FLAC picture type 3).
    bool isFrontCover = false;
};

} // namespace tarnik
