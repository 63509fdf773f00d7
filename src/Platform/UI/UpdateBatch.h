#pragma once

#include "Platform/IndexPath.h"

#include <QString>
#include <map>
#include <optional>
#include <set>
#include <vector>

namespace tarnik {

// The insertions, deletions and reloads of one batch update of a list or
// grid, and what they mean: whether the model's new counts agree with them,
// and where each old index path lands. Deleted and reloaded positions are old
// index paths, inserted ones new index paths, as the toolkit has it. A
// reloaded section takes any new count; its items and reloaded items land
// nowhere (their cells are asked for again).
class UpdateBatch
{
public:
    std::set<int> deletedSections;
    std::set<int> insertedSections;
    std::set<int> reloadedSections;
    std::map<int, std::set<int>> deletedItems; // old section -> old items
    std::map<int, std::set<int>> insertedItems; // new section -> new items
    std::set<IndexPath> reloadedItems; // old index paths

    // Checks the counts (one per section, before and after) and prepares
    // the mapping; the text of the first disagreement, or empty when they add up.
    QString apply(const std::vector<int> &oldCounts, const std::vector<int> &newCounts, const QString &itemsWord);

    std::optional<IndexPath> map(const IndexPath &old) const;

    // Where an old index lands after deletions (old indexes) and insertions
    // (new indexes); none when it was deleted.
    static std::optional<int> mapIndex(int index, const std::set<int> &deleted, const std::set<int> &inserted);

private:
    std::vector<std::optional<int>> m_sectionMap;
};

} // namespace tarnik
