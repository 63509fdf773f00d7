#include "Platform/UI/TableView.h"

#include "Platform/UI/BatchUpdateAnimation.h"
#include "Platform/UI/ListKeyboard.h"
#include "Platform/UI/UpdateBatch.h"
#include "Platform/UI/VisibleCells.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <algorithm>
#include <cmath>

namespace tarnik {

namespace {
constexpr double kSlop = 10.0;
// The gap a grouped section gets for a header or footer it does not have.
constexpr double kGroupedGap = 18.0;
constexpr double kSwipeDuration = 0.2;
} // namespace

TableView::TableView(Style style, QWidget *parent)
    : ScrollView(parent)
    , m_style(style)
    , m_cellPool(this)
{
    alwaysBounceVertical = true;
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, style == Style::grouped ? QColor(0xef, 0xef, 0xf4) : QColor(Qt::white));
    setPalette(p);
    setFocusPolicy(Qt::StrongFocus);
    ListKeyboard::followInput();
}

TableView::~TableView()
{
    m_destroying = true;
    m_dataSource = nullptr;
    m_tableDelegate = nullptr;
}

QString TableView::className(const QMetaObject &meta)
{
    QString name = QString::fromLatin1(meta.className());
    const int colon = name.lastIndexOf(QLatin1Char(':'));
    return colon >= 0 ? name.mid(colon + 1) : name;
}

void TableView::setDataSource(TableViewDataSource *dataSource)
{
    m_dataSource = dataSource;
    reloadData();
}

void TableView::setDelegate(TableViewDelegate *delegate)
{
    m_tableDelegate = delegate;
    ScrollView::setDelegate(delegate);
    m_geometryValid = false;
    setNeedsLayout();
}

void TableView::setTableHeaderView(QWidget *view)
{
    setTableEndView(m_tableHeaderView, view);
}

void TableView::setTableFooterView(QWidget *view)
{
    setTableEndView(m_tableFooterView, view);
}

void TableView::setTableEndView(QPointer<QWidget> &slot, QWidget *view)
{
    // Setting the same view again is how an owner says its height changed.
    if (slot && view != slot)
        slot->hide();
    slot = view;
    if (view) {
        view->setParent(this);
        view->show();
    }
    m_geometryValid = false;
    setNeedsLayout();
}

// Cells

void TableView::registerCell(const QString &identifier, std::function<TableViewCell *()> factory)
{
    m_cellPool.registerReusableView(identifier, identifier, std::move(factory));
}

TableViewCell *TableView::dequeueReusableCell(const QString &identifier)
{
    bool reused = false;
    auto *cell = qobject_cast<TableViewCell *>(m_cellPool.dequeue(identifier, &reused));
    if (cell && reused)
        cell->prepareForReuse();
    // Cells taken while the table asks for rows and headers are lent for that
    // pass: what the data source does not hand back goes back to the pool.
    // Cells taken at any other time belong to the caller.
    if (cell && isInLayout())
        m_outstanding.emplace_back(cell);
    return cell;
}

TableViewCell *TableView::dequeueReusableCell(const QString &identifier, const IndexPath &)
{
    TableViewCell *cell = dequeueReusableCell(identifier);
    if (!cell)
        fatalError(QStringLiteral("Could not dequeue a cell with identifier ") + identifier
            + QStringLiteral(": register a class for the identifier first."));
    return cell;
}

int TableView::liveCellCount() const
{
    return int(findChildren<TableViewCell *>(Qt::FindDirectChildrenOnly).size());
}

// Counts and geometry

void TableView::ensureCounts()
{
    if (m_countsValid)
        return;
    m_countsValid = true;
    m_counts.clear();
    if (!m_dataSource)
        return;
    const int sections = std::max(0, m_dataSource->numberOfSections(this));
    for (int s = 0; s < sections; ++s)
        m_counts.push_back(std::max(0, m_dataSource->numberOfRows(this, s)));
}

int TableView::numberOfSections()
{
    ensureCounts();
    return int(m_counts.size());
}

int TableView::numberOfRows(int section)
{
    ensureCounts();
    return section >= 0 && size_t(section) < m_counts.size() ? m_counts[size_t(section)] : 0;
}

