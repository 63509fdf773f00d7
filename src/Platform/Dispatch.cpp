#include "Platform/Dispatch.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMetaObject>
#include <QThread>
#include <QThreadPool>
#include <QTimer>
#include <cmath>
#include <limits>
#include <map>
#include <mutex>
#include <utility>

namespace tarnik::Dispatch {

namespace {

// Guards the installed clock pointer so a background thread scheduling a delay never races
// with a test installing or removing the clock.
std::mutex &clockMutex()
{
    static std::mutex mutex;
    return mutex;
}

VirtualClock *s_clock = nullptr;

// QTimer takes milliseconds as int; anything longer than that would wrap.
int delayInMilliseconds(double seconds)
{
    if (!(seconds > 0.0)) // also catches NaN
        return 0;
    const double ms = std::ceil(seconds * 1000.0);
    constexpr double kMax = static_cast<double>(std::numeric_limits<int>::max());
    return ms >= kMax ? std::numeric_limits<int>::max() : static_cast<int>(ms);
}

double sanitizedStep(double seconds)
{
    if (!(seconds > 0.0))
        return 0.0;
    return std::isfinite(seconds) ? seconds : std::numeric_limits<double>::max();
}

} // namespace

void main(std::function<void()> fn)
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app || !fn)
        return;
    QMetaObject::invokeMethod(app, std::move(fn), Qt::QueuedConnection);
}

void mainAfter(double seconds, std::function<void()> fn)
{
    if (!fn)
        return;
    {
        std::lock_guard lock(clockMutex());
        if (s_clock) {
            s_clock->schedule(seconds, std::move(fn));
            return;
        }
    }
    const int ms = delayInMilliseconds(seconds);
    // The timer must be started on the GUI thread, which has the event loop that fires it.
    main([ms, fn = std::move(fn)]() mutable { QTimer::singleShot(ms, QCoreApplication::instance(), std::move(fn)); });
}

void global(std::function<void()> fn)
{
    if (!fn)
        return;
    QThreadPool::globalInstance()->start(std::move(fn));
}

bool isMainThread()
{
    const QCoreApplication *app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

double now()
{
    {
        std::lock_guard lock(clockMutex());
        if (s_clock)
            return s_clock->now();
    }
    static const QElapsedTimer started = [] {
        QElapsedTimer timer;
        timer.start();
        return timer;
    }();
    return static_cast<double>(started.nsecsElapsed()) / 1e9;
}

struct VirtualClock::State
{
    mutable std::mutex mutex;
    double now = 0.0;
    std::uint64_t nextSequence = 0;
    // Keyed by (due time, sequence) so equal due times keep their scheduling order.
    std::map<std::pair<double, std::uint64_t>, std::function<void()>> pending;
};

VirtualClock::VirtualClock()
    : m_state(std::make_unique<State>())
{
    std::lock_guard lock(clockMutex());
    Q_ASSERT_X(!s_clock, "VirtualClock", "a virtual clock is already installed");
    s_clock = this;
}

VirtualClock::~VirtualClock()
{
    std::lock_guard lock(clockMutex());
    if (s_clock == this)
        s_clock = nullptr;
}

void VirtualClock::schedule(double seconds, std::function<void()> fn)
{
    std::lock_guard lock(m_state->mutex);
    const double due = m_state->now + sanitizedStep(seconds);
    m_state->pending.emplace(std::make_pair(due, m_state->nextSequence++), std::move(fn));
}

void VirtualClock::advance(double seconds)
{
    double target;
    {
        std::lock_guard lock(m_state->mutex);
        target = m_state->now + sanitizedStep(seconds);
    }
    for (;;) {
        std::function<void()> fn;
        {
            std::lock_guard lock(m_state->mutex);
            auto first = m_state->pending.begin();
            if (first == m_state->pending.end() || first->first.first > target) {
                m_state->now = target;
                return;
            }
            // The callback sees the clock at its own due time, so a callback that schedules
            // a further delay measures it from when it ran.
            m_state->now = std::max(m_state->now, first->first.first);
            fn = std::move(first->second);
            m_state->pending.erase(first);
        }
        // Run without the lock: the callback may schedule more delayed work.
        fn();
    }
}

double VirtualClock::now() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->now;
}

int VirtualClock::pendingCount() const
{
    std::lock_guard lock(m_state->mutex);
    return static_cast<int>(m_state->pending.size());
}

double VirtualClock::nextDueIn() const
{
    std::lock_guard lock(m_state->mutex);
    if (m_state->pending.empty())
        return -1.0;
    return m_state->pending.begin()->first.first - m_state->now;
}

} // namespace tarnik::Dispatch
