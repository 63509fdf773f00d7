#pragma once

#include "Platform/UI/AlertControllerAction.h"
#include "Platform/UI/PopoverPresentationController.h"
#include "Platform/UI/ViewController.h"

#include <QList>
#include <QPointer>

class QLineEdit;
class QPushButton;

namespace tarnik {

// An alert (a centred card over a dimmed window) or an action sheet (a card
// at the bottom on phones; a popover at its anchor on pads, centred when it
// has none). It is a screen presented like any other, never a nested event
// loop: present() returns at once, and a tapped action dismisses the alert
// and then runs its handler. A tap outside an action sheet counts as its
// cancel action, when it has one.
class AlertController : public ViewController, public PopoverPresentationControllerDelegate
{
    Q_OBJECT
public:
    enum class Style { actionSheet = 0, alert = 1 };

    AlertController(const QString &title, const QString &message, Style style, QObject *parent = nullptr);

    QString alertTitle() const { return m_title; }
    QString message() const { return m_message; }
    Style preferredStyle() const { return m_style; }

    // Takes ownership of the action.
    void addAction(AlertControllerAction *action);
    QList<AlertControllerAction *> actions() const { return m_actions; }
    AlertControllerAction *preferredAction() const { return m_preferred; }
    void setPreferredAction(AlertControllerAction *action) { m_preferred = action; }

    // Adds a text field under the message (alerts only, as the toolkit has
    // it), before the alert is presented; the alert owns it. The handler
    // configures it at once. Action
    // handlers run after the dismissal but before the alert is deleted, so
    // they can still read the fields.
    QLineEdit *addTextField(const std::function<void(QLineEdit *)> &configurationHandler = {});
    QList<QLineEdit *> textFields() const;

    // As a tap on the action's button: dismisses, then runs the handler.
    void tapAction(AlertControllerAction *action);
    QPushButton *buttonFor(AlertControllerAction *action) const;

    bool popoverPresentationControllerShouldDismissPopover(PopoverPresentationController *) override;

    // The keyboard: Return takes the preferred action, else the only action
    // that is not a cancel, else in an alert with text fields the last one;
    // Escape takes the cancel action, else an alert's only action. None when
    // the key has nothing to take.
    AlertControllerAction *returnKeyAction() const;
    AlertControllerAction *escapeKeyAction() const;
    bool accessibilityPerformEscape() override;
    bool handleKeyPress(QKeyEvent *event) override;

protected:
    void loadView() override;
    void viewDidAppear(bool animated) override;

private:
    QWidget *buildCard();
    void pressedOutside();

    QString m_title;
    QString m_message;
    Style m_style;
    QList<AlertControllerAction *> m_actions;
    AlertControllerAction *m_preferred = nullptr;
    QPointer<QWidget> m_card;
    QList<QPair<AlertControllerAction *, QPushButton *>> m_buttons;
    QList<QPointer<QLineEdit>> m_textFields;
    bool m_tapped = false;
};

} // namespace tarnik
