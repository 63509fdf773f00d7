#include "Controls/DropdownMenu/DropdownMenuCell.h"

#include "App/Constants.h"
#include "Platform/UI/View.h"

#include "Platform/UI/CollectionView.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QEvent>
#include <mutex>
#include <QPalette>

namespace tarnik {

namespace {
constexpr int kSpacing = 15;

double whiteLevel(const QColor &color)
{
    // The white level of a grey: its lightness; colours count by luminance.
    const QColor rgb = color.toRgb();
    return 0.299 * rgb.redF() + 0.587 * rgb.greenF() + 0.114 * rgb.blueF();
}
// A row reads as a menu item named by its text; pressing it chooses it.
class DropdownMenuCellAccessible : public QAccessibleWidget
{
public:
    explicit DropdownMenuCellAccessible(DropdownMenuCell *cell)
        : QAccessibleWidget(cell, QAccessible::MenuItem)
    {
    }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return static_cast<DropdownMenuCell *>(widget())->textLabel()->text();
        return QAccessibleWidget::text(t);
    }
    QStringList actionNames() const override { return { pressAction() }; }
    void doAction(const QString &name) override
    {
        if (name != pressAction())
            return;
        auto *cell = static_cast<DropdownMenuCell *>(widget());
        for (QWidget *w = cell->parentWidget(); w; w = w->parentWidget()) {
            if (auto *collection = qobject_cast<CollectionView *>(w)) {
                const std::optional<IndexPath> path = collection->indexPathForCell(cell);
                if (path && collection->delegate())
                    collection->delegate()->didSelectItem(collection, *path);
                return;
            }
        }
    }
};

QAccessibleInterface *cellAccessibleFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("tarnik::DropdownMenuCell") && object && object->isWidgetType())
        return new DropdownMenuCellAccessible(static_cast<DropdownMenuCell *>(object));
    return nullptr;
}

} // namespace

DropdownMenuCell::DropdownMenuCell(QWidget *parent)
    : CollectionViewCell(parent)
{
    static std::once_flag installed;
    std::call_once(installed, [] { QAccessible::installFactory(&cellAccessibleFactory); });
    setObjectName(QStringLiteral("DropdownMenuCell"));
    m_stack = new QWidget(contentView());
    m_stack->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_imageView = new ImageView(m_stack);
    m_imageView->setContentMode(ImageView::ContentMode::scaleAspectFit);
    m_imageView->setTemplate(true);
    m_textLabel = new QLabel(m_stack);
    m_textLabel->setFont(Common::defaultFont());
    m_textLabel->setAttribute(Qt::WA_TranslucentBackground);
    m_textLabel->setTextFormat(Qt::PlainText);
    auto *selected = new QWidget;
    selected->setAutoFillBackground(true);
    setSelectedBackgroundView(selected);
    setTintColor(tintColor());
    // The initial alignment is stored, not applied: the picture stays shown.
    m_textLabel->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    updateConstraints();
}

void DropdownMenuCell::setAlignment(const DropdownMenuCellAlignment &alignment)
{
    m_alignment = alignment;
    applyAlignment();
}

void DropdownMenuCell::applyAlignment()
{
    switch (m_alignment.kind) {
    case DropdownMenuCellAlignment::Kind::left:
        m_textLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        break;
    case DropdownMenuCellAlignment::Kind::right:
        m_textLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        break;
    case DropdownMenuCellAlignment::Kind::center:
        m_imageView->setVisible(!m_imageView->image().isNull());
        m_textLabel->setAlignment((m_alignment.isAligned ? Qt::AlignLeft : Qt::AlignHCenter) | Qt::AlignVCenter);
        break;
    }
    updateConstraints();
}

void DropdownMenuCell::setText(const QString &text)
{
    m_attributed.reset();
    m_textLabel->setFont(Common::defaultFont());
    m_textLabel->setText(text);
    m_textLabel->setAccessibleName(text);
    applyHighlight(isHighlighted() || isSelected());
    updateConstraints();
}

void DropdownMenuCell::setAttributedText(const AttributedText &text)
{
    m_attributed = text;
    m_textLabel->setFont(text.font.value_or(Common::defaultFont()));
    m_textLabel->setText(text.string);
    m_textLabel->setAccessibleName(text.string);
    applyHighlight(isHighlighted() || isSelected());
    updateConstraints();
}

