#pragma once

#include <QHash>
#include <QString>
#include <memory>
#include <mutex>

namespace tarnik {

// A process-wide cache of shared objects keyed by text, as the platform's cache: safe from any
// thread, no count or cost limit. Values are shared, so an object handed out stays alive for its
// holder even when the cache drops it.
template<typename T> class ObjectCache
{
public:
    std::shared_ptr<T> object(const QString &key) const
    {
        std::lock_guard lock(m_mutex);
        return m_objects.value(key);
    }

    void setObject(const QString &key, std::shared_ptr<T> object)
    {
        std::lock_guard lock(m_mutex);
        if (object)
            m_objects.insert(key, std::move(object));
        else
            m_objects.remove(key);
    }

    void removeObject(const QString &key)
    {
        std::lock_guard lock(m_mutex);
        m_objects.remove(key);
    }

    void removeAllObjects()
    {
        // The objects are released outside the lock: a destructor may use the cache.
        QHash<QString, std::shared_ptr<T>> dropped;
        {
            std::lock_guard lock(m_mutex);
            dropped.swap(m_objects);
        }
    }

    qsizetype count() const
    {
        std::lock_guard lock(m_mutex);
        return m_objects.size();
    }

private:
    mutable std::mutex m_mutex;
    QHash<QString, std::shared_ptr<T>> m_objects;
};

} // namespace tarnik
