#include "Platform/UI/AlertController.h"

#include "Platform/UI/DeviceProfile.h"
#include "Platform/UI/PopoverPresentationController.h"
#include "Platform/UI/TemplateImage.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace tarnik {

namespace {

// The alert's own root: dims the window (alerts and phone sheets) and places
// the card.
class AlertBackdrop : public QWidget
{
public:
    explicit AlertBackdrop(AlertController::Style style, bool dim)
        : m_style(style)
        , m_dim(dim)
    {
        setObjectName(QStringLiteral("AlertBackdrop"));
    }
    QWidget *card = nullptr;
    std::function<void()> onPressOutside;

protected:
    void paintEvent(QPaintEvent *) override
    {
        if (!m_dim)
            return;
        QPainter p(this);
        p.fillRect(rect(), QColor(0, 0, 0, 100));
    }
    void resizeEvent(QResizeEvent *) override
    {
        if (!card)
            return;
        if (!m_dim) {
            card->setGeometry(rect());
            return;
        }
        const int w = std::min(m_style == AlertController::Style::alert ? 300 : 420, width() - 20);
        const int h = std::min(
            card->heightForWidth(w) > 0 ? card->heightForWidth(w) : card->sizeHint().height(), height() - 20);
        if (m_style == AlertController::Style::alert)
            card->setGeometry((width() - w) / 2, (height() - h) / 2, w, h);
        else
            card->setGeometry((width() - w) / 2, height() - h - 10, w, h);
    }
    void mousePressEvent(QMouseEvent *event) override
    {
        if (card && !card->geometry().contains(event->position().toPoint()) && onPressOutside)
            onPressOutside();
    }

private:
    AlertController::Style m_style;
    bool m_dim;
};

} // namespace

AlertController::AlertController(const QString &title, const QString &message, Style style, QObject *parent)
    : ViewController(parent)
    , m_title(title)
    , m_message(message)
    , m_style(style)
{
    modalTransitionStyle = ModalTransitionStyle::crossDissolve;
    if (style == Style::actionSheet && DeviceProfile::isPad()) {
        setModalPresentationStyle(ModalPresentationStyle::popover);
        popoverPresentationController()->setDelegate(this);
    } else {
        setModalPresentationStyle(ModalPresentationStyle::overFullScreen);
    }
}

bool AlertController::popoverPresentationControllerShouldDismissPopover(PopoverPresentationController *)
{
    for (AlertControllerAction *action : std::as_const(m_actions)) {
        if (action->style() == AlertControllerAction::Style::cancel) {
            tapAction(action);
            return false;
        }
    }
    return true;
}

void AlertController::addAction(AlertControllerAction *action)
{
    if (!action)
        return;
    action->setParent(this);
    m_actions.append(action);
}

QLineEdit *AlertController::addTextField(const std::function<void(QLineEdit *)> &configurationHandler)
{
    // The card takes the field when it is built (fields are added before the
    // alert is presented); until then it goes with the alert.
    auto *field = new QLineEdit;
    connect(this, &QObject::destroyed, field, &QObject::deleteLater);
    field->setAccessibleName(QStringLiteral("Text Field %1").arg(m_textFields.size() + 1));
    m_textFields.append(field);
    if (configurationHandler)
        configurationHandler(field);
    return field;
}

QList<QLineEdit *> AlertController::textFields() const
{
    QList<QLineEdit *> fields;
    for (const QPointer<QLineEdit> &field : m_textFields) {
        if (field)
            fields.append(field);
    }
    return fields;
}

void AlertController::viewDidAppear(bool animated)
{
    ViewController::viewDidAppear(animated);
    if (!m_textFields.isEmpty() && m_textFields.first())
        m_textFields.first()->setFocus();
}

namespace {

constexpr int kActionIconSize = 22;

// Action pictures are drawn in one colour; they take the colour of their title, at twice the
// size for crisp edges on high-density screens.
QIcon tintedIcon(const QIcon &icon, const QColor &colour, int side)
{
    const QPixmap pixmap = icon.pixmap(QSize(side, side), 2.0);
    return pixmap.isNull() ? icon : QIcon(QPixmap::fromImage(templateImage(pixmap.toImage(), colour)));
}

} // namespace