void DropdownMenuCell::setTintColor(const QColor &color)
{
    CollectionViewCell::setTintColor(color);
    if (QWidget *selected = selectedBackgroundView()) {
        QPalette palette = selected->palette();
        palette.setColor(QPalette::Window, color);
        selected->setPalette(palette);
    }
    m_imageView->setTintColor(color);
    applyHighlight(isHighlighted() || isSelected());
}

QColor DropdownMenuCell::highlightedTintColor() const
{
    const QColor tint = tintColor();
    const double level = std::clamp(1.2 - whiteLevel(tint), 0.0, 1.0);
    return QColor::fromRgbF(float(level), float(level), float(level), tint.alphaF());
}

QColor DropdownMenuCell::currentTextColor() const
{
    return m_labelColor;
}

void DropdownMenuCell::applyTextColor(const QColor &color)
{
    m_labelColor = color;
    QPalette palette = m_textLabel->palette();
    palette.setColor(QPalette::WindowText, color);
    m_textLabel->setPalette(palette);
}

void DropdownMenuCell::setHighlighted(bool highlighted)
{
    CollectionViewCell::setHighlighted(highlighted);
    applyHighlight(highlighted);
}

void DropdownMenuCell::setSelected(bool selected)
{
    CollectionViewCell::setSelected(selected);
    applyHighlight(selected);
}

void DropdownMenuCell::applyHighlight(bool highlighted)
{
    const QColor color = highlighted ? highlightedTintColor() : tintColor();
    m_imageView->setTintColor(color);
    // A plain label turns to the highlighted colour with the row; a styled
    // text is recoloured over its whole length.
    if (m_attributed && !m_attributed->string.isEmpty())
        m_attributed->foregroundColor = color;
    applyTextColor(color);
}

void DropdownMenuCell::updateConstraints()
{
    const int margin = Device::isPad() ? 25 : 20;
    const bool showImage = !m_imageView->isHidden() && !m_imageView->image().isNull();
    const QSize imageSize = showImage ? m_imageView->image().size() : QSize(0, 0);
    int labelWidth = m_textLabel->sizeHint().width();
    if (m_alignment.kind == DropdownMenuCellAlignment::Kind::center && m_alignment.isAligned && maxLabelWidth)
        labelWidth = int(std::ceil(*maxLabelWidth));
    const int labelHeight = m_textLabel->sizeHint().height();
    const int gap = showImage ? kSpacing : 0;
    const int stackWidth = imageSize.width() + gap + labelWidth;
    const int stackHeight = std::max(imageSize.height(), labelHeight);
    const QSize content = size();
    int x = 0;
    switch (m_alignment.kind) {
    case DropdownMenuCellAlignment::Kind::left:
        x = margin;
        break;
    case DropdownMenuCellAlignment::Kind::right:
        x = content.width() - margin - stackWidth;
        break;
    case DropdownMenuCellAlignment::Kind::center:
        x = (content.width() - stackWidth) / 2;
        break;
    }
    m_stack->setGeometry(x, (content.height() - stackHeight) / 2, stackWidth, stackHeight);
    const bool pictureLast = m_alignment.kind == DropdownMenuCellAlignment::Kind::right;
    const QRect label(pictureLast ? 0 : imageSize.width() + gap, (stackHeight - labelHeight) / 2, labelWidth, labelHeight);
    const QRect picture(pictureLast ? labelWidth + gap : 0, (stackHeight - imageSize.height()) / 2, imageSize.width(),
        imageSize.height());
    m_textLabel->setGeometry(label);
    m_imageView->setGeometry(picture);
}

bool DropdownMenuCell::event(QEvent *event)
{
    if (event->type() == QEvent::DynamicPropertyChange) {
        // The fly-in translation moves the content within the row.
        const QTransform t = View::transform(this);
        contentView()->move(qRound(t.dx()), qRound(t.dy()));
    }
    return CollectionViewCell::event(event);
}

void DropdownMenuCell::resizeEvent(QResizeEvent *event)
{
    CollectionViewCell::resizeEvent(event);
    updateConstraints();
}

} // namespace tarnik
