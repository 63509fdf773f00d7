#pragma once

#include <QIcon>
#include <QImage>
#include <QString>

namespace tarnik::PlayerImages {

// The player's pictures: SVG drawings in the bundle's images folder
// ("play", "pause", "repeat", "repeatOne", "sliderThumb", "volumeThumb",
// "speakerSmall", "speakerLarge", "blank", "previous", "next", "close",
// "more"). A missing drawing gives a null icon or image.
QIcon icon(const QString &name);
QImage image(const QString &name, const QSize &size);
// The names above, for the bundle check.
QStringList names();

} // namespace tarnik::PlayerImages
