#pragma once

#include <QImage>
#include <QString>

namespace tarnik::EntryImages {

// The app's image assets by name, as the browser rows and the file-type table use them: vector
// drawings in share/tarnik/images/<name>.svg beside the executable's bin/ folder, rendered to
// square images of the asked size (at scale 1, so one point is one pixel).
//
// Rendered images are kept per name and size for the life of the process; the set is small
// (the icons of the file-type table and the row images). Safe from any thread.

// The file of the named asset; empty when there is none.
QString path(const QString &name);

// The named asset rendered at pixelSize x pixelSize; a null image when there is no such asset or
// it cannot be drawn.
QImage named(const QString &name, int pixelSize = 128);

} // namespace tarnik::EntryImages
