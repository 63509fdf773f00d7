#include "ImportEditor/ImportHeaderView.h"

#include "Platform/UI/GestureRecognizer.h"

namespace tarnik {

ImportHeaderView::ImportHeaderView(QWidget *parent)
    : TableViewCell(CellStyle::default_, QStringLiteral("HeaderView"), parent)
{
    setSelectionStyle(SelectionStyle::none);
    m_titleLabel = new QLabel(contentView());
    m_titleLabel->setStyleSheet(QStringLiteral("color: #999999; font-size: 12px;"));
    m_titleLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_tap = new TapGestureRecognizer([this](GestureRecognizer *recognizer) {
        if (recognizer->state() == GestureRecognizer::State::ended && m_action)
            m_action();
    });
    m_tap->attach(this);
}

void ImportHeaderView::setTapAction(std::function<void()> action)
{
    m_action = std::move(action);
}

void ImportHeaderView::resizeEvent(QResizeEvent *event)
{
    TableViewCell::resizeEvent(event);
    m_titleLabel->setGeometry(15, 0, std::max(0, width() - 30), height());
}

} // namespace tarnik
