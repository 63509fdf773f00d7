#include "Browser/PreviewDataSource.h"

namespace tarnik {

PreviewDataSource::PreviewDataSource(std::shared_ptr<PreviewItem> previewItem, QObject *parent)
    : QObject(parent)
    , m_previewItem(std::move(previewItem))
{
}

} // namespace tarnik
