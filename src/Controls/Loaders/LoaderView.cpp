#include "Controls/Loaders/LoaderView.h"

#include "App/Constants.h"
#include "App/Extensions.h"
#include "Controls/Loaders/SpinnerView.h"
#include "Controls/PassThroughView.h"
#include "Platform/Dispatch.h"
#include "Platform/UI/NavigationBar.h"
#include "Platform/UI/NavigationController.h"
#include "Platform/UI/TabBar.h"
#include "Platform/UI/TabBarController.h"
#include "Platform/UI/View.h"
#include "Platform/UI/ViewController.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <cmath>

namespace tarnik {

namespace {

constexpr double kFallbackDelay = 0.01;
constexpr double kAppearDuration = 0.2;
constexpr double kHideDuration = 0.25;
constexpr int kSlide = 30;

// The plain panel: a rounded rectangle in its background colour.
class PlainPanel : public QWidget
{
public:
    explicit PlainPanel(QWidget *parent)
        : QWidget(parent)
    {
        setObjectName(QStringLiteral("LoaderPanel"));
        setAttribute(Qt::WA_TranslucentBackground);
    }
    QColor background = Qt::transparent;
    double radius = 0;

protected:
    void paintEvent(QPaintEvent *) override
    {
        if (background.alpha() == 0)
            return;
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(background);
        painter.drawRoundedRect(QRectF(rect()), radius, radius);
    }
};

// The message as a document with the loader's paragraph style, for drawing
// and for measuring alike.
void fillDocument(QTextDocument &doc, const QString &text, const QFont &font, const QColor &color,
    Qt::Alignment alignment, double lineHeightMultiple)
{
    doc.setDocumentMargin(0);
    doc.setDefaultFont(font);
    QTextCursor cursor(&doc);
    QTextBlockFormat block;
    block.setAlignment(alignment);
    block.setLineHeight(lineHeightMultiple * 100.0, QTextBlockFormat::ProportionalHeight);
    QTextCharFormat chars;
    chars.setFont(font);
    chars.setForeground(color);
    cursor.setBlockFormat(block);
    cursor.setBlockCharFormat(chars);
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        if (i > 0)
            cursor.insertBlock(block, chars);
        cursor.insertText(lines.at(i), chars);
    }
}

// The message label: a QLabel (so screen readers read it) that draws its
// text through the same document the layout measures.
class MessageLabel : public QLabel
{
public:
    MessageLabel(const QString &text, const QFont &font, const QColor &color, Qt::Alignment alignment,
        double lineHeightMultiple, QWidget *parent)
        : QLabel(parent)
        , m_font(font)
        , m_color(color)
        , m_alignment(alignment)
        , m_multiple(lineHeightMultiple)
    {
        setObjectName(QStringLiteral("LoaderMessage"));
        setWordWrap(true);
        setText(text);
        setAccessibleName(text);
    }

    QSizeF measure(double maxWidth) const
    {
        QTextDocument doc;
        fillDocument(doc, text(), m_font, m_color, m_alignment, m_multiple);
        doc.setTextWidth(maxWidth);
        return QSizeF(std::min(doc.idealWidth(), maxWidth), doc.size().height());
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QTextDocument doc;
        fillDocument(doc, text(), m_font, m_color, m_alignment, m_multiple);
        doc.setTextWidth(width());
        QPainter painter(this);
        doc.drawContents(&painter, QRectF(rect()));
    }

private:
    QFont m_font;
    QColor m_color;
    Qt::Alignment m_alignment;
    double m_multiple;
};

} // namespace

LoaderView::LoaderView(QWidget *parent)
    : QWidget(parent)
    , contentViewBackgroundColor(colorWithHex(u"f9f9f9"))
    , textColor(Common::blackColor())
    , textFont(Common::defaultFont())
{
    setObjectName(QStringLiteral("LoaderView"));
    setAttribute(Qt::WA_TranslucentBackground);
}

LoaderView::LoaderView(const QRect &frame, QWidget *parent)
    : LoaderView(parent)
{
    setGeometry(frame);
}

LoaderView::~LoaderView()
{
    if (m_coveredView)
        m_coveredView->removeEventFilter(this);
}

