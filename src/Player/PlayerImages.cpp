#include "Player/PlayerImages.h"

#include "Platform/Bundle.h"

#include <QHash>
#include <QPainter>
#include <QSvgRenderer>

namespace tarnik::PlayerImages {

namespace {
std::optional<QString> pathOf(const QString &name)
{
    return Bundle::main().pathForResource(name, QStringLiteral("svg"), QStringLiteral("images"));
}
} // namespace

QIcon icon(const QString &name)
{
    static QHash<QString, QIcon> cache;
    if (const auto found = cache.constFind(name); found != cache.constEnd())
        return *found;
    QIcon made;
    if (const auto path = pathOf(name))
        made = QIcon(*path);
    cache.insert(name, made);
    return made;
}

QImage image(const QString &name, const QSize &size)
{
    const auto path = pathOf(name);
    if (!path || size.isEmpty())
        return {};
    QSvgRenderer renderer(*path);
    if (!renderer.isValid())
        return {};
    QImage out(size, QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QPainter p(&out);
    renderer.render(&p);
    return out;
}

QStringList names()
{
    return { QStringLiteral("play"), QStringLiteral("pause"), QStringLiteral("repeat"), QStringLiteral("repeatOne"),
        QStringLiteral("sliderThumb"), QStringLiteral("volumeThumb"), QStringLiteral("speakerSmall"),
        QStringLiteral("speakerLarge"), QStringLiteral("blank"), QStringLiteral("previous"), QStringLiteral("next"),
        QStringLiteral("close"), QStringLiteral("more") };
}

} // namespace tarnik::PlayerImages
