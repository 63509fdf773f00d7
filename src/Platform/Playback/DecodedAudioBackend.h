#pragma once

#include "Platform/Playback/PlaybackBackend.h"

#include <QAudioFormat>
#include <QPointer>
#include <QTimer>
#include <deque>
#include <memory>
#include <vector>

class QAudioSink;
class QIODevice;

namespace tarnik {

class AudioDecoder;

// A PlaybackBackend for previews of a file's audio: our FFmpeg layer decodes
// it and the backend writes the samples to a QAudioSink of its own. A seek or a
// loop moves in the decoded stream, so no media pipeline is ever flushed while
// it plays (on GStreamer and PulseAudio such a flush may leave the stream
// silent for good, or skip ahead after a restart). With a loop range, playback
// goes on at the range's start the moment it reaches the range's end (or the
// end of the file), without a gap, until it is paused; an empty range plays
// silence at its start. Audio only: a video sink is ignored.
//
// The position is that of the sample being heard: what was written, less what
// the sink still holds. GUI thread only.
class DecodedAudioBackend final : public PlaybackBackend
{
    Q_OBJECT
public:
    explicit DecodedAudioBackend(QObject *parent = nullptr);
    ~DecodedAudioBackend() override;

    void setSource(const QString &path) override;
    QString source() const override { return m_source; }
    void play() override;
    void pause() override;
    bool isPlaying() const override { return m_playing; }
    // Previews play at their own speed; other rates are not offered.
    void setPlaybackRate(double) override { }
    qint64 position() const override;
    void seek(qint64 positionUs) override;
    qint64 duration() const override { return m_durationUs; }
    Status status() const override { return m_status; }
    QString errorString() const override { return m_errorString; }
    void setVideoSink(QVideoSink *) override { }
    void setLoopRange(qint64 startUs, qint64 endUs) override;
    void clearLoopRange() override;

    // 0 to 1, applied on top of the app's own output volume to what is written from then on (the
    // sink holds a few hundred milliseconds already written).
    void setVolume(float volume);
    float volume() const { return m_volume; }

private:
    // A run of written frames that came from consecutive frames of the source.
    struct Run
    {
        qint64 written; // index of its first frame in what the sink was given
        qint64 source; // the source frame it starts at
        qint64 frames;
    };

    void startSink();
    void stopSink();
    void feed();
    void applyVolume();
    qint64 playedFrames() const;
    qint64 heardFrame() const;
    qint64 framesOf(qint64 us) const;
    qint64 microsecondsOf(qint64 frames) const;
    bool hasLoop() const { return m_loopEndUs >= 0; }

    QString m_source;
    std::unique_ptr<AudioDecoder> m_decoder;
    QAudioFormat m_format;
    QPointer<QAudioSink> m_sink;
    QPointer<QIODevice> m_device;
    QTimer m_feedTimer;
    Status m_status = Status::unknown;
    QString m_errorString;
    qint64 m_durationUs = 0;
    bool m_playing = false;
    float m_volume = 1.0f;
    // What the samples are multiplied by: the volume and the app's own volume.
    float m_gain = 1.0f;
    qint64 m_loopStartUs = 0;
    qint64 m_loopEndUs = -1;

    // Where playback stands while the sink is not running, in source frames.
    qint64 m_restingFrame = 0;
    // The source frame the decoder gives next.
    qint64 m_decodeFrame = 0;
    qint64 m_written = 0;
    std::deque<Run> m_runs;
    // Decoded bytes the sink did not take yet.
    QByteArray m_unwritten;
    // The source ran out (no loop): playback ends once the sink has played what it holds.
    bool m_draining = false;
    quint64 m_sourceSerial = 0;
};

} // namespace tarnik
