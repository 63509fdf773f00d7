#pragma once

#include "Platform/Playback/PlaybackBackend.h"

#include <QList>

namespace tarnik {

// A PlaybackBackend that plays nothing, for tests: the test says when a source has loaded, how long it
// is, and moves its clock; the backend reports as the real one would. Seeks finish on the next turn of
// the event loop, as they do with the real backend.
class FakePlaybackBackend final : public PlaybackBackend
{
    Q_OBJECT
public:
    explicit FakePlaybackBackend(QObject *parent = nullptr);

    void setSource(const QString &path) override;
    QString source() const override { return m_source; }
    void play() override;
    void pause() override;
    bool isPlaying() const override { return m_playing; }
    void setPlaybackRate(double rate) override { m_rate = rate; }
    qint64 position() const override { return m_position; }
    void seek(qint64 positionUs) override;
    qint64 duration() const override { return m_duration; }
    Status status() const override { return m_status; }
    QString errorString() const override { return m_errorString; }
    void setVideoSink(QVideoSink *sink) override { m_videoSink = sink; }
    void setLoopRange(qint64 startUs, qint64 endUs) override
    {
        m_loopStart = startUs;
        m_loopEnd = endUs;
    }
    void clearLoopRange() override { m_loopEnd = -1; }

    // Test controls.
    // Whether a new source loads at once (the default) or waits for finishLoading().
    void setLoadsImmediately(bool immediately) { m_loadsImmediately = immediately; }
    void setNextDuration(qint64 durationUs) { m_nextDuration = durationUs; }
    // Finishes loading the current source: ready with the duration set before, or failed.
    void finishLoading(bool ok = true);
    // Moves the clock by the given time while playing (at the rate set); stops at the end and reports
    // it, or with a loop range, goes on from the range's start past the range's end.
    void advance(qint64 elapsedUs);
    // Plays to the end of the source at once.
    void playToEnd();

    double playbackRate() const { return m_rate; }
    QVideoSink *videoSink() const { return m_videoSink; }
    // Every path given to setSource, in order.
    const QList<QString> &loadedSources() const { return m_loadedSources; }
    int playCount() const { return m_playCount; }
    int pauseCount() const { return m_pauseCount; }
    // The loop range set, in microseconds; an end of -1 when none is.
    qint64 loopStart() const { return m_loopStart; }
    qint64 loopEnd() const { return m_loopEnd; }

private:
    QString m_source;
    QList<QString> m_loadedSources;
    bool m_playing = false;
    bool m_loadsImmediately = true;
    double m_rate = 1.0;
    qint64 m_position = 0;
    qint64 m_duration = 0;
    qint64 m_nextDuration = 10'000'000;
    Status m_status = Status::unknown;
    QString m_errorString;
    QVideoSink *m_videoSink = nullptr;
    int m_playCount = 0;
    int m_pauseCount = 0;
    quint64 m_sourceSerial = 0;
    qint64 m_loopStart = 0;
    qint64 m_loopEnd = -1;
};

} // namespace tarnik
