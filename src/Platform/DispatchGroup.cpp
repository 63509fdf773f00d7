#include "Platform/DispatchGroup.h"

#include "Platform/Dispatch.h"

#include <QDebug>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace tarnik {

struct DispatchGroup::State
{
    mutable std::mutex mutex;
    std::condition_variable zero;
    int count = 0;
    std::vector<std::function<void()>> waiting;
};

DispatchGroup::DispatchGroup()
    : m_state(std::make_shared<State>())
{
}

void DispatchGroup::enter()
{
    std::lock_guard lock(m_state->mutex);
    ++m_state->count;
}

void DispatchGroup::leave()
{
    std::vector<std::function<void()>> ready;
    {
        std::lock_guard lock(m_state->mutex);
        if (m_state->count == 0) {
            qWarning("DispatchGroup::leave() without a matching enter()");
            return;
        }
        if (--m_state->count > 0)
            return;
        ready.swap(m_state->waiting);
        m_state->zero.notify_all();
    }
    for (auto &fn : ready)
        Dispatch::main(std::move(fn));
}

void DispatchGroup::notify(std::function<void()> fn)
{
    if (!fn)
        return;
    {
        std::lock_guard lock(m_state->mutex);
        if (m_state->count > 0) {
            m_state->waiting.push_back(std::move(fn));
            return;
        }
    }
    Dispatch::main(std::move(fn));
}

bool DispatchGroup::wait(double timeoutSeconds)
{
    std::unique_lock lock(m_state->mutex);
    const auto isZero = [this] { return m_state->count == 0; };
    if (timeoutSeconds < 0.0 || std::isnan(timeoutSeconds)) {
        m_state->zero.wait(lock, isZero);
        return true;
    }
    // Clamp so a huge timeout cannot overflow the clock's arithmetic.
    const double capped = std::min(timeoutSeconds, 1e9);
    return m_state->zero.wait_for(lock, std::chrono::milliseconds(static_cast<long long>(capped * 1000.0)), isZero);
}

int DispatchGroup::count() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->count;
}

} // namespace tarnik
