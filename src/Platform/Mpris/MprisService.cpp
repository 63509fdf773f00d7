#include "Platform/Mpris/MprisService.h"

#include "Platform/Mpris/MprisAdaptors.h"
#include "Platform/Mpris/NowPlayingInfoCenter.h"
#include "Platform/Mpris/RemoteCommandCenter.h"
#include "Platform/StandardFolders.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QFile>
#include <QImage>
#include <QSaveFile>
#include <QUrl>
#include <cmath>

namespace tarnik {

namespace {

const QString kRootInterface = QStringLiteral("org.mpris.MediaPlayer2");
const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString kNoTrack = QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack");

using Kind = RemoteCommandEvent::Kind;

qint64 secondsToUs(double seconds)
{
    if (!std::isfinite(seconds))
        return 0;
    return std::llround(seconds * 1'000'000.0);
}

} // namespace

const QString MprisService::serviceName = QStringLiteral("org.mpris.MediaPlayer2.tarnik");
const QString MprisService::objectPath = QStringLiteral("/org/mpris/MediaPlayer2");

MprisService::MprisService(RemoteCommandCenter &commands, NowPlayingInfoCenter &nowPlaying, QObject *parent)
    : QObject(parent)
    , m_commands(commands)
    , m_nowPlaying(nowPlaying)
{
    new MprisRootAdaptor(this);
    m_playerAdaptor = new MprisPlayerAdaptor(this);
    m_lastStatus = playbackStatus();
    updateMetadata();

    connect(&m_nowPlaying, &NowPlayingInfoCenter::nowPlayingInfoChanged, this, [this] {
        const QVariantMap before = m_metadata;
        updateMetadata();
        QVariantMap changed;
        if (m_metadata != before)
            changed.insert(QStringLiteral("Metadata"), m_metadata);
        changed.insert(QStringLiteral("Position"), positionUs());
        emitPropertiesChanged(kPlayerInterface, changed);
    });
    connect(&m_nowPlaying, &NowPlayingInfoCenter::playbackStateChanged, this, [this] {
        const QString status = playbackStatus();
        if (status == m_lastStatus)
            return;
        m_lastStatus = status;
        emitPropertiesChanged(kPlayerInterface,
            { { QStringLiteral("PlaybackStatus"), status }, { QStringLiteral("Position"), positionUs() } });
    });

    registerOnBus();
}

MprisService::~MprisService()
{
    if (!isRegistered())
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterObject(objectPath);
    bus.unregisterService(m_busName);
    if (!m_artworkPath.isEmpty())
        QFile::remove(m_artworkPath);
}

MprisService &MprisService::shared()
{
    static MprisService *service = new MprisService(RemoteCommandCenter::shared(), NowPlayingInfoCenter::shared());
    return *service;
}

void MprisService::registerOnBus()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        qWarning("Media controls are off: no session bus (%s)", qPrintable(bus.lastError().message()));
        return;
    }
    if (!bus.registerObject(objectPath, this, QDBusConnection::ExportAdaptors)) {
        qWarning(
            "Media controls are off: %s is taken (%s)", qPrintable(objectPath), qPrintable(bus.lastError().message()));
        return;
    }
    const QStringList names { serviceName,
        serviceName + QStringLiteral(".instance") + QString::number(QCoreApplication::applicationPid()) };
    for (const QString &name : names) {
        const auto reply = bus.interface()->registerService(
            name, QDBusConnectionInterface::DontQueueService, QDBusConnectionInterface::DontAllowReplacement);
        if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered) {
            m_busName = name;
            return;
        }
    }
    qWarning("Media controls are off: the bus name %s could not be had (%s)", qPrintable(serviceName),
        qPrintable(bus.lastError().message()));
    bus.unregisterObject(objectPath);
}

QString MprisService::playbackStatus() const
{
    switch (m_nowPlaying.playbackState()) {
    case NowPlayingInfoCenter::PlaybackState::playing:
        return QStringLiteral("Playing");
    case NowPlayingInfoCenter::PlaybackState::paused:
        return QStringLiteral("Paused");
    case NowPlayingInfoCenter::PlaybackState::unknown:
    case NowPlayingInfoCenter::PlaybackState::stopped:
        break;
    }
    return QStringLiteral("Stopped");
}

