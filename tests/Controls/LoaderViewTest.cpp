#include "Controls/Loaders/LoaderView.h"
#include "Controls/Loaders/SpinnerView.h"
#include "Controls/PassThroughView.h"
#include "Platform/UI/VisualEffectView.h"
#include "ControlsTestSupport.h"
#include "Platform/UI/NavigationBar.h"
#include "Platform/UI/NavigationController.h"
#include "Platform/UI/View.h"

#include <QAccessible>
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace tarnik;

namespace {

class LoaderViewTest : public test::ControlsTest
{
protected:
    void TearDown() override
    {
        delete loader.data();
        test::ControlsTest::TearDown();
    }
    LoaderView *makeLoader()
    {
        loader = new LoaderView;
        return loader;
    }
    QPointer<LoaderView> loader;
};

TEST_F(LoaderViewTest, BarePanelIs75SquareCentredWithTheSpinnerInset)
{
    QWidget *root = rootView();
    LoaderView *l = makeLoader();
    l->show(root);
    EXPECT_EQ(l->parentWidget(), root);
    EXPECT_EQ(l->geometry(), root->rect());
    ASSERT_TRUE(l->contentView());
    EXPECT_TRUE(qobject_cast<PassThroughView *>(l->contentView()));
    EXPECT_EQ(l->contentView()->size(), QSize(75, 75));
    EXPECT_EQ(l->contentView()->geometry().center(), root->rect().center());
    ASSERT_TRUE(l->spinnerView());
    EXPECT_EQ(l->spinnerView()->geometry(), QRect(20, 20, 35, 35));
    EXPECT_TRUE(l->spinnerView()->isRunning());
    EXPECT_TRUE(l->isAnimating());
}

TEST_F(LoaderViewTest, FadesInAfterTheDelayAndOutOnHide)
{
    struct Case
    {
        std::optional<double> delay;
        double start;
    };
    for (const Case &c : { Case { std::nullopt, 0.01 }, Case { 1.0, 1.0 } }) {
        SCOPED_TRACE(c.start);
        QWidget *root = rootView();
        LoaderView *l = makeLoader();
        l->show(root, LoaderView::Position::center, std::nullopt, c.delay);
        EXPECT_DOUBLE_EQ(View::alpha(l), 0.0);
        tick(c.start - 0.005);
        EXPECT_DOUBLE_EQ(View::alpha(l), 0.0);
        tick(0.01 + 0.1);
        EXPECT_GT(View::alpha(l), 0.0);
        EXPECT_LT(View::alpha(l), 1.0);
        tick(0.2);
        EXPECT_DOUBLE_EQ(View::alpha(l), 1.0);

        QPointer<SpinnerView> spinner = l->spinnerView();
        l->hide();
        tick(0.2);
        EXPECT_EQ(l->parentWidget(), root) << "still fading";
        EXPECT_TRUE(l->isAnimating());
        tick(0.1);
        EXPECT_EQ(l->parentWidget(), nullptr);
        EXPECT_FALSE(l->isAnimating());
        EXPECT_FALSE(l->contentView());
        delete l;
    }
}

TEST_F(LoaderViewTest, HideBeforeTheAppearanceStepLeavesItHidden)
{
    QWidget *root = rootView();
    LoaderView *l = makeLoader();
    l->show(root, LoaderView::Position::center, std::nullopt, 0.5);
    l->hide();
    tick(1.0);
    EXPECT_EQ(l->parentWidget(), nullptr);
    EXPECT_DOUBLE_EQ(View::alpha(l), 0.0);
    EXPECT_FALSE(l->isAnimating());
    EXPECT_FALSE(l->spinnerView());
}

TEST_F(LoaderViewTest, AbsorbsTouchesUnlessInteractionIsSwitchedOff)
{
    QWidget *root = rootView();
    auto *button = new QPushButton(QStringLiteral("Behind"), root);
    button->setGeometry(10, 600, 100, 40);
    button->show();
    int clicks = 0;
    QObject::connect(button, &QPushButton::clicked, [&clicks] { ++clicks; });
    LoaderView *l = makeLoader();
    l->show(root);
    tick(0.3);
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, QPoint(60, 620));
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(window->childAt(60, 620), l);
    l->setAllowUserInteraction(false);
    EXPECT_EQ(window->childAt(60, 620), button);
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, QPoint(60, 620));
    EXPECT_EQ(clicks, 1);
    l->setAllowUserInteraction(true);
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, QPoint(60, 620));
    EXPECT_EQ(clicks, 1);
}

