#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QVideoSink;

namespace tarnik {

// The engine under a PlatformPlayer: one source at a time, times in microseconds. PlatformPlayer owns
// the player semantics (rate, item, observers, end of item); a backend only plays what it is told.
// The real one is QtPlaybackBackend; tests use FakePlaybackBackend. A backend lives on the GUI thread
// and emits its signals there.
class PlaybackBackend : public QObject
{
    Q_OBJECT
public:
    enum class Status { unknown, readyToPlay, failed };

    using Factory = std::function<std::unique_ptr<PlaybackBackend>()>;

    explicit PlaybackBackend(QObject *parent = nullptr)
        : QObject(parent)
    {
    }

    // Makes a backend with the installed factory: the Qt Multimedia backend unless a test installed another.
    static std::unique_ptr<PlaybackBackend> make();
    // Installs the factory make() uses; an empty factory restores the Qt Multimedia backend.
    static void setFactory(Factory factory);
    // Makes a backend for previews of a file's audio (DecodedAudioBackend), or what the installed
    // factory makes when a test installed one.
    static std::unique_ptr<PlaybackBackend> makeAudioPreview();

    // Loads the file at path (an empty path unloads). Loading is asynchronous: status() turns
    // readyToPlay or failed and statusChanged() follows. The playback position starts at 0, paused.
    virtual void setSource(const QString &path) = 0;
    virtual QString source() const = 0;
    virtual void play() = 0;
    virtual void pause() = 0;
    virtual bool isPlaying() const = 0;
    virtual void setPlaybackRate(double rate) = 0;
    virtual qint64 position() const = 0;
    // Moves to the position; seekFinished() follows once the move took effect.
    virtual void seek(qint64 positionUs) = 0;
    // 0 while unknown.
    virtual qint64 duration() const = 0;
    virtual Status status() const = 0;
    virtual QString errorString() const = 0;
    // Where video frames go; null detaches the video output.
    virtual void setVideoSink(QVideoSink *sink) = 0;
    // Plays [startUs, endUs) over and over: reaching endUs (or the end of the source) playback goes
    // on at startUs without a gap, until it is paused. A backend that cannot loop by itself ignores
    // it. The range is kept across seeks and sources until cleared.
    virtual void setLoopRange(qint64 startUs, qint64 endUs)
    {
        Q_UNUSED(startUs);
        Q_UNUSED(endUs);
    }
    virtual void clearLoopRange() { }

Q_SIGNALS:
    void positionChanged(qint64 positionUs);
    void durationChanged(qint64 durationUs);
    void statusChanged();
    void seekFinished();
    // Playback reached the end of the source and stopped there.
    void endOfMedia();
};

} // namespace tarnik
