#pragma once

// Tags written into test files with TagLib, a tool independent of the reader
// under test (which reads through its own stream and stage logic).

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>

namespace tarnik::test::media {

// Track or disc number pair of an iTunes atom.
struct NumberPair
{
    int number = 0;
    int count = 0;
};

// A picture with its ID3 / FLAC picture type (3 is the front cover, 4 the back cover, 8 an
// artist photo).
struct TypedPicture
{
    QByteArray bytes;
    int type = 3;
};

// Sets iTunes atoms of an MP4 file. Keys are Latin-1 atom names ("\xA9pub",
// "desc", "trkn"); values are a QString, a QStringList, a QByteArray (cover
// art, for "covr") or a NumberPair (QVariant::fromValue). Replaces an atom of
// the same name.
bool writeMp4Atoms(const QString &path, const QList<QPair<QByteArray, QVariant>> &atoms);

// Appends ID3v2 frames to an MP3, WAVE (".wav") or AIFF (".aiff") file,
// creating the tag. Values are a QString
// (text, "COMM" and "USLT" frames too) or a QByteArray (an "APIC" front
// cover) or a TypedPicture (an "APIC" of that type). An MP3's tag is saved as
// ID3v2.4, or ID3v2.3 when id3Version is 3 (TagLib then writes a date as
// "TYER" and "TDAT").
bool writeId3Frames(const QString &path, const QList<QPair<QByteArray, QVariant>> &frames, int id3Version = 4);

// Adds pictures to a FLAC, Ogg Vorbis or Opus file (by extension: ".flac",
// ".ogg", ".opus"), after the ones it has.
bool addXiphPictures(const QString &path, const QList<TypedPicture> &pictures);

// Removes every tag TagLib knows from an MP3 or MP4 file.
bool stripTags(const QString &path);

// Removes only the ID3v2 tag of an MP3 file, leaving its ID3v1 tag.
bool stripId3v2(const QString &path);

} // namespace tarnik::test::media

Q_DECLARE_METATYPE(tarnik::test::media::NumberPair)
Q_DECLARE_METATYPE(tarnik::test::media::TypedPicture)
