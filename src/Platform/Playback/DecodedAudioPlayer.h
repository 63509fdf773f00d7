#pragma once

#include "Platform/Playback/AudioPlayer.h"

namespace tarnik {

class DecodedAudioBackend;

// The audio player for previews: the file decoded by our FFmpeg layer and
// played on an audio output of its own (DecodedAudioBackend), so its volume
// never touches other players and its loops are gapless turns in the decoded
// stream rather than seeks of a media pipeline. GUI thread only.
class DecodedAudioPlayer : public AudioPlayer
{
    Q_OBJECT

public:
    explicit DecodedAudioPlayer(const QString &path, QObject *parent = nullptr);
    ~DecodedAudioPlayer() override;

    bool prepareToPlay() override;
    bool play() override;
    void pause() override;
    void stop() override;
    bool isPlaying() const override;
    float volume() const override;
    void setVolume(float volume) override;
    int numberOfLoops() const override { return m_loops; }
    void setNumberOfLoops(int loops) override;

    DecodedAudioBackend &backend() const { return *m_backend; }

private:
    DecodedAudioBackend *m_backend;
    int m_loops = 0;
    // Plays still to come after the current one, for a count of loops.
    int m_loopsLeft = 0;
};

} // namespace tarnik
