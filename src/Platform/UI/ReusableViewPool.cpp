#include "Platform/UI/ReusableViewPool.h"

#include <algorithm>

namespace tarnik {

void ReusableViewPool::registerFactory(const QString &identifier, Factory factory)
{
    if (factory)
        m_factories.insert(identifier, std::move(factory));
    else
        m_factories.remove(identifier);
    // Views of an earlier registration would be of the old class.
    auto it = m_waiting.find(identifier);
    if (it != m_waiting.end()) {
        for (const QPointer<QWidget> &view : it.value())
            delete view.data();
        m_waiting.erase(it);
    }
}

QWidget *ReusableViewPool::dequeue(const QString &identifier, bool *reused)
{
    if (reused)
        *reused = false;
    auto it = m_waiting.find(identifier);
    if (it != m_waiting.end()) {
        while (!it.value().empty()) {
            QWidget *view = it.value().back();
            it.value().pop_back();
            if (!view)
                continue; // deleted while it waited
            if (reused)
                *reused = true;
            return view;
        }
    }
    const auto factory = m_factories.constFind(identifier);
    if (factory == m_factories.constEnd())
        return nullptr;
    QWidget *view = (*factory)();
    if (!view)
        return nullptr;
    ++m_made;
    view->hide();
    view->setParent(m_owner);
    return view;
}

void ReusableViewPool::enqueue(const QString &identifier, QWidget *view)
{
    if (!view)
        return;
    view->hide();
    auto &queue = m_waiting[identifier];
    if (std::find(queue.begin(), queue.end(), view) == queue.end())
        queue.push_back(view);
}

void ReusableViewPool::remove(QWidget *view)
{
    for (auto &queue : m_waiting) {
        auto it = std::find(queue.begin(), queue.end(), view);
        if (it != queue.end()) {
            queue.erase(it);
            return;
        }
    }
}

bool ReusableViewPool::contains(const QWidget *view) const
{
    for (const auto &queue : m_waiting) {
        if (std::find(queue.begin(), queue.end(), view) != queue.end())
            return true;
    }
    return false;
}

int ReusableViewPool::waitingCount() const
{
    int n = 0;
    for (const auto &queue : m_waiting)
        n += int(queue.size());
    return n;
}

} // namespace tarnik