TEST_F(LoaderViewTest, MessageLabelWidthFollowsTheText)
{
    QWidget *root = rootView(); // 375 x 667: side 375, panel at most 327, text at most 287
    LoaderView *l = makeLoader();
    l->show(root, LoaderView::Position::center, QStringLiteral("Hi"));
    ASSERT_TRUE(l->label());
    const int shortWidth = l->label()->width();
    EXPECT_GT(shortWidth, 140);
    EXPECT_LT(shortWidth, 200);
    EXPECT_EQ(l->label()->y(), 20 + 35 + 12);
    EXPECT_EQ(l->contentView()->width(), shortWidth + 40);

    const QString longText = QString(QStringLiteral("Import is now progressing in the background. ")).repeated(200);
    l->show(root, LoaderView::Position::center, longText);
    ASSERT_TRUE(l->label());
    EXPECT_EQ(l->label()->width(), 375 - 48 - 40);
    EXPECT_EQ(l->contentView()->width(), 375 - 48);
    EXPECT_GT(l->label()->height(), 300);
    EXPECT_EQ(l->label()->accessibleName(), longText);
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(l->label());
    ASSERT_TRUE(iface);
    EXPECT_EQ(iface->role(), QAccessible::StaticText);

    l->show(root, LoaderView::Position::center, QString());
    ASSERT_TRUE(l->label());
    EXPECT_EQ(l->label()->width(), 140);
}

TEST_F(LoaderViewTest, ShowWhileShowingKeepsOnePanelAndDropsTheStaleLabel)
{
    QWidget *root = rootView();
    LoaderView *l = makeLoader();
    l->show(root, LoaderView::Position::center, QStringLiteral("First"));
    QPointer<QWidget> firstPanel = l->contentView();
    QPointer<SpinnerView> firstSpinner = l->spinnerView();
    l->show(root);
    tick(0.05);
    EXPECT_FALSE(firstPanel);
    EXPECT_FALSE(l->label());
    EXPECT_EQ(l->contentView()->size(), QSize(75, 75));
    EXPECT_EQ(l->findChildren<SpinnerView *>().size(), 1);
    EXPECT_EQ(l->findChildren<PassThroughView *>().size(), 1);
}

TEST_F(LoaderViewTest, ShowAfterHideWinsOverTheHideCompletion)
{
    QWidget *root = rootView();
    LoaderView *l = makeLoader();
    l->show(root);
    tick(0.3);
    l->hide();
    tick(0.1);
    l->show(root);
    tick(0.5);
    EXPECT_EQ(l->parentWidget(), root);
    EXPECT_TRUE(l->isAnimating());
    EXPECT_TRUE(l->spinnerView());
    EXPECT_DOUBLE_EQ(View::alpha(l), 1.0);
}

TEST_F(LoaderViewTest, SlidesWhileFadingWhenAnimatingAppearance)
{
    QWidget *root = rootView();
    LoaderView *l = makeLoader();
    l->animateAppearance = true;
    l->show(root);
    tick(0.015);
    EXPECT_EQ(l->y(), 30);
    tick(0.25);
    EXPECT_EQ(l->y(), 0);
    l->hide();
    tick(0.1);
    EXPECT_GT(l->y(), 0);
    root->resize(375, 600); // no layout while sliding
    EXPECT_GT(l->y(), 0);
    tick(0.2);
    EXPECT_FALSE(l->animateAppearance);
    EXPECT_EQ(l->parentWidget(), nullptr);
}

TEST_F(LoaderViewTest, HiddenContentViewAndDarkThemeLooks)
{
    QWidget *root = rootView();
    LoaderView *l = makeLoader();
    l->setHideContentView(true);
    EXPECT_FALSE(l->useBlurEffect);
    l->show(root);
    EXPECT_FALSE(qobject_cast<PassThroughView *>(l->contentView()));
    EXPECT_EQ(l->contentViewBackgroundColor.alpha(), 0);
    tick(0.3);
    const QImage shot = render(root);
    const QPoint corner = l->contentView()->geometry().topLeft() + QPoint(3, 3);
    EXPECT_EQ(shot.pixel(corner), shot.pixel(5, 5)) << "no visible panel";
    delete l;

    LoaderView *dark = makeLoader();
    dark->contentViewTheme = Theme::dark;
    dark->show(root);
    auto *panel = qobject_cast<PassThroughView *>(dark->contentView());
    ASSERT_TRUE(panel);
    EXPECT_FALSE(panel->showShadow());
    EXPECT_FALSE(panel->shadowView()->isVisible());
}

