#pragma once

#include "Browser/PreviewItem.h"
#include "Platform/UI/PreviewController.h"

#include <QObject>
#include <memory>

namespace tarnik {

// Hands a single item to the document preview, whatever index it asks for. The preview holds its
// data source weakly, so the screen that opens the preview keeps this object while it shows.
class PreviewDataSource : public QObject, public PreviewControllerDataSource
{
    Q_OBJECT
public:
    explicit PreviewDataSource(std::shared_ptr<PreviewItem> previewItem, QObject *parent = nullptr);

    const std::shared_ptr<PreviewItem> &previewItem() const { return m_previewItem; }

    int numberOfPreviewItems(PreviewController *) override { return 1; }
    PreviewControllerItem *previewItem(PreviewController *, int) override { return m_previewItem.get(); }

private:
    std::shared_ptr<PreviewItem> m_previewItem;
};

} // namespace tarnik
