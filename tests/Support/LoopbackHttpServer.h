#pragma once

// A tiny HTTP/1.1 server on 127.0.0.1 for tests of web clients: it
// records each request and answers it with what the test's handler returns
// (or keeps the connection silent). One request per connection.
#include <QByteArray>
#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTcpServer>
#include <QUrl>
#include <functional>

namespace tarnik::testing {

class LoopbackHttpServer : public QObject
{
    Q_OBJECT

public:
    struct Request
    {
        QByteArray method;
        QByteArray target;
        QMap<QByteArray, QByteArray> headers; // names lower-cased
        QByteArray body;
    };
    struct Response
    {
        int status = 200;
        QByteArray body;
        QList<std::pair<QByteArray, QByteArray>> headers;
        // Keep the connection open and never answer.
        bool silent = false;
        // When set, the Content-Length announced instead of the body's own
        // (a longer one makes the server close mid-body).
        qint64 declaredLength = -1;
    };
    using Handler = std::function<Response(const Request &)>;

    LoopbackHttpServer();
    bool listen();
    QUrl url(const QString &path = QStringLiteral("/query")) const;

    Handler handler;
    const QList<Request> &requests() const { return m_requests; }

Q_SIGNALS:
    void requestReceived();

private:
    void serve(QTcpSocket *socket);

    QTcpServer m_server;
    QList<Request> m_requests;
};

} // namespace tarnik::testing
