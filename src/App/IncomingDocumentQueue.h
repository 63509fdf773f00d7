#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <optional>

namespace tarnik {

// Opens what the command line (or a later instance) hands the app, in order,
// without blocking the window: each argument is turned into the URL to open by
// IncomingDocuments::urlForArgument() on a worker thread (a handed-over file
// is copied into the inbox there, however large), and `open` gets the URL on
// the GUI thread. Arguments that give nothing are skipped.
//
// While a file is being copied, copyStarted() and then copyFinished() tell the
// screen to show its loader. Lives on the GUI thread; a copy still running
// when the queue goes finishes on its own and is not opened.
class IncomingDocumentQueue : public QObject
{
    Q_OBJECT
public:
    // Turns one argument into a URL; blocks. By default urlForArgument() with
    // the inbox of the preferences.
    using Resolver = std::function<std::optional<QString>(const QString &argument, const QString &workingDirectory)>;

    explicit IncomingDocumentQueue(
        std::function<void(const QString &url)> open, Resolver resolver = {}, QObject *parent = nullptr);
    ~IncomingDocumentQueue() override;

    // Queues the arguments behind any still waiting.
    void enqueue(const QStringList &arguments, const QString &workingDirectory);

    // Whether an argument is being resolved or waits.
    bool isBusy() const { return m_running || !m_waiting.empty(); }

Q_SIGNALS:
    // A handed-over file starts being copied; `name` is its file name.
    void copyStarted(const QString &name);
    // That copy is done; `succeeded` is false when nothing will be opened.
    void copyFinished(const QString &name, bool succeeded);
    // Every queued argument has been handled.
    void drained();

private:
    struct Item
    {
        QString argument;
        QString workingDirectory;
    };
    void startNext();
    void finish(const Item &item, const std::optional<QString> &url);

    std::function<void(const QString &)> m_open;
    Resolver m_resolver;
    std::deque<Item> m_waiting;
    bool m_running = false;
};

} // namespace tarnik
