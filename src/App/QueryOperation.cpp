#include "App/QueryOperation.h"

#include <QMetaObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>
#include <atomic>
#include <mutex>

namespace tarnik {

namespace {
std::atomic<quint64> nextTaskIdentifier { 1 };
} // namespace

// What the transfer and the operation share; the transfer's callbacks hold the
// operation only weakly.
struct QueryOperation::Task
{
    std::mutex mutex;
    QPointer<QNetworkAccessManager> session;
    QNetworkRequest request;
    QByteArray body;
    quint64 identifier = 0;
    bool started = false;
    bool cancelled = false;
    bool delivered = false;
    QPointer<QNetworkReply> reply; // session thread
    CompletionHandler handler;
    std::weak_ptr<Operation> operation;

    // On the session's thread.
    void deliver(const UserManager::QueryResult &result)
    {
        CompletionHandler call;
        {
            std::lock_guard lock(mutex);
            if (delivered)
                return;
            delivered = true;
            call = handler;
        }
        // A released operation gets no call.
        const std::shared_ptr<Operation> alive = operation.lock();
        if (alive && call)
            call(result.reply, result.error);
    }
};

QueryOperation::QueryOperation(QNetworkAccessManager *session, const QNetworkRequest &request, const QByteArray &body)
    : m_task(std::make_shared<Task>())
{
    m_task->session = session;
    m_task->request = request;
    m_task->body = body;
    m_task->identifier = nextTaskIdentifier.fetch_add(1);
}

QueryOperation::~QueryOperation() = default;

void QueryOperation::setCompletionHandler(CompletionHandler handler)
{
    std::lock_guard lock(m_task->mutex);
    m_task->handler = std::move(handler);
}

std::optional<quint64> QueryOperation::taskIdentifier() const
{
    return m_task->identifier;
}

void QueryOperation::main()
{
    {
        std::lock_guard lock(m_task->mutex);
        m_task->operation = weak_from_this();
        if (m_task->cancelled || m_task->started || !m_task->session)
            return;
        m_task->started = true;
    }
    const std::shared_ptr<Task> task = m_task;
    QMetaObject::invokeMethod(task->session.data(), [task] {
        QNetworkAccessManager *session = task->session.data();
        {
            std::lock_guard lock(task->mutex);
            if (!session || task->cancelled)
                session = nullptr;
        }
        if (!session) {
            task->deliver({ std::nullopt, UserManagerError::dataTaskError });
            return;
        }
        QNetworkReply *reply = session->post(task->request, task->body);
        {
            std::lock_guard lock(task->mutex);
            task->reply = reply;
        }
        QObject::connect(reply, &QNetworkReply::finished, session, [task, reply] {
            const UserManager::QueryResult result
                = UserManager::decodeReply(reply, false, &UserManager::defaultIsOnline);
            reply->deleteLater();
            task->deliver(result);
        });
    });
}

void QueryOperation::cancel()
{
    Operation::cancel();
    QPointer<QNetworkAccessManager> session;
    {
        std::lock_guard lock(m_task->mutex);
        if (m_task->cancelled)
            return;
        m_task->cancelled = true;
        m_task->operation = weak_from_this();
        session = m_task->session;
    }
    if (!session)
        return;
    // A transfer that never started is reported cancelled as well.
    const std::shared_ptr<Task> task = m_task;
    QMetaObject::invokeMethod(session.data(), [task] {
        QPointer<QNetworkReply> reply;
        bool started = false;
        {
            std::lock_guard lock(task->mutex);
            reply = task->reply;
            started = task->started;
        }
        if (reply)
            reply->abort();
        else if (!started)
            task->deliver({ std::nullopt, UserManagerError::dataTaskError });
    });
}

} // namespace tarnik
