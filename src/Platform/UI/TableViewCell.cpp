#include "Platform/UI/TableViewCell.h"

#include "Platform/UI/TableView.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPainter>
#include <QLabel>
#include <QPainterPath>
#include <QTextDocumentFragment>
#include <functional>
#include <mutex>

namespace tarnik {

namespace {

TableView *tableOf(const QWidget *cell)
{
    for (QWidget *w = cell->parentWidget(); w; w = w->parentWidget()) {
        if (auto *table = qobject_cast<TableView *>(w))
            return table;
    }
    return nullptr;
}

// What a row's own labels show, in the order they were made, for a row whose cell lays out labels
// of its own instead of its text label; failing those, the first name one of its views carries.
QString shownText(const TableViewCell *cell)
{
    QStringList parts;
    QString named;
    for (const QWidget *child : cell->findChildren<QWidget *>()) {
        if (!child->isVisibleTo(cell))
            continue;
        if (const auto *label = qobject_cast<const QLabel *>(child)) {
            QString text = label->accessibleName();
            if (text.isEmpty()) {
                text = label->text();
                if (label->textFormat() == Qt::RichText
                    || (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(text)))
                    text = QTextDocumentFragment::fromHtml(text).toPlainText();
            }
            text = text.simplified();
            if (!text.isEmpty())
                parts.append(text);
        } else if (named.isEmpty() && !child->accessibleName().isEmpty()) {
            named = child->accessibleName();
        }
    }
    return parts.isEmpty() ? named : parts.join(QStringLiteral(", "));
}

// A row reads as a list item named by its accessible name, its text or what its labels show, is
// focused where the keyboard's highlight stands, and pressing it does what a
// tap does. Its own controls stay its children.
class TableViewCellAccessible : public QAccessibleWidget
{
public:
    explicit TableViewCellAccessible(TableViewCell *cell)
        : QAccessibleWidget(cell, QAccessible::ListItem)
    {
    }
    QString text(QAccessible::Text t) const override
    {
        auto *cell = static_cast<TableViewCell *>(widget());
        if (t == QAccessible::Name) {
            if (!cell->accessibleName().isEmpty())
                return cell->accessibleName();
            if (cell->textLabel() && !cell->textLabel()->text().isEmpty())
                return cell->textLabel()->text();
            return shownText(cell);
        }
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        auto *cell = static_cast<TableViewCell *>(widget());
        s.selectable = true;
        s.selected = cell->isSelected();
        const TableView *table = tableOf(cell);
        s.focusable = true;
        s.focused = cell->isHighlighted() && table && table->hasFocus();
        return s;
    }
    QStringList actionNames() const override { return { pressAction() }; }
    void doAction(const QString &name) override
    {
        if (name != pressAction())
            return;
        auto *cell = static_cast<TableViewCell *>(widget());
        if (TableView *table = tableOf(cell)) {
            if (const std::optional<IndexPath> path = table->indexPathForCell(cell))
                table->activateRow(*path);
        }
    }
};

QAccessibleInterface *tableCellAccessibleFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("tarnik::TableViewCell") && object && object->isWidgetType())
        return new TableViewCellAccessible(static_cast<TableViewCell *>(object));
    return nullptr;
}

// A see-through layer that paints with a function of its owner's and lets every click through.
class PaintedLayer : public QWidget
{
public:
    PaintedLayer(QWidget *parent, std::function<void(QPainter &)> paint)
        : QWidget(parent)
        , m_paint(std::move(paint))
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        m_paint(painter);
    }

private:
    std::function<void(QPainter &)> m_paint;
};

} // namespace

TableViewCell::TableViewCell(CellStyle style, const QString &reuseIdentifier, QWidget *parent)
    : QWidget(parent)
    , m_reuseIdentifier(reuseIdentifier)
    , m_style(style)
    , m_contentView(new QWidget(this))
{
    static std::once_flag installed;
    std::call_once(installed, [] { QAccessible::installFactory(&tableCellAccessibleFactory); });
    m_contentView->setObjectName(QStringLiteral("contentView"));
    m_textLabel = new QLabel(m_contentView);
    if (style != CellStyle::default_) {
        m_detailTextLabel = new QLabel(m_contentView);
        if (style == CellStyle::value1)
            m_detailTextLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        QPalette p = m_detailTextLabel->palette();
        p.setColor(QPalette::WindowText, QColor(0x8e, 0x8e, 0x93));
        m_detailTextLabel->setPalette(p);
    }
    m_editControlView = new PaintedLayer(this, [this](QPainter &painter) { paintEditControl(painter); });
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
}

QLabel *TableViewCell::imageView()
{
    if (!m_imageView) {
        m_imageView = new QLabel(m_contentView);
        m_imageView->setScaledContents(true);
        layoutContent();
    }
    return m_imageView;
}

void TableViewCell::setBackgroundView(QWidget *view)
{
    if (m_backgrounds.setBackground(this, view))
        updateBackgrounds();
}

void TableViewCell::setSelectedBackgroundView(QWidget *view)
{
    if (m_backgrounds.setSelectedBackground(this, view))
        updateBackgrounds();
}

void TableViewCell::setSelectionStyle(SelectionStyle style)
{
    m_selectionStyle = style;
    updateBackgrounds();
}

