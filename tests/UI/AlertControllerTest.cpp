#include "Platform/UI/AlertController.h"

#include "Platform/UI/PopoverPresentationController.h"
#include "Support/UiTestSupport.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>

using namespace tarnik;

class AlertControllerTest : public test::ScreenTest
{
};

TEST_F(AlertControllerTest, PresentReturnsAtOnceAndATapDismissesBeforeTheHandler)
{
    makeWindow();
    auto *root = new ViewController;
    window->setRootViewController(root);
    auto *alert = new AlertController(
        QStringLiteral("Error Occurred"), QStringLiteral("Search term is empty."), AlertController::Style::alert);
    QStringList events;
    auto *ok = new AlertControllerAction(
        QStringLiteral("OK"), AlertControllerAction::Style::defaultStyle, [&](AlertControllerAction *a) {
            events << QStringLiteral("handler ") + a->title();
            events << (root->presentedViewController() ? QStringLiteral("still shown") : QStringLiteral("gone"));
        });
    alert->addAction(ok);
    root->present(alert, true);
    EXPECT_TRUE(events.isEmpty());
    settle();
    EXPECT_EQ(
        alert->view()->findChild<QLabel *>(QStringLiteral("AlertTitle"))->text(), QStringLiteral("Error Occurred"));
    QPushButton *button = alert->buttonFor(ok);
    ASSERT_NE(button, nullptr);
    EXPECT_TRUE(button->isVisible());
    button->click();
    button->click(); // a second tap while it closes does nothing more
    EXPECT_TRUE(events.isEmpty());
    settle();
    EXPECT_EQ(events, (QStringList { QStringLiteral("handler OK"), QStringLiteral("gone") }));
}

TEST_F(AlertControllerTest, CancelComesLastAndDisabledActionsDoNothing)
{
    makeWindow();
    auto *root = new ViewController;
    window->setRootViewController(root);
    auto *sheet
        = new AlertController(QStringLiteral("Choose an Import destination"), {}, AlertController::Style::actionSheet);
    int fired = 0;
    auto *cancel = new AlertControllerAction(
        QStringLiteral("Cancel"), AlertControllerAction::Style::cancel, [&](AlertControllerAction *) { fired += 100; });
    auto *song = new AlertControllerAction(
        QStringLiteral("Song"), AlertControllerAction::Style::defaultStyle, [&](AlertControllerAction *) { ++fired; });
    auto *off = new AlertControllerAction(QStringLiteral("Tone"), AlertControllerAction::Style::destructive,
        [&](AlertControllerAction *) { fired += 10; });
    sheet->addAction(cancel);
    sheet->addAction(song);
    sheet->addAction(off);
    off->setEnabled(false);
    root->present(sheet, false);
    const auto buttons = sheet->view()->findChildren<QPushButton *>();
    ASSERT_EQ(buttons.size(), 3);
    EXPECT_EQ(buttons.last()->text(), QStringLiteral("Cancel"));
    sheet->tapAction(off);
    settle();
    EXPECT_EQ(fired, 0);
    // On a phone the sheet sits at the bottom; a tap beside it is its cancel.
    EXPECT_EQ(sheet->modalPresentationStyle(), ModalPresentationStyle::overFullScreen);
    QTest::mouseClick(sheet->view(), Qt::LeftButton, {}, QPoint(5, 5));
    settle();
    EXPECT_EQ(fired, 100);
    EXPECT_EQ(root->presentedViewController(), nullptr);
}

TEST_F(AlertControllerTest, OnPadsActionSheetsAreAnchoredPopovers)
{
    makeWindow(UserInterfaceIdiom::pad);
    auto *root = new ViewController;
    window->setRootViewController(root);
    auto *anchor = new QWidget(root->view());
    anchor->setGeometry(300, 900, 40, 40);
    auto *sheet = new AlertController({}, {}, AlertController::Style::actionSheet);
    int cancelled = 0;
    sheet->addAction(new AlertControllerAction(QStringLiteral("Song"), AlertControllerAction::Style::defaultStyle));
    sheet->addAction(new AlertControllerAction(
        QStringLiteral("Cancel"), AlertControllerAction::Style::cancel, [&](AlertControllerAction *) { ++cancelled; }));
    ASSERT_NE(sheet->popoverPresentationController(), nullptr);
    sheet->popoverPresentationController()->setSourceView(anchor);
    sheet->popoverPresentationController()->setSourceRect(QRectF(0, 0, 40, 40));
    root->present(sheet, true);
    settle();
    const QRect frame = sheet->view()->geometry();
    EXPECT_EQ(frame.width(), 320);
    EXPECT_LT(frame.bottom(), 900); // no room below the anchor, so above it
    EXPECT_NEAR(frame.center().x(), 320, 1);
    // A tap outside the popover cancels through the cancel action.
    auto *container = sheet->view()->parentWidget();
    QTest::mouseClick(container, Qt::LeftButton, {}, QPoint(5, 5));
    settle();
    EXPECT_EQ(cancelled, 1);
    EXPECT_EQ(root->presentedViewController(), nullptr);
}
