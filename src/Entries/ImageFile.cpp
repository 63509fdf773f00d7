#include "Entries/ImageFile.h"

#include "Platform/Media/RegularFile.h"

#include <QBuffer>
#include <QImageReader>

namespace tarnik::ImageFile {

namespace {

// Below this many bytes a picture decodes at full size about as fast as at reduced size.
constexpr qsizetype kReducedDecodeBytes = 16 * 1024;
// Deflate packs at most about a thousand bytes into one, eight one-bit pixels to the byte, so
// below this many bytes no picture can exceed kMaxPixels and its header need not be asked.
constexpr qsizetype kSizeCheckBytes = 4 * 1024;

// The size a JPEG picture is decoded at on its way to `scaled`. Asked for a size, the reader decodes
// at the smallest eighth of the picture that covers it and scales the rest of the way; but at a
// half, a quarter or an eighth the library decodes far faster than at the other eighths (a 500 px
// cover for a 128 px box: at three eighths and scaled, about 30% longer than at a half and scaled).
// So when such a fraction of the whole picture still covers `scaled`, the picture is decoded at
// exactly that fraction and then scaled once, as the reader would.
QSize jpegDecodeSize(QSize full, QSize scaled)
{
    for (const int fraction : { 8, 4, 2 }) {
        if (full.width() % fraction == 0 && full.height() % fraction == 0 && full.width() / fraction >= scaled.width()
            && full.height() / fraction >= scaled.height())
            return full / fraction;
    }
    return scaled;
}

} // namespace

QImage read(const QString &path, QSize box)
{
    // Read through a descriptor that is known to be a regular file, so a path swapped for a FIFO
    // after a check can never block the reader.
    std::optional<QByteArray> bytes = RegularFile::readAll(path, kMaxBytes);
    if (!bytes || bytes->isEmpty())
        return {};
    return decode(*bytes, box);
}

QImage decode(const QByteArray &data, QSize box)
{
    QByteArray bytes = data;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    // Covers are nearly always JPEG or PNG: naming the format saves asking every image plugin.
    QByteArray format;
    if (bytes.startsWith("\xFF\xD8\xFF"))
        format = "jpeg";
    else if (bytes.startsWith("\x89PNG\r\n\x1A\n"))
        format = "png";
    QImageReader reader(&buffer, format);
    reader.setAutoTransform(true);
    // Reading the size costs a second pass over the header; only pictures big enough for it to
    // matter are asked, to refuse an enormous picture or to decode a large one at reduced size.
    if (bytes.size() > kSizeCheckBytes) {
        const QSize full = reader.size();
        if (full.isValid() && qint64(full.width()) * full.height() > kMaxPixels)
            return {};
        if (box.isValid() && !box.isEmpty() && bytes.size() > kReducedDecodeBytes && full.isValid() && !full.isEmpty()
            && (full.width() > box.width() || full.height() > box.height())) {
            // Keep the aspect ratio and stay at least as large as the box along the side that fits.
            const QSize scaled = full.scaled(box, Qt::KeepAspectRatio);
            if (!scaled.isEmpty() && reader.transformation() == QImageIOHandler::TransformationNone) {
                const QSize decoded = format == "jpeg" ? jpegDecodeSize(full, scaled) : scaled;
                reader.setScaledSize(decoded);
                if (decoded != scaled) {
                    // The one scale the reader would have made after its own decode, from a larger start.
                    const QImage image = reader.read();
                    return image.isNull() ? image : image.scaled(scaled, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
                }
            }
        }
    }
    return reader.read();
}

} // namespace tarnik::ImageFile
