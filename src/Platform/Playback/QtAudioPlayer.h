#pragma once

#include "Platform/Playback/AudioPlayer.h"

class QAudioOutput;
class QMediaPlayer;

namespace tarnik {

// The audio player on Qt Multimedia: a media player with an audio output of
// its own, so its volume never touches other players. GUI thread only.
class QtAudioPlayer : public AudioPlayer
{
    Q_OBJECT

public:
    explicit QtAudioPlayer(const QString &path, QObject *parent = nullptr);

    bool prepareToPlay() override;
    bool play() override;
    void pause() override;
    void stop() override;
    bool isPlaying() const override;
    float volume() const override;
    void setVolume(float volume) override;
    int numberOfLoops() const override { return m_loops; }
    void setNumberOfLoops(int loops) override;

    QMediaPlayer *mediaPlayer() const { return m_player; }

private:
    QMediaPlayer *m_player;
    QAudioOutput *m_output;
    int m_loops = 0;
    bool m_playing = false;
};

} // namespace tarnik
