#include "App/InstanceChannel.h"

#include "Platform/Dispatch.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace tarnik {

namespace {
const QByteArray kMagic("tarnik-arguments-1\n");
constexpr int kMaxArguments = 256;
constexpr int kMaxArgumentLength = 64 * 1024;
constexpr qint64 kMaxMessage = qint64(kMaxArguments) * (kMaxArgumentLength * 4 + 1);
constexpr int kBacklog = 64;

// The file a socket name stands for, as QLocalSocket resolves it.
QString socketPath(const QString &name)
{
    return QDir::isAbsolutePath(name) ? name : QDir::tempPath() + QLatin1Char('/') + name;
}

// What the message in `buffer` says; no value for anything but a whole message of ours.
std::optional<QStringList> argumentsOf(const QByteArray &buffer)
{
    if (!buffer.startsWith(kMagic))
        return std::nullopt; // not ours
    QByteArray body = buffer.mid(kMagic.size());
    if (body.isEmpty())
        return QStringList();
    if (!body.endsWith('\0'))
        return std::nullopt; // cut short
    body.chop(1);
    const QList<QByteArray> parts = body.split('\0');
    if (parts.size() > kMaxArguments)
        return std::nullopt;
    QStringList arguments;
    for (const QByteArray &part : parts) {
        if (part.size() <= kMaxArgumentLength)
            arguments.append(QString::fromUtf8(part));
    }
    return arguments;
}
} // namespace

InstanceChannel::InstanceChannel(QString socketName, QObject *parent)
    : QObject(parent)
    , m_name(std::move(socketName))
{
}

InstanceChannel::~InstanceChannel()
{
    if (m_listener < 0)
        return;
    delete m_notifier;
    ::close(m_listener);
    ::unlink(QFile::encodeName(m_path).constData());
}

QString InstanceChannel::defaultSocketName()
{
    QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty())
        return QStringLiteral("tarnik");
    return runtime + QStringLiteral("/tarnik.socket");
}

bool InstanceChannel::listen()
{
    if (m_listener >= 0)
        return true;
    // Ask first: listening would replace the socket of a running instance.
    QLocalSocket probe;
    probe.connectToServer(m_name);
    if (probe.waitForConnected(500))
        return false;
    // A socket left by a crashed instance answers nobody: take it over. It
    // lives in the user's private runtime folder.
    QLocalServer::removeServer(m_name);

    const QString path = socketPath(m_name);
    const QByteArray native = QFile::encodeName(path);
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    if (native.size() >= qsizetype(sizeof address.sun_path))
        return false;
    std::memcpy(address.sun_path, native.constData(), size_t(native.size()));
    // Accepting is driven by the notifier; a non-blocking listener never stalls the GUI thread.
    const int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (listener < 0)
        return false;
    if (::bind(listener, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0
        || ::listen(listener, kBacklog) != 0) {
        ::close(listener);
        return false;
    }
    m_listener = listener;
    m_path = path;
    m_notifier = new QSocketNotifier(qintptr(listener), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &InstanceChannel::acceptPending);
    return true;
}

bool InstanceChannel::forward(const QStringList &arguments, const QString &socketName, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(socketName);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    // UTF-8 arguments, each ended by a zero byte (no argument holds one).
    QByteArray message = kMagic;
    for (const QString &argument : arguments.mid(0, kMaxArguments)) {
        message += argument.toUtf8();
        message += '\0';
    }
    socket.write(message);
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(timeoutMs);
    return true;
}

void InstanceChannel::acceptPending()
{
    for (;;) {
        const int descriptor = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (descriptor >= 0) {
            adopt(descriptor);
            continue;
        }
        if (errno == EINTR || errno == ECONNABORTED)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return;
        // Out of descriptors or memory: the waiting peer stays queued. Rest a moment rather
        // than spin on a listener that stays readable, and never give up the socket.
        m_notifier->setEnabled(false);
        Dispatch::mainAfter(kAcceptRetrySeconds, [self = QPointer<InstanceChannel>(this)] {
            if (self && self->m_notifier)
                self->m_notifier->setEnabled(true);
        });
        return;
    }
}

void InstanceChannel::adopt(int descriptor)
{
    m_connections.removeAll(nullptr);
    while (m_connections.size() >= kMaxConnections)
        drop(m_connections.takeFirst());

    auto *socket = new QLocalSocket(this);
    if (!socket->setSocketDescriptor(descriptor, QLocalSocket::ConnectedState, QIODevice::ReadWrite)) {
        ::close(descriptor);
        delete socket;
        return;
    }
    m_connections.append(socket);
    auto buffer = std::make_shared<QByteArray>();
    connect(socket, &QLocalSocket::readyRead, this, [this, socket, buffer] {
        buffer->append(socket->readAll());
        if (buffer->size() > kMaxMessage)
            drop(socket);
    });
    connect(socket, &QLocalSocket::disconnected, this, [this, socket, buffer] {
        buffer->append(socket->readAll());
        m_connections.removeAll(socket);
        socket->deleteLater();
        // An empty message is a probe that only checked whether this instance is alive.
        if (buffer->isEmpty() || buffer->size() > kMaxMessage)
            return;
        if (const std::optional<QStringList> arguments = argumentsOf(*buffer))
            Q_EMIT received(*arguments);
    });
    Dispatch::mainAfter(kConnectionLifetimeSeconds, [self = QPointer<InstanceChannel>(this), guard = QPointer(socket)] {
        if (self && guard)
            self->drop(guard);
    });
}

void InstanceChannel::drop(QLocalSocket *socket)
{
    if (!socket)
        return;
    m_connections.removeAll(socket);
    // Whatever it sent so far is no message.
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}

} // namespace tarnik