double TableView::resolveHeaderFooterHeight(int section, bool header)
{
    std::optional<double> h;
    if (m_tableDelegate)
        h = header ? m_tableDelegate->heightForHeader(this, section) : m_tableDelegate->heightForFooter(this, section);
    if (!h) {
        const double fixed = header ? sectionHeaderHeight : sectionFooterHeight;
        if (fixed >= 0.0)
            h = fixed;
    }
    if (h && *h >= 0.0)
        return *h;
    // Automatic: measure the view the delegate gives for this width.
    QWidget *view = nullptr;
    if (m_tableDelegate)
        view = header ? m_tableDelegate->viewForHeader(this, section) : m_tableDelegate->viewForFooter(this, section);
    if (!view)
        return m_style == Style::grouped ? kGroupedGap : 0.0;
    const double measured = view->hasHeightForWidth() ? view->heightForWidth(width()) : view->sizeHint().height();
    // A pooled view was only lent for measuring; it is asked for again when shown.
    if (auto *cell = qobject_cast<TableViewCell *>(view); cell && m_cellPool.isRegistered(cell->reuseIdentifier())) {
        if (cell->parentWidget() != this)
            cell->setParent(this);
        bool showing = false;
        for (const auto &[s, a] : header ? m_headers : m_footers)
            showing = showing || a.view == view;
        if (!showing)
            m_cellPool.enqueue(cell->reuseIdentifier(), cell);
    } else if (!view->parentWidget()) {
        view->setParent(this);
        view->hide();
    }
    return std::max(0.0, measured);
}

void TableView::prepareGeometryIfNeeded()
{
    ensureCounts();
    if (m_geometryValid && m_preparedWidth == double(width()))
        return;
    m_geometryValid = true;
    m_preparedWidth = width();
    double y = m_tableHeaderView ? m_tableHeaderView->height() : 0.0;
    m_sectionsTop = y;
    m_sections.assign(m_counts.size(), SectionGeometry {});
    for (size_t s = 0; s < m_counts.size(); ++s) {
        SectionGeometry &g = m_sections[s];
        g.top = y;
        g.headerHeight = resolveHeaderFooterHeight(int(s), true);
        y += g.headerHeight;
        g.rowTops.reserve(size_t(m_counts[s]) + 1);
        g.rowTops.push_back(y);
        for (int r = 0; r < m_counts[s]; ++r) {
            std::optional<double> h
                = m_tableDelegate ? m_tableDelegate->heightForRow(this, IndexPath { r, int(s) }) : std::nullopt;
            double height = h.value_or(rowHeight);
            if (height < 0.0)
                height = 44.0;
            y += height;
            g.rowTops.push_back(y);
        }
        g.footerHeight = resolveHeaderFooterHeight(int(s), false);
        y += g.footerHeight;
        g.bottom = y;
    }
    const double footer = m_tableFooterView ? m_tableFooterView->height() : 0.0;
    setContentSize(QSizeF(width(), y + footer));
}

QRectF TableView::rectForRow(const IndexPath &indexPath)
{
    prepareGeometryIfNeeded();
    if (indexPath.section < 0 || size_t(indexPath.section) >= m_sections.size())
        return {};
    const SectionGeometry &g = m_sections[size_t(indexPath.section)];
    if (indexPath.row() < 0 || size_t(indexPath.row()) + 1 >= g.rowTops.size())
        return {};
    return QRectF(0, g.rowTops[size_t(indexPath.row())], width(),
        g.rowTops[size_t(indexPath.row()) + 1] - g.rowTops[size_t(indexPath.row())]);
}

QRectF TableView::rectForSection(int section)
{
    prepareGeometryIfNeeded();
    if (section < 0 || size_t(section) >= m_sections.size())
        return {};
    const SectionGeometry &g = m_sections[size_t(section)];
    return QRectF(0, g.top, width(), g.bottom - g.top);
}

QRectF TableView::rectForHeaderInSection(int section)
{
    prepareGeometryIfNeeded();
    if (section < 0 || size_t(section) >= m_sections.size())
        return {};
    const SectionGeometry &g = m_sections[size_t(section)];
    return QRectF(0, g.top, width(), g.headerHeight);
}

QRectF TableView::rectForFooterInSection(int section)
{
    prepareGeometryIfNeeded();
    if (section < 0 || size_t(section) >= m_sections.size())
        return {};
    const SectionGeometry &g = m_sections[size_t(section)];
    return QRectF(0, g.bottom - g.footerHeight, width(), g.footerHeight);
}

std::optional<IndexPath> TableView::indexPathForRow(const QPointF &point)
{
    prepareGeometryIfNeeded();
    for (size_t s = 0; s < m_sections.size(); ++s) {
        const SectionGeometry &g = m_sections[s];
        if (point.y() < g.rowTops.front() || point.y() >= g.rowTops.back())
            continue;
        const auto it = std::upper_bound(g.rowTops.begin(), g.rowTops.end(), point.y());
        const int row = int(it - g.rowTops.begin()) - 1;
        if (row >= 0 && row < m_counts[s])
            return IndexPath { row, int(s) };
    }
    return std::nullopt;
}

