#pragma once

#include <QString>
#include <QtGlobal>
#include <memory>

namespace tarnik {

// The audio of a file decoded with FFmpeg, as interleaved 16-bit stereo at the
// file's own sample rate, read forward from any position. A seek is exact to
// the sample: the decoder starts at the packet before the position and drops
// what comes before it. For players that loop or move within a file without a
// media pipeline to flush.
//
// Not copyable. Any thread, one at a time.
class AudioDecoder
{
public:
    static constexpr int kChannels = 2;
    static constexpr int kBytesPerFrame = kChannels * int(sizeof(qint16));

    // Opens the file's first audio stream; isOpen() tells whether it decodes.
    explicit AudioDecoder(const QString &path);
    ~AudioDecoder();
    AudioDecoder(const AudioDecoder &) = delete;
    AudioDecoder &operator=(const AudioDecoder &) = delete;

    bool isOpen() const;
    int sampleRate() const;
    // The stream's or the container's duration; 0 when neither tells.
    qint64 durationUs() const;

    // The next read starts at positionUs (at least 0). False when the file
    // cannot be sought; reads then go on from where they were.
    bool seek(qint64 positionUs);
    // Decodes up to `frames` frames into `out` (frames × kChannels samples).
    // Fewer only at the end of the audio: 0 there, and on a read error.
    qint64 read(qint16 *out, qint64 frames);

private:
    struct State;
    bool decodeMore();

    std::unique_ptr<State> d;
};

} // namespace tarnik
