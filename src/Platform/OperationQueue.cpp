#include "Platform/OperationQueue.h"

#include <QDebug>
#include <QThreadPool>
#include <algorithm>
#include <condition_variable>
#include <deque>
#include <limits>
#include <mutex>

namespace tarnik {

// ---- Operation -------------------------------------------------------------------------------

struct Operation::State
{
    mutable std::mutex mutex;
    std::condition_variable completedChanged;
    bool cancelled = false;
    bool claimed = false;
    bool started = false;
    bool executing = false;
    bool finished = false;
    bool completed = false; // finished and its completion block has run
    QString name;
    std::function<void()> completion;
};

Operation::Operation()
    : m_state(std::make_unique<State>())
{
}

Operation::~Operation() = default;

void Operation::cancel()
{
    std::lock_guard lock(m_state->mutex);
    m_state->cancelled = true;
}

bool Operation::isCancelled() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->cancelled;
}

bool Operation::isExecuting() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->executing;
}

bool Operation::isFinished() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->finished;
}

void Operation::setCompletionBlock(std::function<void()> block)
{
    std::lock_guard lock(m_state->mutex);
    m_state->completion = std::move(block);
}

QString Operation::name() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->name;
}

void Operation::setName(const QString &name)
{
    std::lock_guard lock(m_state->mutex);
    m_state->name = name;
}

bool Operation::claimForQueue()
{
    std::lock_guard lock(m_state->mutex);
    if (m_state->claimed || m_state->started)
        return false;
    m_state->claimed = true;
    return true;
}

void Operation::start()
{
    bool runMain;
    {
        std::lock_guard lock(m_state->mutex);
        if (m_state->started)
            return;
        m_state->started = true;
        runMain = !m_state->cancelled;
        m_state->executing = runMain;
    }
    if (runMain)
        main();
    std::function<void()> completion;
    {
        std::lock_guard lock(m_state->mutex);
        m_state->executing = false;
        m_state->finished = true;
        completion = std::move(m_state->completion);
        m_state->completion = nullptr;
    }
    // As on the platform, the block sees a finished operation. Waiters are released only after
    // it ran, so whoever waits for the operation also sees what its completion block did.
    if (completion)
        completion();
    std::lock_guard lock(m_state->mutex);
    m_state->completed = true;
    m_state->completedChanged.notify_all();
}

void Operation::waitUntilFinished()
{
    std::unique_lock lock(m_state->mutex);
    m_state->completedChanged.wait(lock, [this] { return m_state->completed; });
}

BlockOperation::BlockOperation(std::function<void()> block)
    : m_block(std::move(block))
{
}

void BlockOperation::main()
{
    if (m_block)
        m_block();
}

// ---- OperationQueue --------------------------------------------------------------------------

struct OperationQueue::State : std::enable_shared_from_this<OperationQueue::State>
{
    mutable std::mutex mutex;
    std::condition_variable idle;
    QThreadPool *pool = nullptr;
    bool ownsPool = false;
    QString name;
    int maxCount = kDefaultMaxConcurrentOperationCount;
    bool suspended = false;
    std::deque<std::shared_ptr<Operation>> pending;
    std::vector<std::shared_ptr<Operation>> running;
    int activeCount = 0; // running operations that count against the limit

    int limit() const
    {
        if (maxCount > 0)
            return maxCount;
        return ownsPool ? std::max(1, pool->maxThreadCount()) : std::numeric_limits<int>::max();
    }

    // Hands operations to the pool while the limit allows. Cancelled operations bypass both
    // the limit and suspension: they only finish, so cancelling a queue empties it promptly.
    void scheduleLocked()
    {
        for (auto it = pending.begin(); it != pending.end();) {
            const bool cancelled = (*it)->isCancelled();
            if (!cancelled && (suspended || activeCount >= limit())) {
                ++it;
                continue;
            }
            std::shared_ptr<Operation> operation = std::move(*it);
            it = pending.erase(it);
            running.push_back(operation);
            if (!cancelled)
                ++activeCount;
            pool->start([self = shared_from_this(), operation, counted = !cancelled] {
                operation->start();
                self->finished(operation, counted);
            });
        }
    }