// The layout pass

void TableView::layoutSubviews()
{
    if (m_batch || m_destroying)
        return;
    prepareGeometryIfNeeded();
    const QRectF visible = bounds();
    if (m_tableHeaderView)
        setContentFrame(m_tableHeaderView, QRectF(0, 0, width(), m_tableHeaderView->height()));
    if (m_tableFooterView) {
        const double top = m_sections.empty() ? m_sectionsTop : m_sections.back().bottom;
        setContentFrame(m_tableFooterView, QRectF(0, top, width(), m_tableFooterView->height()));
    }

    std::vector<std::pair<IndexPath, QRectF>> wanted;
    for (size_t s = 0; s < m_sections.size(); ++s) {
        const SectionGeometry &g = m_sections[s];
        if (g.bottom <= visible.top() || g.top >= visible.bottom())
            continue;
        auto first = std::upper_bound(g.rowTops.begin(), g.rowTops.end(), visible.top());
        int row = std::max(0, int(first - g.rowTops.begin()) - 1);
        for (; row < m_counts[s] && g.rowTops[size_t(row)] < visible.bottom(); ++row) {
            const double top = g.rowTops[size_t(row)];
            const double bottom = g.rowTops[size_t(row) + 1];
            if (bottom > visible.top() && bottom > top)
                wanted.emplace_back(IndexPath { row, int(s) }, QRectF(0, top, width(), bottom - top));
        }
    }
    std::set<IndexPath> wantedSet;
    for (const auto &w : wanted)
        wantedSet.insert(w.first);
    endDisplayingCells(
        m_visible, [&](const IndexPath &ip) { return wantedSet.count(ip) != 0; },
        [this](const IndexPath &ip, TableViewCell *cell) { endDisplaying(ip, cell); });
    for (const auto &[ip, frame] : wanted) {
        auto found = m_visible.find(ip);
        if (found != m_visible.end()) {
            if (contentFrame(found->second) != frame)
                setContentFrame(found->second, frame);
            continue;
        }
        if (!m_dataSource)
            break;
        TableViewCell *cell = m_dataSource->cellForRow(this, ip);
        if (!cell)
            fatalError(QStringLiteral("The table view's data source returned no cell for row %1 of section %2.")
                           .arg(ip.row())
                           .arg(ip.section));
        m_cellPool.remove(cell);
        if (cell->parentWidget() != this)
            cell->setParent(this);
        setContentFrame(cell, frame);
        configureForDisplay(cell, ip);
        m_visible[ip] = cell;
        if (m_tableDelegate)
            m_tableDelegate->willDisplayCell(this, cell, ip);
        cell->show();
    }

    // Section headers (pinned under the top edge in plain style) and footers.
    const double pinTop = visible.top() + adjustedContentInset().top;
    for (int pass = 0; pass < 2; ++pass) {
        const bool header = pass == 0;
        std::map<int, Accessory> &shown = header ? m_headers : m_footers;
        std::map<int, QRectF> frames;
        for (size_t s = 0; s < m_sections.size(); ++s) {
            const SectionGeometry &g = m_sections[s];
            const double h = header ? g.headerHeight : g.footerHeight;
            if (h <= 0.0)
                continue;
            QRectF frame(0, header ? g.top : g.bottom - h, width(), h);
            if (header && m_style == Style::plain)
                frame.moveTop(std::clamp(pinTop, g.top, std::max(g.top, g.bottom - g.footerHeight - h)));
            if (frame.intersects(visible))
                frames[int(s)] = frame;
        }
        std::vector<int> leaving;
        for (const auto &[s, a] : shown) {
            if (!frames.count(s) || !a.view)
                leaving.push_back(s);
        }
        for (int s : leaving)
            endAccessory(shown, s);
        for (const auto &[s, frame] : frames) {
            auto found = shown.find(s);
            QWidget *view = found != shown.end() ? found->second.view.data() : nullptr;
            if (!view) {
                if (!m_tableDelegate)
                    continue;
                view = header ? m_tableDelegate->viewForHeader(this, s) : m_tableDelegate->viewForFooter(this, s);
                if (!view)
                    continue;
                m_cellPool.remove(view);
                if (view->parentWidget() != this)
                    view->setParent(this);
                auto *cell = qobject_cast<TableViewCell *>(view);
                shown[s] = Accessory { view, cell && m_cellPool.isRegistered(cell->reuseIdentifier()) };
                view->show();
            }
            if (contentFrame(view) != frame)
                setContentFrame(view, frame);
            if (header && m_style == Style::plain)
                view->raise();
        }
    }

    // Cells dequeued for an index path but not returned go back to their queue.
    for (const QPointer<TableViewCell> &cell : m_outstanding) {
        if (!cell || !cell->isHidden())
            continue;
        bool used = false;
        for (const auto &[ip, v] : m_visible)
            used = used || v == cell;
        for (const auto &[s, a] : m_headers)
            used = used || a.view == cell;
        for (const auto &[s, a] : m_footers)
            used = used || a.view == cell;
        if (!used)
            m_cellPool.enqueue(cell->reuseIdentifier(), cell);
    }
    m_outstanding.clear();
    placeActions();
}

