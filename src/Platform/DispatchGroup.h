#pragma once

#include <QtGlobal>
#include <functional>
#include <memory>

namespace tarnik {

// A count of outstanding pieces of work, as the platform's dispatch group.
//
// enter() before starting a piece of work, leave() when it is done; notify() runs a block on
// the GUI thread once the count is zero. Copies share one group, so a copy captured by value
// in a background block leaves the same group the caller entered. All members are safe from
// any thread.
//
// A leave() without a matching enter() is ignored with a warning instead of driving the count
// below zero (the platform would crash there).
class DispatchGroup
{
public:
    DispatchGroup();

    void enter();
    void leave();

    // Queues fn on the GUI thread for when the count is next zero: at once when it is zero
    // now, else when the last leave() comes. Each block runs once.
    void notify(std::function<void()> fn);

    // Blocks the calling thread until the count is zero, or until `timeoutSeconds` have passed
    // when it is not negative. Returns whether the count reached zero. Never call it on the
    // GUI thread for work that needs the GUI thread to finish.
    bool wait(double timeoutSeconds = -1.0);

    // The number of enter() calls not yet left.
    int count() const;

private:
    struct State;
    std::shared_ptr<State> m_state;
};

} // namespace tarnik
