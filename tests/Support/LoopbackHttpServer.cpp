#include "Support/LoopbackHttpServer.h"

#include <QTcpSocket>

namespace tarnik::testing {

LoopbackHttpServer::LoopbackHttpServer()
{
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            socket->setParent(this);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
}

bool LoopbackHttpServer::listen()
{
    return m_server.listen(QHostAddress::LocalHost);
}

QUrl LoopbackHttpServer::url(const QString &path) const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path));
}

void LoopbackHttpServer::serve(QTcpSocket *socket)
{
    // Wait for the whole request: the head, then Content-Length bytes of body.
    QByteArray buffer = socket->property("buffer").toByteArray() + socket->readAll();
    socket->setProperty("buffer", buffer);
    const qsizetype headEnd = buffer.indexOf("\r\n\r\n");
    if (headEnd < 0 || socket->property("served").toBool())
        return;
    Request request;
    const QList<QByteArray> lines = buffer.left(headEnd).split('\n');
    const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
    request.method = requestLine.value(0);
    request.target = requestLine.value(1);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines.at(i).indexOf(':');
        if (colon > 0)
            request.headers.insert(lines.at(i).left(colon).trimmed().toLower(), lines.at(i).mid(colon + 1).trimmed());
    }
    const qsizetype length = request.headers.value("content-length", "0").toLongLong();
    if (buffer.size() - (headEnd + 4) < length)
        return;
    request.body = buffer.mid(headEnd + 4, length);
    socket->setProperty("served", true);
    m_requests.append(request);

    const Response response = handler ? handler(request) : Response {};
    Q_EMIT requestReceived();
    if (response.silent)
        return;
    QByteArray reply = "HTTP/1.1 " + QByteArray::number(response.status) + " Status\r\n";
    for (const auto &[name, value] : response.headers)
        reply += name + ": " + value + "\r\n";
    const qint64 announced = response.declaredLength >= 0 ? response.declaredLength : response.body.size();
    reply += "Content-Length: " + QByteArray::number(announced) + "\r\nConnection: close\r\n\r\n";
    reply += response.body;
    socket->write(reply);
    socket->disconnectFromHost();
}

} // namespace tarnik::testing