void TableView::configureForDisplay(TableViewCell *cell, const IndexPath &indexPath)
{
    cell->showsSeparator = m_style == Style::plain;
    cell->setEditControl(editControlFor(indexPath));
    if (cell->isEditing() != m_editing)
        cell->setEditing(m_editing, false);
    cell->setSelected(m_selection.isSelected(indexPath), false);
    cell->setHighlighted(m_selection.isHighlighted(indexPath), false);
    ListKeyboard::showFocus(cell, m_selection.isHighlighted(indexPath) && hasFocus());
    cell->setSwipeOffset(m_actionsRow && *m_actionsRow == indexPath ? -m_actionsWidth : 0.0);
}

void TableView::endDisplaying(const IndexPath &indexPath, TableViewCell *cell)
{
    QPointer<TableViewCell> guard(cell);
    m_selection.endDisplaying(indexPath);
    cell->hide();
    if (m_tableDelegate && !m_destroying)
        m_tableDelegate->didEndDisplayingCell(this, cell, indexPath);
    if (guard && m_cellPool.isRegistered(guard->reuseIdentifier()))
        m_cellPool.enqueue(guard->reuseIdentifier(), guard);
}

void TableView::endAccessory(std::map<int, Accessory> &shown, int section)
{
    auto it = shown.find(section);
    if (it == shown.end())
        return;
    Accessory a = it->second;
    shown.erase(it);
    if (!a.view)
        return;
    a.view->hide();
    if (a.pooled)
        m_cellPool.enqueue(static_cast<TableViewCell *>(a.view.data())->reuseIdentifier(), a.view);
}

void TableView::endAllAccessories()
{
    for (auto *shown : { &m_headers, &m_footers }) {
        std::vector<int> sections;
        for (const auto &[s, a] : *shown)
            sections.push_back(s);
        for (int s : sections)
            endAccessory(*shown, s);
    }
}

TableViewCell::EditControl TableView::editControlFor(const IndexPath &indexPath)
{
    if (!m_editing)
        return TableViewCell::EditControl::none;
    if (allowsMultipleSelectionDuringEditing)
        return TableViewCell::EditControl::check;
    if (!m_dataSource || !m_dataSource->canEditRow(this, indexPath))
        return TableViewCell::EditControl::none;
    const TableViewCellEditingStyle style
        = m_tableDelegate ? m_tableDelegate->editingStyleForRow(this, indexPath) : TableViewCellEditingStyle::delete_;
    switch (style) {
    case TableViewCellEditingStyle::delete_:
        return TableViewCell::EditControl::delete_;
    case TableViewCellEditingStyle::insert:
        return TableViewCell::EditControl::insert;
    case TableViewCellEditingStyle::none:
        break;
    }
    return TableViewCell::EditControl::none;
}

// Queries

TableViewCell *TableView::cellForRow(const IndexPath &indexPath) const
{
    return visibleCellAt(m_visible, indexPath);
}

QList<TableViewCell *> TableView::visibleCells() const
{
    return visibleCellList(m_visible);
}

QList<IndexPath> TableView::indexPathsForVisibleRows() const
{
    return visibleIndexPaths(m_visible);
}

std::optional<IndexPath> TableView::indexPathForCell(const TableViewCell *cell) const
{
    return visibleIndexPathOf(m_visible, cell);
}

QWidget *TableView::headerView(int section) const
{
    auto it = m_headers.find(section);
    return it == m_headers.end() ? nullptr : it->second.view.data();
}

QWidget *TableView::footerView(int section) const
{
    auto it = m_footers.find(section);
    return it == m_footers.end() ? nullptr : it->second.view.data();
}

