#pragma once

#include "Platform/UI/Animation.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>

namespace tarnik {

// Runs every animation and every interface timer of the screen layer on the
// GUI thread. In the app it ticks about 60 times a second from a QTimer; tests
// switch it to manual and move its clock with advance(), so no test waits on
// wall-clock time. Animations can be attached to an object under a key (the
// layer-animation idea): adding under a used key replaces the old one, and
// they go when the object goes. Interactive transitions pause, scrub, resume
// and reverse the animations a transition started (captureBegin/captureEnd).
class AnimationDriver : public QObject
{
    Q_OBJECT
public:
    using Id = quint64;
    using Completion = std::function<void(bool finished)>;

    static AnimationDriver &shared();

    void setManual(bool manual);
    bool isManual() const { return m_manual; }
    // Manual mode: moves the clock by `seconds`, running due timers in order
    // and showing every animation at the new time.
    void advance(double seconds);
    // Manual mode: advances in small steps until nothing finite is running or
    // scheduled, at most `limit` seconds.
    void runUntilIdle(double limit = 60.0);
    double currentTime() const;

    // Starts an animation after `delay` seconds; the completion runs once, with
    // true when the animation ran to its end and false when it was stopped.
    Id run(std::shared_ptr<Animation> animation, double delay = 0.0, Completion completion = {});
    void stop(Id id);
    bool isRunning(Id id) const;
    int runningCount() const { return int(m_entries.size()); }

    void addAnimation(QObject *layer, const QString &key, std::shared_ptr<Animation> animation);
    void removeAnimation(QObject *layer, const QString &key);
    void removeAllAnimations(QObject *layer);
    QStringList animationKeys(QObject *layer) const;
    std::shared_ptr<Animation> animation(QObject *layer, const QString &key) const;

    Id schedule(double delay, std::function<void()> callback);
    void cancelScheduled(Id id);

    // Control of running animations for interactive transitions.
    void pause(Id id);
    void seek(Id id, double localTime);
    // Resumes at `speed` (1 normal, negative runs it back to its start, where
    // it ends and its completion runs with true).
    void resume(Id id, double speed);
    double localTime(Id id) const;
    double activeDuration(Id id) const;

    void captureBegin();
    QList<Id> captureEnd();

private:
    struct Entry
    {
        std::shared_ptr<Animation> animation;
        double local = 0.0;
        double speed = 1.0;
        bool paused = false;
        Completion completion;
        QPointer<QObject> layer;
        bool attached = false;
        QString key;
    };
    struct Timer
    {
        double due = 0.0;
        std::function<void()> callback;
    };

    AnimationDriver();
    void step(double dt);
    void finish(Id id, bool finished);
    void ensureTicking();
    void tick();
    void watch(QObject *layer);

    bool m_manual = false;
    double m_manualNow = 0.0;
    QElapsedTimer m_clock;
    double m_lastTick = 0.0;
    QTimer m_ticker;
    Id m_nextId = 1;
    std::map<Id, Entry> m_entries;
    std::map<Id, Timer> m_timers;
    QHash<QObject *, bool> m_watched;
    int m_captureDepth = 0;
    QList<Id> m_captured;
};

} // namespace tarnik
