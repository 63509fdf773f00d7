#include "Platform/OperationQueue.h"

#include <QSemaphore>
#include <QTest>
#include <QThreadPool>
#include <atomic>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>
#include <vector>

namespace tarnik {

namespace {

// Counts how many blocks run at once and holds each one until the test opens the gate, so
// the test can look at the queue while operations are running without sleeping.
class Gate
{
public:
    std::function<void()> block()
    {
        return [this] {
            const int now = ++m_running;
            int peak = m_peak.load();
            while (now > peak && !m_peak.compare_exchange_weak(peak, now)) { }
            m_started.release();
            m_open.acquire();
            --m_running;
            ++m_finished;
        };
    }
    // Waits until n more blocks have started.
    bool waitForStarted(int n) { return m_started.tryAcquire(n, 10000); }
    void open(int n) { m_open.release(n); }
    int peak() const { return m_peak; }
    int finished() const { return m_finished; }

private:
    QSemaphore m_started;
    QSemaphore m_open;
    std::atomic<int> m_running { 0 };
    std::atomic<int> m_peak { 0 };
    std::atomic<int> m_finished { 0 };
};

} // namespace

TEST(OperationQueue, NeverRunsMoreThanItsLimit)
{
    for (const int limit : { 1, 2, 3 }) {
        SCOPED_TRACE(limit);
        OperationQueue queue(QStringLiteral("limited"), limit);
        Gate gate;
        constexpr int kOperations = 6;
        for (int i = 0; i < kOperations; ++i)
            queue.addOperation(gate.block());
        ASSERT_TRUE(gate.waitForStarted(limit));
        EXPECT_EQ(queue.operationCount(), kOperations);
        gate.open(kOperations);
        queue.waitUntilAllOperationsAreFinished();
        EXPECT_EQ(gate.finished(), kOperations);
        EXPECT_EQ(gate.peak(), limit);
        EXPECT_EQ(queue.operationCount(), 0);
    }
}

TEST(OperationQueue, SerialQueueKeepsOrderAndRunsCompletionBlocks)
{
    OperationQueue queue(QStringLiteral("serial"), 1);
    EXPECT_EQ(queue.name(), QStringLiteral("serial"));
    std::mutex mutex;
    std::vector<int> order;
    std::vector<std::shared_ptr<Operation>> operations;
    for (int i = 0; i < 20; ++i) {
        auto operation = std::make_shared<BlockOperation>([&, i] {
            std::lock_guard lock(mutex);
            order.push_back(i);
        });
        operation->setCompletionBlock([&, i, raw = operation.get()] {
            std::lock_guard lock(mutex);
            order.push_back(raw->isFinished() && !raw->isExecuting() ? 100 + i : -1);
        });
        operation->setName(QString::number(i));
        operations.push_back(operation);
        EXPECT_TRUE(queue.addOperation(operation));
    }
    queue.waitUntilAllOperationsAreFinished();
    ASSERT_EQ(order.size(), 40u);
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(order[2 * i], i);
        EXPECT_EQ(order[2 * i + 1], 100 + i);
        EXPECT_TRUE(operations[i]->isFinished());
        EXPECT_FALSE(operations[i]->isCancelled());
        EXPECT_EQ(operations[i]->name(), QString::number(i));
    }
}

TEST(OperationQueue, SuspendedQueueStartsNothingUntilResumed)
{
    OperationQueue queue(QStringLiteral("suspended"), 2);
    queue.setSuspended(true);
    EXPECT_TRUE(queue.isSuspended());
    std::atomic<int> ran { 0 };
    for (int i = 0; i < 5; ++i)
        queue.addOperation([&] { ++ran; });
    // Nothing can have started: a suspended queue hands nothing to its pool.
    EXPECT_EQ(queue.operationCount(), 5);
    EXPECT_EQ(queue.operations().size(), 5u);
    EXPECT_EQ(ran, 0);
    queue.setSuspended(false);
    queue.waitUntilAllOperationsAreFinished();
    EXPECT_EQ(ran, 5);
}

