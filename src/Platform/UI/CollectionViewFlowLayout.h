#pragma once

#include "Platform/IndexPath.h"
#include "Platform/UI/EdgeInsets.h"

#include <QRectF>
#include <QSizeF>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace tarnik {

class CollectionView;

// The element kinds of supplementary views.
inline const QString kCollectionElementKindSectionHeader = QStringLiteral("CollectionElementKindSectionHeader");
inline const QString kCollectionElementKindSectionFooter = QStringLiteral("CollectionElementKindSectionFooter");

// Lays items out in lines, top to bottom: each section starts below the last
// one with its optional header, its inset, lines of items (as many as fit
// the width, at least the inter-item spacing apart, spread to fill the line;
// a lone item is centred) separated by the line spacing, and its optional
// footer. Sizes, insets and spacings come from the delegate
// (CollectionViewDelegateFlowLayout) when it answers, else from the fields
// here. The layout is computed once after each invalidation; finding what a
// rectangle shows is then a binary search, so scrolling costs the same for
// ten items or a hundred thousand. GUI thread only.
class CollectionViewFlowLayout
{
public:
    QSizeF itemSize = QSizeF(50, 50);
    double minimumLineSpacing = 10.0;
    double minimumInteritemSpacing = 10.0;
    EdgeInsets sectionInset;
    QSizeF headerReferenceSize;
    QSizeF footerReferenceSize;

    void invalidateLayout() { m_valid = false; }
    bool isValid() const { return m_valid; }

    // Computes every frame for the collection view's current counts and width.
    void prepare(CollectionView *collectionView);
    QSizeF collectionViewContentSize() const { return m_contentSize; }

    std::optional<QRectF> frameForItem(const IndexPath &indexPath) const;
    std::optional<QRectF> frameForSupplementaryView(const QString &kind, int section) const;
    // The items whose frames meet the rectangle, in index order.
    void itemsInRect(const QRectF &rect, const std::function<void(const IndexPath &, const QRectF &)> &visit) const;
    void supplementaryViewsInRect(
        const QRectF &rect, const std::function<void(const QString &kind, int section, const QRectF &)> &visit) const;
    // The item at a content point, if any.
    std::optional<IndexPath> indexPathForItem(const QPointF &point) const;

private:
    struct Line
    {
        int first = 0;
        int count = 0;
        double top = 0.0;
        double bottom = 0.0;
    };
    struct Section
    {
        double top = 0.0;
        double bottom = 0.0;
        std::vector<QRectF> items;
        std::vector<Line> lines;
        std::optional<QRectF> header;
        std::optional<QRectF> footer;
    };

    bool m_valid = false;
    QSizeF m_contentSize;
    std::vector<Section> m_sections;
};

} // namespace tarnik
