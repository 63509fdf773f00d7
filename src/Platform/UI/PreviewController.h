#pragma once

#include "Platform/UI/ViewController.h"

#include <QPointer>
#include <QString>
#include <QUrl>
#include <functional>
#include <optional>

class QLabel;
class QStackedLayout;
class QToolButton;

namespace tarnik {

class PreviewController;

// One file the preview shows: its URL and the title to show (none: the file's name).
class PreviewControllerItem
{
public:
    virtual ~PreviewControllerItem() = default;
    virtual std::optional<QUrl> previewItemURL() const = 0;
    virtual std::optional<QString> previewItemTitle() const = 0;
};

// Feeds the preview its items. Held weakly: the owner keeps it alive while the preview shows.
class PreviewControllerDataSource
{
public:
    virtual ~PreviewControllerDataSource() = default;
    virtual int numberOfPreviewItems(PreviewController *) = 0;
    virtual PreviewControllerItem *previewItem(PreviewController *, int index) = 0;
};

// The document preview: shows one file at a time, paging between the items its data source
// gives. Pictures (every format Qt reads, large ones scaled down for display), text (UTF-8 or
// Latin-1, the first 1 MiB), PDF, audio and video (with play/pause and a position slider; the
// app's shared player pauses while the preview plays) and, for anything else, a card with the
// file's icon, name, size and type. Only regular files are ever opened, so a FIFO or a device
// never blocks it. GUI thread only.
class PreviewController : public ViewController
{
    Q_OBJECT
public:
    enum class Kind { image, text, pdf, media, other };
    static constexpr qint64 kTextLimit = 1024 * 1024;
    // Pictures larger than this on either side are scaled down for display.
    static constexpr int kMaximumImageSide = 4096;

    explicit PreviewController(QObject *parent = nullptr);
    ~PreviewController() override;

    PreviewControllerDataSource *dataSource() const { return m_dataSourceObject || !m_dataSourceIsObject ? m_dataSource : nullptr; }
    void setDataSource(PreviewControllerDataSource *dataSource);

    int currentPreviewItemIndex() const { return m_index; }
    void setCurrentPreviewItemIndex(int index);
    void reloadData();

    // What the current page shows.
    Kind currentKind() const { return m_kind; }
    QWidget *currentContent() const { return m_content; }
    // The kind a file is previewed as.
    static Kind kindOf(const QString &path);

    // Pauses other playback when the preview starts playing; the app pauses its shared player
    // through it. None: nothing else is paused.
    static void setPauseOtherPlayback(std::function<void()> pause);

    // Reads the first kTextLimit bytes of a regular file as UTF-8, or Latin-1 when they are not
    // valid UTF-8; truncated tells whether the file is longer.
    struct Text
    {
        QString text;
        bool truncated = false;
    };
    static std::optional<Text> readText(const QString &path, qint64 limit = kTextLimit);
    // A picture for display, scaled down to kMaximumImageSide; null when it cannot be read.
    static QImage readImage(const QString &path);

protected:
    void loadView() override;
    void viewWillDisappear(bool animated) override;

private:
    void showCurrent();
    QWidget *makeImagePage(const QString &path);
    QWidget *makeTextPage(const QString &path);
    QWidget *makePdfPage(const QString &path);
    QWidget *makeMediaPage(const QString &path);
    QWidget *makeCardPage(const QString &path, const QString &note = {});
    void updateBar();

    PreviewControllerDataSource *m_dataSource = nullptr;
    QPointer<QObject> m_dataSourceObject;
    bool m_dataSourceIsObject = false;
    int m_index = 0;
    Kind m_kind = Kind::other;
    QWidget *m_container = nullptr;
    QPointer<QWidget> m_content;
    QLabel *m_titleLabel = nullptr;
    QToolButton *m_previous = nullptr;
    QToolButton *m_next = nullptr;
};

} // namespace tarnik
