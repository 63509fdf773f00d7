#include "Platform/UI/BatchUpdateAnimation.h"

#include "Platform/UI/AnimationDriver.h"
#include "Platform/UI/ScrollView.h"
#include "Platform/UI/View.h"

namespace tarnik {

void joinOuterBatch(QObject *owner, const std::function<void()> &updates, std::function<void(bool)> completion)
{
    if (updates)
        updates();
    if (completion) {
        QPointer<QObject> guard(owner);
        AnimationDriver::shared().schedule(0.0, [completion, guard] { completion(guard != nullptr); });
    }
}

std::set<IndexPath> mapIndexPaths(const std::set<IndexPath> &paths, const UpdateBatch &batch)
{
    std::set<IndexPath> mapped;
    for (const IndexPath &ip : paths) {
        if (const std::optional<IndexPath> to = batch.map(ip))
            mapped.insert(*to);
    }
    return mapped;
}

void runBatchUpdateAnimation(ScrollView *owner, const std::vector<std::pair<QPointer<QWidget>, QRect>> &slides,
    const std::vector<QPointer<QWidget>> &arrivals, std::function<void(bool)> completion)
{
    for (const auto &cell : arrivals)
        View::setAlpha(cell, 0.0);
    QPointer<ScrollView> guard(owner);
    View::animate(
        0.3,
        [&] {
            for (const auto &[cell, target] : slides)
                View::setFrame(cell, target);
            for (const auto &cell : arrivals)
                View::setAlpha(cell, 1.0);
        },
        [guard, completion](bool) {
            if (guard) {
                // A scroll during the move placed cells itself; settle the rest.
                guard->setNeedsLayout();
                guard->layoutIfNeeded();
            }
            if (completion)
                completion(guard != nullptr);
        });
}

} // namespace tarnik