void LoaderView::setAllowUserInteraction(bool allow)
{
    m_allowUserInteraction = allow;
    setAttribute(Qt::WA_TransparentForMouseEvents, !allow);
}

void LoaderView::setHideContentView(bool hide)
{
    m_hideContentView = hide;
    useBlurEffect = !hide;
    contentViewBackgroundColor = Qt::transparent;
}

void LoaderView::takeDownPanel()
{
    if (m_spinnerView)
        m_spinnerView->stopAnimating();
    if (m_contentView) {
        delete m_contentView.data();
    }
    m_contentView = nullptr;
    m_spinnerView = nullptr;
    m_label = nullptr;
}

void LoaderView::show(
    QWidget *view, Position newPosition, const std::optional<QString> &text, std::optional<double> delay, ViewController *controller)
{
    if (!view)
        return;
    // A second show while showing replaces the panel instead of leaving the
    // first one running inside the loader; a label from an earlier show would
    // otherwise size a panel that no longer shows it.
    takeDownPanel();
    const quint64 generation = ++m_generation;
    if (newPosition == Position::top)
        viewController = controller;
    skipLayoutSubviews = false;
    position = newPosition;

    if (m_coveredView && m_coveredView != view)
        m_coveredView->removeEventFilter(this);
    m_coveredView = view;
    view->installEventFilter(this);
    View::addSubview(view, this);

    QWidget *panel = nullptr;
    QWidget *content = nullptr;
    if (useBlurEffect) {
        auto *frosted = new PassThroughView(this);
        frosted->setShowShadow(showContentViewShadow);
        frosted->setTheme(contentViewTheme);
        frosted->setCornerRadius(contentViewCornerRadius);
        contentViewBackgroundColor = Qt::transparent;
        panel = frosted;
        content = frosted->effectContentView();
    } else {
        auto *plain = new PlainPanel(this);
        plain->background = contentViewBackgroundColor;
        plain->radius = contentViewCornerRadius;
        panel = plain;
        content = plain;
    }
    panel->setGeometry(0, 0, 0, 0);
    panel->show();
    m_contentView = panel;

    auto *spinner = new SpinnerView(
        QRect(0, 0, qRound(spinnerViewSize.width()), qRound(spinnerViewSize.height())), content);
    spinner->show();
    m_spinnerView = spinner;

    if (text) {
        auto *label = new MessageLabel(*text, textFont, textColor, textAlignment, textLineHeightMultiple, content);
        label->setGeometry(0, 0, 0, 0);
        label->show();
        m_label = label;
    }

    m_isAnimating = true;
    layoutSubviews();
    spinner->build();
    View::setAlpha(this, 0.0);

    QPointer<LoaderView> guard(this);
    Dispatch::mainAfter(delay.value_or(kFallbackDelay), [guard, generation] {
        if (guard)
            guard->appear(generation);
    });
}

void LoaderView::appear(quint64 generation)
{
    if (!m_isAnimating || generation != m_generation)
        return;
    const int noted = pos().y();
    if (animateAppearance)
        move(x(), noted + kSlide);
    const bool slide = animateAppearance;
    QPointer<LoaderView> guard(this);
    View::animate(kAppearDuration, [guard, slide, noted] {
        View::setAlpha(guard, 1.0);
        if (slide)
            View::setFrame(guard, QRect(QPoint(guard->x(), noted), guard->size()));
    });
}

void LoaderView::hide()
{
    skipLayoutSubviews = animateAppearance;
    const int noted = pos().y();
    const bool slide = animateAppearance;
    const quint64 generation = m_generation;
    QPointer<LoaderView> guard(this);
    View::animate(
        kHideDuration,
        [guard, slide, noted] {
            View::setAlpha(guard, 0.0);
            if (slide)
                View::setFrame(guard, QRect(QPoint(guard->x(), noted + kSlide), guard->size()));
        },
        [guard, generation](bool) {
            // A show that came after this hide owns the loader now.
            if (!guard || generation != guard->m_generation)
                return;
            guard->animateAppearance = false;
            guard->m_isAnimating = false;
            guard->takeDownPanel();
            if (guard->m_coveredView)
                guard->m_coveredView->removeEventFilter(guard);
            guard->m_coveredView = nullptr;
            View::removeFromSuperview(guard);
        });
}

