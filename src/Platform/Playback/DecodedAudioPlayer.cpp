#include "Platform/Playback/DecodedAudioPlayer.h"

#include "Platform/Media/MediaAsset.h"
#include "Platform/Playback/DecodedAudioBackend.h"

namespace tarnik {

namespace {

AudioPlayer::Factory &factorySlot()
{
    static AudioPlayer::Factory factory;
    return factory;
}

// Longer than any file: with it as the loop's end, the file's own end turns playback back.
constexpr qint64 kWholeFileUs = 1'000'000'000'000;

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
    return std::make_unique<DecodedAudioPlayer>(path);
}

void AudioPlayer::setFactory(Factory factory)
{
    factorySlot() = std::move(factory);
}

DecodedAudioPlayer::DecodedAudioPlayer(const QString &path, QObject *parent)
    : AudioPlayer(parent)
    , m_backend(new DecodedAudioBackend(this))
{
    m_backend->setSource(path);
    connect(m_backend, &PlaybackBackend::endOfMedia, this, [this] {
        if (m_loopsLeft <= 0)
            return;
        --m_loopsLeft;
        m_backend->seek(0);
        m_backend->play();
    });
}

DecodedAudioPlayer::~DecodedAudioPlayer() = default;

bool DecodedAudioPlayer::prepareToPlay()
{
    return m_backend->status() == PlaybackBackend::Status::readyToPlay;
}

bool DecodedAudioPlayer::play()
{
    if (m_backend->status() != PlaybackBackend::Status::readyToPlay)
        return false;
    if (!m_backend->isPlaying())
        m_loopsLeft = std::max(m_loops, 0);
    m_backend->play();
    return m_backend->isPlaying();
}

void DecodedAudioPlayer::pause()
{
    m_backend->pause();
}

void DecodedAudioPlayer::stop()
{
    m_backend->pause();
    m_backend->seek(0);
}

bool DecodedAudioPlayer::isPlaying() const
{
    return m_backend->isPlaying();
}

float DecodedAudioPlayer::volume() const
{
    return m_backend->volume();
}

void DecodedAudioPlayer::setVolume(float volume)
{
    m_backend->setVolume(volume);
}

void DecodedAudioPlayer::setNumberOfLoops(int loops)
{
    m_loops = loops;
    if (loops < 0)
        m_backend->setLoopRange(0, kWholeFileUs);
    else
        m_backend->clearLoopRange();
}

} // namespace tarnik
