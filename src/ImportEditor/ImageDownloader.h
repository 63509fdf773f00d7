#pragma once

#include <QByteArray>
#include <QImage>
#include <QObject>
#include <QUrl>
#include <functional>
#include <optional>

class QNetworkAccessManager;

namespace tarnik {

// Fetches the artwork search's pictures. Every download shares one network
// manager on the GUI thread; a body larger than the size cap is abandoned, a
// redirect is followed only to http or https (never to file: or another
// scheme, at most five times), and a transfer silent for the time-out fails.
// The picture is decoded off the GUI thread with an allocation limit, and a
// picture whose declared size exceeds the pixel cap is refused before decoding.
//
// get() may be called from any thread; the completion runs on a worker thread
// of the global pool with the decoded picture, or a null image when nothing
// usable arrived, plus whether any data arrived at all.
class ImageDownloader : public QObject
{
    Q_OBJECT
public:
    static constexpr qint64 kMaximumBytes = 20 * 1024 * 1024;
    static constexpr qint64 kMaximumPixels = 40'000'000;
    static constexpr int kAllocationLimitMegabytes = 256;

    using Completion = std::function<void(const QImage &image, bool receivedData)>;

    // The shared downloader, made on first use (thread-safe) and kept until
    // the application object goes.
    static ImageDownloader &shared();

    void get(const QUrl &url, Completion completion);

    int timeoutMilliseconds() const { return m_timeout; }
    void setTimeoutMilliseconds(int milliseconds) { m_timeout = milliseconds; }

    // Whether a text is an address this downloader fetches: an absolute http
    // or https URL with a host.
    static std::optional<QUrl> downloadableUrl(const QString &text);
    // Decodes picture bytes within the caps; a null image for anything else.
    static QImage decode(const QByteArray &data);

private:
    ImageDownloader();
    void start(const QUrl &url, Completion completion);

    QNetworkAccessManager *m_network;
    int m_timeout = 30'000;
};

} // namespace tarnik
