#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

namespace tarnik {

// A simple player of one audio file with its own volume and a loop count,
// for previews that play beside the shared player. make() opens the file at
// once and fails when it holds no playable audio, with the reason in `error`.
// DecodedAudioPlayer plays it; tests install a factory that makes fakes.
// GUI thread only.
class AudioPlayer : public QObject
{
    Q_OBJECT

public:
    using Factory = std::function<std::unique_ptr<AudioPlayer>(const QString &path, QString *error)>;

    static std::unique_ptr<AudioPlayer> make(const QString &path, QString *error = nullptr);
    // Replaces what make() builds (tests); an empty factory restores the real one.
    static void setFactory(Factory factory);

    explicit AudioPlayer(QObject *parent = nullptr)
        : QObject(parent)
    {
    }

    virtual bool prepareToPlay() = 0;
    virtual bool play() = 0;
    virtual void pause() = 0;
    // Pauses and moves back to the start.
    virtual void stop() = 0;
    virtual bool isPlaying() const = 0;
    // 0 to 1.
    virtual float volume() const = 0;
    virtual void setVolume(float volume) = 0;
    // -1 loops until stopped; 0 plays once.
    virtual int numberOfLoops() const = 0;
    virtual void setNumberOfLoops(int loops) = 0;
};

} // namespace tarnik