qint64 MprisService::positionUs() const
{
    return secondsToUs(m_nowPlaying.currentElapsedTime());
}

QString MprisService::trackId() const
{
    return m_metadata.value(QStringLiteral("mpris:trackid")).value<QDBusObjectPath>().path();
}

void MprisService::updateMetadata()
{
    const QVariantMap info = m_nowPlaying.nowPlayingInfo();
    QVariantMap metadata;
    if (const QVariant title = info.value(NowPlayingInfoCenter::mediaItemPropertyTitle); title.isValid())
        metadata.insert(QStringLiteral("xesam:title"), title.toString());
    if (const QVariant artist = info.value(NowPlayingInfoCenter::mediaItemPropertyArtist); artist.isValid())
        metadata.insert(QStringLiteral("xesam:artist"), QStringList { artist.toString() });
    if (const QVariant album = info.value(NowPlayingInfoCenter::mediaItemPropertyAlbumTitle); album.isValid())
        metadata.insert(QStringLiteral("xesam:album"), album.toString());
    if (const QVariant duration = info.value(NowPlayingInfoCenter::mediaItemPropertyPlaybackDuration);
        duration.isValid() && duration.toDouble() > 0) {
        metadata.insert(QStringLiteral("mpris:length"), secondsToUs(duration.toDouble()));
    }
    const QString artUrl = writeArtwork(info.value(NowPlayingInfoCenter::mediaItemPropertyArtwork));
    if (!artUrl.isEmpty())
        metadata.insert(QStringLiteral("mpris:artUrl"), artUrl);

    if (metadata.isEmpty()) {
        metadata.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(kNoTrack)));
        m_metadata = metadata;
        return;
    }
    // A new track identifier whenever what describes the track changes, so that a client's
    // SetPosition aimed at the previous track is recognised as stale.
    QVariantMap previous = m_metadata;
    previous.remove(QStringLiteral("mpris:trackid"));
    if (previous != metadata || trackId() == kNoTrack || trackId().isEmpty())
        ++m_trackNumber;
    metadata.insert(QStringLiteral("mpris:trackid"),
        QVariant::fromValue(QDBusObjectPath(QStringLiteral("/org/tarnik/track/") + QString::number(m_trackNumber))));
    m_metadata = metadata;
}

QString MprisService::writeArtwork(const QVariant &artwork)
{
    const QImage image = artwork.value<QImage>();
    if (image.isNull()) {
        m_artworkDigest.clear();
        if (!m_artworkPath.isEmpty())
            QFile::remove(std::exchange(m_artworkPath, QString()));
        return {};
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return {};
    const QByteArray digest = QCryptographicHash::hash(png, QCryptographicHash::Sha1).toHex();
    // The temporary folder may have been emptied since; write again when the file went.
    if (digest == m_artworkDigest && QFile::exists(m_artworkPath))
        return QUrl::fromLocalFile(m_artworkPath).toString();

    const QString path = StandardFolders::temporaryDirectory() + QStringLiteral("nowplaying-artwork-")
        + QString::fromLatin1(digest.left(16)) + QStringLiteral(".png");
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(png) != png.size() || !file.commit()) {
        qWarning("Could not write the now-playing artwork to %s", qPrintable(path));
        return {};
    }
    if (!m_artworkPath.isEmpty() && m_artworkPath != path)
        QFile::remove(m_artworkPath);
    m_artworkPath = path;
    m_artworkDigest = digest;
    return QUrl::fromLocalFile(path).toString();
}

void MprisService::emitPropertiesChanged(const QString &interface, const QVariantMap &changed)
{
    if (!isRegistered() || changed.isEmpty())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(
        objectPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("PropertiesChanged"));
    signal << interface << changed << QStringList();
    QDBusConnection::sessionBus().send(signal);
}

bool MprisService::canSend(int kind) const
{
    return m_commands.hasTargets(static_cast<Kind>(kind));
}

