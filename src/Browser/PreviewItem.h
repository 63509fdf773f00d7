#pragma once

#include "Platform/UI/PreviewController.h"

#include <QObject>

namespace tarnik {

// One file for the document preview: its URL and an optional title (none leaves the title to
// the preview, which shows the file's name).
class PreviewItem : public QObject, public PreviewControllerItem
{
    Q_OBJECT
public:
    PreviewItem(const QUrl &url, const std::optional<QString> &title, QObject *parent = nullptr);

    std::optional<QUrl> previewItemURL() const override { return m_url; }
    void setPreviewItemURL(const std::optional<QUrl> &url) { m_url = url; }
    std::optional<QString> previewItemTitle() const override { return m_title; }
    void setPreviewItemTitle(const std::optional<QString> &title) { m_title = title; }

private:
    std::optional<QUrl> m_url;
    std::optional<QString> m_title;
};

} // namespace tarnik