void TableView::scrollToRow(const IndexPath &indexPath, ScrollPosition position, bool animated)
{
    const QRectF row = rectForRow(indexPath);
    if (row.isNull())
        return;
    const EdgeInsets inset = adjustedContentInset();
    const double visibleHeight = height() - inset.vertical();
    double y = contentOffset().y();
    switch (position) {
    case ScrollPosition::top:
        y = row.top() - inset.top;
        break;
    case ScrollPosition::middle:
        y = row.center().y() - inset.top - visibleHeight / 2.0;
        break;
    case ScrollPosition::bottom:
        y = row.bottom() - inset.top - visibleHeight;
        break;
    case ScrollPosition::none:
        if (row.top() < y + inset.top)
            y = row.top() - inset.top;
        else if (row.bottom() > y + inset.top + visibleHeight)
            y = row.bottom() - inset.top - visibleHeight;
        break;
    }
    y = std::clamp(y, minimumContentOffset().y(), maximumContentOffset().y());
    setContentOffset(QPointF(contentOffset().x(), y), animated);
}

// Selection

bool TableView::selectionAllowed() const
{
    return m_editing ? (allowsSelectionDuringEditing || allowsMultipleSelectionDuringEditing) : allowsSelection;
}

bool TableView::multipleSelection() const
{
    return m_editing ? allowsMultipleSelectionDuringEditing : allowsMultipleSelection;
}

std::optional<IndexPath> TableView::indexPathForSelectedRow() const
{
    if (m_selection.selected().empty())
        return std::nullopt;
    return *m_selection.selected().begin();
}

QList<IndexPath> TableView::indexPathsForSelectedRows() const
{
    return QList<IndexPath>(m_selection.selected().begin(), m_selection.selected().end());
}

void TableView::selectRow(const std::optional<IndexPath> &indexPath, bool animated, ScrollPosition position)
{
    m_selection.select(indexPath, multipleSelection());
    if (indexPath && position != ScrollPosition::none)
        scrollToRow(*indexPath, position, animated);
}

void TableView::deselectRow(const IndexPath &indexPath, bool)
{
    m_selection.setSelected(indexPath, false);
}

void TableView::showSelected(const IndexPath &indexPath, bool selected)
{
    if (TableViewCell *cell = cellForRow(indexPath))
        cell->setSelected(selected, false);
}

void TableView::showHighlighted(const IndexPath &indexPath, bool highlighted)
{
    if (TableViewCell *cell = cellForRow(indexPath)) {
        cell->setHighlighted(highlighted, false);
        ListKeyboard::showFocus(cell, highlighted && hasFocus());
    }
}

bool TableView::canHighlight(const IndexPath &indexPath)
{
    return cellForRow(indexPath) && (!m_tableDelegate || m_tableDelegate->shouldHighlightRow(this, indexPath));
}

std::optional<IndexPath> TableView::willSelect(const IndexPath &indexPath)
{
    return m_tableDelegate ? m_tableDelegate->willSelectRow(this, indexPath) : indexPath;
}

std::optional<IndexPath> TableView::willDeselect(const IndexPath &indexPath)
{
    return m_tableDelegate ? m_tableDelegate->willDeselectRow(this, indexPath) : indexPath;
}

void TableView::didSelect(const IndexPath &indexPath)
{
    if (m_tableDelegate)
        m_tableDelegate->didSelectRow(this, indexPath);
}

void TableView::didDeselect(const IndexPath &indexPath)
{
    if (m_tableDelegate)
        m_tableDelegate->didDeselectRow(this, indexPath);
}

void TableView::contentTouchDown(const QPointF &point)
{
    m_touchClosesActions = m_actionsRow.has_value();
    if (!m_touchClosesActions && selectionAllowed())
        m_selection.touchDown(indexPathForRow(point));
}

void TableView::contentTouchCancelled()
{
    m_selection.endTouch();
    if (m_actionsRow && !m_swiping)
        hideActions(true);
}

void TableView::contentTapped(const QPointF &point)
{
    const std::optional<IndexPath> touched = m_selection.endTouch();
    if (std::exchange(m_touchClosesActions, false)) {
        hideActions(true);
        return;
    }
    const std::optional<IndexPath> ip = indexPathForRow(point);
    if (!ip)
        return;
    // The delete sign of a row in edit mode opens its actions.
    if (m_editing && editControlFor(*ip) == TableViewCell::EditControl::delete_
        && mapFromContent(point).x() < TableViewCell::kEditControlWidth) {
        showActions(*ip, true);
        return;
    }
    if (touched && *touched == *ip)
        activateRow(*ip);
}

void TableView::activateRow(const IndexPath &indexPath)
{
    if (!selectionAllowed() || indexPath.section < 0 || indexPath.section >= numberOfSections() || indexPath.row() < 0
        || indexPath.row() >= numberOfRows(indexPath.section))
        return;
    m_selection.tap(indexPath, multipleSelection());
}

// The keyboard

