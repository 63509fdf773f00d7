#include "Platform/UI/CollectionViewCell.h"

namespace tarnik {

CollectionViewCell::CollectionViewCell(QWidget *parent)
    : CollectionReusableView(parent)
    , m_contentView(new QWidget(this))
{
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
