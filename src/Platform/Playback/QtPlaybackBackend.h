#pragma once

#include "Platform/Playback/PlaybackBackend.h"

#include <QPointer>
#include <QVideoSink>

class QAudioOutput;
class QMediaPlayer;

namespace tarnik {

// PlaybackBackend on Qt Multimedia: a QMediaPlayer with its QAudioOutput on the default device.
class QtPlaybackBackend final : public PlaybackBackend
{
    Q_OBJECT
public:
    explicit QtPlaybackBackend(QObject *parent = nullptr);
    ~QtPlaybackBackend() override;

    void setSource(const QString &path) override;
    QString source() const override { return m_source; }
    void play() override;
    void pause() override;
    bool isPlaying() const override;
    void setPlaybackRate(double rate) override;
    qint64 position() const override;
    void seek(qint64 positionUs) override;
    qint64 duration() const override;
    Status status() const override { return m_status; }
    QString errorString() const override;
    void setVideoSink(QVideoSink *sink) override;

private:
    void updateStatus();
    void reloadAfterEnd();
    void loadAgain();

    QMediaPlayer *m_player;
    QAudioOutput *m_audioOutput;
    QVideoSink *m_frames;
    QPointer<QVideoSink> m_output;
    QString m_source;
    Status m_status = Status::unknown;
    // A seek asked for before the source finished loading; applied once it is loaded.
    qint64 m_pendingSeek = -1;
    // A position asked for while the player stands loaded, or while it starts: taken once its
    // pipeline plays (see play()); position() reports it meanwhile.
    qint64 m_seekWhenPlaying = -1;
    // Counts sources, so that a seek report of an earlier source is dropped.
    quint64 m_sourceSerial = 0;
    // The source played to its end. Playing or moving it again loads it anew (see reloadAfterEnd()).
    bool m_ended = false;
    // That fresh load is under way: the item stays ready to play meanwhile, and keeps its duration.
    bool m_reloading = false;
    qint64 m_durationMs = 0;
};

} // namespace tarnik
