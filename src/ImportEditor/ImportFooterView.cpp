#include "ImportEditor/ImportFooterView.h"

namespace tarnik {

ImportFooterView::ImportFooterView(QWidget *parent)
    : TableViewCell(CellStyle::default_, QString(), parent)
{
    setSelectionStyle(SelectionStyle::none);
    m_button = new QPushButton(contentView());
    m_button->setFlat(true);
}

void ImportFooterView::resizeEvent(QResizeEvent *event)
{
    TableViewCell::resizeEvent(event);
    m_button->setGeometry(15, 0, std::max(0, width() - 30), height());
}

} // namespace tarnik
