#include "Platform/UI/TemplateImage.h"

#include <QPainter>

namespace tarnik {

QImage templateImage(const QImage &image, const QColor &tint)
{
    if (image.isNull())
        return image;
    QImage tinted = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&tinted);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(tinted.rect(), tint);
    return tinted;
}

} // namespace tarnik
