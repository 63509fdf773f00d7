#include "Platform/Playback/QtPlaybackBackend.h"

#include "Platform/Audio/ApplicationOutputVolume.h"
#include "Platform/Playback/DecodedAudioBackend.h"

#include <QAudioOutput>
#include <QMediaPlayer>
#include <QTimer>
#include <QUrl>
#include <QVideoFrame>
#include <QVideoSink>

namespace tarnik {

namespace {

PlaybackBackend::Factory &installedFactory()
{
    static PlaybackBackend::Factory factory;
    return factory;
}

} // namespace

std::unique_ptr<PlaybackBackend> PlaybackBackend::make()
{
    if (const auto &factory = installedFactory())
        return factory();
    return std::make_unique<QtPlaybackBackend>();
}

void PlaybackBackend::setFactory(Factory factory)
{
    installedFactory() = std::move(factory);
}

std::unique_ptr<PlaybackBackend> PlaybackBackend::makeAudioPreview()
{
    if (const auto &factory = installedFactory())
        return factory();
    return std::make_unique<DecodedAudioBackend>();
}

QtPlaybackBackend::QtPlaybackBackend(QObject *parent)
    : PlaybackBackend(parent)
    , m_player(new QMediaPlayer(this))
    , m_audioOutput(new QAudioOutput(this))
    , m_frames(new QVideoSink(this))
{
    m_player->setAudioOutput(m_audioOutput);
    // The app's own volume is what the volume slider moves when no sound server answers.
    auto &appVolume = ApplicationOutputVolume::shared();
    m_audioOutput->setVolume(float(appVolume.volume()));
    m_audioOutput->setMuted(appVolume.isMuted());
    connect(&appVolume, &SystemVolume::volumeChanged, m_audioOutput,
        [this](double volume) { m_audioOutput->setVolume(float(volume)); });
    connect(&appVolume, &SystemVolume::mutedChanged, m_audioOutput, &QAudioOutput::setMuted);
    // The player keeps one video sink for its life and frames are handed on from it: a running
    // pipeline does not bring a sink that was unlinked and linked again back to life.
    m_player->setVideoSink(m_frames);
    connect(m_frames, &QVideoSink::videoFrameChanged, this, [this](const QVideoFrame &frame) {
        if (m_output)
            m_output->setVideoFrame(frame);
    });
    connect(m_player, &QMediaPlayer::positionChanged, this, [this](qint64 positionMs) {
        // Until a start's position is taken, the pipeline reports where it starts from.
        Q_EMIT positionChanged(m_seekWhenPlaying >= 0 ? m_seekWhenPlaying : positionMs * 1000);
    });
    connect(m_player, &QMediaPlayer::durationChanged, this, [this](qint64 durationMs) {
        // The same source loading again has the length it had.
        if (m_reloading && durationMs == 0)
            return;
        m_durationMs = durationMs;
        Q_EMIT durationChanged(durationMs * 1000);
    });
    connect(m_player, &QMediaPlayer::mediaStatusChanged, this, [this](QMediaPlayer::MediaStatus status) {
        updateStatus();
        // The pipeline plays: the position asked for before is taken now (see play()).
        if (status == QMediaPlayer::BufferedMedia && m_seekWhenPlaying >= 0
            && m_player->playbackState() == QMediaPlayer::PlayingState)
            m_player->setPosition(std::exchange(m_seekWhenPlaying, -1) / 1000);
        if (status == QMediaPlayer::EndOfMedia) {
            m_ended = true;
            Q_EMIT endOfMedia();
        }
    });
    connect(m_player, &QMediaPlayer::errorOccurred, this, [this] { updateStatus(); });
}

QtPlaybackBackend::~QtPlaybackBackend()
{
    m_player->stop();
}

void QtPlaybackBackend::setSource(const QString &path)
{
    m_source = path;
    m_pendingSeek = -1;
    m_seekWhenPlaying = -1;
    m_ended = false;
    m_reloading = false;
    ++m_sourceSerial;
    m_player->setSource(path.isEmpty() ? QUrl() : QUrl::fromLocalFile(path));
    updateStatus();
}

void QtPlaybackBackend::play()
{
    reloadAfterEnd();
    if (m_player->playbackState() == QMediaPlayer::StoppedState && m_status == Status::readyToPlay
        && !m_reloading) {
        // With Qt 6.4 on GStreamer and PulseAudio, a source that stood loaded before its first play
        // loses the start of its sound: the sink's clock ran while the pipeline waited, so about as
        // much sound as the wait lasted is dropped as late, and a position set meanwhile counts for
        // the reports but not for the sound (a looping preview played silence, or the file's start
        // instead of its range). A source loaded at the moment it plays has neither fault, so it is
        // loaded again here, and the position it stood at is taken once its pipeline plays.
        const qint64 target = position();
        loadAgain();
        if (target > 0)
            m_seekWhenPlaying = target;
    }
    m_player->play();
}

void QtPlaybackBackend::pause()
{
    // Only playback is paused. A stopped player (loaded, or at the end) stays as it is: at the end
    // QMediaPlayer::pause() would rewind and flush the drained pipeline.
    if (m_player->playbackState() != QMediaPlayer::PlayingState)
        return;
    m_player->pause();
    // Paused before its pipeline played: the position is taken by the paused pipeline instead.
    if (m_seekWhenPlaying >= 0 && m_status == Status::readyToPlay && !m_reloading)
        m_player->setPosition(std::exchange(m_seekWhenPlaying, -1) / 1000);
}

void QtPlaybackBackend::reloadAfterEnd()
{
    // With Qt 6.4 on GStreamer, starting a pipeline again after it played to its end (whether by
    // play(), or by a seek followed by play()) sometimes leaves the PulseAudio sink, which drained,
    // corked and flushed its stream at the end, waiting for room that never comes: playback stops
    // a few hundred milliseconds in and the end is never reached. It happens when the sound server
    // is busy. A source loaded anew gets a new audio stream and does not have this, so the item is
    // loaded again before it plays or moves after its end.
    if (!m_ended)
        return;
    m_ended = false;
    loadAgain();
}

void QtPlaybackBackend::loadAgain()
{
    m_reloading = true;
    // The player ignores the same source set again; unload it first.
    m_player->setSource(QUrl());
    m_player->setSource(QUrl::fromLocalFile(m_source));
}

bool QtPlaybackBackend::isPlaying() const
{
    return m_player->playbackState() == QMediaPlayer::PlayingState;
}

void QtPlaybackBackend::setPlaybackRate(double rate)
{
    m_player->setPlaybackRate(rate);
}

qint64 QtPlaybackBackend::position() const
{
    if (m_pendingSeek >= 0)
        return m_pendingSeek;
    if (m_seekWhenPlaying >= 0)
        return m_seekWhenPlaying;
    return m_player->position() * 1000;
}

void QtPlaybackBackend::seek(qint64 positionUs)
{
    reloadAfterEnd();
    if (m_status != Status::readyToPlay || m_reloading) {
        // The player drops positions set while it loads; keep it for when the source is ready.
        // A newer target replaces one still waiting, and the replaced seek is over: each seek
        // asked for is reported finished once, or its caller waits for it for ever.
        const bool replaced = m_pendingSeek >= 0;
        m_pendingSeek = positionUs;
        if (replaced) {
            QTimer::singleShot(0, this, [this, serial = m_sourceSerial] {
                if (serial == m_sourceSerial)
                    Q_EMIT seekFinished();
            });
        }
        return;
    }
    const QMediaPlayer::PlaybackState state = m_player->playbackState();
    if (m_seekWhenPlaying >= 0 || state == QMediaPlayer::StoppedState
        || (state == QMediaPlayer::PlayingState && m_player->mediaStatus() != QMediaPlayer::BufferedMedia)) {
        // Not yet for the pipeline (stopped, or starting): it is taken once the pipeline plays, as a
        // position set before is not taken for the sound (see play()).
        m_seekWhenPlaying = positionUs;
    } else {
        m_player->setPosition(positionUs / 1000);
    }
    // The move has been handed to the pipeline; report it once the current event has been handled so
    // that a completion never runs inside its caller.
    QTimer::singleShot(0, this, [this, serial = m_sourceSerial] {
        if (serial == m_sourceSerial)
            Q_EMIT seekFinished();
    });
}

qint64 QtPlaybackBackend::duration() const
{
    return m_durationMs * 1000;
}

QString QtPlaybackBackend::errorString() const
{
    return m_player->errorString();
}

void QtPlaybackBackend::setVideoSink(QVideoSink *sink)
{
    m_output = sink;
    // Show the picture the player is at right away, as a paused video would.
    if (sink && m_frames->videoFrame().isValid())
        sink->setVideoFrame(m_frames->videoFrame());
}

void QtPlaybackBackend::updateStatus()
{
    Status status = Status::unknown;
    if (m_player->error() != QMediaPlayer::NoError) {
        status = Status::failed;
    } else {
        switch (m_player->mediaStatus()) {
        case QMediaPlayer::NoMedia:
        case QMediaPlayer::LoadingMedia:
            status = Status::unknown;
            break;
        case QMediaPlayer::InvalidMedia:
            status = Status::failed;
            break;
        case QMediaPlayer::LoadedMedia:
        case QMediaPlayer::StalledMedia:
        case QMediaPlayer::BufferingMedia:
        case QMediaPlayer::BufferedMedia:
        case QMediaPlayer::EndOfMedia:
            status = Status::readyToPlay;
            break;
        }
    }
    if (m_reloading) {
        // Loading the ended source again: it stays ready to play unless the load fails.
        if (status == Status::unknown)
            return;
        m_reloading = false;
        if (status == Status::readyToPlay) {
            if (m_pendingSeek >= 0)
                seek(std::exchange(m_pendingSeek, -1));
            return;
        }
    }
    if (status == m_status)
        return;
    m_status = status;
    if (m_status == Status::readyToPlay && m_pendingSeek >= 0) {
        const qint64 target = std::exchange(m_pendingSeek, -1);
        seek(target);
    } else if (m_status == Status::failed && m_pendingSeek >= 0) {
        m_pendingSeek = -1;
        Q_EMIT seekFinished();
    }
    Q_EMIT statusChanged();
}

} // namespace tarnik
