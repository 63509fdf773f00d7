#pragma once

#include <QHash>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <vector>

namespace tarnik {

// The reuse queues of a scrolling view: for each reuse identifier, how to
// make a new view and the views waiting to be handed out again. Views in the
// pool stay hidden children of the owner widget, so they are deleted with it.
// Dequeuing takes a waiting view when there is one and makes a new one
// otherwise; an identifier nobody registered yields nothing. GUI thread only.
class ReusableViewPool
{
public:
    using Factory = std::function<QWidget *()>;

    explicit ReusableViewPool(QWidget *owner)
        : m_owner(owner)
    {
    }

    void registerFactory(const QString &identifier, Factory factory);
    // Registers, under `key`, a factory of views that carry the reuse
    // identifier they were made for; no factory removes the registration.
    template<class View>
    void registerReusableView(const QString &key, const QString &identifier, std::function<View *()> factory)
    {
        if (!factory) {
            registerFactory(key, {});
            return;
        }
        registerFactory(key, [factory, identifier]() -> QWidget * {
            View *view = factory();
            if (view)
                view->setReuseIdentifier(identifier);
            return view;
        });
    }
    bool isRegistered(const QString &identifier) const { return m_factories.contains(identifier); }

    // A waiting view (true in `reused`) or a new one; nullptr when the
    // identifier is unknown.
    QWidget *dequeue(const QString &identifier, bool *reused = nullptr);
    // Hides the view and puts it back in the queue of its identifier.
    void enqueue(const QString &identifier, QWidget *view);
    // Takes a view out of the queues when its owner hands it out again by
    // itself (a screen that keeps some cells and returns them directly).
    void remove(QWidget *view);
    bool contains(const QWidget *view) const;

    int waitingCount() const;
    int madeCount() const { return m_made; }

private:
    QWidget *m_owner;
    QHash<QString, Factory> m_factories;
    QHash<QString, std::vector<QPointer<QWidget>>> m_waiting;
    int m_made = 0;
};

} // namespace tarnik