    void finished(const std::shared_ptr<Operation> &operation, bool counted)
    {
        std::lock_guard lock(mutex);
        running.erase(std::find(running.begin(), running.end(), operation));
        if (counted)
            --activeCount;
        scheduleLocked();
        if (pending.empty() && running.empty())
            idle.notify_all();
    }
};

OperationQueue::OperationQueue(const QString &name, int maxConcurrentOperationCount)
    : m_state(std::make_shared<State>())
    , m_ownPool(std::make_unique<QThreadPool>())
{
    m_state->pool = m_ownPool.get();
    m_state->ownsPool = true;
    m_state->name = name;
    setMaxConcurrentOperationCount(maxConcurrentOperationCount);
}

OperationQueue::OperationQueue(const QString &name, int maxConcurrentOperationCount, QThreadPool *sharedPool)
    : m_state(std::make_shared<State>())
{
    Q_ASSERT(sharedPool);
    m_state->pool = sharedPool ? sharedPool : QThreadPool::globalInstance();
    m_state->name = name;
    setMaxConcurrentOperationCount(maxConcurrentOperationCount);
}

OperationQueue::~OperationQueue()
{
    cancelAllOperations();
    waitUntilAllOperationsAreFinished();
    // m_ownPool joins its threads as it goes.
}

bool OperationQueue::addOperation(std::shared_ptr<Operation> operation)
{
    if (!operation) {
        qWarning("OperationQueue::addOperation: null operation");
        return false;
    }
    if (!operation->claimForQueue()) {
        qWarning() << "OperationQueue::addOperation: operation" << operation->name()
                   << "is already in a queue or has finished";
        return false;
    }
    std::lock_guard lock(m_state->mutex);
    m_state->pending.push_back(std::move(operation));
    m_state->scheduleLocked();
    return true;
}

std::shared_ptr<Operation> OperationQueue::addOperation(std::function<void()> block)
{
    auto operation = std::make_shared<BlockOperation>(std::move(block));
    addOperation(std::shared_ptr<Operation>(operation));
    return operation;
}

std::vector<std::shared_ptr<Operation>> OperationQueue::operations() const
{
    std::lock_guard lock(m_state->mutex);
    std::vector<std::shared_ptr<Operation>> all = m_state->running;
    all.insert(all.end(), m_state->pending.begin(), m_state->pending.end());
    return all;
}

int OperationQueue::operationCount() const
{
    std::lock_guard lock(m_state->mutex);
    return static_cast<int>(m_state->running.size() + m_state->pending.size());
}

void OperationQueue::cancelAllOperations()
{
    std::lock_guard lock(m_state->mutex);
    for (const auto &operation : m_state->running)
        operation->cancel();
    for (const auto &operation : m_state->pending)
        operation->cancel();
    m_state->scheduleLocked();
}

void OperationQueue::setSuspended(bool suspended)
{
    std::lock_guard lock(m_state->mutex);
    m_state->suspended = suspended;
    m_state->scheduleLocked();
}

bool OperationQueue::isSuspended() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->suspended;
}

void OperationQueue::setMaxConcurrentOperationCount(int count)
{
    std::lock_guard lock(m_state->mutex);
    m_state->maxCount = count > 0 ? count : kDefaultMaxConcurrentOperationCount;
    if (m_state->ownsPool)
        m_state->pool->setMaxThreadCount(count > 0 ? count : QThread::idealThreadCount());
    m_state->scheduleLocked();
}

int OperationQueue::maxConcurrentOperationCount() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->maxCount;
}

QString OperationQueue::name() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->name;
}

void OperationQueue::setName(const QString &name)
{
    std::lock_guard lock(m_state->mutex);
    m_state->name = name;
}

void OperationQueue::waitUntilAllOperationsAreFinished()
{
    std::unique_lock lock(m_state->mutex);
    m_state->idle.wait(lock, [this] { return m_state->pending.empty() && m_state->running.empty(); });
}

} // namespace tarnik