// The panel's corners follow contentViewCornerRadius, frosted or plain.
TEST_F(LoaderViewTest, PanelCornersFollowTheCornerRadius)
{
    QWidget *root = rootView();
    for (const double radius : { 10.0, 0.0, 24.0 }) {
        LoaderView *frosted = makeLoader();
        frosted->contentViewCornerRadius = radius;
        frosted->show(root);
        auto *panel = qobject_cast<PassThroughView *>(frosted->contentView());
        ASSERT_TRUE(panel);
        EXPECT_DOUBLE_EQ(panel->cornerRadius(), radius);
        EXPECT_DOUBLE_EQ(panel->visualEffectView()->cornerRadius(), radius);
        delete frosted;
    }
    LoaderView *plain = makeLoader();
    plain->useBlurEffect = false;
    plain->contentViewBackgroundColor = Qt::red;
    plain->contentViewCornerRadius = 30;
    plain->show(root);
    tick(0.3);
    const QImage shot = render(root);
    const QRect panel = plain->contentView()->geometry();
    EXPECT_NE(shot.pixelColor(panel.topLeft() + QPoint(2, 2)), QColor(Qt::red)) << "a round corner";
    EXPECT_EQ(shot.pixelColor(panel.center()), QColor(Qt::red));
}

TEST_F(LoaderViewTest, TopPositionSitsUnderTheBarAndHoldsItsScreenWeakly)
{
    makeWindow();
    auto *screen = new test::RecordingViewController;
    auto *nav = new NavigationController(screen);
    window->setRootViewController(nav);
    nav->view()->setGeometry(window->rect());
    QWidget *view = screen->view();
    LoaderView *l = makeLoader();
    l->setHideContentView(true);
    l->spinnerViewSize = QSizeF(30, 30);
    l->show(view, LoaderView::Position::top, std::nullopt, 0.3, screen);
    EXPECT_EQ(l->viewController, screen);
    EXPECT_EQ(l->contentView()->size(), QSize(70, 70));
    const int barBottomInLoader = nav->navigationBar()->mapTo(window.get(), QPoint(0, nav->navigationBar()->height())).y()
        - l->mapTo(window.get(), QPoint(0, 0)).y();
    EXPECT_EQ(l->contentView()->y(), std::max(0, barBottomInLoader));
    EXPECT_EQ(l->contentView()->geometry().center().x(), view->rect().center().x());

    // A centre show keeps the screen of the top show; the loader never keeps
    // the screen alive.
    l->show(view, LoaderView::Position::center, std::nullopt, std::nullopt, nullptr);
    EXPECT_EQ(l->viewController, screen);
    l->hide();
    tick(0.5);
    ASSERT_FALSE(loader.isNull());
    window->setRootViewController(nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(l->viewController.isNull());
}

TEST_F(LoaderViewTest, CoveredViewDeletedWhileShowingTakesTheLoaderWithIt)
{
    auto *covered = new QWidget(rootView());
    covered->setGeometry(0, 0, 200, 200);
    covered->show();
    LoaderView *l = makeLoader();
    l->show(covered, LoaderView::Position::center, QStringLiteral("Working"), 0.2);
    delete covered;
    EXPECT_TRUE(loader.isNull());
    tick(1.0); // the pending appearance step finds nothing to do
}

TEST_F(LoaderViewTest, ZeroSizedViewShowsWithoutTrouble)
{
    auto *covered = new QWidget(rootView());
    covered->setGeometry(0, 0, 0, 0);
    LoaderView *l = makeLoader();
    l->show(covered, LoaderView::Position::bottom, QStringLiteral("Tiny"));
    tick(0.5);
    l->hide();
    tick(0.5);
    EXPECT_EQ(l->parentWidget(), nullptr);
    l->show(nullptr);
    EXPECT_FALSE(l->isAnimating());
}

} // namespace
