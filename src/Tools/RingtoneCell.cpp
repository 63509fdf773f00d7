#include "Tools/RingtoneCell.h"

#include "App/Constants.h"
#include "App/Extensions.h"
#include "Entries/Entry.h"
#include "Platform/Bundle.h"

#include <QIcon>
#include <QLabel>
#include <QVBoxLayout>

namespace tarnik {

namespace {

void setBackground(QWidget *view, const QColor &color)
{
    if (!view)
        return;
    view->setAutoFillBackground(true);
    QPalette palette = view->palette();
    palette.setColor(QPalette::Window, color);
    view->setPalette(palette);
}

} // namespace

QColor RingtoneCell::Constants::selectedTintColor()
{
    static const QColor color = colorWithHex(u"25b2cc");
    return color;
}

QColor RingtoneCell::Constants::lineColor()
{
    static const QColor color = colorWithHex(u"c8c7cc");
    return color;
}

RingtoneCell::RingtoneCell(QWidget *parent)
    : TableViewCell(CellStyle::default_, QStringLiteral("ringtoneCellIdentifier"), parent)
{
    m_imgView = new QLabel(contentView());
    m_imgView->setObjectName(QStringLiteral("imgView"));
    if (const auto path
        = Bundle::main().pathForResource(QStringLiteral("ringtone"), QStringLiteral("svg"), QStringLiteral("images")))
        m_imgView->setPixmap(QIcon(*path).pixmap(QSize(28, 28), devicePixelRatioF()));
    m_imgView->setAlignment(Qt::AlignCenter);
    m_imgView->setAccessibleName(QStringLiteral("Ringtone"));

    m_title = new QLabel(contentView());
    m_title->setObjectName(QStringLiteral("title"));
    m_title->setFont(Common::defaultFont());
    m_title->setStyleSheet(QStringLiteral("color: black;"));

    m_line = new QWidget(this);
    m_line->setObjectName(QStringLiteral("line"));
    // The empty selected background is coloured by the cell's own state.
    setSelectedBackgroundView(new QWidget);
    updateState(false);
}

void RingtoneCell::layoutContent()
{
    TableViewCell::layoutContent();
    const QRect content = contentView()->rect();
    m_imgView->setGeometry(12, 0, 32, content.height());
    m_title->setGeometry(56, 0, std::max(0, content.width() - 68), content.height());
    // The line runs under the text, as far as the row's right edge.
    const QPoint origin = contentView()->mapTo(this, QPoint(56, 0));
    m_line->setGeometry(origin.x(), height() - 1, std::max(0, width() - origin.x()), 1);
    m_line->raise();
}

void RingtoneCell::setSelected(bool selected, bool animated)
{
    TableViewCell::setSelected(selected, animated);
    // A selected row that loses its highlight keeps its selected look.
    updateState(selected || isHighlighted());
}

void RingtoneCell::setHighlighted(bool highlighted, bool animated)
{
    TableViewCell::setHighlighted(highlighted, animated);
    updateState(highlighted || isSelected());
}

void RingtoneCell::updateState(bool on)
{
    setTintColor(on && isEditing() ? Constants::selectedTintColor() : QColor(Qt::transparent));
    setBackground(selectedBackgroundView(), on ? selectedCellColor() : QColor(Qt::transparent));
    setBackground(m_line, on ? QColor(Qt::white) : Constants::lineColor());
}

RingtoneFooterCell::RingtoneFooterCell(QWidget *parent)
    : TableViewCell(CellStyle::default_, QStringLiteral("footerCellIdentifier"), parent)
{
    m_titleLabel = new QLabel(contentView());
    m_titleLabel->setWordWrap(true);
    auto *layout = new QVBoxLayout(contentView());
    layout->addWidget(m_titleLabel);
}

} // namespace tarnik
