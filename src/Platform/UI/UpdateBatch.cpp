#include "Platform/UI/UpdateBatch.h"

#include <iterator>

namespace tarnik {

std::optional<int> UpdateBatch::mapIndex(int index, const std::set<int> &deleted, const std::set<int> &inserted)
{
    if (deleted.count(index))
        return std::nullopt;
    int rank = index - int(std::distance(deleted.begin(), deleted.lower_bound(index)));
    for (int k : inserted) {
        if (k <= rank)
            ++rank;
        else
            break;
    }
    return rank;
}

QString UpdateBatch::apply(
    const std::vector<int> &oldCounts, const std::vector<int> &newCounts, const QString &itemsWord)
{
    const int oldSections = int(oldCounts.size());
    const int newSections = int(newCounts.size());
    m_sectionMap.assign(size_t(oldSections), std::nullopt);
    for (int s = 0; s < oldSections; ++s)
        m_sectionMap[size_t(s)] = mapIndex(s, deletedSections, insertedSections);
    if (newSections != oldSections - int(deletedSections.size()) + int(insertedSections.size()))
        return QStringLiteral("Invalid update: invalid number of sections. There are %1 sections after the update, "
                              "but there were %2 before it, with %3 inserted and %4 deleted.")
            .arg(newSections)
            .arg(oldSections)
            .arg(insertedSections.size())
            .arg(deletedSections.size());
    for (int s = 0; s < oldSections; ++s) {
        const std::optional<int> ns = m_sectionMap[size_t(s)];
        if (!ns || reloadedSections.count(s))
            continue;
        const auto del = deletedItems.find(s);
        const auto ins = insertedItems.find(*ns);
        const int deleted = del == deletedItems.end() ? 0 : int(del->second.size());
        const int inserted = ins == insertedItems.end() ? 0 : int(ins->second.size());
        const int expected = oldCounts[size_t(s)] - deleted + inserted;
        const int actual = *ns < newSections ? newCounts[size_t(*ns)] : 0;
        if (actual != expected)
            return QStringLiteral("Invalid update: invalid number of %1 in section %2. The section holds %3 %1 after "
                                  "the update, but must hold %4: %5 before it, plus %6 inserted, minus %7 deleted.")
                .arg(itemsWord)
                .arg(*ns)
                .arg(actual)
                .arg(expected)
                .arg(oldCounts[size_t(s)])
                .arg(inserted)
                .arg(deleted);
    }
    return {};
}

std::optional<IndexPath> UpdateBatch::map(const IndexPath &old) const
{
    if (old.section < 0 || size_t(old.section) >= m_sectionMap.size())
        return std::nullopt;
    const std::optional<int> ns = m_sectionMap[size_t(old.section)];
    if (!ns || reloadedSections.count(old.section) || reloadedItems.count(old))
        return std::nullopt;
    static const std::set<int> none;
    const auto del = deletedItems.find(old.section);
    const auto ins = insertedItems.find(*ns);
    const std::optional<int> item = mapIndex(
        old.item, del == deletedItems.end() ? none : del->second, ins == insertedItems.end() ? none : ins->second);
    if (!item)
        return std::nullopt;
    return IndexPath { *item, *ns };
}

} // namespace tarnik
