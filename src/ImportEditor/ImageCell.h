#pragma once

#include "Controls/ImageView.h"
#include "ImportEditor/ImageActivityIndicatorView.h"
#include "Platform/UI/CollectionViewCell.h"

#include <QImage>
#include <QPointer>

namespace tarnik {

class Image;

// One square of the artwork search's grid (reuse identifier "ImageCell"): the
// result's picture filling the cell and a busy indicator over it while the
// full picture downloads. The cell remembers which result it shows, so a
// thumbnail that arrives after the cell went to another result is dropped;
// reuse clears the picture and stops the indicator. GUI thread only.
class ImageCell : public CollectionViewCell
{
    Q_OBJECT
public:
    static inline const QString kReuseIdentifier = QStringLiteral("ImageCell");

    explicit ImageCell(QWidget *parent = nullptr);

    ImageView *imageView() const { return m_imageView; }
    ImageActivityIndicatorView *activityIndicator() const { return m_activityIndicator; }

    // Shows the picture (none: an empty cell).
    virtual void configure(const QImage &image);

    // The result the cell shows now; compared by identity only.
    const Image *representedResult() const { return m_represented; }
    void setRepresentedResult(const Image *result) { m_represented = result; }

    void prepareForReuse() override;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QPointer<ImageView> m_imageView;
    QPointer<ImageActivityIndicatorView> m_activityIndicator;
    const Image *m_represented = nullptr;
};

} // namespace tarnik
