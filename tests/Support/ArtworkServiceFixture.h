#pragma once

// A loopback stand-in for the web service's artwork search: the shared web
// client posts to it (TARNIK_SERVICE_URL points at it while the fixture
// lives), and it serves generated covers under /thumb/N and /full/N.
#include "App/UserManager.h"
#include "Support/LoopbackHttpServer.h"

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <memory>

namespace tarnik::testing {

class ArtworkServiceFixture
{
public:
    ArtworkServiceFixture()
    {
        server.listen();
        m_previousUrl = qgetenv("TARNIK_SERVICE_URL");
        qputenv("TARNIK_SERVICE_URL", server.url(QStringLiteral("/query")).toString().toUtf8());
        UserManager::Configuration configuration;
        configuration.timeoutMilliseconds = 5'000;
        configuration.isOnline = [](const QUrl &) { return true; };
        UserManager::setShared(std::make_shared<UserManager>(configuration));
    }
    ~ArtworkServiceFixture()
    {
        UserManager::setShared(nullptr);
        qputenv("TARNIK_SERVICE_URL", m_previousUrl);
    }

    // The reply object with `count` results whose pictures this server serves.
    QByteArray resultsReply(int count) const
    {
        QJsonArray results;
        for (int i = 0; i < count; ++i) {
            results.append(QJsonObject {
                { QStringLiteral("imgUrl"), server.url(QStringLiteral("/full/%1").arg(i)).toString() },
                { QStringLiteral("thumbUrl"), server.url(QStringLiteral("/thumb/%1").arg(i)).toString() },
            });
        }
        const QString payload = QString::fromUtf8(QJsonDocument(results).toJson(QJsonDocument::Compact));
        return QJsonDocument(QJsonObject { { QStringLiteral("reply"), payload } }).toJson(QJsonDocument::Compact);
    }

    // A cover: a colour field with a lighter square, so pictures differ.
    static QImage cover(int index, int side)
    {
        static const QColor colours[] = { QColor(0xc0, 0x39, 0x2b), QColor(0x27, 0xae, 0x60), QColor(0x29, 0x80, 0xb9),
            QColor(0x8e, 0x44, 0xad), QColor(0xf3, 0x9c, 0x12), QColor(0x16, 0xa0, 0x85) };
        QImage image(side, side, QImage::Format_RGB32);
        image.fill(colours[index % 6]);
        const int inset = side / 4;
        for (int y = inset; y < side - inset; ++y)
            for (int x = inset; x < side - inset; ++x)
                image.setPixelColor(x, y, colours[index % 6].lighter(150));
        return image;
    }
    static QByteArray png(const QImage &image)
    {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        return bytes;
    }

    // Answers a query with `count` results and serves their covers.
    void serveResults(int count, int thumbSide = 60, int fullSide = 300)
    {
        server.handler = [this, count, thumbSide, fullSide](const LoopbackHttpServer::Request &request) {
            LoopbackHttpServer::Response response;
            const QByteArray target = request.target;
            if (target.startsWith("/query")) {
                response.body = resultsReply(count);
            } else if (target.startsWith("/thumb/")) {
                response.body = png(cover(target.mid(7).toInt(), thumbSide));
            } else if (target.startsWith("/full/")) {
                response.body = png(cover(target.mid(6).toInt(), fullSide));
            } else {
                response.status = 404;
            }
            return response;
        };
    }

    LoopbackHttpServer server;

private:
    QByteArray m_previousUrl;
};

} // namespace tarnik::testing
