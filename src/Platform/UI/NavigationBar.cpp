#include "Platform/UI/NavigationBar.h"

#include "Platform/UI/BarButton.h"
#include "Platform/UI/BarButtonItem.h"
#include "Platform/UI/NavigationItem.h"

#include <QLabel>
#include <QPainter>

namespace tarnik {

NavigationBar::NavigationBar(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("NavigationBar"));
    m_title = new QLabel(this);
    m_title->setObjectName(QStringLiteral("NavigationBarTitle"));
    m_title->setAlignment(Qt::AlignCenter);
    setFixedHeight(kHeight);
}

void NavigationBar::setTranslucent(bool translucent)
{
    m_translucent = translucent;
    update();
}

void NavigationBar::setTintColor(const QColor &color)
{
    m_tint = color;
    rebuild();
}

void NavigationBar::setBarTintColor(std::optional<QColor> color)
{
    m_barTint = color;
    update();
}

void NavigationBar::setBarStyle(BarStyle style)
{
    m_barStyle = style;
    rebuild();
}

void NavigationBar::setTitleTextAttributes(const TextAttributes &attributes)
{
    m_titleAttributes = attributes;
    rebuild();
}

void NavigationBar::setBackgroundImage(std::optional<QImage> image)
{
    m_background = std::move(image);
    update();
}

void NavigationBar::setShadowImage(std::optional<QImage> image)
{
    m_shadow = std::move(image);
    update();
}

void NavigationBar::setHidesShadow(bool hides)
{
    m_hidesShadow = hides;
    setProperty("hidesShadow", hides);
    update();
}

void NavigationBar::setItems(NavigationItem *top, NavigationItem *back, const QString &backTitle)
{
    if (m_top)
        disconnect(m_top, nullptr, this, nullptr);
    m_top = top;
    m_back = back;
    m_backTitle = backTitle;
    if (top)
        connect(top, &NavigationItem::changed, this, &NavigationBar::rebuild);
    rebuild();
}

QWidget *NavigationBar::backButton() const
{
    return m_backButton;
}

QString NavigationBar::titleText() const
{
    return m_title->isVisible() ? m_title->text() : QString();
}

void NavigationBar::rebuild()
{
    // Buttons are the bar's own; custom views belong to their items.
    for (QWidget *w : m_left + m_right) {
        if (qobject_cast<BarButton *>(w)) {
            // Hidden at once: the deletion waits for the event loop.
            w->hide();
            w->deleteLater();
        }
        else if (w && w->parentWidget() == this)
            w->hide();
    }
    m_left.clear();
    m_right.clear();
    m_backButton = nullptr;
    if (m_titleView && m_titleView->parentWidget() == this)
        m_titleView->hide();
    m_titleView = nullptr;

    const auto makeButton = [this](BarButtonItem *item) -> QWidget * {
        if (item->kind() == BarButtonItem::Kind::customView && item->customView()) {
            QWidget *custom = item->customView();
            custom->setParent(this);
            item->setView(custom);
            custom->show();
            return custom;
        }
        auto *button = new BarButton(item, this);
        button->setFallbackColor(m_tint);
        button->show();
        return button;
    };

    if (m_top) {
        if (m_back && !m_top->hidesBackButton() && m_top->leftBarButtonItems().isEmpty()) {
            BarButtonItem *backItem = m_back->backBarButtonItem();
            const QString title = QStringLiteral("‹ ") + (backItem ? backItem->title() : m_backTitle);
            auto *shown = new BarButtonItem(
                title, BarButtonItem::Style::plain, [this](BarButtonItem *) { Q_EMIT backTapped(); }, this);
            auto *button = new BarButton(shown, this);
            button->setObjectName(QStringLiteral("BackButton"));
            button->setFallbackColor(m_tint);
            button->show();
            connect(button, &QObject::destroyed, shown, &QObject::deleteLater);
            m_backButton = button;
            m_left.append(button);
        }
        for (BarButtonItem *item : m_top->leftBarButtonItems())
            m_left.append(makeButton(item));
        for (BarButtonItem *item : m_top->rightBarButtonItems())
            m_right.append(makeButton(item));
        if (QWidget *view = m_top->titleView()) {
            m_titleView = view;
            view->setParent(this);
            view->show();
        }
    }
    m_title->setVisible(m_top && !m_titleView);
    m_title->setText(m_top ? m_top->title() : QString());
    const QColor defaultColor = m_barStyle == BarStyle::black ? Qt::white : Qt::black;
    m_title->setFont(m_titleAttributes.font.value_or(QFont()));
    m_title->setStyleSheet(QStringLiteral("color: %1;")
                               .arg(m_titleAttributes.foregroundColor.value_or(defaultColor).name(QColor::HexArgb)));
    relayout();
    update();
}

void NavigationBar::relayout()
{
    int x = 8;
    for (QWidget *w : std::as_const(m_left)) {
        if (!w)
            continue;
        const QSize s = w->sizeHint();
        w->setGeometry(x, (height() - s.height()) / 2, s.width(), s.height());
        x += s.width() + 4;
    }
    int right = width() - 8;
    for (QWidget *w : std::as_const(m_right)) {
        if (!w)
            continue;
        const QSize s = w->sizeHint();
        right -= s.width();
        w->setGeometry(right, (height() - s.height()) / 2, s.width(), s.height());
        right -= 4;
    }
    // The title is centred on the bar and kept clear of the buttons.
    const int side = std::max(x, width() - right);
    const QRect titleRect(side, 0, std::max(0, width() - 2 * side), height());
    m_title->setGeometry(titleRect);
    if (m_titleView) {
        const QSize s = m_titleView->sizeHint().boundedTo(titleRect.size());
        m_titleView->setGeometry(QRect(titleRect.center() - QPoint(s.width() / 2, s.height() / 2), s));
    }
}

void NavigationBar::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    relayout();
}

void NavigationBar::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (m_background) {
        if (!m_background->isNull())
            p.drawImage(rect(), *m_background);
    } else {
        QColor fill = m_barTint.value_or(m_barStyle == BarStyle::black ? QColor(0, 0, 0) : QColor(248, 248, 248));
        if (m_translucent)
            fill.setAlphaF(0.92f);
        p.fillRect(rect(), fill);
    }
    if (m_hidesShadow)
        return;
    const QRect line(0, height() - 1, width(), 1);
    if (m_shadow) {
        if (!m_shadow->isNull())
            p.drawImage(line, *m_shadow);
    } else {
        p.fillRect(line, QColor(0, 0, 0, 60));
    }
}

} // namespace tarnik