TEST(OperationQueue, CancelAllSkipsWaitingWorkAndTellsRunningWork)
{
    OperationQueue queue(QStringLiteral("cancel"), 1);
    QSemaphore started;
    QSemaphore release;
    std::atomic<bool> runningSawCancel { false };
    // The running operation checks its own flag, as long work does between steps.
    struct Watching : Operation
    {
        QSemaphore *started;
        QSemaphore *release;
        std::atomic<bool> *sawCancel;
        void main() override
        {
            started->release();
            release->acquire();
            *sawCancel = isCancelled();
        }
    };
    auto watching = std::make_shared<Watching>();
    watching->started = &started;
    watching->release = &release;
    watching->sawCancel = &runningSawCancel;
    queue.addOperation(watching);

    std::atomic<int> mainsRun { 0 };
    std::atomic<int> completions { 0 };
    std::vector<std::shared_ptr<Operation>> waiting;
    for (int i = 0; i < 4; ++i) {
        auto operation = std::make_shared<BlockOperation>([&] { ++mainsRun; });
        operation->setCompletionBlock([&] { ++completions; });
        waiting.push_back(operation);
        queue.addOperation(operation);
    }
    ASSERT_TRUE(started.tryAcquire(1, 10000));
    queue.setSuspended(true); // cancelled work still leaves a suspended queue
    queue.cancelAllOperations();
    release.release();
    queue.waitUntilAllOperationsAreFinished();

    EXPECT_TRUE(runningSawCancel);
    EXPECT_EQ(mainsRun, 0);
    EXPECT_EQ(completions, 4);
    for (const auto &operation : waiting) {
        EXPECT_TRUE(operation->isCancelled());
        EXPECT_TRUE(operation->isFinished());
    }
}

TEST(OperationQueue, QueuesOverASharedPoolStayWithinThePool)
{
    QThreadPool pool;
    pool.setMaxThreadCount(2);
    Gate gate;
    {
        OperationQueue first(QStringLiteral("first"), 2, &pool);
        OperationQueue second(QStringLiteral("second"), 2, &pool);
        for (int i = 0; i < 4; ++i) {
            first.addOperation(gate.block());
            second.addOperation(gate.block());
        }
        ASSERT_TRUE(gate.waitForStarted(2));
        gate.open(8);
        first.waitUntilAllOperationsAreFinished();
        second.waitUntilAllOperationsAreFinished();
    }
    EXPECT_EQ(gate.finished(), 8);
    EXPECT_EQ(gate.peak(), 2);
}

TEST(OperationQueue, RefusesNullRepeatedAndFinishedOperations)
{
    OperationQueue queue(QStringLiteral("refuse"), 1);
    OperationQueue other(QStringLiteral("other"), 1);
    EXPECT_FALSE(queue.addOperation(std::shared_ptr<Operation>()));
    auto operation = std::make_shared<BlockOperation>([] {});
    queue.setSuspended(true);
    EXPECT_TRUE(queue.addOperation(operation));
    EXPECT_FALSE(queue.addOperation(operation));
    EXPECT_FALSE(other.addOperation(operation));
    queue.setSuspended(false);
    operation->waitUntilFinished();
    EXPECT_FALSE(other.addOperation(operation));

    auto startedByHand = std::make_shared<BlockOperation>([] {});
    startedByHand->start();
    EXPECT_TRUE(startedByHand->isFinished());
    EXPECT_FALSE(queue.addOperation(startedByHand));
}

TEST(OperationQueue, DestroyingAQueueCancelsWaitingWorkAndJoinsRunningWork)
{
    // Runs until cancelled, as long work does, so only the queue's destructor can end it.
    struct UntilCancelled : Operation
    {
        QSemaphore started;
        std::atomic<bool> returned { false };
        void main() override
        {
            started.release();
            while (!isCancelled())
                std::this_thread::yield();
            returned = true;
        }
    };
    auto running = std::make_shared<UntilCancelled>();
    std::atomic<int> laterRan { 0 };
    std::shared_ptr<Operation> later;
    {
        OperationQueue queue(QStringLiteral("doomed"), 1);
        queue.addOperation(running);
        later = queue.addOperation([&] { ++laterRan; });
        ASSERT_TRUE(running->started.tryAcquire(1, 10000));
    }
    EXPECT_TRUE(running->returned);
    EXPECT_TRUE(running->isFinished());
    EXPECT_TRUE(later->isFinished());
    EXPECT_EQ(laterRan, 0);
}

} // namespace tarnik
