#include "Platform/UI/AnimationDriver.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace tarnik {

AnimationDriver &AnimationDriver::shared()
{
    static AnimationDriver *driver = new AnimationDriver;
    return *driver;
}

AnimationDriver::AnimationDriver()
{
    m_clock.start();
    m_ticker.setInterval(16);
    m_ticker.setTimerType(Qt::PreciseTimer);
    connect(&m_ticker, &QTimer::timeout, this, &AnimationDriver::tick);
}

void AnimationDriver::setManual(bool manual)
{
    m_manual = manual;
    if (manual)
        m_ticker.stop();
    else
        ensureTicking();
    m_lastTick = currentTime();
}

double AnimationDriver::currentTime() const
{
    return m_manual ? m_manualNow : double(m_clock.nsecsElapsed()) / 1e9;
}

void AnimationDriver::advance(double seconds)
{
    if (!m_manual || !(seconds >= 0.0))
        return;
    // Timers and animations interleave in time order, so a timer that starts
    // an animation sees it run for the rest of the step.
    const double end = m_manualNow + seconds;
    for (;;) {
        auto next = std::min_element(
            m_timers.begin(), m_timers.end(), [](const auto &a, const auto &b) { return a.second.due < b.second.due; });
        if (next == m_timers.end() || next->second.due > end)
            break;
        const Id id = next->first;
        const double dt = std::max(0.0, next->second.due - m_manualNow);
        m_manualNow = std::max(m_manualNow, next->second.due);
        // The step may end animations whose completions cancel or add timers,
        // so the timer is looked up again afterwards.
        step(dt);
        auto found = m_timers.find(id);
        if (found == m_timers.end())
            continue;
        auto callback = std::move(found->second.callback);
        m_timers.erase(found);
        if (callback)
            callback();
    }
    const double rest = end - m_manualNow;
    m_manualNow = end;
    step(rest);
}

void AnimationDriver::runUntilIdle(double limit)
{
    double spent = 0.0;
    const auto busy = [this] {
        if (!m_timers.empty())
            return true;
        for (const auto &[id, e] : m_entries) {
            if (!e.paused && std::isfinite(e.animation->activeDuration()))
                return true;
        }
        return false;
    };
    while (busy() && spent < limit) {
        advance(1.0 / 60.0);
        spent += 1.0 / 60.0;
    }
}

AnimationDriver::Id AnimationDriver::run(std::shared_ptr<Animation> animation, double delay, Completion completion)
{
    const Id id = m_nextId++;
    if (!animation) {
        if (completion)
            completion(false);
        return id;
    }
    Entry e;
    e.animation = std::move(animation);
    e.local = -std::max(0.0, std::isfinite(delay) ? delay : 0.0);
    e.completion = std::move(completion);
    m_entries.emplace(id, std::move(e));
    if (m_captureDepth > 0)
        m_captured.append(id);
    ensureTicking();
    return id;
}

void AnimationDriver::stop(Id id)
{
    finish(id, false);
}

bool AnimationDriver::isRunning(Id id) const
{
    return m_entries.count(id) != 0;
}

void AnimationDriver::finish(Id id, bool finished)
{
    auto it = m_entries.find(id);
    if (it == m_entries.end())
        return;
    Completion completion = std::move(it->second.completion);
    m_entries.erase(it);
    if (completion)
        completion(finished);
}

void AnimationDriver::watch(QObject *layer)
{
    if (m_watched.contains(layer))
        return;
    m_watched.insert(layer, true);
    connect(layer, &QObject::destroyed, this, [this, layer] {
        m_watched.remove(layer);
        for (auto it = m_entries.begin(); it != m_entries.end();) {
            if (it->second.attached && it->second.layer.isNull())
                it = m_entries.erase(it);
            else
                ++it;
        }
    });
}

void AnimationDriver::addAnimation(QObject *layer, const QString &key, std::shared_ptr<Animation> animation)
{
    if (!layer || !animation)
        return;
    removeAnimation(layer, key);
    watch(layer);
    const Id id = m_nextId++;
    Entry e;
    e.animation = std::move(animation);
    e.layer = layer;
    e.attached = true;
    e.key = key;
    m_entries.emplace(id, std::move(e));
    ensureTicking();
}

void AnimationDriver::removeAnimation(QObject *layer, const QString &key)
{
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        if (it->second.attached && it->second.layer == layer && it->second.key == key) {
            finish(it->first, false);
            return;
        }
    }
}

