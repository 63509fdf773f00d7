#include "Platform/UI/AlertControllerAction.h"

namespace tarnik {

AlertControllerAction::AlertControllerAction(const QString &title, Style style, Handler handler, QObject *parent)
    : QObject(parent)
    , m_title(title)
    , m_style(style)
    , m_handler(std::move(handler))
{
}

void AlertControllerAction::setEnabled(bool enabled)
{
    m_enabled = enabled;
    Q_EMIT changed();
}

} // namespace tarnik