double LoaderView::coveredTopBarHeight() const
{
    ViewController *controller = viewController;
    if (!controller)
        return 0.0;
    // Screens here lie below their bars rather than under them, so only the
    // part of the bar that reaches over the loader counts.
    if (NavigationController *nav = controller->navigationController()) {
        NavigationBar *bar = nav->navigationBar();
        if (bar && bar->isVisible() && bar->window() == window()) {
            const int barBottom = bar->mapTo(window(), QPoint(0, bar->height())).y();
            const int top = mapTo(window(), QPoint(0, 0)).y();
            return std::max(0, barBottom - top);
        }
        return 0.0;
    }
    return controller->topBarHeight();
}

void LoaderView::layoutSubviews()
{
    QWidget *super = parentWidget();
    if (skipLayoutSubviews || !super)
        return;
    // Cover the superview exactly (its own rectangle).
    setGeometry(super->rect());
    QWidget *panel = m_contentView;
    SpinnerView *spinner = m_spinnerView;
    if (!panel || !spinner)
        return;
    const QSizeF spin = spinnerViewSize;
    QRectF panelFrame;
    if (auto *label = static_cast<MessageLabel *>(m_label.data())) {
        const double side = std::min(width(), height());
        const double panelMax = side - 48.0;
        const double textMax = std::max(0.0, panelMax - insets.left - insets.right);
        const QSizeF measured = label->measure(textMax);
        const double labelWidth = std::min(measured.width() + 140.0, textMax);
        const double panelWidth = std::max(0.0, std::min(labelWidth + insets.left + insets.right, panelMax));
        const QRectF spinnerFrame((panelWidth - spin.width()) / 2.0, insets.top, spin.width(), spin.height());
        const QRectF labelFrame(
            (panelWidth - labelWidth) / 2.0, spinnerFrame.y() + spin.height() + 12.0, labelWidth, measured.height() + 10.0);
        spinner->setGeometry(spinnerFrame.toRect());
        label->setGeometry(labelFrame.toRect());
        panelFrame = QRectF(0, 0, panelWidth, labelFrame.y() + labelFrame.height() + insets.bottom);
    } else {
        panelFrame = QRectF(0, 0, spin.width() + insets.left + insets.right, spin.height() + insets.top + insets.bottom);
        spinner->setGeometry(QRectF(insets.left, insets.top, spin.width(), spin.height()).toRect());
    }
    QPointF center(width() / 2.0, height() / 2.0);
    const double barHeight = coveredTopBarHeight();
    if (viewController)
        center.ry() += barHeight / 2.0;
    switch (position) {
    case Position::center:
        break;
    case Position::bottom: {
        double bottomEdge = height();
        if (viewController) {
            if (TabBarController *tabs = viewController->tabBarController()) {
                TabBar *bar = tabs->tabBar();
                if (bar && bar->isVisible() && bar->window() == window())
                    bottomEdge = std::min<double>(height(), bar->mapTo(window(), QPoint(0, 0)).y() - mapTo(window(), QPoint(0, 0)).y());
            }
        }
        center.setY(bottomEdge - panelFrame.height() / 2.0);
        break;
    }
    case Position::top:
        center.setY((viewController ? barHeight : 0.0) + panelFrame.height() / 2.0);
        break;
    }
    panelFrame.moveCenter(center);
    panel->setGeometry(QRect(qRound(panelFrame.x()), qRound(panelFrame.y()), qRound(panelFrame.width()),
        qRound(panelFrame.height())));
}

bool LoaderView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_coveredView && event->type() == QEvent::Resize)
        layoutSubviews();
    return QWidget::eventFilter(watched, event);
}

void LoaderView::mousePressEvent(QMouseEvent *event)
{
    event->accept();
}

void LoaderView::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
}

void LoaderView::mouseDoubleClickEvent(QMouseEvent *event)
{
    event->accept();
}

void LoaderView::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
}

void LoaderView::wheelEvent(QWheelEvent *event)
{
    event->accept();
}

} // namespace tarnik
