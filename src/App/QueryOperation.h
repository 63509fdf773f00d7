#pragma once

#include "App/UserManager.h"
#include "Platform/OperationQueue.h"

#include <QByteArray>
#include <QNetworkRequest>
#include <memory>
#include <optional>

class QNetworkAccessManager;

namespace tarnik {

// An operation that runs one web query through a given session, decoding the
// reply the way UserManager::postQuery() does.
//
// The transfer is made when the operation is created and starts when it runs;
// the transfer itself lives on the session's thread (the GUI thread), where
// the completion handler is called, once, and only while the operation still
// exists. Cancelling stops the transfer too (its handler then reports
// dataTaskError). Members are safe from any thread; the session must outlive
// the transfer.
class QueryOperation : public Operation
{
public:
    using CompletionHandler = UserManager::QueryCompletion;

    QueryOperation(QNetworkAccessManager *session, const QNetworkRequest &request, const QByteArray &body = {});
    ~QueryOperation() override;

    void setCompletionHandler(CompletionHandler handler);

    // The transfer's identifier, unique in the process; no value without one.
    std::optional<quint64> taskIdentifier() const;

    void cancel() override;

protected:
    void main() override;

private:
    struct Task;
    std::shared_ptr<Task> m_task;
};

} // namespace tarnik
