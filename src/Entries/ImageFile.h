#pragma once

#include <QImage>
#include <QSize>
#include <QString>

namespace tarnik::ImageFile {

// Decodes the picture in a regular file; a null image for anything else (a folder, FIFO, socket,
// device or a file on a kernel pseudo file system is never opened), for a file that is not a
// readable picture, is larger than kMaxBytes or has more than kMaxPixels pixels. The picture's
// orientation tag is applied.
//
// With a box, large pictures are decoded at reduced size (never below the box's size along the
// fitting side), which costs a fraction of a full decode; the caller still fits the result.
// Safe from any thread.
QImage read(const QString &path, QSize box = {});

// Decodes picture bytes (artwork held in a tag) the same way: with a box, a large picture is
// decoded at reduced size. A null image when the bytes are no readable picture.
QImage decode(const QByteArray &bytes, QSize box = {});

// Files above this size are not decoded as pictures.
inline constexpr qint64 kMaxBytes = qint64(256) * 1024 * 1024;

// Pictures with more pixels than this (the largest camera photographs have about as many) are not
// decoded: a few compressed bytes can claim 30000 x 30000 pixels, and decoding and scaling such a
// picture takes seconds and gigabytes whatever box it is read for.
inline constexpr qint64 kMaxPixels = 100'000'000;

} // namespace tarnik::ImageFile