void AnimationDriver::removeAllAnimations(QObject *layer)
{
    std::vector<Id> ids;
    for (const auto &[id, e] : m_entries) {
        if (e.attached && e.layer == layer)
            ids.push_back(id);
    }
    for (Id id : ids)
        finish(id, false);
}

QStringList AnimationDriver::animationKeys(QObject *layer) const
{
    QStringList keys;
    for (const auto &[id, e] : m_entries) {
        if (e.attached && e.layer == layer)
            keys.append(e.key);
    }
    return keys;
}

std::shared_ptr<Animation> AnimationDriver::animation(QObject *layer, const QString &key) const
{
    for (const auto &[id, e] : m_entries) {
        if (e.attached && e.layer == layer && e.key == key)
            return e.animation;
    }
    return nullptr;
}

AnimationDriver::Id AnimationDriver::schedule(double delay, std::function<void()> callback)
{
    const Id id = m_nextId++;
    m_timers.emplace(id, Timer { currentTime() + std::max(0.0, delay), std::move(callback) });
    ensureTicking();
    return id;
}

void AnimationDriver::cancelScheduled(Id id)
{
    m_timers.erase(id);
}

void AnimationDriver::pause(Id id)
{
    auto it = m_entries.find(id);
    if (it != m_entries.end())
        it->second.paused = true;
}

void AnimationDriver::seek(Id id, double localTime)
{
    auto it = m_entries.find(id);
    if (it == m_entries.end())
        return;
    it->second.local = localTime;
    if (localTime >= 0.0)
        it->second.animation->applyAtTime(localTime);
}

void AnimationDriver::resume(Id id, double speed)
{
    auto it = m_entries.find(id);
    if (it == m_entries.end())
        return;
    it->second.paused = false;
    it->second.speed = speed;
    ensureTicking();
}

double AnimationDriver::localTime(Id id) const
{
    auto it = m_entries.find(id);
    return it == m_entries.end() ? 0.0 : it->second.local;
}

double AnimationDriver::activeDuration(Id id) const
{
    auto it = m_entries.find(id);
    return it == m_entries.end() ? 0.0 : it->second.animation->activeDuration();
}

void AnimationDriver::captureBegin()
{
    if (m_captureDepth++ == 0)
        m_captured.clear();
}

QList<AnimationDriver::Id> AnimationDriver::captureEnd()
{
    if (m_captureDepth > 0)
        --m_captureDepth;
    return m_captureDepth == 0 ? std::exchange(m_captured, {}) : m_captured;
}

void AnimationDriver::step(double dt)
{
    std::vector<Id> ids;
    for (const auto &[id, e] : m_entries)
        ids.push_back(id);
    std::vector<std::pair<Id, bool>> ended;
    for (Id id : ids) {
        auto it = m_entries.find(id);
        if (it == m_entries.end())
            continue;
        Entry &e = it->second;
        if (e.paused)
            continue;
        if (e.attached && e.layer.isNull()) {
            m_entries.erase(it);
            continue;
        }
        e.local += dt * e.speed;
        const double total = e.animation->activeDuration();
        if (e.speed < 0 && e.local <= 0.0) {
            e.animation->applyAtTime(0.0);
            ended.emplace_back(id, true);
        } else if (e.local >= total) {
            e.animation->applyAtTime(total);
            if (!e.attached || e.animation->removedOnCompletion)
                ended.emplace_back(id, true);
            else
                e.paused = true; // stays at its last state
        } else if (e.local >= 0.0) {
            e.animation->applyAtTime(e.local);
        }
    }
    for (const auto &[id, finished] : ended)
        finish(id, finished);
}

void AnimationDriver::ensureTicking()
{
    if (m_manual || m_ticker.isActive())
        return;
    if (m_entries.empty() && m_timers.empty())
        return;
    m_lastTick = currentTime();
    m_ticker.start();
}

void AnimationDriver::tick()
{
    const double now = currentTime();
    const double dt = now - m_lastTick;
    m_lastTick = now;
    std::vector<Id> due;
    for (const auto &[id, t] : m_timers) {
        if (t.due <= now)
            due.push_back(id);
    }
    step(dt);
    for (Id id : due) {
        auto it = m_timers.find(id);
        if (it == m_timers.end())
            continue;
        auto callback = std::move(it->second.callback);
        m_timers.erase(it);
        if (callback)
            callback();
    }
    bool busy = !m_timers.empty();
    for (const auto &[id, e] : m_entries)
        busy = busy || !e.paused;
    if (!busy)
        m_ticker.stop();
}

} // namespace tarnik
