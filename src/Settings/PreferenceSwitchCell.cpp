#include "Settings/PreferenceSwitchCell.h"

#include "App/Constants.h"
#include "Platform/UI/Switch.h"

#include <QLabel>

namespace tarnik {

PreferenceSwitchCell::PreferenceSwitchCell(QWidget *parent)
    : TableViewCell(CellStyle::default_, QStringLiteral("switchCellIdentifier"), parent)
{
    m_titleLabel = new QLabel(contentView());
    m_titleLabel->setFont(Common::defaultFont());
    m_titleLabel->setStyleSheet(QStringLiteral("color: black;"));
    // A narrow window leaves a long title less than a line beside the switch: it takes two.
    m_titleLabel->setWordWrap(true);
    m_switchButton = new Switch(contentView());
    setSelectionStyle(SelectionStyle::none);
}

void PreferenceSwitchCell::layoutContent()
{
    TableViewCell::layoutContent();
    const QRect content = contentView()->rect();
    const QSize size = m_switchButton->sizeHint();
    m_switchButton->move(content.width() - size.width() - 16, (content.height() - size.height()) / 2);
    m_titleLabel->setGeometry(16, 0, std::max(0, content.width() - size.width() - 40), content.height());
    m_switchButton->setAccessibleName(m_titleLabel->text());
}

} // namespace tarnik
