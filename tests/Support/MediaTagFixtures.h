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

// Sets iTunes atoms of an MP4 file. Keys are Latin-1 atom names ("\xA9pub",
// "desc", "trkn"); values are a QString, a QStringList, a QByteArray (cover
// art, for "covr") or a NumberPair (QVariant::fromValue). Replaces an atom of
// the same name.
bool writeMp4Atoms(const QString &path, const QList<QPair<QByteArray, QVariant>> &atoms);

// Appends ID3v2 frames to an MP3, WAVE (".wav") or AIFF (".aiff") file,
// creating the tag. Values are a QString
// (text, "COMM" and "USLT" frames too) or a QByteArray (an "APIC" picture).
bool writeId3Frames(const QString &path, const QList<QPair<QByteArray, QVariant>> &frames);

// Removes every tag TagLib knows from an MP3 or MP4 file.
bool stripTags(const QString &path);

} // namespace tarnik::test::media

Q_DECLARE_METATYPE(tarnik::test::media::NumberPair)
