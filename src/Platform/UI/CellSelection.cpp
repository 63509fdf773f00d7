#include "Platform/UI/CellSelection.h"

#include "Platform/UI/ListKeyboard.h"

#include <QKeyEvent>

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

bool CellSelection::keyPress(QKeyEvent *event, const std::function<std::vector<KeyboardItem>()> &items, double page,
    const std::function<void(const IndexPath &)> &activate, const std::function<void(const QRectF &)> &reveal)
{
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && plain && m_highlighted) {
        event->accept();
        activate(*m_highlighted);
        return true;
    }
    const std::vector<KeyboardItem> all = items();
    QList<QRectF> frames;
    std::optional<int> current;
    for (const KeyboardItem &item : all) {
        if (isHighlighted(item.indexPath))
            current = int(frames.size());
        frames.append(item.frame);
    }
    const std::optional<int> target = ListKeyboard::target(event->key(), event->modifiers(), current, frames, page);
    if (!target)
        return false;
    event->accept();
    const KeyboardItem &chosen = all.at(std::size_t(*target));
    reveal(chosen.frame);
    setHighlighted(chosen.indexPath);
    return true;
}

} // namespace tarnik
