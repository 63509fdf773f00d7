#include "Platform/Dispatch.h"

#include "Platform/DispatchGroup.h"

#include <QCoreApplication>
#include <QTest>
#include <QThread>
#include <atomic>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <thread>
#include <vector>

namespace tarnik {

namespace {

// Lets queued GUI-thread work run until `done` holds; the bound only stops a broken test.
template<typename Predicate> bool runEventsUntil(Predicate done)
{
    return QTest::qWaitFor(done, 10000);
}

} // namespace

TEST(Dispatch, MainIsQueuedOnTheGuiThreadFromAnyThread)
{
    ASSERT_TRUE(Dispatch::isMainThread());
    std::atomic<int> ranOnMain { 0 };
    std::atomic<int> ranElsewhere { 0 };
    const auto record = [&] { (Dispatch::isMainThread() ? ranOnMain : ranElsewhere)++; };

    Dispatch::main(record);
    EXPECT_EQ(ranOnMain, 0) << "work handed to the main queue must not run inline";
    std::thread worker([&] {
        EXPECT_FALSE(Dispatch::isMainThread());
        Dispatch::main(record);
    });
    worker.join();

    EXPECT_TRUE(runEventsUntil([&] { return ranOnMain == 2; }));
    EXPECT_EQ(ranElsewhere, 0);
}

TEST(Dispatch, GlobalRunsOffTheGuiThread)
{
    std::atomic<int> result { -1 };
    Dispatch::global([&] { result = Dispatch::isMainThread() ? 1 : 0; });
    EXPECT_TRUE(runEventsUntil([&] { return result != -1; }));
    EXPECT_EQ(result, 0);
}

TEST(Dispatch, EmptyBlocksAreIgnored)
{
    Dispatch::main({});
    Dispatch::global({});
    Dispatch::mainAfter(0, {});
    QCoreApplication::processEvents();
}

TEST(Dispatch, MainAfterWithoutAVirtualClockUsesTheEventLoop)
{
    std::atomic<bool> fired { false };
    std::thread worker([&] { Dispatch::mainAfter(0.0, [&] { fired = Dispatch::isMainThread(); }); });
    worker.join();
    EXPECT_TRUE(runEventsUntil([&] { return fired.load(); }));
}

TEST(VirtualClock, DelaysFireOnlyWhenTheClockPassesThem)
{
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    constexpr double kInf = std::numeric_limits<double>::infinity();
    struct Case
    {
        const char *what;
        double delay;
        double firstStep;
        bool firedAfterFirst;
        double secondStep;
        bool firedAfterSecond;
    };
    const Case cases[] = {
        { "zero delay fires on the next advance", 0.0, 0.0, true, 0.0, true },
        { "fires exactly at its due time", 1.5, 1.5, true, 0.0, true },
        { "not before its due time", 2.0, 1.999, false, 0.001, true },
        { "negative delay means now", -5.0, 0.0, true, 0.0, true },
        { "NaN delay means now", kNaN, 0.0, true, 0.0, true },
        { "negative step does not move the clock", 1.0, -10.0, false, 1.0, true },
        { "NaN step does not move the clock", 1.0, kNaN, false, 1.0, true },
        { "huge delay does not fire on a large step", 1e300, 1e9, false, 1e9, false },
        { "infinite delay never fires on finite steps", kInf, 1e12, false, 1e12, false },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Dispatch::VirtualClock clock;
        bool fired = false;
        Dispatch::mainAfter(c.delay, [&] { fired = true; });
        EXPECT_EQ(clock.pendingCount(), 1);
        clock.advance(c.firstStep);
        EXPECT_EQ(fired, c.firedAfterFirst);
        clock.advance(c.secondStep);
        EXPECT_EQ(fired, c.firedAfterSecond);
    }
}

TEST(VirtualClock, RunsInDueOrderAndIncludesWorkScheduledWhileAdvancing)
{
    Dispatch::VirtualClock clock;
    std::vector<int> order;
    Dispatch::mainAfter(3.0, [&] { order.push_back(3); });
    Dispatch::mainAfter(1.0, [&] {
        order.push_back(1);
        // Measured from when this block ran (t = 1), so due at t = 1.5.
        Dispatch::mainAfter(0.5, [&] { order.push_back(15); });
    });
    Dispatch::mainAfter(2.0, [&] { order.push_back(20); });
    Dispatch::mainAfter(2.0, [&] { order.push_back(21); });

    clock.advance(2.5);
    EXPECT_EQ(order, (std::vector<int> { 1, 15, 20, 21 }));
    EXPECT_DOUBLE_EQ(clock.now(), 2.5);
    EXPECT_DOUBLE_EQ(Dispatch::now(), 2.5);
    EXPECT_DOUBLE_EQ(clock.nextDueIn(), 0.5);
    clock.advance(10);
    EXPECT_EQ(order.back(), 3);
    EXPECT_EQ(clock.pendingCount(), 0);
    EXPECT_LT(clock.nextDueIn(), 0.0);
}

TEST(VirtualClock, TakesDelaysFromOtherThreadsAndDropsThemWhenRemoved)
{
    int fired = 0;
    {
        Dispatch::VirtualClock clock;
        std::vector<std::thread> workers;
        for (int i = 0; i < 4; ++i)
            workers.emplace_back([&] { Dispatch::mainAfter(1.0, [&] { ++fired; }); });
        for (auto &worker : workers)
            worker.join();
        EXPECT_EQ(clock.pendingCount(), 4);
        clock.advance(1.0);
        EXPECT_EQ(fired, 4);
        Dispatch::mainAfter(1.0, [&] { ++fired; });
    }
    // The clock is gone: its pending block never runs, and new delays use real time again.
    QCoreApplication::processEvents();
    EXPECT_EQ(fired, 4);
    bool realFired = false;
    Dispatch::mainAfter(0.0, [&] { realFired = true; });
    EXPECT_TRUE(runEventsUntil([&] { return realFired; }));
}

TEST(DispatchGroup, NotifiesOnTheGuiThreadWhenTheLastLeaves)
{
    DispatchGroup group;
    std::atomic<int> notified { 0 };
    std::atomic<bool> notifiedOnMain { false };
    constexpr int kWorkers = 8;
    for (int i = 0; i < kWorkers; ++i)
        group.enter();
    group.notify([&] {
        notifiedOnMain = Dispatch::isMainThread();
        ++notified;
    });
    std::atomic<int> done { 0 };
    for (int i = 0; i < kWorkers; ++i) {
        // A copy shares the group, as the platform's group captured in a block would.
        Dispatch::global([group, &done]() mutable {
            ++done;
            group.leave();
        });
    }
    EXPECT_TRUE(group.wait(10));
    EXPECT_TRUE(runEventsUntil([&] { return notified == 1; }));
    EXPECT_EQ(done, kWorkers);
    EXPECT_TRUE(notifiedOnMain);
    QCoreApplication::processEvents();
    EXPECT_EQ(notified, 1) << "a notify block runs once";
}

TEST(DispatchGroup, NotifyOnAnIdleGroupRunsSoonAndUnbalancedLeaveIsIgnored)
{
    DispatchGroup group;
    bool notified = false;
    group.leave(); // ignored, the count stays at zero
    EXPECT_EQ(group.count(), 0);
    group.notify([&] { notified = true; });
    EXPECT_FALSE(notified) << "notify never runs inline";
    EXPECT_TRUE(runEventsUntil([&] { return notified; }));

    group.enter();
    EXPECT_FALSE(group.wait(0));
    group.leave();
    EXPECT_TRUE(group.wait(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_TRUE(group.wait(1e300));
}

} // namespace tarnik
