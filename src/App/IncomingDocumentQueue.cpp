#include "App/IncomingDocumentQueue.h"

#include "App/IncomingDocuments.h"
#include "Platform/Dispatch.h"

#include <QFileInfo>
#include <QPointer>
#include <QUrl>

namespace tarnik {

namespace {

QString displayName(const QString &argument)
{
    const QUrl url(argument);
    return QFileInfo(url.isLocalFile() ? url.toLocalFile() : argument).fileName();
}

} // namespace

IncomingDocumentQueue::IncomingDocumentQueue(
    std::function<void(const QString &)> open, Resolver resolver, QObject *parent)
    : QObject(parent)
    , m_open(std::move(open))
    , m_resolver(std::move(resolver))
{
    if (!m_resolver)
        m_resolver = &IncomingDocuments::urlForArgument;
}

IncomingDocumentQueue::~IncomingDocumentQueue() = default;

void IncomingDocumentQueue::enqueue(const QStringList &arguments, const QString &workingDirectory)
{
    Q_ASSERT(Dispatch::isMainThread());
    for (const QString &argument : arguments)
        m_waiting.push_back({ argument, workingDirectory });
    if (!m_running)
        startNext();
}

void IncomingDocumentQueue::startNext()
{
    if (m_waiting.empty()) {
        Q_EMIT drained();
        return;
    }
    const Item item = m_waiting.front();
    m_waiting.pop_front();
    m_running = true;
    if (IncomingDocuments::isFileArgument(item.argument))
        Q_EMIT copyStarted(displayName(item.argument));
    Dispatch::global([self = QPointer<IncomingDocumentQueue>(this), resolver = m_resolver, item] {
        const std::optional<QString> url = resolver(item.argument, item.workingDirectory);
        Dispatch::main([self, item, url] {
            if (self)
                self->finish(item, url);
        });
    });
}

void IncomingDocumentQueue::finish(const Item &item, const std::optional<QString> &url)
{
    m_running = false;
    if (IncomingDocuments::isFileArgument(item.argument))
        Q_EMIT copyFinished(displayName(item.argument), url.has_value());
    if (url && m_open)
        m_open(*url);
    startNext();
}

} // namespace tarnik
