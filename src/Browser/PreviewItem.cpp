#include "Browser/PreviewItem.h"

namespace tarnik {

PreviewItem::PreviewItem(const QUrl &url, const std::optional<QString> &title, QObject *parent)
    : QObject(parent)
    , m_url(url)
    , m_title(title)
{
}

} // namespace tarnik
