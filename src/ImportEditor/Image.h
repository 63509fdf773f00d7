#pragma once

#include <QImage>
#include <QString>
#include <functional>
#include <memory>
#include <mutex>

namespace tarnik {

enum class ImageType { lowRes, highRes };

// One artwork search result: the addresses of a thumbnail and of the full
// picture, and each picture once downloaded. Shared (std::shared_ptr) between
// the search and its grid; a download holds it weakly, so a result released
// meanwhile still gets its completion but stores nothing. The two pictures are
// written on a worker thread and read on the GUI thread, under a lock.
class Image : public std::enable_shared_from_this<Image>
{
public:
    // Receives the downloaded picture; a null image when there is none.
    using Completion = std::function<void(const QImage &image)>;

    Image(QString imgUrl, QString thumbUrl);
    virtual ~Image();

    const QString imgUrl;
    const QString thumbUrl;

    QImage lowResImage() const;
    void setLowResImage(const QImage &image);
    QImage highResImage() const;
    void setHighResImage(const QImage &image);

    // Downloads one of the two pictures (again, when it was downloaded
    // before). An address that is not an http or https URL completes at once,
    // on the caller's thread, with no picture and no request. Otherwise the
    // completion runs on a worker thread, never the GUI thread: with the
    // picture when data arrived (stored first in the matching field while the
    // result still exists; a body that is no picture stores and hands on a
    // null image), or with no picture and nothing stored when no data came.
    virtual void load(ImageType type, Completion completion);

private:
    mutable std::mutex m_mutex;
    QImage m_lowResImage;
    QImage m_highResImage;
};

} // namespace tarnik
