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
    if (view == m_backgroundView)
        return;
    delete m_backgroundView.data();
    m_backgroundView = view;
    if (view) {
        view->setParent(this);
        view->setGeometry(rect());
        view->lower();
        view->show();
    }
    updateBackgrounds();
}

void CollectionViewCell::setSelectedBackgroundView(QWidget *view)
{
    if (view == m_selectedBackgroundView)
        return;
    delete m_selectedBackgroundView.data();
    m_selectedBackgroundView = view;
    if (view) {
        view->setParent(this);
        view->setGeometry(rect());
    }
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
    if (m_backgroundView)
        m_backgroundView->setGeometry(rect());
    if (m_selectedBackgroundView)
        m_selectedBackgroundView->setGeometry(rect());
}

void CollectionViewCell::updateBackgrounds()
{
    // Stacking from the back: background, selected background, content.
    if (m_backgroundView)
        m_backgroundView->lower();
    if (m_selectedBackgroundView) {
        m_selectedBackgroundView->setVisible(m_selected || m_highlighted);
        m_selectedBackgroundView->stackUnder(m_contentView);
    }
    m_contentView->raise();
}

} // namespace tarnik
