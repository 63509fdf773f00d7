#include "App/InstanceChannel.h"

#include <QDataStream>
#include <QLocalSocket>
#include <QStandardPaths>

namespace tarnik {

namespace {
constexpr int kMaxArguments = 256;
constexpr int kMaxArgumentLength = 64 * 1024;
constexpr qint64 kMaxMessage = qint64(kMaxArguments) * kMaxArgumentLength * 2 + 1024;
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
    QByteArray message;
    QDataStream out(&message, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_0);
    out << arguments.mid(0, kMaxArguments);
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
            if (buffer->isEmpty() || buffer->size() > kMaxMessage)
                return;
            QDataStream in(buffer.get(), QIODevice::ReadOnly);
            in.setVersion(QDataStream::Qt_6_0);
            QStringList arguments;
            in >> arguments;
            if (in.status() != QDataStream::Ok || arguments.size() > kMaxArguments)
                return;
            QStringList kept;
            for (const QString &argument : std::as_const(arguments)) {
                if (argument.size() <= kMaxArgumentLength)
                    kept.append(argument);
            }
            Q_EMIT received(kept);
        });
    }
}

} // namespace tarnik
