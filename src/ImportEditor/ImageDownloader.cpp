#include "ImportEditor/ImageDownloader.h"

#include "Platform/Dispatch.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImageReader>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QThread>
#include <memory>
#include <mutex>

namespace tarnik {

ImageDownloader::ImageDownloader()
    : m_network(new QNetworkAccessManager(this))
{
}

ImageDownloader &ImageDownloader::shared()
{
    static std::once_flag once;
    static ImageDownloader *instance = nullptr;
    std::call_once(once, [] {
        instance = new ImageDownloader;
        if (QCoreApplication *app = QCoreApplication::instance()) {
            instance->moveToThread(app->thread());
            instance->setParent(app);
        }
    });
    return *instance;
}

std::optional<QUrl> ImageDownloader::downloadableUrl(const QString &text)
{
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty())
        return std::nullopt;
    const QString scheme = url.scheme().toLower();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        return std::nullopt;
    return url;
}

QImage ImageDownloader::decode(const QByteArray &data)
{
    if (data.isEmpty())
        return {};
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAllocationLimit(kAllocationLimitMegabytes);
    if (!reader.canRead())
        return {};
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * qint64(size.height()) > kMaximumPixels)
        return {};
    QImage image;
    if (!reader.read(&image))
        return {};
    return image;
}

void ImageDownloader::get(const QUrl &url, Completion completion)
{
    if (thread() == QThread::currentThread()) {
        start(url, std::move(completion));
        return;
    }
    Dispatch::main([this, url, completion = std::move(completion)]() mutable { start(url, std::move(completion)); });
}

void ImageDownloader::start(const QUrl &url, Completion completion)
{
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setMaximumRedirectsAllowed(5);
    request.setTransferTimeout(m_timeout);
    QNetworkReply *reply = m_network->get(request);
    reply->setParent(this);

    struct State
    {
        QByteArray body;
        bool tooLarge = false;
    };
    auto state = std::make_shared<State>();

    connect(reply, &QNetworkReply::redirected, reply, [reply](const QUrl &target) {
        if (downloadableUrl(target.toString()))
            Q_EMIT reply->redirectAllowed();
        else
            reply->abort();
    });
    connect(reply, &QNetworkReply::metaDataChanged, reply, [reply, state] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > kMaximumBytes) {
            state->tooLarge = true;
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::readyRead, reply, [reply, state] {
        if (state->tooLarge)
            return;
        state->body += reply->readAll();
        if (state->body.size() > kMaximumBytes) {
            state->tooLarge = true;
            state->body.clear();
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::finished, reply, [reply, state, completion = std::move(completion)]() mutable {
        if (!state->tooLarge)
            state->body += reply->readAll();
        // A transfer that broke off (refused, closed mid-body, timed out,
        // aborted) carries no usable data, whatever part of it arrived; an
        // HTTP error status still delivers its body, like any other reply.
        const int code = int(reply->error());
        const bool failed = (code > 0 && code < 200) || state->tooLarge;
        reply->deleteLater();
        QByteArray body = failed ? QByteArray() : std::move(state->body);
        Dispatch::global([body = std::move(body), completion = std::move(completion)] {
            const bool received = !body.isEmpty();
            completion(received ? decode(body) : QImage(), received);
        });
    });
}

} // namespace tarnik
