#include "ImportEditor/Image.h"

#include "ImportEditor/ImageDownloader.h"

namespace tarnik {

Image::Image(QString imgUrl_, QString thumbUrl_)
    : imgUrl(std::move(imgUrl_))
    , thumbUrl(std::move(thumbUrl_))
{
}

Image::~Image() = default;

QImage Image::lowResImage() const
{
    std::lock_guard lock(m_mutex);
    return m_lowResImage;
}

void Image::setLowResImage(const QImage &image)
{
    std::lock_guard lock(m_mutex);
    m_lowResImage = image;
}

QImage Image::highResImage() const
{
    std::lock_guard lock(m_mutex);
    return m_highResImage;
}

void Image::setHighResImage(const QImage &image)
{
    std::lock_guard lock(m_mutex);
    m_highResImage = image;
}

void Image::load(ImageType type, Completion completion)
{
    const std::optional<QUrl> url = ImageDownloader::downloadableUrl(type == ImageType::highRes ? imgUrl : thumbUrl);
    if (!url) {
        if (completion)
            completion(QImage());
        return;
    }
    std::weak_ptr<Image> weak = weak_from_this();
    ImageDownloader::shared().get(
        *url, [weak, type, completion = std::move(completion)](const QImage &image, bool receivedData) {
            if (receivedData) {
                if (const std::shared_ptr<Image> self = weak.lock()) {
                    if (type == ImageType::highRes)
                        self->setHighResImage(image);
                    else
                        self->setLowResImage(image);
                }
            }
            if (completion)
                completion(image);
        });
}

} // namespace tarnik
