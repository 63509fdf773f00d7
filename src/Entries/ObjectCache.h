#pragma once

#include <QHash>
#include <QString>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <vector>

namespace tarnik {

// A process-wide cache of shared objects keyed by text, as the platform's cache: safe from any
// thread, and free to drop objects to keep memory bounded. Each object has a cost (its bytes,
// as the cost function tells at insertion); when the total cost or the count passes its limit,
// the objects used least recently go first. A limit of 0 means no limit. Values are shared, so
// an object handed out stays alive for its holder even when the cache drops it.
template<typename T> class ObjectCache
{
public:
    using CostFunction = std::function<qint64(const T &)>;

    explicit ObjectCache(CostFunction costOf = {}, qint64 totalCostLimit = 0, qsizetype countLimit = 0)
        : m_costOf(std::move(costOf))
        , m_totalCostLimit(totalCostLimit)
        , m_countLimit(countLimit)
    {
    }

    ~ObjectCache() = default;
    ObjectCache(const ObjectCache &) = delete;
    ObjectCache &operator=(const ObjectCache &) = delete;

    // The object under the key, which counts as used now.
    std::shared_ptr<T> object(const QString &key) const
    {
        std::lock_guard lock(m_mutex);
        const auto found = m_index.constFind(key);
        if (found == m_index.constEnd())
            return nullptr;
        m_order.splice(m_order.begin(), m_order, *found);
        return (*found)->object;
    }

    void setObject(const QString &key, std::shared_ptr<T> object)
    {
        if (!object) {
            removeObject(key);
            return;
        }
        const qint64 cost = m_costOf ? m_costOf(*object) : 0;
        std::vector<std::shared_ptr<T>> dropped;
        {
            std::lock_guard lock(m_mutex);
            if (const auto found = m_index.constFind(key); found != m_index.constEnd()) {
                dropped.push_back(std::move((*found)->object));
                m_totalCost -= (*found)->cost;
                m_order.erase(*found);
            }
            m_order.push_front(Node { key, std::move(object), cost });
            m_index.insert(key, m_order.begin());
            m_totalCost += cost;
            evict(dropped);
        }
        // Released outside the lock: a destructor may use the cache.
    }

    void removeObject(const QString &key)
    {
        std::shared_ptr<T> dropped;
        std::lock_guard lock(m_mutex);
        const auto found = m_index.constFind(key);
        if (found == m_index.constEnd())
            return;
        dropped = std::move((*found)->object);
        m_totalCost -= (*found)->cost;
        m_order.erase(*found);
        m_index.erase(found);
    }

    void removeAllObjects()
    {
        // The objects are released outside the lock: a destructor may use the cache.
        std::list<Node> dropped;
        {
            std::lock_guard lock(m_mutex);
            dropped.swap(m_order);
            m_index.clear();
            m_totalCost = 0;
        }
    }

    qsizetype count() const
    {
        std::lock_guard lock(m_mutex);
        return m_index.size();
    }

    qint64 totalCost() const
    {
        std::lock_guard lock(m_mutex);
        return m_totalCost;
    }

    qint64 totalCostLimit() const
    {
        std::lock_guard lock(m_mutex);
        return m_totalCostLimit;
    }

    void setTotalCostLimit(qint64 limit)
    {
        std::vector<std::shared_ptr<T>> dropped;
        std::lock_guard lock(m_mutex);
        m_totalCostLimit = limit;
        evict(dropped);
    }

    void setCountLimit(qsizetype limit)
    {
        std::vector<std::shared_ptr<T>> dropped;
        std::lock_guard lock(m_mutex);
        m_countLimit = limit;
        evict(dropped);
    }

private:
    struct Node
    {
        QString key;
        std::shared_ptr<T> object;
        qint64 cost = 0;
    };

    // Drops the least recently used objects until both limits hold; the newest object stays even
    // when it alone costs more than the limit.
    void evict(std::vector<std::shared_ptr<T>> &dropped)
    {
        while (m_order.size() > 1
            && ((m_totalCostLimit > 0 && m_totalCost > m_totalCostLimit)
                || (m_countLimit > 0 && qsizetype(m_order.size()) > m_countLimit))) {
            Node &last = m_order.back();
            m_totalCost -= last.cost;
            m_index.remove(last.key);
            dropped.push_back(std::move(last.object));
            m_order.pop_back();
        }
    }

    const CostFunction m_costOf;
    mutable std::mutex m_mutex;
    // Most recently used first.
    mutable std::list<Node> m_order;
    QHash<QString, typename std::list<Node>::iterator> m_index;
    qint64 m_totalCost = 0;
    qint64 m_totalCostLimit = 0;
    qsizetype m_countLimit = 0;
};

} // namespace tarnik
