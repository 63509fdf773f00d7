#pragma once

#include <QHashFunctions>
#include <QMetaType>
#include <compare>

namespace tarnik {

// A row's place in a list or grid, as the platform's index path: an item within a section.
// A plain value, safe to copy between threads.
struct IndexPath
{
    int item = 0;
    int section = 0;

    // The platform calls a list's item its row.
    int row() const { return item; }

    friend bool operator==(const IndexPath &, const IndexPath &) = default;
    // Ordered by section, then item, as a list shows them.
    friend std::strong_ordering operator<=>(const IndexPath &a, const IndexPath &b)
    {
        if (auto c = a.section <=> b.section; c != 0)
            return c;
        return a.item <=> b.item;
    }
};

inline size_t qHash(const IndexPath &indexPath, size_t seed = 0) noexcept
{
    return qHashMulti(seed, indexPath.section, indexPath.item);
}

} // namespace tarnik

Q_DECLARE_METATYPE(tarnik::IndexPath)
