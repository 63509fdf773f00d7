#include "Platform/Playback/QtAudioPlayer.h"

#include "Platform/Media/MediaAsset.h"

#include <QAudioOutput>
#include <QMediaPlayer>
#include <QUrl>
#include <algorithm>
#include <cmath>

namespace tarnik {

namespace {
AudioPlayer::Factory &factorySlot()
{
    static AudioPlayer::Factory factory;
    return factory;
}
} // namespace

std::unique_ptr<AudioPlayer> AudioPlayer::make(const QString &path, QString *error)
{
    if (factorySlot())
        return factorySlot()(path, error);
    const MediaAsset asset(path);
    if (!asset.hasAudioTrack() || !asset.isExportable()) {
        if (error)
            *error = QStringLiteral("The file \"%1\" holds no playable audio.").arg(path);
        return nullptr;
    }
    return std::make_unique<QtAudioPlayer>(path);
}

void AudioPlayer::setFactory(Factory factory)
{
    factorySlot() = std::move(factory);
}

QtAudioPlayer::QtAudioPlayer(const QString &path, QObject *parent)
    : AudioPlayer(parent)
    , m_player(new QMediaPlayer(this))
    , m_output(new QAudioOutput(this))
{
    m_player->setAudioOutput(m_output);
    m_player->setSource(QUrl::fromLocalFile(path));
    connect(m_player, &QMediaPlayer::playbackStateChanged, this,
        [this](QMediaPlayer::PlaybackState state) { m_playing = state == QMediaPlayer::PlayingState; });
}

bool QtAudioPlayer::prepareToPlay()
{
    return m_player->error() == QMediaPlayer::NoError;
}

bool QtAudioPlayer::play()
{
    if (m_player->playbackState() == QMediaPlayer::StoppedState
        && m_player->mediaStatus() == QMediaPlayer::LoadedMedia) {
        // A source that stood loaded before it plays loses the start of its sound, as long as it
        // waited (see QtPlaybackBackend::play()): the preview was silent until toggled. Loaded
        // again at the moment it plays, it sounds from its start.
        const QUrl source = m_player->source();
        m_player->setSource(QUrl());
        m_player->setSource(source);
    }
    m_player->play();
    m_playing = m_player->error() == QMediaPlayer::NoError;
    return m_playing;
}

void QtAudioPlayer::pause()
{
    m_player->pause();
    m_playing = false;
}

void QtAudioPlayer::stop()
{
    m_player->stop();
    m_playing = false;
}

bool QtAudioPlayer::isPlaying() const
{
    return m_playing;
}

float QtAudioPlayer::volume() const
{
    return m_output->volume();
}

void QtAudioPlayer::setVolume(float volume)
{
    m_output->setVolume(std::isfinite(volume) ? std::clamp(volume, 0.0f, 1.0f) : 0.0f);
}

void QtAudioPlayer::setNumberOfLoops(int loops)
{
    m_loops = loops;
    m_player->setLoops(loops < 0 ? QMediaPlayer::Infinite : loops + 1);
}

} // namespace tarnik
