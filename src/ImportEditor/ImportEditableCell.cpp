#include "ImportEditor/ImportEditableCell.h"

#include "App/Constants.h"

#include <QEvent>

namespace tarnik {

ImportEditableCell::ImportEditableCell(QWidget *parent)
    : TableViewCell(CellStyle::default_, QStringLiteral("ImportEditableCell"), parent)
{
    setSelectionStyle(SelectionStyle::none);
    m_titleLabel = new QLabel(contentView());
    m_titleLabel->setFont(Common::defaultFont());
    m_titleLabel->setStyleSheet(QStringLiteral("color: #999999"));
    m_textField = new QLineEdit(contentView());
    m_textField->setFont(Common::defaultFont());
    m_textField->setFrame(false);
    m_textField->setAttribute(Qt::WA_MacShowFocusRect, false);
    m_titleLabel->setBuddy(m_textField);
    m_textField->installEventFilter(this);
}

bool ImportEditableCell::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_textField) {
        if (event->type() == QEvent::FocusIn)
            Q_EMIT textFieldDidBeginEditing(m_textField);
        else if (event->type() == QEvent::FocusOut)
            Q_EMIT textFieldDidEndEditing(m_textField);
    }
    return TableViewCell::eventFilter(watched, event);
}

void ImportEditableCell::resizeEvent(QResizeEvent *event)
{
    TableViewCell::resizeEvent(event);
    const int titleWidth = 80;
    m_titleLabel->setGeometry(15, 0, titleWidth, height());
    m_textField->setGeometry(15 + titleWidth + 10, 0, std::max(0, width() - titleWidth - 40), height());
}

} // namespace tarnik
