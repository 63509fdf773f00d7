#include "Platform/UI/CollectionView.h"

#include "Platform/UI/BatchUpdateAnimation.h"
#include "Platform/UI/ListKeyboard.h"
#include "Platform/UI/UpdateBatch.h"
#include "Platform/UI/VisibleCells.h"

#include <QKeyEvent>
#include <algorithm>
#include <utility>

namespace tarnik {

namespace {

QString supplementaryKey(const QString &kind, const QString &identifier)
{
    return kind + QLatin1Char('\n') + identifier;
}

} // namespace

struct CollectionView::Batch : UpdateBatch
{
};

CollectionView::CollectionView(QWidget *parent)
    : ScrollView(parent)
    , m_layout(std::make_unique<CollectionViewFlowLayout>())
    , m_cellPool(this)
    , m_supplementaryPool(this)
{
    setFocusPolicy(Qt::StrongFocus);
    ListKeyboard::followInput();
}

CollectionView::~CollectionView()
{
    m_destroying = true;
    m_dataSource = nullptr;
    m_collectionDelegate = nullptr;
    m_prefetchDataSource = nullptr;
}

QString CollectionView::className(const QMetaObject &meta)
{
    QString name = QString::fromLatin1(meta.className());
    const int colon = name.lastIndexOf(QLatin1Char(':'));
    return colon >= 0 ? name.mid(colon + 1) : name;
}

void CollectionView::setCollectionViewLayout(std::unique_ptr<CollectionViewFlowLayout> layout)
{
    m_layout = layout ? std::move(layout) : std::make_unique<CollectionViewFlowLayout>();
    invalidateLayout();
}

void CollectionView::setBackgroundView(QWidget *view)
{
    if (view == m_backgroundView)
        return;
    delete m_backgroundView.data();
    m_backgroundView = view;
    if (view) {
        view->setParent(this);
        addFixedChild(view);
        view->setGeometry(rect());
        view->lower();
        view->show();
    }
}

void CollectionView::setDataSource(CollectionViewDataSource *dataSource)
{
    m_dataSource = dataSource;
    reloadData();
}

void CollectionView::setDelegate(CollectionViewDelegate *delegate)
{
    m_collectionDelegate = delegate;
    ScrollView::setDelegate(delegate);
    invalidateLayout();
}

void CollectionView::setAllowsMultipleSelection(bool allows)
{
    m_allowsMultipleSelection = allows;
    if (!allows)
        m_selection.keepFirst();
}

// Registration and dequeuing

void CollectionView::registerCell(const QString &identifier, std::function<CollectionViewCell *()> factory)
{
    m_cellPool.registerReusableView(identifier, identifier, std::move(factory));
}

void CollectionView::registerSupplementaryView(
    const QString &kind, const QString &identifier, std::function<CollectionReusableView *()> factory)
{
    m_supplementaryPool.registerReusableView(supplementaryKey(kind, identifier), identifier, std::move(factory));
}

CollectionViewCell *CollectionView::dequeueReusableCell(const QString &identifier, const IndexPath &)
{
    bool reused = false;
    QWidget *widget = m_cellPool.dequeue(identifier, &reused);
    if (!widget)
        fatalError(QStringLiteral("Could not dequeue a cell with identifier ") + identifier
            + QStringLiteral(": register a class for the identifier first."));
    auto *cell = qobject_cast<CollectionViewCell *>(widget);
    if (!cell)
        fatalError(QStringLiteral("The view registered for identifier ") + identifier
            + QStringLiteral(" is not a collection view cell."));
    if (reused)
        cell->prepareForReuse();
    // A cell taken while the view asks for items is lent for that pass: one
    // the data source does not hand back goes back to the pool.
    if (isInLayout())
        m_outstanding.emplace_back(cell);
    return cell;
}

CollectionReusableView *CollectionView::dequeueReusableSupplementaryView(
    const QString &kind, const QString &identifier, const IndexPath &)
{
    bool reused = false;
    auto *view = qobject_cast<CollectionReusableView *>(
        m_supplementaryPool.dequeue(supplementaryKey(kind, identifier), &reused));
    if (!view)
        fatalError(QStringLiteral("Could not dequeue a view of kind ") + kind + QStringLiteral(" with identifier ")
            + identifier + QStringLiteral(": register a class for the identifier first."));
    if (reused)
        view->prepareForReuse();
    return view;
}

// Counts and layout

void CollectionView::ensureCounts()
{
    if (m_countsValid)
        return;
    m_countsValid = true;
    m_counts.clear();
    if (!m_dataSource)
        return;
    const int sections = std::max(0, m_dataSource->numberOfSections(this));
    m_counts.reserve(size_t(sections));
    for (int s = 0; s < sections; ++s)
        m_counts.push_back(std::max(0, m_dataSource->numberOfItems(this, s)));
}

int CollectionView::numberOfSections()
{
    ensureCounts();
    return int(m_counts.size());
}

int CollectionView::numberOfItems(int section)
{
    ensureCounts();
    return section >= 0 && size_t(section) < m_counts.size() ? m_counts[size_t(section)] : 0;
}

void CollectionView::invalidateLayout()
{
    m_layout->invalidateLayout();
    setNeedsLayout();
}

void CollectionView::invalidateLayoutKeepingPosition()
{
    m_keepPositionOnPrepare = true;
    invalidateLayout();
}

void CollectionView::prepareLayoutIfNeeded()
{
    ensureCounts();
    const bool resized = m_preparedWidth >= 0.0 && m_preparedWidth != double(width());
    if (m_layout->isValid() && !resized)
        return;
    const bool keepPosition = resized || std::exchange(m_keepPositionOnPrepare, false);
    // A new width (a window resize, a change of profile) can put a different number of items in a
    // row: keep the first item the user sees where it was, not the same pixel offset, which would
    // land on other items. At the top the view stays at the top.
    std::optional<std::pair<IndexPath, double>> anchor;
    if (keepPosition && !m_batch && contentOffset().y() > minimumContentOffset().y()) {
        const QRectF visible = bounds();
        m_layout->itemsInRect(visible, [&](const IndexPath &ip, const QRectF &frame) {
            if (!anchor || ip < anchor->first)
                anchor = std::make_pair(ip, frame.top() - visible.top());
        });
    }
    m_layout->prepare(this);
    m_preparedWidth = width();
    setContentSize(m_layout->collectionViewContentSize());
    if (anchor) {
        if (const std::optional<QRectF> frame = m_layout->frameForItem(anchor->first)) {
            const double y = std::clamp(
                frame->top() - anchor->second, minimumContentOffset().y(), maximumContentOffset().y());
            setContentOffset(QPointF(contentOffset().x(), y));
        }
    }
}

std::optional<QRectF> CollectionView::frameForItem(const IndexPath &indexPath)
{
    prepareLayoutIfNeeded();
    return m_layout->frameForItem(indexPath);
}

std::optional<IndexPath> CollectionView::indexPathForItem(const QPointF &contentPoint)
{
    prepareLayoutIfNeeded();
    return m_layout->indexPathForItem(contentPoint);
}

void CollectionView::layoutSubviews()
{
    if (m_batch || m_destroying)
        return;
    prepareLayoutIfNeeded();
    if (m_backgroundView && m_backgroundView->geometry() != rect())
        m_backgroundView->setGeometry(rect());
    const QRectF visible = bounds();
    const double dy = contentOffset().y() - m_lastOffsetY;
    if (dy != 0.0)
        m_scrollingDown = dy > 0.0;
    m_lastOffsetY = contentOffset().y();

    std::vector<std::pair<IndexPath, QRectF>> wanted;
    m_layout->itemsInRect(visible, [&](const IndexPath &ip, const QRectF &frame) { wanted.emplace_back(ip, frame); });
    std::set<IndexPath> wantedSet;
    for (const auto &w : wanted)
        wantedSet.insert(w.first);

    // Cells that left first, so the ones that arrive can reuse them.
    endDisplayingCells(
        m_visible, [&](const IndexPath &ip) { return wantedSet.count(ip) != 0; },
        [this](const IndexPath &ip, CollectionViewCell *cell) { endDisplaying(ip, cell); });
    for (const auto &[ip, frame] : wanted) {
        auto found = m_visible.find(ip);
        if (found != m_visible.end()) {
            if (contentFrame(found->second) != frame)
                setContentFrame(found->second, frame);
            continue;
        }
        if (!m_dataSource)
            break;
        CollectionViewCell *cell = m_dataSource->cellForItem(this, ip);
        if (!cell)
            fatalError(QStringLiteral("The collection view's data source returned no cell for item %1 of section %2.")
                           .arg(ip.item)
                           .arg(ip.section));
        m_cellPool.remove(cell);
        if (cell->parentWidget() != this)
            cell->setParent(this);
        setContentFrame(cell, frame);
        cell->setSelected(m_selection.isSelected(ip));
        cell->setHighlighted(m_selection.isHighlighted(ip));
        ListKeyboard::showFocus(cell, m_selection.isHighlighted(ip) && hasFocus());
        m_visible[ip] = cell;
        m_prefetched.erase(ip);
        if (m_collectionDelegate)
            m_collectionDelegate->willDisplayCell(this, cell, ip);
        cell->show();
    }

    // Supplementary views.
    std::vector<std::tuple<QString, int, QRectF>> wantedSupplementary;
    m_layout->supplementaryViewsInRect(visible, [&](const QString &kind, int section, const QRectF &frame) {
        wantedSupplementary.emplace_back(kind, section, frame);
    });
    std::set<SupplementaryKey> wantedKeys;
    for (const auto &[kind, section, frame] : wantedSupplementary)
        wantedKeys.insert({ kind, section });
    for (auto it = m_visibleSupplementary.begin(); it != m_visibleSupplementary.end();) {
        if (wantedKeys.count(it->first) && it->second.view) {
            ++it;
            continue;
        }
        const SupplementaryKey key = it->first;
        ++it;
        endDisplayingSupplementary(key);
    }
    for (const auto &[kind, section, frame] : wantedSupplementary) {
        const SupplementaryKey key { kind, section };
        auto found = m_visibleSupplementary.find(key);
        if (found != m_visibleSupplementary.end()) {
            if (contentFrame(found->second.view) != frame)
                setContentFrame(found->second.view, frame);
            continue;
        }
        if (!m_dataSource)
            break;
        const IndexPath ip { 0, section };
        CollectionReusableView *view = m_dataSource->viewForSupplementaryElement(this, kind, ip);
        if (!view)
            continue;
        m_supplementaryPool.remove(view);
        if (view->parentWidget() != this)
            view->setParent(this);
        setContentFrame(view, frame);
        m_visibleSupplementary[key] = Supplementary { kind, view->reuseIdentifier(), view };
        if (m_collectionDelegate)
            m_collectionDelegate->willDisplaySupplementaryView(this, view, kind, ip);
        view->show();
    }

    // Cells dequeued during the pass but not shown go back to their queue.
    for (const QPointer<CollectionViewCell> &cell : m_outstanding) {
        if (!cell || !cell->isHidden())
            continue;
        bool shown = false;
        for (const auto &[ip, v] : m_visible)
            shown = shown || v == cell;
        if (!shown)
            m_cellPool.enqueue(cell->reuseIdentifier(), cell);
    }
    m_outstanding.clear();

    updatePrefetching(visible);
}

void CollectionView::endDisplaying(const IndexPath &indexPath, CollectionViewCell *cell)
{
    QPointer<CollectionViewCell> guard(cell);
    m_selection.endDisplaying(indexPath);
    cell->hide();
    if (m_collectionDelegate && !m_destroying)
        m_collectionDelegate->didEndDisplayingCell(this, cell, indexPath);
    if (guard)
        m_cellPool.enqueue(guard->reuseIdentifier(), guard);
}

void CollectionView::endDisplayingSupplementary(const SupplementaryKey &key)
{
    auto it = m_visibleSupplementary.find(key);
    if (it == m_visibleSupplementary.end())
        return;
    Supplementary s = it->second;
    m_visibleSupplementary.erase(it);
    if (!s.view)
        return;
    s.view->hide();
    if (m_collectionDelegate && !m_destroying)
        m_collectionDelegate->didEndDisplayingSupplementaryView(this, s.view, s.kind, IndexPath { 0, key.second });
    if (s.view)
        m_supplementaryPool.enqueue(supplementaryKey(s.kind, s.identifier), s.view);
}

void CollectionView::endDisplayingAllSupplementary()
{
    std::vector<SupplementaryKey> keys;
    for (const auto &[key, s] : m_visibleSupplementary)
        keys.push_back(key);
    for (const SupplementaryKey &key : keys)
        endDisplayingSupplementary(key);
}

void CollectionView::updatePrefetching(const QRectF &visible)
{
    if (!m_prefetchDataSource || !isPrefetchingEnabled) {
        m_prefetched.clear();
        return;
    }
    // One screen ahead in the direction of travel.
    QRectF ahead = visible;
    if (m_scrollingDown)
        ahead.setBottom(visible.bottom() + visible.height());
    else
        ahead.setTop(visible.top() - visible.height());
    std::set<IndexPath> inRange;
    QList<IndexPath> toPrefetch;
    m_layout->itemsInRect(ahead, [&](const IndexPath &ip, const QRectF &) {
        if (m_visible.count(ip))
            return;
        inRange.insert(ip);
        if (!m_prefetched.count(ip))
            toPrefetch.append(ip);
    });
    QList<IndexPath> toCancel;
    for (auto it = m_prefetched.begin(); it != m_prefetched.end();) {
        if (inRange.count(*it)) {
            ++it;
            continue;
        }
        toCancel.append(*it);
        it = m_prefetched.erase(it);
    }
    for (const IndexPath &ip : toPrefetch)
        m_prefetched.insert(ip);
    if (!toCancel.isEmpty())
        m_prefetchDataSource->cancelPrefetchingForItems(this, toCancel);
    if (!toPrefetch.isEmpty() && m_prefetchDataSource)
        m_prefetchDataSource->prefetchItems(this, toPrefetch);
}

// Queries

CollectionViewCell *CollectionView::cellForItem(const IndexPath &indexPath) const
{
    return visibleCellAt(m_visible, indexPath);
}

QList<CollectionViewCell *> CollectionView::visibleCells() const
{
    return visibleCellList(m_visible);
}

QList<IndexPath> CollectionView::indexPathsForVisibleItems() const
{
    return visibleIndexPaths(m_visible);
}

std::optional<IndexPath> CollectionView::indexPathForCell(const CollectionViewCell *cell) const
{
    return visibleIndexPathOf(m_visible, cell);
}

CollectionReusableView *CollectionView::supplementaryView(const QString &kind, const IndexPath &indexPath) const
{
    auto it = m_visibleSupplementary.find({ kind, indexPath.section });
    return it == m_visibleSupplementary.end() ? nullptr : it->second.view.data();
}

int CollectionView::liveCellCount() const
{
    return int(findChildren<CollectionViewCell *>(Qt::FindDirectChildrenOnly).size());
}

QList<IndexPath> CollectionView::prefetchedIndexPaths() const
{
    return QList<IndexPath>(m_prefetched.begin(), m_prefetched.end());
}

// Scrolling to an item

void CollectionView::scrollToItem(const IndexPath &indexPath, ScrollPosition position, bool animated)
{
    const std::optional<QRectF> frame = frameForItem(indexPath);
    if (!frame || position == ScrollPosition::none)
        return;
    const EdgeInsets inset = adjustedContentInset();
    const double visibleHeight = height() - inset.vertical();
    const double visibleWidth = width() - inset.horizontal();
    QPointF target = contentOffset();
    switch (position) {
    case ScrollPosition::top:
        target.setY(frame->top() - inset.top);
        break;
    case ScrollPosition::centeredVertically:
        target.setY(frame->center().y() - inset.top - visibleHeight / 2.0);
        break;
    case ScrollPosition::bottom:
        target.setY(frame->bottom() - inset.top - visibleHeight);
        break;
    case ScrollPosition::left:
        target.setX(frame->left() - inset.left);
        break;
    case ScrollPosition::centeredHorizontally:
        target.setX(frame->center().x() - inset.left - visibleWidth / 2.0);
        break;
    case ScrollPosition::right:
        target.setX(frame->right() - inset.left - visibleWidth);
        break;
    case ScrollPosition::none:
        break;
    }
    const QPointF lo = minimumContentOffset();
    const QPointF hi = maximumContentOffset();
    target = QPointF(std::clamp(target.x(), lo.x(), hi.x()), std::clamp(target.y(), lo.y(), hi.y()));
    setContentOffset(target, animated);
}

// Selection

QList<IndexPath> CollectionView::indexPathsForSelectedItems() const
{
    return QList<IndexPath>(m_selection.selected().begin(), m_selection.selected().end());
}

void CollectionView::selectItem(const std::optional<IndexPath> &indexPath, bool animated, ScrollPosition position)
{
    if (indexPath && !allowsSelection)
        return;
    m_selection.select(indexPath, m_allowsMultipleSelection);
    if (indexPath && position != ScrollPosition::none)
        scrollToItem(*indexPath, position, animated);
}

void CollectionView::deselectItem(const IndexPath &indexPath, bool)
{
    m_selection.setSelected(indexPath, false);
}

void CollectionView::showSelected(const IndexPath &indexPath, bool selected)
{
    if (CollectionViewCell *cell = cellForItem(indexPath))
        cell->setSelected(selected);
}

void CollectionView::showHighlighted(const IndexPath &indexPath, bool highlighted)
{
    if (CollectionViewCell *cell = cellForItem(indexPath)) {
        cell->setHighlighted(highlighted);
        ListKeyboard::showFocus(cell, highlighted && hasFocus());
    }
}

bool CollectionView::canHighlight(const IndexPath &indexPath)
{
    return cellForItem(indexPath) && (!m_collectionDelegate || m_collectionDelegate->shouldHighlightItem(this, indexPath));
}

std::optional<IndexPath> CollectionView::willSelect(const IndexPath &indexPath)
{
    if (m_collectionDelegate && !m_collectionDelegate->shouldSelectItem(this, indexPath))
        return std::nullopt;
    return indexPath;
}

std::optional<IndexPath> CollectionView::willDeselect(const IndexPath &indexPath)
{
    if (m_collectionDelegate && !m_collectionDelegate->shouldDeselectItem(this, indexPath))
        return std::nullopt;
    return indexPath;
}

void CollectionView::didSelect(const IndexPath &indexPath)
{
    if (m_collectionDelegate)
        m_collectionDelegate->didSelectItem(this, indexPath);
}

void CollectionView::didDeselect(const IndexPath &indexPath)
{
    if (m_collectionDelegate)
        m_collectionDelegate->didDeselectItem(this, indexPath);
}

void CollectionView::contentTouchDown(const QPointF &point)
{
    if (allowsSelection)
        m_selection.touchDown(indexPathForItem(point));
}

void CollectionView::contentTouchCancelled()
{
    m_selection.endTouch();
}

void CollectionView::contentTapped(const QPointF &point)
{
    const std::optional<IndexPath> touched = m_selection.endTouch();
    if (!allowsSelection || !touched)
        return;
    const std::optional<IndexPath> ip = indexPathForItem(point);
    if (ip && *ip == *touched)
        activateItem(*ip);
}

void CollectionView::activateItem(const IndexPath &indexPath)
{
    if (!allowsSelection || indexPath.section < 0 || indexPath.section >= numberOfSections() || indexPath.item < 0
        || indexPath.item >= numberOfItems(indexPath.section))
        return;
    m_selection.tap(indexPath, m_allowsMultipleSelection);
}

// The keyboard

void CollectionView::keyPressEvent(QKeyEvent *event)
{
    const auto items = [this] {
        std::vector<CellSelection::KeyboardItem> all;
        for (int s = 0; s < numberOfSections(); ++s) {
            for (int i = 0; i < numberOfItems(s); ++i) {
                const IndexPath ip(i, s);
                if (const std::optional<QRectF> frame = frameForItem(ip))
                    all.push_back({ ip, *frame });
            }
        }
        return all;
    };
    const bool used = m_selection.keyPress(
        event, items, height() - adjustedContentInset().vertical(),
        [this](const IndexPath &ip) { activateItem(ip); },
        [this](const QRectF &frame) {
            scrollRectToVisible(frame, false);
            layoutIfNeeded();
        });
    if (!used)
        ScrollView::keyPressEvent(event);
}

void CollectionView::focusInEvent(QFocusEvent *event)
{
    ScrollView::focusInEvent(event);
    showFocusOfHighlight();
    // Come by the keyboard, the list shows where it stands: on its selected
    // item, else on the first item in view.
    if (m_selection.highlighted() || event->reason() == Qt::MouseFocusReason || !ListKeyboard::lastInputWasKeyboard())
        return;
    layoutIfNeeded();
    std::optional<IndexPath> start;
    if (!m_selection.selected().empty() && cellForItem(*m_selection.selected().begin()))
        start = *m_selection.selected().begin();
    if (!start) {
        QList<IndexPath> visible = indexPathsForVisibleItems();
        if (visible.isEmpty())
            return;
        std::sort(visible.begin(), visible.end());
        start = visible.first();
    }
    m_selection.setHighlighted(start);
}

void CollectionView::focusOutEvent(QFocusEvent *event)
{
    ScrollView::focusOutEvent(event);
    showFocusOfHighlight();
}

void CollectionView::showFocusOfHighlight()
{
    if (const std::optional<IndexPath> ip = m_selection.highlighted()) {
        if (CollectionViewCell *cell = cellForItem(*ip))
            ListKeyboard::showFocus(cell, hasFocus());
    }
}

// Reloads and batch updates

void CollectionView::reloadData()
{
    endDisplayingCells(
        m_visible, [](const IndexPath &) { return false; },
        [this](const IndexPath &ip, CollectionViewCell *cell) { endDisplaying(ip, cell); });
    endDisplayingAllSupplementary();
    m_selection.reset();
    m_prefetched.clear();
    m_countsValid = false;
    m_layout->invalidateLayout();
    setNeedsLayout();
}

void CollectionView::insertItems(const QList<IndexPath> &indexPaths)
{
    recordInBatch(*this, m_batch, [&](UpdateBatch &batch) {
        for (const IndexPath &ip : indexPaths)
            batch.insertedItems[ip.section].insert(ip.item);
    });
}

void CollectionView::deleteItems(const QList<IndexPath> &indexPaths)
{
    recordInBatch(*this, m_batch, [&](UpdateBatch &batch) {
        for (const IndexPath &ip : indexPaths)
            batch.deletedItems[ip.section].insert(ip.item);
    });
}

void CollectionView::reloadItems(const QList<IndexPath> &indexPaths)
{
    recordInBatch(*this, m_batch, [&](UpdateBatch &batch) {
        for (const IndexPath &ip : indexPaths)
            batch.reloadedItems.insert(ip);
    });
}

void CollectionView::insertSections(const QList<int> &sections)
{
    recordInBatch(
        *this, m_batch, [&](UpdateBatch &batch) { batch.insertedSections.insert(sections.begin(), sections.end()); });
}

void CollectionView::deleteSections(const QList<int> &sections)
{
    recordInBatch(
        *this, m_batch, [&](UpdateBatch &batch) { batch.deletedSections.insert(sections.begin(), sections.end()); });
}

void CollectionView::reloadSections(const QList<int> &sections)
{
    recordInBatch(
        *this, m_batch, [&](UpdateBatch &batch) { batch.reloadedSections.insert(sections.begin(), sections.end()); });
}

void CollectionView::performBatchUpdates(const std::function<void()> &updates, std::function<void(bool)> completion)
{
    if (m_batch) {
        // Nested: the changes join the outer batch.
        joinOuterBatch(this, updates, std::move(completion));
        return;
    }
    // The counts before the model changes.
    ensureCounts();
    m_batch = std::make_unique<Batch>();
    if (updates)
        updates();
    std::unique_ptr<Batch> batch = std::move(m_batch);
    applyBatch(*batch, std::move(completion));
}

void CollectionView::applyBatch(Batch &batch, std::function<void(bool)> completion)
{
    const std::vector<int> oldCounts = m_counts;
    m_countsValid = false;
    ensureCounts();
    const std::vector<int> &newCounts = m_counts;
    const QString problem = batch.apply(oldCounts, newCounts, QStringLiteral("items"));
    if (!problem.isEmpty())
        fatalError(problem);

    // Cells of items that went end their display; the others move along.
    const std::map<CollectionViewCell *, QRect> oldGeometry = moveVisibleCells(
        m_visible, batch, [this](const IndexPath &ip, CollectionViewCell *cell) { endDisplaying(ip, cell); });
    m_selection.reset(mapIndexPaths(m_selection.selected(), batch));
    m_prefetched = mapIndexPaths(m_prefetched, batch);
    endDisplayingAllSupplementary();

    m_layout->invalidateLayout();
    setNeedsLayout();
    layoutIfNeeded();

    // Moved cells slide from where they were; new ones fade in.
    animateBatchUpdate(this, m_visible, oldGeometry, std::move(completion));
}

} // namespace tarnik
