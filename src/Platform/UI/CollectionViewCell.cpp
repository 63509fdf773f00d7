#include "Platform/UI/CollectionViewCell.h"

#include "Platform/UI/CollectionView.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <mutex>

namespace tarnik {

namespace {

CollectionView *collectionOf(const QWidget *cell)
{
    for (QWidget *w = cell->parentWidget(); w; w = w->parentWidget()) {
        if (auto *view = qobject_cast<CollectionView *>(w))
            return view;
    }
    return nullptr;
}

// An item reads as a list item named by the cell's accessible name; it is focused where the
// keyboard's highlight stands, and pressing it does what a tap does. Its own controls stay its
// children. Subclasses with a role of their own install their own factory.
class CollectionViewCellAccessible : public QAccessibleWidget
{
public:
    explicit CollectionViewCellAccessible(CollectionViewCell *cell)
        : QAccessibleWidget(cell, QAccessible::ListItem)
    {
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        auto *cell = static_cast<CollectionViewCell *>(widget());
        const CollectionView *view = collectionOf(cell);
        s.selectable = true;
        s.selected = cell->isSelected();
        s.focusable = true;
        s.focused = cell->isHighlighted() && view && view->hasFocus();
        return s;
    }
    QStringList actionNames() const override { return { pressAction() }; }
    void doAction(const QString &name) override
    {
        if (name != pressAction())
            return;
        auto *cell = static_cast<CollectionViewCell *>(widget());
        if (CollectionView *view = collectionOf(cell)) {
            if (const std::optional<IndexPath> path = view->indexPathForCell(cell))
                view->activateItem(*path);
        }
    }
};

QAccessibleInterface *collectionCellAccessibleFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("tarnik::CollectionViewCell") && object && object->isWidgetType())
        return new CollectionViewCellAccessible(static_cast<CollectionViewCell *>(object));
    return nullptr;
}

} // namespace

CollectionViewCell::CollectionViewCell(QWidget *parent)
    : CollectionReusableView(parent)
    , m_contentView(new QWidget(this))
{
    static std::once_flag installed;
    std::call_once(installed, [] { QAccessible::installFactory(&collectionCellAccessibleFactory); });
    m_contentView->setObjectName(QStringLiteral("contentView"));
}

void CollectionViewCell::setBackgroundView(QWidget *view)
{
    if (m_backgrounds.setBackground(this, view))
        updateBackgrounds();
}

void CollectionViewCell::setSelectedBackgroundView(QWidget *view)
{
    if (m_backgrounds.setSelectedBackground(this, view))
        updateBackgrounds();
}

void CollectionViewCell::setSelected(bool selected)
{
    m_selected = selected;
    updateBackgrounds();
}

void CollectionViewCell::setHighlighted(bool highlighted)
{
    m_highlighted = highlighted;
    updateBackgrounds();
}

void CollectionViewCell::prepareForReuse()
{
    CollectionReusableView::prepareForReuse();
}

void CollectionViewCell::resizeEvent(QResizeEvent *event)
{
    CollectionReusableView::resizeEvent(event);
    m_contentView->setGeometry(rect());
    m_backgrounds.fit(rect());
}

void CollectionViewCell::updateBackgrounds()
{
    m_backgrounds.stack(m_contentView, m_selected || m_highlighted);
}

} // namespace tarnik
