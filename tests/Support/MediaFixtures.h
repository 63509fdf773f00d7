#pragma once

// Media files for tests, made at test time with the `ffmpeg` command into a
// folder the test owns. Nothing here is stored in the repository.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <initializer_list>

namespace tarnik::test::media {

// Command-line arguments from plain UTF-8 literals, for the ffmpeg calls of the fixtures.
QStringList args(std::initializer_list<const char *> list);

// Runs `ffmpeg -hide_banner -loglevel error -nostdin -y ARGUMENTS` (an argument
// vector, never a shell) and reports whether it exited with 0.
bool runFfmpeg(const QStringList &arguments);

// `seconds` of a 440 Hz sine written to `path`; the container follows the
// extension, `extra` goes between the input and the output (codecs, tags).
bool makeTone(const QString &path, double seconds, const QStringList &extra = {});

// `seconds` of a small test-pattern video (with a silent audio track when
// `withAudio`) written to `path`, `extra` as above.
bool makeVideo(const QString &path, double seconds, bool withAudio, const QStringList &extra = {});

// A video whose frame at time t is uniformly grey with (studio-range) luma
// 16 + 10 * floor(t), t below 24 s, so a still's brightness tells its second.
bool makeCountingVideo(const QString &path, double seconds);

// A JPEG or PNG picture (format by extension) of width x height in one colour.
bool makePicture(const QString &path, int width, int height, const QString &colour = QStringLiteral("red"));

// An audio file with `picture` attached as cover art.
bool makeToneWithCover(const QString &path, const QString &picture, double seconds, const QStringList &extra = {});

// A real, valid PNG of side x side black one-bit pixels, a few hundred kilobytes for any side a
// test needs: a picture whose decoding costs far more than its file.
bool makeHugePng(const QString &path, int side);

// Writes bytes to a file; returns false when that fails.
bool writeFile(const QString &path, const QByteArray &bytes);
// The whole file's bytes; empty when it cannot be read.
QByteArray readFile(const QString &path);

// Deterministic pseudo-random bytes.
QByteArray noise(int length, quint32 seed = 1);

} // namespace tarnik::test::media