void TableViewCell::setSelected(bool selected, bool)
{
    m_selected = selected;
    updateBackgrounds();
    update();
    m_editControlView->update();
}

void TableViewCell::setHighlighted(bool highlighted, bool)
{
    m_highlighted = highlighted;
    updateBackgrounds();
}

void TableViewCell::setEditing(bool editing, bool)
{
    m_editing = editing;
    layoutContent();
    update();
    m_editControlView->update();
}

void TableViewCell::setEditControl(EditControl control)
{
    m_editControl = control;
    update();
    m_editControlView->update();
}

void TableViewCell::setTintColor(const QColor &color)
{
    m_tintColor = color;
    update();
    m_editControlView->update();
}

void TableViewCell::prepareForReuse()
{
    m_swipeOffset = 0.0;
    m_highlighted = false;
    layoutContent();
}

void TableViewCell::setSwipeOffset(double offset)
{
    m_swipeOffset = std::min(0.0, offset);
    layoutContent();
    m_editControlView->update();
}

void TableViewCell::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_backgrounds.fit(rect());
    m_editControlView->setGeometry(rect());
    layoutContent();
}

void TableViewCell::layoutContent()
{
    const int indent = m_editing && m_editControl != EditControl::none ? int(kEditControlWidth) : 0;
    const int shift = int(m_swipeOffset);
    m_contentView->setGeometry(indent + shift, 0, width() - indent, height());
    const int w = m_contentView->width();
    const int h = height();
    int x = 15;
    if (m_imageView && !m_imageView->pixmap().isNull()) {
        const int side = std::max(0, h - 12);
        m_imageView->setGeometry(x, 6, side, side);
        m_imageView->show();
        x += side + 15;
    } else if (m_imageView) {
        m_imageView->hide();
    }
    const int right = w - 15;
    switch (m_style) {
    case CellStyle::default_:
        m_textLabel->setGeometry(x, 0, std::max(0, right - x), h);
        break;
    case CellStyle::value1:
    case CellStyle::value2: {
        const int half = std::max(0, (right - x) / 2);
        m_textLabel->setGeometry(x, 0, half, h);
        m_detailTextLabel->setGeometry(x + half, 0, std::max(0, right - x - half), h);
        break;
    }
    case CellStyle::subtitle:
        m_textLabel->setGeometry(x, 4, std::max(0, right - x), h / 2 - 2);
        m_detailTextLabel->setGeometry(x, h / 2, std::max(0, right - x), h / 2 - 4);
        break;
    }
}

void TableViewCell::updateBackgrounds()
{
    if (m_selectionStyle == SelectionStyle::default_ && !m_backgrounds.selectedBackground
        && (m_selected || m_highlighted)) {
        auto *view = new QWidget(this);
        view->setAutoFillBackground(true);
        QPalette p = view->palette();
        p.setColor(QPalette::Window, QColor(0xd9, 0xd9, 0xd9));
        view->setPalette(p);
        view->setGeometry(rect());
        m_backgrounds.selectedBackground = view;
    }
    m_backgrounds.stack(m_contentView, m_selectionStyle != SelectionStyle::none && (m_selected || m_highlighted));
    m_editControlView->raise();
}

void TableViewCell::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (showsSeparator) {
        painter.setPen(QPen(QColor(0xc8, 0xc7, 0xcc), 0.5));
        painter.drawLine(QPointF(15, height() - 0.25), QPointF(width(), height() - 0.25));
    }
}

void TableViewCell::paintEditControl(QPainter &painter) const
{
    if (!m_editing || m_editControl == EditControl::none)
        return;
    const QRectF circle(10.0 + m_swipeOffset, height() / 2.0 - 11.0, 22.0, 22.0);
    switch (m_editControl) {
    case EditControl::check:
        if (m_selected) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(m_tintColor);
            painter.drawEllipse(circle);
            painter.setPen(QPen(Qt::white, 2.0));
            QPainterPath tick;
            tick.moveTo(circle.left() + 6, circle.center().y());
            tick.lineTo(circle.left() + 10, circle.center().y() + 4);
            tick.lineTo(circle.right() - 5, circle.top() + 7);
            painter.setBrush(Qt::NoBrush);
            painter.drawPath(tick);
        } else {
            painter.setPen(QPen(QColor(0xc7, 0xc7, 0xcc), 1.0));
            painter.setBrush(Qt::NoBrush);
            painter.drawEllipse(circle);
        }
        break;
    case EditControl::delete_:
    case EditControl::insert:
        painter.setPen(Qt::NoPen);
        painter.setBrush(m_editControl == EditControl::delete_ ? QColor(0xff, 0x3b, 0x30) : QColor(0x4c, 0xd9, 0x64));
        painter.drawEllipse(circle);
        painter.setPen(QPen(Qt::white, 2.0));
        painter.drawLine(
            QPointF(circle.left() + 6, circle.center().y()), QPointF(circle.right() - 6, circle.center().y()));
        if (m_editControl == EditControl::insert)
            painter.drawLine(
                QPointF(circle.center().x(), circle.top() + 6), QPointF(circle.center().x(), circle.bottom() - 6));
        break;
    case EditControl::none:
        break;
    }
}

} // namespace tarnik