void MprisService::send(int kind, double positionTime)
{
    RemoteCommandEvent event;
    event.kind = static_cast<Kind>(kind);
    event.positionTime = positionTime;
    const auto status = m_commands.send(event);
    if (event.kind == Kind::changePlaybackPosition && status == RemoteCommandHandlerStatus::success)
        Q_EMIT m_playerAdaptor->Seeked(secondsToUs(positionTime));
}

void MprisService::seekBy(qint64 offsetUs)
{
    const qint64 target = positionUs() + offsetUs;
    const qint64 length = m_metadata.value(QStringLiteral("mpris:length")).toLongLong();
    if (length > 0 && target > length) {
        // Seeking past the end goes to the next track, as MPRIS asks.
        send(static_cast<int>(Kind::nextTrack));
        return;
    }
    send(static_cast<int>(Kind::changePlaybackPosition), static_cast<double>(std::max<qint64>(target, 0)) / 1e6);
}

void MprisService::setPosition(const QString &requestedTrackId, qint64 position)
{
    // Requests for another track than the one shown, or outside it, are ignored as MPRIS says.
    if (requestedTrackId != trackId() || position < 0)
        return;
    const qint64 length = m_metadata.value(QStringLiteral("mpris:length")).toLongLong();
    if (length > 0 && position > length)
        return;
    send(static_cast<int>(Kind::changePlaybackPosition), static_cast<double>(position) / 1e6);
}

// --- adaptors ---

MprisRootAdaptor::MprisRootAdaptor(MprisService *service)
    : QDBusAbstractAdaptor(service)
{
}

QString MprisRootAdaptor::identity() const
{
    const QString name = QCoreApplication::applicationName();
    return name.isEmpty() || name == QStringLiteral("tarnik") ? QStringLiteral("Tarnik") : name;
}

MprisPlayerAdaptor::MprisPlayerAdaptor(MprisService *service)
    : QDBusAbstractAdaptor(service)
    , m_service(service)
{
    // Properties change through MprisService's own PropertiesChanged signal.
    setAutoRelaySignals(false);
}

QString MprisPlayerAdaptor::playbackStatus() const
{
    return m_service->playbackStatus();
}

QVariantMap MprisPlayerAdaptor::metadata() const
{
    return m_service->metadata();
}

qlonglong MprisPlayerAdaptor::position() const
{
    return m_service->positionUs();
}

bool MprisPlayerAdaptor::canGoNext() const
{
    return m_service->canSend(static_cast<int>(Kind::nextTrack));
}

bool MprisPlayerAdaptor::canGoPrevious() const
{
    return m_service->canSend(static_cast<int>(Kind::previousTrack));
}

bool MprisPlayerAdaptor::canPlay() const
{
    return m_service->canSend(static_cast<int>(Kind::play));
}

bool MprisPlayerAdaptor::canPause() const
{
    return m_service->canSend(static_cast<int>(Kind::pause));
}

bool MprisPlayerAdaptor::canSeek() const
{
    return m_service->canSend(static_cast<int>(Kind::changePlaybackPosition));
}

void MprisPlayerAdaptor::Next()
{
    m_service->send(static_cast<int>(Kind::nextTrack));
}

void MprisPlayerAdaptor::Previous()
{
    m_service->send(static_cast<int>(Kind::previousTrack));
}

void MprisPlayerAdaptor::Pause()
{
    m_service->send(static_cast<int>(Kind::pause));
}

void MprisPlayerAdaptor::PlayPause()
{
    m_service->send(static_cast<int>(Kind::togglePlayPause));
}

void MprisPlayerAdaptor::Stop()
{
    // The app has no stopped state of its own; stopping holds the item where it is.
    m_service->send(static_cast<int>(Kind::pause));
}

void MprisPlayerAdaptor::Play()
{
    m_service->send(static_cast<int>(Kind::play));
}

void MprisPlayerAdaptor::Seek(qlonglong offset)
{
    m_service->seekBy(offset);
}

void MprisPlayerAdaptor::SetPosition(const QDBusObjectPath &trackId, qlonglong position)
{
    m_service->setPosition(trackId.path(), position);
}

void MprisPlayerAdaptor::OpenUri(const QString &uri)
{
    Q_UNUSED(uri)
}

} // namespace tarnik
