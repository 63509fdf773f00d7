#pragma once

#include <QtGlobal>
#include <cstdint>
#include <functional>
#include <memory>

namespace tarnik::Dispatch {

// The platform's dispatch queues on Linux.
//
// The main queue is the Qt GUI thread (the thread of QCoreApplication). Work handed to it
// is always queued, even when the caller already is on the GUI thread, so a caller never
// re-enters itself. Global work runs on QThreadPool::globalInstance(); the platform's
// priorities are advisory there, so there is none.
//
// Every function here is safe to call from any thread. Work handed over before the
// application object exists, or after it is gone, is dropped: there is no GUI thread to run it.

// Runs fn on the GUI thread, after the caller returns to the event loop.
void main(std::function<void()> fn);

// Runs fn on the GUI thread once `seconds` have passed. A negative or NaN delay means
// "as soon as possible"; a huge one is clamped (it never fires within a process lifetime).
// While a VirtualClock is installed, the delay is measured on that clock instead.
void mainAfter(double seconds, std::function<void()> fn);

// Runs fn on a thread of the global pool.
void global(std::function<void()> fn);

// Whether the caller is on the GUI thread.
bool isMainThread();

// Seconds on the clock that mainAfter uses: the installed VirtualClock's time, else a
// monotonic clock. Only differences between two readings mean anything.
double now();

// A virtual clock for tests: while one is installed, every mainAfter waits on it instead of
// on wall time, and nothing fires until the test calls advance(). Install it on the GUI thread;
// at most one is installed at a time. Destroying it uninstalls it and drops pending callbacks.
class VirtualClock
{
public:
    VirtualClock();
    ~VirtualClock();
    VirtualClock(const VirtualClock &) = delete;
    VirtualClock &operator=(const VirtualClock &) = delete;

    // Moves the clock forward by `seconds` (a negative or NaN step counts as zero) and runs,
    // on the calling thread, each delayed callback that falls due, in due-time order (callbacks
    // due at the same time run in the order they were scheduled). Callbacks scheduled while
    // advancing run too when they fall within the step. Call it on the GUI thread.
    void advance(double seconds);

    // The time since the clock was installed, in seconds.
    double now() const;

    // Callbacks that are scheduled and have not run yet.
    int pendingCount() const;

    // Seconds until the next pending callback falls due; negative when nothing is pending.
    double nextDueIn() const;

private:
    friend void mainAfter(double seconds, std::function<void()> fn);
    friend double now();
    void schedule(double seconds, std::function<void()> fn);

    struct State;
    std::unique_ptr<State> m_state;
};

} // namespace tarnik::Dispatch
