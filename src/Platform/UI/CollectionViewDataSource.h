#pragma once

#include "Platform/IndexPath.h"

#include <QList>
#include <QString>

namespace tarnik {

class CollectionView;
class CollectionViewCell;
class CollectionReusableView;

// Feeds a collection view: the counts and a configured cell for an index
// path (dequeued from the collection view). Counts are asked again after
// every reload and batch update and must then agree with the changes made.
class CollectionViewDataSource
{
public:
    virtual ~CollectionViewDataSource();

    virtual int numberOfSections(CollectionView *) { return 1; }
    virtual int numberOfItems(CollectionView *, int section) = 0;
    virtual CollectionViewCell *cellForItem(CollectionView *, const IndexPath &indexPath) = 0;
    // Only asked for kinds the layout gives a size (a section footer, say).
    virtual CollectionReusableView *viewForSupplementaryElement(
        CollectionView *, const QString & /*kind*/, const IndexPath &)
    {
        return nullptr;
    }
};

// Told about items that are about to scroll into view, so their data can
// load early, and about those that scrolled away again before showing.
class CollectionViewDataSourcePrefetching
{
public:
    virtual ~CollectionViewDataSourcePrefetching();

    virtual void prefetchItems(CollectionView *, const QList<IndexPath> &indexPaths) = 0;
    virtual void cancelPrefetchingForItems(CollectionView *, const QList<IndexPath> &) { }
};

} // namespace tarnik
