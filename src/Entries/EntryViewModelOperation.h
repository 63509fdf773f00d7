#pragma once

#include "Entries/EntryType.h"
#include "Entries/FileState.h"
#include "Platform/OperationQueue.h"

#include <QImage>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

namespace tarnik {

class EntryViewModel;

// Loads the details of one browser row: the title and artist to show, the picture (artwork, an
// image thumbnail, a video still or the file-type icon, fitted into thumbnailSize) and the
// extension badge text. A row whose type is the listing's quick answer is probed first
// (MediaProbe), and loads as the type the probe gives: a file that only looked like audio loads as
// another file.
//
// main() runs on the row update queue's thread and only reads the file and computes; it touches
// no view model. The result is committed to the view model on the GUI thread: the picture first,
// then (unless the operation was cancelled meanwhile) the texts and the state updated, which
// publishes the row to its caches; then completionHandler is called there with the view model.
// A cancelled operation never calls completionHandler. By itself the operation commits as soon
// as its work is done; a queue that loads several rows at once and commits them in its own order
// sets a loaded handler instead and commits with commitLoaded().
class EntryViewModelOperation : public Operation
{
public:
    using CompletionHandler = std::function<void(const std::shared_ptr<EntryViewModel> &)>;

    // Takes what it reads of the view model now, on the caller's (the GUI) thread.
    explicit EntryViewModelOperation(std::shared_ptr<EntryViewModel> viewModel);
    EntryViewModelOperation() = delete;
    ~EntryViewModelOperation() override;

    const std::shared_ptr<EntryViewModel> &viewModel() const { return m_viewModel; }
    // The view model's identifier at creation; the queue finds and cancels operations by it.
    const QString &identifier() const { return m_identifier; }

    // Set it before the operation is queued; it is read on the GUI thread at the end.
    void setCompletionHandler(CompletionHandler handler) { m_completionHandler = std::move(handler); }
    // Set before the operation is queued: called on the operation's thread once the details are
    // loaded (not when the operation was cancelled before it began); the result then waits for
    // commitLoaded() instead of being committed at once.
    void setLoadedHandler(std::function<void()> handler) { m_loadedHandler = std::move(handler); }
    // On the GUI thread, after the loaded handler was called: commits the loaded details.
    void commitLoaded();

    // What one load found, committed on the GUI thread.
    struct Details
    {
        // The probe's answer for a row whose type was provisional: its type and, for media, whether
        // it has a video track.
        std::optional<EntryType> settledType;
        std::optional<bool> hasVideoTrack;
        std::optional<QImage> picture; // already fitted
        bool usesIconImage = false; // the picture is the type icon
        std::optional<QString> title;
        std::optional<QString> artist;
        bool setsTexts = false; // false for folders: title and badge stay as they are
        QString titleWithoutExtension; // valid when setsTexts
        std::optional<QString> extensionString;
    };

protected:
    void main() override;

private:
    Details load() const;
    void commit(const Details &details);

    const std::shared_ptr<EntryViewModel> m_viewModel;
    const QString m_identifier;
    const QString m_url;
    const EntryType m_type;
    const bool m_typeIsProvisional;
    const std::optional<FileState> m_fileState;
    const QString m_title;
    const std::optional<bool> m_hasVideoTrack;
    const QString m_name;
    CompletionHandler m_completionHandler;
    std::function<void()> m_loadedHandler;
    // Written on the operation's thread before the loaded handler is called, read after it on
    // the GUI thread.
    Details m_loaded;
};

} // namespace tarnik
