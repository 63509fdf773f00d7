#include "App/InstanceChannel.h"

#include <QLocalSocket>
#include <QStandardPaths>

namespace tarnik {

namespace {
const QByteArray kMagic("tarnik-arguments-1\n");
constexpr int kMaxArguments = 256;
constexpr int kMaxArgumentLength = 64 * 1024;
constexpr qint64 kMaxMessage = qint64(kMaxArguments) * (kMaxArgumentLength * 4 + 1);
} // namespace

InstanceChannel::InstanceChannel(QString socketName, QObject *parent)
    : QObject(parent)
    , m_name(std::move(socketName))
{
    connect(&m_server, &QLocalServer::newConnection, this, &InstanceChannel::accept);
}

InstanceChannel::~InstanceChannel() = default;

QString InstanceChannel::defaultSocketName()
{
    QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty())
        return QStringLiteral("tarnik");
    return runtime + QStringLiteral("/tarnik.socket");
}

bool InstanceChannel::listen()
{
    // Ask first: listening would replace the socket of a running instance.
    QLocalSocket probe;
    probe.connectToServer(m_name);
    if (probe.waitForConnected(500))
        return false;
    // A socket left by a crashed instance answers nobody: take it over. It
    // lives in the user's private runtime folder.
    QLocalServer::removeServer(m_name);
    return m_server.listen(m_name);
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

void InstanceChannel::accept()
{
    while (QLocalSocket *socket = m_server.nextPendingConnection()) {
        auto buffer = std::make_shared<QByteArray>();
        connect(socket, &QLocalSocket::readyRead, this, [socket, buffer] {
            buffer->append(socket->readAll());
            if (buffer->size() > kMaxMessage) {
                buffer->clear();
                socket->abort();
            }
        });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket, buffer] {
            buffer->append(socket->readAll());
            socket->deleteLater();
            if (buffer->size() > kMaxMessage)
                return;
            if (buffer->isEmpty()) {
                // A probe that only checked whether this instance is alive.
                return;
            }
            if (!buffer->startsWith(kMagic))
                return; // not ours
            QByteArray body = buffer->mid(kMagic.size());
            if (body.isEmpty()) {
                Q_EMIT received({});
                return;
            }
            if (!body.endsWith('\0'))
                return; // cut short
            body.chop(1);
            const QList<QByteArray> parts = body.split('\0');
            if (parts.size() > kMaxArguments)
                return;
            QStringList arguments;
            for (const QByteArray &part : parts) {
                if (part.size() <= kMaxArgumentLength)
                    arguments.append(QString::fromUtf8(part));
            }
            Q_EMIT received(arguments);
        });
    }
}

} // namespace tarnik
