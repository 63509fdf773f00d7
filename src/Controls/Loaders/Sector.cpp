#include "Controls/Loaders/Sector.h"

#include <QWidget>
#include <algorithm>

namespace tarnik {

Sector::Sector(QObject *parent)
    : QObject(parent)
{
}

void Sector::setOpacity(double opacity)
{
    opacity = std::clamp(opacity, 0.0, 1.0);
    if (opacity == m_opacity)
        return;
    m_opacity = opacity;
    if (auto *view = qobject_cast<QWidget *>(parent()))
        view->update();
}

} // namespace tarnik
