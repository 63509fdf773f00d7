#include "Platform/UI/CellSelection.h"

namespace tarnik {

CellSelection::CellSelection(QObject *view, Owner *owner)
    : m_view(view)
    , m_owner(owner)
{
}

void CellSelection::setSelected(const IndexPath &indexPath, bool selected)
{
    if (selected)
        m_selected.insert(indexPath);
    else
        m_selected.erase(indexPath);
    m_owner->showSelected(indexPath, selected);
}

void CellSelection::select(const std::optional<IndexPath> &indexPath, bool multiple)
{
    for (const IndexPath &other : std::set<IndexPath>(m_selected)) {
        if (!indexPath || (!multiple && !(other == *indexPath)))
            setSelected(other, false);
    }
    if (indexPath)
        setSelected(*indexPath, true);
}

void CellSelection::keepFirst()
{
    if (m_selected.size() > 1)
        select(*m_selected.begin(), false);
}

void CellSelection::setHighlighted(const std::optional<IndexPath> &indexPath)
{
    if (m_highlighted)
        m_owner->showHighlighted(*m_highlighted, false);
    m_highlighted = indexPath;
    if (m_highlighted)
        m_owner->showHighlighted(*m_highlighted, true);
}

void CellSelection::reset(std::set<IndexPath> selected)
{
    m_selected = std::move(selected);
    m_highlighted.reset();
}

void CellSelection::endDisplaying(const IndexPath &indexPath)
{
    if (isHighlighted(indexPath))
        m_highlighted.reset();
}

void CellSelection::touchDown(const std::optional<IndexPath> &indexPath)
{
    if (indexPath && m_owner->canHighlight(*indexPath))
        setHighlighted(indexPath);
}

std::optional<IndexPath> CellSelection::endTouch()
{
    const std::optional<IndexPath> touched = m_highlighted;
    setHighlighted(std::nullopt);
    return touched;
}

void CellSelection::tap(const IndexPath &indexPath, bool multiple)
{
    QPointer<QObject> guard(m_view);
    if (multiple && isSelected(indexPath)) {
        const std::optional<IndexPath> target = m_owner->willDeselect(indexPath);
        if (!guard || !target)
            return;
        setSelected(*target, false);
        m_owner->didDeselect(*target);
        return;
    }
    const std::optional<IndexPath> target = m_owner->willSelect(indexPath);
    if (!guard || !target)
        return;
    if (!multiple) {
        for (const IndexPath &other : std::set<IndexPath>(m_selected)) {
            if (other == *target)
                continue;
            setSelected(other, false);
            m_owner->didDeselect(other);
            if (!guard)
                return;
        }
    }
    setSelected(*target, true);
    m_owner->didSelect(*target);
}

} // namespace tarnik
