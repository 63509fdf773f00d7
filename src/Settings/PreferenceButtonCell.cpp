#include "Settings/PreferenceButtonCell.h"

#include "App/Constants.h"

#include <QLabel>

namespace tarnik {

PreferenceButtonCell::PreferenceButtonCell(QWidget *parent)
    : TableViewCell(CellStyle::default_, QStringLiteral("buttonCellIdentifier"), parent)
{
    m_titleLabel = new QLabel(contentView());
    m_titleLabel->setFont(Common::defaultFont());
    m_titleLabel->setStyleSheet(QStringLiteral("color: #c40000;"));
}

void PreferenceButtonCell::layoutContent()
{
    TableViewCell::layoutContent();
    const QRect content = contentView()->rect();
    m_titleLabel->setGeometry(16, 0, std::max(0, content.width() - 32), content.height());
}

} // namespace tarnik
