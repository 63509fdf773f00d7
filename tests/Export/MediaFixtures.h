#pragma once

// Media made and measured with the ffmpeg and ffprobe commands, so every
// check of an export is made by tools independent of the code under test.

#include "Support/SoundLevels.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <vector>

namespace tarnik::test {

// Runs ffmpeg with the given arguments (after "-y -v error -nostdin"); true on success.
bool runFfmpeg(const QStringList &arguments);

// A stereo (or `channels`) sine of constant amplitude `amplitude` (0..1) at 440 Hz.
// The extension of `path` picks the container; `codecArguments` are put before the output.
bool makeTone(const QString &path, double seconds, int sampleRate = 44100, int channels = 2, double amplitude = 0.5,
    const QStringList &codecArguments = {});

// ffprobe's JSON (-show_format -show_streams) of a file; empty when ffprobe fails.
QJsonObject probe(const QString &path);

// The first audio stream of a probe, or an empty object.
QJsonObject firstAudioStream(const QJsonObject &probed);

// The first channel of a file decoded to 32-bit floats at `sampleRate`.
std::vector<float> decodeFirstChannel(const QString &path, int sampleRate = 44100);

// MD5 of every packet of the first audio stream, as ffmpeg's framemd5 lists them.
QStringList packetHashes(const QString &path);

// The names of the entries of a folder, hidden ones included.
QStringList folderEntries(const QString &folder);

} // namespace tarnik::test
