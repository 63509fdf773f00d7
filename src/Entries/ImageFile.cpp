#include "Entries/ImageFile.h"

#include "Platform/Media/RegularFile.h"

#include <QBuffer>
#include <QImageReader>

namespace tarnik::ImageFile {

QImage read(const QString &path, QSize box)
{
    // Read through a descriptor that is known to be a regular file, so a path swapped for a FIFO
    // after a check can never block the reader.
    std::optional<QByteArray> bytes = RegularFile::readAll(path, kMaxBytes);
    if (!bytes || bytes->isEmpty())
        return {};

    QBuffer buffer(&*bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    if (box.isValid() && !box.isEmpty()) {
        const QSize full = reader.size();
        if (full.isValid() && !full.isEmpty() && (full.width() > box.width() || full.height() > box.height())) {
            // Keep the aspect ratio and stay at least as large as the box along the side that fits.
            const QSize scaled = full.scaled(box, Qt::KeepAspectRatio);
            if (!scaled.isEmpty() && reader.transformation() == QImageIOHandler::TransformationNone)
                reader.setScaledSize(scaled);
        }
    }
    return reader.read();
}

} // namespace tarnik::ImageFile
