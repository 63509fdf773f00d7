#include "Platform/UI/CollectionViewFlowLayout.h"

#include "Platform/UI/CollectionView.h"
#include "Platform/UI/CollectionViewDelegate.h"

#include <algorithm>

namespace tarnik {

void CollectionViewFlowLayout::prepare(CollectionView *collectionView)
{
    m_sections.clear();
    m_valid = true;
    if (!collectionView) {
        m_contentSize = {};
        return;
    }
    auto *flow = dynamic_cast<CollectionViewDelegateFlowLayout *>(collectionView->delegate());
    const double width = collectionView->width();
    const int sectionCount = collectionView->numberOfSections();
    m_sections.resize(size_t(std::max(0, sectionCount)));
    double y = 0.0;
    for (int s = 0; s < sectionCount; ++s) {
        Section &section = m_sections[size_t(s)];
        section.top = y;
        const EdgeInsets inset
            = (flow ? flow->insetForSection(collectionView, s) : std::nullopt).value_or(sectionInset);
        const double lineSpacing
            = (flow ? flow->minimumLineSpacing(collectionView, s) : std::nullopt).value_or(minimumLineSpacing);
        const double interitem = (flow ? flow->minimumInteritemSpacing(collectionView, s) : std::nullopt)
                                     .value_or(minimumInteritemSpacing);
        const QSizeF header
            = (flow ? flow->referenceSizeForHeader(collectionView, s) : std::nullopt).value_or(headerReferenceSize);
        const QSizeF footer
            = (flow ? flow->referenceSizeForFooter(collectionView, s) : std::nullopt).value_or(footerReferenceSize);
        if (header.height() > 0) {
            section.header = QRectF(0, y, width, header.height());
            y += header.height();
        }
        y += inset.top;
        const int count = collectionView->numberOfItems(s);
        section.items.resize(size_t(std::max(0, count)));
        const double left = inset.left;
        const double available = std::max(0.0, width - inset.left - inset.right);
        // Sizes of the line being filled; placed once the line is full.
        std::vector<QSizeF> pending;
        int lineFirst = 0;
        bool firstLine = true;
        // The spacing of the last line of several items; 0 until one is laid out.
        double columnGap = 0.0;
        const auto flush = [&](int end) {
            if (pending.empty())
                return;
            if (!firstLine)
                y += lineSpacing;
            firstLine = false;
            double used = 0.0;
            double tallest = 0.0;
            for (const QSizeF &sz : pending) {
                used += sz.width();
                tallest = std::max(tallest, sz.height());
            }
            const int n = int(pending.size());
            double gap = interitem;
            double x = left;
            if (end == count && columnGap > 0.0 && used + (n - 1) * columnGap <= available + 0.01) {
                // A last line that does not fill up stays in the columns of the lines above it,
                // from the left, rather than spreading out or centring a lone item.
                gap = columnGap;
            } else if (n == 1) {
                x = left + std::max(0.0, (available - used) / 2.0);
            } else {
                gap = std::max(interitem, (available - used) / double(n - 1));
                columnGap = gap;
            }
            for (int i = 0; i < n; ++i) {
                const QSizeF &sz = pending[size_t(i)];
                section.items[size_t(lineFirst + i)]
                    = QRectF(x, y + (tallest - sz.height()) / 2.0, sz.width(), sz.height());
                x += sz.width() + gap;
            }
            section.lines.push_back({ lineFirst, n, y, y + tallest });
            y += tallest;
            pending.clear();
            lineFirst = end;
        };
        double lineWidth = 0.0;
        for (int i = 0; i < count; ++i) {
            const QSizeF sz
                = (flow ? flow->sizeForItem(collectionView, IndexPath { i, s }) : std::nullopt).value_or(itemSize);
            const double needed = pending.empty() ? sz.width() : lineWidth + interitem + sz.width();
            // A small tolerance: widths computed as (width - spacing) / n must fit n to a line.
            if (!pending.empty() && needed > available + 0.01) {
                flush(i);
                lineWidth = 0.0;
            }
            lineWidth = pending.empty() ? sz.width() : lineWidth + interitem + sz.width();
            pending.push_back(sz);
        }
        flush(count);
        y += inset.bottom;
        if (footer.height() > 0) {
            section.footer = QRectF(0, y, width, footer.height());
            y += footer.height();
        }
        section.bottom = y;
    }
    m_contentSize = QSizeF(width, y);
}

std::optional<QRectF> CollectionViewFlowLayout::frameForItem(const IndexPath &indexPath) const
{
    if (indexPath.section < 0 || size_t(indexPath.section) >= m_sections.size())
        return std::nullopt;
    const Section &section = m_sections[size_t(indexPath.section)];
    if (indexPath.item < 0 || size_t(indexPath.item) >= section.items.size())
        return std::nullopt;
    return section.items[size_t(indexPath.item)];
}

std::optional<QRectF> CollectionViewFlowLayout::frameForSupplementaryView(const QString &kind, int section) const
{
    if (section < 0 || size_t(section) >= m_sections.size())
        return std::nullopt;
    if (kind == kCollectionElementKindSectionHeader)
        return m_sections[size_t(section)].header;
    if (kind == kCollectionElementKindSectionFooter)
        return m_sections[size_t(section)].footer;
    return std::nullopt;
}

void CollectionViewFlowLayout::itemsInRect(
    const QRectF &rect, const std::function<void(const IndexPath &, const QRectF &)> &visit) const
{
    for (size_t s = 0; s < m_sections.size(); ++s) {
        const Section &section = m_sections[s];
        if (section.bottom < rect.top() || section.top > rect.bottom())
            continue;
        auto line = std::lower_bound(section.lines.begin(), section.lines.end(), rect.top(),
            [](const Line &l, double top) { return l.bottom <= top; });
        for (; line != section.lines.end() && line->top < rect.bottom(); ++line) {
            for (int i = line->first; i < line->first + line->count; ++i) {
                const QRectF &frame = section.items[size_t(i)];
                if (frame.intersects(rect))
                    visit(IndexPath { i, int(s) }, frame);
            }
        }
    }
}

void CollectionViewFlowLayout::supplementaryViewsInRect(
    const QRectF &rect, const std::function<void(const QString &, int, const QRectF &)> &visit) const
{
    for (size_t s = 0; s < m_sections.size(); ++s) {
        const Section &section = m_sections[s];
        if (section.header && section.header->intersects(rect))
            visit(kCollectionElementKindSectionHeader, int(s), *section.header);
        if (section.footer && section.footer->intersects(rect))
            visit(kCollectionElementKindSectionFooter, int(s), *section.footer);
    }
}

std::optional<IndexPath> CollectionViewFlowLayout::indexPathForItem(const QPointF &point) const
{
    std::optional<IndexPath> found;
    itemsInRect(QRectF(point, QSizeF(0.001, 0.001)), [&](const IndexPath &ip, const QRectF &frame) {
        if (!found && frame.contains(point))
            found = ip;
    });
    return found;
}

} // namespace tarnik
