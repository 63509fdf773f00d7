#include "Settings/PreferenceFooterCell.h"

#include <QLabel>

namespace tarnik {

PreferenceFooterCell::PreferenceFooterCell(QWidget *parent)
    : TableViewCell(CellStyle::default_, QStringLiteral("footerCellIdentifier"), parent)
{
    m_titleLabel = new QLabel(contentView());
    m_titleLabel->setWordWrap(true);
    m_titleLabel->setStyleSheet(QStringLiteral("color: #6d6d72;"));
    QFont font = m_titleLabel->font();
    font.setPointSizeF(font.pointSizeF() * 0.9);
    m_titleLabel->setFont(font);
    m_line = new QWidget(this);
    m_line->setStyleSheet(QStringLiteral("background: #c8c7cc;"));
    m_line->setAttribute(Qt::WA_StyledBackground, true);
    setSelectionStyle(SelectionStyle::none);
}

int PreferenceFooterCell::heightForWidth(int width) const
{
    return m_titleLabel->heightForWidth(std::max(1, width - 32)) + 20;
}

void PreferenceFooterCell::layoutContent()
{
    TableViewCell::layoutContent();
    m_line->setGeometry(0, 0, width(), 1);
    const QRect content = contentView()->rect();
    m_titleLabel->setGeometry(16, 8, std::max(0, content.width() - 32), std::max(0, content.height() - 16));
}

} // namespace tarnik
