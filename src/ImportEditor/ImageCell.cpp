#include "ImportEditor/ImageCell.h"

#include "Controls/ImageView.h"
#include "ImportEditor/ImageActivityIndicatorView.h"

#include <QResizeEvent>

namespace tarnik {

ImageCell::ImageCell(QWidget *parent)
    : CollectionViewCell(parent)
    , m_imageView(new ImageView(contentView()))
    , m_activityIndicator(new ImageActivityIndicatorView(contentView()))
{
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(0xee, 0xee, 0xee));
    setPalette(palette);
    m_imageView->setObjectName(QStringLiteral("ImageCellImage"));
    m_imageView->setContentMode(ImageView::ContentMode::scaleAspectFill);
    m_imageView->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_activityIndicator->setObjectName(QStringLiteral("ImageCellActivity"));
    m_activityIndicator->setVisible(false);
    setAccessibleName(QStringLiteral("Cover"));
}

void ImageCell::configure(const QImage &image)
{
    m_imageView->setImage(image);
}

void ImageCell::prepareForReuse()
{
    CollectionViewCell::prepareForReuse();
    m_represented = nullptr;
    m_imageView->setImage(QImage());
    m_activityIndicator->stopAnimating();
}

void ImageCell::resizeEvent(QResizeEvent *event)
{
    CollectionViewCell::resizeEvent(event);
    m_imageView->setGeometry(contentView()->rect());
    const QSize indicator = m_activityIndicator->size();
    m_activityIndicator->move((width() - indicator.width()) / 2, (height() - indicator.height()) / 2);
}

} // namespace tarnik
