#include "ImportEditor/ImportDetailCell.h"

#include "App/Constants.h"

namespace tarnik {

ImportDetailCell::ImportDetailCell(QWidget *parent)
    : TableViewCell(CellStyle::default_, QStringLiteral("ImportSelectCell"), parent)
{
    m_imgView = new ImageView(contentView());
    m_imgView->setContentMode(ImageView::ContentMode::scaleAspectFit);
    m_imgView->setTemplate(true);
    m_imgView->setTintColor(Common::blackColor());
    m_titleLabel = new QLabel(contentView());
    m_titleLabel->setFont(Common::defaultFont());
    m_extraLabel = new QLabel(contentView());
    m_extraLabel->setFont(Common::defaultFont());
    m_extraLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_extraLabel->setStyleSheet(QStringLiteral("color: #999999"));
}

void ImportDetailCell::setSelectionColor(const QColor &color)
{
    m_selectionColor = color;
    auto *background = new QWidget;
    background->setAutoFillBackground(true);
    QPalette palette = background->palette();
    palette.setColor(QPalette::Window, color);
    background->setPalette(palette);
    setSelectedBackgroundView(background);
}

void ImportDetailCell::setExtraText(const QString &text)
{
    m_extraLabel->setText(text);
    layoutRow();
}

void ImportDetailCell::resizeEvent(QResizeEvent *event)
{
    TableViewCell::resizeEvent(event);
    layoutRow();
}

void ImportDetailCell::layoutRow()
{
    const int icon = 22;
    m_imgView->setGeometry(15, (height() - icon) / 2, icon, icon);
    const int extra = std::min(m_extraLabel->sizeHint().width(), width() / 2);
    m_extraLabel->setGeometry(width() - 15 - extra, 0, extra, height());
    const int left = 15 + icon + 12;
    m_titleLabel->setGeometry(left, 0, std::max(0, width() - left - extra - 25), height());
}

} // namespace tarnik