QWidget *AlertController::buildCard()
{
    auto *card = new QWidget;
    card->setObjectName(QStringLiteral("AlertCard"));
    card->setAttribute(Qt::WA_StyledBackground, true);
    card->setStyleSheet(QStringLiteral("#AlertCard { background: #f7f7f7; border-radius: 12px; }"
                                       "QLabel { color: black; }"
                                       "QPushButton { border: none; border-top: 1px solid #d0d0d0; padding: 10px;"
                                       " color: #007aff; background: transparent; }"
                                       "QPushButton[destructive=\"true\"] { color: #c40000; }"
                                       "QPushButton[cancel=\"true\"] { font-weight: bold; }"));
    auto *layout = new QVBoxLayout(card);
    layout->setContentsMargins(0, 14, 0, 0);
    layout->setSpacing(6);
    if (!m_title.isEmpty()) {
        auto *title = new QLabel(m_title, card);
        title->setObjectName(QStringLiteral("AlertTitle"));
        title->setAlignment(Qt::AlignCenter);
        title->setWordWrap(true);
        QFont f = title->font();
        f.setBold(true);
        title->setFont(f);
        title->setContentsMargins(14, 0, 14, 0);
        layout->addWidget(title);
    }
    if (!m_message.isEmpty()) {
        auto *message = new QLabel(m_message, card);
        message->setObjectName(QStringLiteral("AlertMessage"));
        message->setAlignment(Qt::AlignCenter);
        message->setWordWrap(true);
        message->setContentsMargins(14, 0, 14, 8);
        layout->addWidget(message);
    }
    for (const QPointer<QLineEdit> &field : std::as_const(m_textFields)) {
        if (!field)
            continue;
        field->setParent(card);
        auto *row = new QWidget(card);
        auto *rowLayout = new QHBoxLayout(row);
        rowLayout->setContentsMargins(14, 0, 14, 8);
        rowLayout->addWidget(field);
        layout->addWidget(row);
    }
    // Cancel goes last, as the toolkit orders an action list.
    QList<AlertControllerAction *> ordered;
    for (AlertControllerAction *a : std::as_const(m_actions)) {
        if (a->style() != AlertControllerAction::Style::cancel)
            ordered.append(a);
    }
    for (AlertControllerAction *a : std::as_const(m_actions)) {
        if (a->style() == AlertControllerAction::Style::cancel)
            ordered.append(a);
    }
    for (AlertControllerAction *action : ordered) {
        auto *button = new QPushButton(action->title(), card);
        button->setObjectName(action->title());
        button->setProperty("destructive", action->style() == AlertControllerAction::Style::destructive);
        button->setProperty("cancel", action->style() == AlertControllerAction::Style::cancel || action == m_preferred);
        button->setEnabled(action->isEnabled());
        button->setCursor(Qt::PointingHandCursor);
        if (!action->image().isNull()) {
            const QColor colour = action->style() == AlertControllerAction::Style::destructive ? QColor(0xc4, 0, 0)
                                                                                               : QColor(0, 0x7a, 0xff);
            button->setIcon(
                action->tintsImage() ? tintedIcon(action->image(), colour, kActionIconSize) : action->image());
            button->setIconSize(QSize(kActionIconSize, kActionIconSize));
        }
        QPointer<AlertControllerAction> guard(action);
        connect(button, &QPushButton::clicked, this, [this, guard] {
            if (guard)
                tapAction(guard);
        });
        connect(action, &AlertControllerAction::changed, button, [button, guard] {
            if (guard)
                button->setEnabled(guard->isEnabled());
        });
        layout->addWidget(button);
        m_buttons.append({ action, button });
    }
    return card;
}

void AlertController::loadView()
{
    const bool sheetAsPopover = modalPresentationStyle() == ModalPresentationStyle::popover;
    auto *backdrop = new AlertBackdrop(m_style, !sheetAsPopover);
    m_card = buildCard();
    m_card->setParent(backdrop);
    backdrop->card = m_card;
    backdrop->onPressOutside = [this] { pressedOutside(); };
    if (sheetAsPopover)
        setPreferredContentSize(QSizeF(320, m_card->sizeHint().height()));
    setView(backdrop);
}

void AlertController::pressedOutside()
{
    if (m_style != Style::actionSheet)
        return;
    for (AlertControllerAction *action : std::as_const(m_actions)) {
        if (action->style() == AlertControllerAction::Style::cancel) {
            tapAction(action);
            return;
        }
    }
}

AlertControllerAction *AlertController::returnKeyAction() const
{
    if (m_preferred && m_actions.contains(m_preferred))
        return m_preferred;
    AlertControllerAction *only = nullptr;
    AlertControllerAction *last = nullptr;
    int choices = 0;
    for (AlertControllerAction *action : m_actions) {
        if (action->style() == AlertControllerAction::Style::cancel)
            continue;
        only = action;
        last = action;
        ++choices;
    }
    if (choices == 1)
        return only;
    // Text typed into an alert is sent by Return: to its last action, the
    // one that takes the text (as "Change" after "Cancel").
    return !textFields().isEmpty() ? last : nullptr;
}

AlertControllerAction *AlertController::escapeKeyAction() const
{
    for (AlertControllerAction *action : m_actions) {
        if (action->style() == AlertControllerAction::Style::cancel)
            return action;
    }
    return m_style == Style::alert && m_actions.size() == 1 ? m_actions.first() : nullptr;
}

bool AlertController::accessibilityPerformEscape()
{
    // An alert is answered, never just closed: without an action to take,
    // Escape does nothing.
    if (AlertControllerAction *action = escapeKeyAction())
        tapAction(action);
    return true;
}

bool AlertController::handleKeyPress(QKeyEvent *event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        if (AlertControllerAction *action = returnKeyAction())
            tapAction(action);
        return true;
    }
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier)
        return accessibilityPerformEscape();
    return ViewController::handleKeyPress(event);
}

void AlertController::tapAction(AlertControllerAction *action)
{
    if (!action || !action->isEnabled() || m_tapped || !m_actions.contains(action))
        return;
    m_tapped = true;
    // The handler outlives the alert, which is deleted after its dismissal.
    AlertControllerAction::Handler handler = action->handler();
    QPointer<AlertControllerAction> guard(action);
    dismiss(true, [handler, guard] {
        if (handler)
            handler(guard);
    });
}

QPushButton *AlertController::buttonFor(AlertControllerAction *action) const
{
    for (const auto &[a, button] : m_buttons) {
        if (a == action)
            return button;
    }
    return nullptr;
}

} // namespace tarnik
