#pragma once

namespace tarnik {

// Where a pull-to-refresh stands: idle -> pullingDown -> animating ->
// refreshing -> pausing -> (endRefreshing) returning -> idle.
enum class RefresherState { idle, pullingDown, animating, refreshing, returning, pausing };

// What the refresher tells its content view.
struct RefresherEvent
{
    enum class Kind { endRefreshing, reset, pullDown, startAnimating, startRefreshing, pause };
    Kind kind = Kind::reset;
    double delay = 0.0; // endRefreshing only

    static RefresherEvent endRefreshing(double seconds) { return { Kind::endRefreshing, seconds }; }
    static RefresherEvent reset() { return { Kind::reset, 0.0 }; }
    static RefresherEvent pullDown() { return { Kind::pullDown, 0.0 }; }
    static RefresherEvent startAnimating() { return { Kind::startAnimating, 0.0 }; }
    static RefresherEvent startRefreshing() { return { Kind::startRefreshing, 0.0 }; }
    static RefresherEvent pause() { return { Kind::pause, 0.0 }; }

    friend bool operator==(const RefresherEvent &, const RefresherEvent &) = default;
};

} // namespace tarnik