void TableView::keyPressEvent(QKeyEvent *event)
{
    const auto rows = [this] {
        std::vector<CellSelection::KeyboardItem> all;
        for (int s = 0; s < numberOfSections(); ++s) {
            for (int r = 0; r < numberOfRows(s); ++r)
                all.push_back({ IndexPath(r, s), rectForRow(IndexPath(r, s)) });
        }
        return all;
    };
    const bool used = m_selection.keyPress(
        event, rows, height() - adjustedContentInset().vertical(),
        [this](const IndexPath &ip) { activateRow(ip); },
        [this](const QRectF &frame) {
            scrollRectToVisible(frame, false);
            layoutIfNeeded();
        });
    if (!used)
        ScrollView::keyPressEvent(event);
}

void TableView::focusInEvent(QFocusEvent *event)
{
    ScrollView::focusInEvent(event);
    showFocusOfHighlight();
    // Come by the keyboard, the list shows where it stands: on its selected
    // row, else on the first row in view.
    if (m_selection.highlighted() || event->reason() == Qt::MouseFocusReason || !ListKeyboard::lastInputWasKeyboard())
        return;
    layoutIfNeeded();
    std::optional<IndexPath> start = indexPathForSelectedRow();
    if (!start || !cellForRow(*start)) {
        const QList<IndexPath> visible = indexPathsForVisibleRows();
        if (visible.isEmpty())
            return;
        start = visible.first();
    }
    m_selection.setHighlighted(start);
}

void TableView::focusOutEvent(QFocusEvent *event)
{
    ScrollView::focusOutEvent(event);
    showFocusOfHighlight();
}

void TableView::showFocusOfHighlight()
{
    if (const std::optional<IndexPath> ip = m_selection.highlighted()) {
        if (TableViewCell *cell = cellForRow(*ip))
            ListKeyboard::showFocus(cell, hasFocus());
    }
}

// Editing and swiping

void TableView::setEditing(bool editing, bool animated)
{
    if (editing == m_editing)
        return;
    hideActions(false);
    m_editing = editing;
    m_selection.select(std::nullopt, false);
    for (const auto &[ip, cell] : m_visible) {
        if (!cell)
            continue;
        cell->setEditControl(editControlFor(ip));
        cell->setEditing(editing, animated);
    }
}

QList<TableViewRowAction> TableView::actionsFor(const IndexPath &indexPath)
{
    if (!m_dataSource || !m_dataSource->canEditRow(this, indexPath))
        return {};
    QList<TableViewRowAction> actions;
    if (m_tableDelegate)
        actions = m_tableDelegate->editActionsForRow(this, indexPath);
    const TableViewCellEditingStyle style
        = m_tableDelegate ? m_tableDelegate->editingStyleForRow(this, indexPath) : TableViewCellEditingStyle::delete_;
    if (actions.isEmpty() && style == TableViewCellEditingStyle::delete_) {
        QPointer<TableView> guard(this);
        TableViewRowAction remove;
        remove.style = TableViewRowAction::Style::destructive;
        remove.title = QStringLiteral("Delete");
        remove.handler = [guard](const TableViewRowAction &, const IndexPath &ip) {
            if (guard && guard->m_dataSource)
                guard->m_dataSource->commitEditingStyle(guard, TableViewCellEditingStyle::delete_, ip);
        };
        actions.append(remove);
    }
    return actions;
}

void TableView::showActions(const IndexPath &indexPath, bool animated)
{
    const QList<TableViewRowAction> actions = actionsFor(indexPath);
    if (actions.isEmpty())
        return;
    if (m_actionsRow && !(*m_actionsRow == indexPath))
        hideActions(false);
    if (!m_actionsView) {
        auto *container = new QWidget(this);
        container->setObjectName(QStringLiteral("rowActions"));
        auto *layout = new QHBoxLayout(container);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        QPointer<TableView> guard(this);
        double total = 0.0;
        for (const TableViewRowAction &action : actions) {
            auto *button = new QPushButton(action.title, container);
            const int w = std::max(74, QFontMetrics(button->font()).horizontalAdvance(action.title) + 30);
            button->setMinimumWidth(w);
            button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
            button->setFlat(true);
            button->setAutoFillBackground(true);
            QPalette p = button->palette();
            p.setColor(QPalette::Button, action.effectiveBackgroundColor());
            p.setColor(QPalette::Window, action.effectiveBackgroundColor());
            p.setColor(QPalette::ButtonText, Qt::white);
            button->setPalette(p);
            total += w;
            const IndexPath row = indexPath;
            QObject::connect(button, &QPushButton::clicked, this, [guard, action, row] {
                if (!guard)
                    return;
                if (action.handler)
                    action.handler(action, row);
                if (guard && guard->m_actionsRow && *guard->m_actionsRow == row)
                    guard->hideActions(true);
            });
            layout->addWidget(button);
        }
        m_actionsView = container;
        m_actionsWidth = total;
        container->setProperty("actionsWidth", total);
    }
    m_actionsRow = indexPath;
    placeActions();
    m_actionsView->show();
    if (TableViewCell *cell = cellForRow(indexPath)) {
        if (animated)
            animateSwipe(cell, -m_actionsWidth);
    }
}

