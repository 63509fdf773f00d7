#pragma once

// The browser inside the app's root tab bar with the shared player on the fake backend: a folder
// shown in the Files tab, its rows' details awaited, an item tapped.

#include "Browser/DirectoryNavigationController.h"
#include "Browser/DirectoryViewController.h"
#include "Entries/EntryViewModel.h"
#include "Entries/EntryViewModelController.h"
#include "Platform/UI/CollectionView.h"
#include "Support/EntriesSupport.h"
#include "Support/PlayerScreenSupport.h"

namespace tarnik::test {

class BrowserInTabsTest : public PlayerScreenTest
{
public:
    // Selects the Files tab and shows folder in it, its first page listed.
    DirectoryViewController *showFolder(const QString &folder)
    {
        host->setSelectedIndex(1);
        auto *browser = qobject_cast<DirectoryNavigationController *>(host->viewControllers().value(1));
        if (!browser)
            return nullptr;
        browser->browseToFile(folder);
        wait(0.1);
        auto *level = qobject_cast<DirectoryViewController *>(browser->topViewController());
        if (!level || !waitUntil([&] {
                settle();
                return level->appliedListings() > 0;
            }))
            return nullptr;
        wait(0.6);
        return level;
    }
    // Waits until the rows' details (titles, artwork) have arrived.
    void waitForDetails(DirectoryViewController *level, int rows)
    {
        waitUntil([&] {
            settle();
            for (int i = 0; i < rows; ++i) {
                const auto viewModel = level->entryViewModelController().viewModel(i);
                if (viewModel && viewModel->state() != UpdateState::updated)
                    return false;
            }
            return true;
        });
        wait(0.6);
    }
    static void tapItem(DirectoryViewController *level, int item)
    {
        CollectionView *cv = level->collectionView();
        cv->layoutIfNeeded();
        const std::optional<QRectF> frame = cv->frameForItem(IndexPath { item, 0 });
        ASSERT_TRUE(frame.has_value());
        const QPointF point = cv->mapFromContent(frame->center());
        cv->touchBegan(point);
        cv->touchEnded(point);
        settle();
    }
};

} // namespace tarnik::test
