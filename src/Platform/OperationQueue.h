#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <vector>

class QThreadPool;

namespace tarnik {

// One unit of work for an OperationQueue, as the platform's operation.
//
// Subclasses override main(). A queue calls start() on one of its threads; start() runs main()
// unless the operation was cancelled first, then marks it finished and runs the completion
// block on that same thread. cancel() only sets a flag: a running main() checks isCancelled()
// at points where stopping is safe. Operations are shared (std::shared_ptr) between the queue
// and whoever wants to cancel them; every member is safe from any thread.
class Operation : public std::enable_shared_from_this<Operation>
{
public:
    Operation();
    virtual ~Operation();
    Operation(const Operation &) = delete;
    Operation &operator=(const Operation &) = delete;

    // Virtual so that an operation wrapping outside work (a transfer) can stop it too; overrides
    // call this one.
    virtual void cancel();
    bool isCancelled() const;
    bool isExecuting() const;
    bool isFinished() const;

    // Runs once the operation has finished, cancelled or not, on the thread that ran it.
    void setCompletionBlock(std::function<void()> block);

    QString name() const;
    void setName(const QString &name);

    // Runs the operation on the calling thread; a second call does nothing.
    void start();

    // Blocks until the operation has finished (its completion block included).
    void waitUntilFinished();

protected:
    virtual void main() = 0;

private:
    friend class OperationQueue;
    // Marks the operation as taken by a queue; false when it already was, or has finished.
    bool claimForQueue();

    struct State;
    std::unique_ptr<State> m_state;
};

// An operation that runs one block.
class BlockOperation : public Operation
{
public:
    explicit BlockOperation(std::function<void()> block);

protected:
    void main() override;

private:
    std::function<void()> m_block;
};

// A named queue that runs operations on a thread pool, at most maxConcurrentOperationCount at a
// time, in the order they were added, as the platform's operation queue.
//
// By default the queue owns a pool of its own. Several queues can instead share one pool handed
// to the constructor (not owned; it must outlive the queues): each still keeps its own limit,
// and the pool bounds them all together.
//
// Suspending stops new operations from starting; running ones go on. cancelAllOperations()
// cancels every operation in the queue; cancelled operations that have not started leave the
// queue without running main() (their completion blocks still run). Destroying the queue
// cancels everything and waits for running operations to return. All members are safe from any
// thread, but never wait on a queue from one of its own operations.
class OperationQueue
{
public:
    // The pool's own limit: as many at a time as the pool has threads.
    static constexpr int kDefaultMaxConcurrentOperationCount = -1;

    explicit OperationQueue(
        const QString &name = {}, int maxConcurrentOperationCount = kDefaultMaxConcurrentOperationCount);
    OperationQueue(const QString &name, int maxConcurrentOperationCount, QThreadPool *sharedPool);
    ~OperationQueue();
    OperationQueue(const OperationQueue &) = delete;
    OperationQueue &operator=(const OperationQueue &) = delete;

    // Adds an operation. An operation that is already in a queue or has finished is refused
    // with a warning (returns false), as is a null one.
    bool addOperation(std::shared_ptr<Operation> operation);
    // Wraps a block in a BlockOperation and adds it.
    std::shared_ptr<Operation> addOperation(std::function<void()> block);

    // The operations added and not yet finished, executing ones included, in order.
    std::vector<std::shared_ptr<Operation>> operations() const;
    int operationCount() const;

    void cancelAllOperations();

    void setSuspended(bool suspended);
    bool isSuspended() const;

    // A count below 1 (kDefaultMaxConcurrentOperationCount) means the pool's own limit.
    void setMaxConcurrentOperationCount(int count);
    int maxConcurrentOperationCount() const;

    QString name() const;
    void setName(const QString &name);

    // Blocks until the queue is empty. On a suspended queue with waiting operations this
    // waits until someone resumes it.
    void waitUntilAllOperationsAreFinished();

private:
    struct State;
    std::shared_ptr<State> m_state;
    std::unique_ptr<QThreadPool> m_ownPool;
};

} // namespace tarnik