void TableView::hideActions(bool animated)
{
    if (!m_actionsRow)
        return;
    const IndexPath row = *m_actionsRow;
    m_actionsRow.reset();
    QPointer<QWidget> view = m_actionsView;
    m_actionsView = nullptr;
    m_actionsWidth = 0.0;
    TableViewCell *cell = cellForRow(row);
    const auto dispose = [view] {
        if (view)
            view->deleteLater();
    };
    if (cell && animated) {
        // The buttons leave with the row's edge as it slides back.
        QPointer<TableView> guard(this);
        QPointer<TableViewCell> cellGuard(cell);
        animateSwipe(cell, 0.0, dispose, [guard, view, cellGuard, row] {
            if (guard && view && cellGuard)
                guard->placeActionsView(view, row, cellGuard);
        });
    } else {
        if (cell)
            cell->setSwipeOffset(0.0);
        if (view)
            view->hide();
        dispose();
    }
}

void TableView::animateSwipe(TableViewCell *cell, double to, std::function<void()> done, std::function<void()> step)
{
    QPointer<TableViewCell> guard(cell);
    QPointer<TableView> table(this);
    const double from = cell->swipeOffset();
    auto anim = std::make_shared<BasicAnimation>([guard, table, from, to, step](double p) {
        if (!guard)
            return;
        guard->setSwipeOffset(from + (to - from) * p);
        if (step)
            step();
        else if (table)
            table->placeActions();
    });
    anim->duration = kSwipeDuration;
    anim->timing = TimingFunction::easeOut();
    AnimationDriver::shared().run(anim, 0.0, [done](bool) {
        if (done)
            done();
    });
}

void TableView::placeActions()
{
    if (!m_actionsView || !m_actionsRow)
        return;
    placeActionsView(m_actionsView, *m_actionsRow, cellForRow(*m_actionsRow));
}

void TableView::placeActionsView(QWidget *view, const IndexPath &indexPath, const TableViewCell *cell)
{
    // The row keeps its full width and its opaque background while only its
    // content slides, so the buttons cannot wait underneath it: they sit
    // above the row, in the room its sliding edge uncovers, and follow that
    // edge. A row pulled further than the buttons are wide stretches them.
    const QRectF row = rectForRow(indexPath);
    const double natural = view->property("actionsWidth").toDouble();
    const double shown = cell ? std::max(0.0, -cell->swipeOffset()) : natural;
    setContentFrame(view, QRectF(row.right() - shown, row.top(), std::max(shown, natural), row.height()));
    view->raise();
}

void TableView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_pressPosition = event->position();
        m_swipeCandidate = !m_editing;
        m_swiping = false;
    }
    ScrollView::mousePressEvent(event);
}

void TableView::mouseMoveEvent(QMouseEvent *event)
{
    if (m_swiping && (event->buttons() & Qt::LeftButton)) {
        event->accept();
        if (!m_actionsRow)
            return;
        if (TableViewCell *cell = cellForRow(*m_actionsRow)) {
            const double dx = event->position().x() - m_pressPosition.x();
            cell->setSwipeOffset(std::clamp(m_swipeStart + dx, -m_actionsWidth * 1.5, 0.0));
            placeActions();
        }
        return;
    }
    if (m_swipeCandidate && isTracking() && !isDragging()) {
        const QPointF d = event->position() - m_pressPosition;
        if (std::abs(d.y()) >= kSlop && std::abs(d.y()) >= std::abs(d.x())) {
            m_swipeCandidate = false;
        } else if (std::abs(d.x()) >= kSlop && std::abs(d.x()) > std::abs(d.y())) {
            m_swipeCandidate = false;
            const std::optional<IndexPath> ip = indexPathForRow(mapToContent(m_pressPosition));
            const bool open = ip && m_actionsRow && *m_actionsRow == *ip;
            if (ip && (d.x() < 0 || open) && !actionsFor(*ip).isEmpty()) {
                touchCancelled();
                m_touchClosesActions = false;
                if (!open)
                    showActions(*ip, false);
                m_swiping = true;
                // From where the row stands now, the finger moves it.
                TableViewCell *cell = cellForRow(*ip);
                m_swipeStart = open ? -m_actionsWidth : 0.0;
                if (cell)
                    cell->setSwipeOffset(std::clamp(m_swipeStart + d.x(), -m_actionsWidth * 1.5, 0.0));
                placeActions();
                event->accept();
                return;
            }
        }
    }
    ScrollView::mouseMoveEvent(event);
}

