#pragma once

#include "Platform/IndexPath.h"
#include "Platform/UI/EdgeInsets.h"
#include "Platform/UI/ScrollView.h"

#include <QSizeF>
#include <QString>
#include <optional>

namespace tarnik {

class CollectionView;
class CollectionViewCell;
class CollectionReusableView;

// What a collection view tells its owner besides scrolling: cells coming on
// and going off screen, and the selection. Every call has a default.
class CollectionViewDelegate : public ScrollViewDelegate
{
public:
    virtual void willDisplayCell(CollectionView *, CollectionViewCell *, const IndexPath &) { }
    virtual void didEndDisplayingCell(CollectionView *, CollectionViewCell *, const IndexPath &) { }
    virtual void willDisplaySupplementaryView(
        CollectionView *, CollectionReusableView *, const QString & /*kind*/, const IndexPath &)
    {
    }
    virtual void didEndDisplayingSupplementaryView(
        CollectionView *, CollectionReusableView *, const QString & /*kind*/, const IndexPath &)
    {
    }

    virtual bool shouldHighlightItem(CollectionView *, const IndexPath &) { return true; }
    virtual bool shouldSelectItem(CollectionView *, const IndexPath &) { return true; }
    virtual void didSelectItem(CollectionView *, const IndexPath &) { }
    virtual bool shouldDeselectItem(CollectionView *, const IndexPath &) { return true; }
    virtual void didDeselectItem(CollectionView *, const IndexPath &) { }
};

// The flow layout's questions to the delegate; an empty answer takes the
// layout's own value.
class CollectionViewDelegateFlowLayout : public CollectionViewDelegate
{
public:
    virtual std::optional<QSizeF> sizeForItem(CollectionView *, const IndexPath &) { return std::nullopt; }
    virtual std::optional<EdgeInsets> insetForSection(CollectionView *, int /*section*/) { return std::nullopt; }
    virtual std::optional<double> minimumLineSpacing(CollectionView *, int /*section*/) { return std::nullopt; }
    virtual std::optional<double> minimumInteritemSpacing(CollectionView *, int /*section*/) { return std::nullopt; }
    virtual std::optional<QSizeF> referenceSizeForHeader(CollectionView *, int /*section*/) { return std::nullopt; }
    virtual std::optional<QSizeF> referenceSizeForFooter(CollectionView *, int /*section*/) { return std::nullopt; }
};

} // namespace tarnik