void TableView::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_swiping && event->button() == Qt::LeftButton) {
        m_swiping = false;
        event->accept();
        if (!m_actionsRow)
            return;
        TableViewCell *cell = cellForRow(*m_actionsRow);
        // Open when more than half the buttons show, else close again.
        if (cell && -cell->swipeOffset() > m_actionsWidth / 2.0)
            animateSwipe(cell, -m_actionsWidth);
        else
            hideActions(true);
        return;
    }
    m_swipeCandidate = false;
    ScrollView::mouseReleaseEvent(event);
}

// Reloads and updates

void TableView::reloadData()
{
    hideActions(false);
    endDisplayingCells(
        m_visible, [](const IndexPath &) { return false; },
        [this](const IndexPath &ip, TableViewCell *cell) { endDisplaying(ip, cell); });
    endAllAccessories();
    m_selection.reset();
    m_countsValid = false;
    m_geometryValid = false;
    setNeedsLayout();
}

void TableView::beginUpdates()
{
    if (m_updateDepth++ == 0) {
        ensureCounts();
        m_batch = std::make_unique<UpdateBatch>();
    }
}

void TableView::endUpdates()
{
    if (m_updateDepth == 0 || --m_updateDepth > 0)
        return;
    std::unique_ptr<UpdateBatch> batch = std::move(m_batch);
    applyBatch(*batch, {});
}

void TableView::performBatchUpdates(const std::function<void()> &updates, std::function<void(bool)> completion)
{
    if (m_batch) {
        joinOuterBatch(this, updates, std::move(completion));
        return;
    }
    ensureCounts();
    m_batch = std::make_unique<UpdateBatch>();
    ++m_updateDepth;
    if (updates)
        updates();
    --m_updateDepth;
    std::unique_ptr<UpdateBatch> batch = std::move(m_batch);
    applyBatch(*batch, std::move(completion));
}

void TableView::insertRows(const QList<IndexPath> &indexPaths)
{
    recordInBatch(*this, m_batch, [&](UpdateBatch &batch) {
        for (const IndexPath &ip : indexPaths)
            batch.insertedItems[ip.section].insert(ip.row());
    });
}

void TableView::deleteRows(const QList<IndexPath> &indexPaths)
{
    recordInBatch(*this, m_batch, [&](UpdateBatch &batch) {
        for (const IndexPath &ip : indexPaths)
            batch.deletedItems[ip.section].insert(ip.row());
    });
}

void TableView::reloadRows(const QList<IndexPath> &indexPaths)
{
    recordInBatch(*this, m_batch, [&](UpdateBatch &batch) {
        for (const IndexPath &ip : indexPaths)
            batch.reloadedItems.insert(ip);
    });
}

void TableView::insertSections(const QList<int> &sections)
{
    recordInBatch(
        *this, m_batch, [&](UpdateBatch &batch) { batch.insertedSections.insert(sections.begin(), sections.end()); });
}

void TableView::deleteSections(const QList<int> &sections)
{
    recordInBatch(
        *this, m_batch, [&](UpdateBatch &batch) { batch.deletedSections.insert(sections.begin(), sections.end()); });
}

void TableView::reloadSections(const QList<int> &sections)
{
    recordInBatch(
        *this, m_batch, [&](UpdateBatch &batch) { batch.reloadedSections.insert(sections.begin(), sections.end()); });
}

void TableView::applyBatch(UpdateBatch &batch, std::function<void(bool)> completion)
{
    hideActions(false);
    const std::vector<int> oldCounts = m_counts;
    m_countsValid = false;
    ensureCounts();
    const QString problem = batch.apply(oldCounts, m_counts, QStringLiteral("rows"));
    if (!problem.isEmpty())
        fatalError(problem);

    const std::map<TableViewCell *, QRect> oldGeometry = moveVisibleCells(
        m_visible, batch, [this](const IndexPath &ip, TableViewCell *cell) { endDisplaying(ip, cell); });
    m_selection.reset(mapIndexPaths(m_selection.selected(), batch));
    endAllAccessories();
    // Surviving cells take their new index path's state.
    for (const auto &[ip, cell] : m_visible)
        configureForDisplay(cell, ip);

    m_geometryValid = false;
    setNeedsLayout();
    layoutIfNeeded();

    animateBatchUpdate(this, m_visible, oldGeometry, std::move(completion));
}

} // namespace tarnik
