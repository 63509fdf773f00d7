#include "Platform/UI/AnimationDriver.h"
#include "Platform/UI/GestureRecognizer.h"
#include "Support/UiTestSupport.h"

#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QWindow>
#include <QWidget>

using namespace tarnik;
using Phase = GestureRecognizer::Phase;
using State = GestureRecognizer::State;

class GestureTest : public test::ScreenTest
{
protected:
    template<class T> T *make(QList<State> *states)
    {
        auto *g = new T([states](GestureRecognizer *r) { states->append(r->state()); });
        g->attach(&view);
        return g;
    }
    QWidget view;
};

TEST_F(GestureTest, TapsCountAndAMovedFingerIsNoTap)
{
    QList<State> states;
    auto *tap = make<TapGestureRecognizer>(&states);
    view.resize(100, 100);
    QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(states, QList<State> { State::ended });
    tap->feed(Phase::began, { 0, 0 }, 1.0);
    tap->feed(Phase::moved, { 30, 0 }, 1.1);
    tap->feed(Phase::ended, { 30, 0 }, 1.2);
    EXPECT_EQ(states.size(), 1);

    states.clear();
    auto *twice = make<TapGestureRecognizer>(&states);
    twice->numberOfTapsRequired = 2;
    twice->feed(Phase::began, { 0, 0 }, 2.0);
    twice->feed(Phase::ended, { 0, 0 }, 2.05);
    EXPECT_TRUE(states.isEmpty());
    twice->feed(Phase::began, { 1, 1 }, 2.2);
    twice->feed(Phase::ended, { 1, 1 }, 2.25);
    EXPECT_EQ(states, QList<State> { State::ended });
    // Too slow: the count starts again.
    twice->feed(Phase::began, { 0, 0 }, 3.0);
    twice->feed(Phase::ended, { 0, 0 }, 3.05);
    twice->feed(Phase::began, { 0, 0 }, 4.0);
    twice->feed(Phase::ended, { 0, 0 }, 4.05);
    EXPECT_EQ(states.size(), 1);
}

TEST_F(GestureTest, PanReportsTranslationAndVelocityThroughItsStates)
{
    QList<State> states;
    auto *pan = make<PanGestureRecognizer>(&states);
    QList<QPointF> translations;
    pan->addTarget([&](GestureRecognizer *) { translations.append(pan->translation()); });
    pan->feed(Phase::began, { 0, 0 }, 0.0);
    pan->feed(Phase::moved, { 0, 5 }, 0.1); // within the slop
    EXPECT_TRUE(states.isEmpty());
    pan->feed(Phase::moved, { 0, 20 }, 0.2);
    pan->feed(Phase::moved, { 0, 60 }, 0.3);
    EXPECT_NEAR(pan->velocity().y(), 400.0, 1e-6);
    pan->setTranslation({ 0, 0 });
    pan->feed(Phase::moved, { 0, 70 }, 0.4);
    pan->feed(Phase::ended, { 0, 70 }, 0.5);
    EXPECT_EQ(states, (QList<State> { State::began, State::changed, State::changed, State::ended }));
    EXPECT_EQ(translations, (QList<QPointF> { { 0, 20 }, { 0, 60 }, { 0, 10 }, { 0, 10 } }));
    EXPECT_EQ(pan->state(), State::possible);

    // A refusal from shouldBegin makes it fail silently.
    states.clear();
    pan->shouldBegin = [](GestureRecognizer *) { return false; };
    pan->feed(Phase::began, { 0, 0 }, 1.0);
    pan->feed(Phase::moved, { 0, 50 }, 1.1);
    pan->feed(Phase::moved, { 0, 90 }, 1.2);
    pan->feed(Phase::ended, { 0, 90 }, 1.3);
    EXPECT_TRUE(states.isEmpty());
}

TEST_F(GestureTest, AOneAxisPanCancelsWhenItStartsAcrossItsAxis)
{
    struct Row
    {
        Qt::Orientation axis;
        QPointF step;
        bool cancelled;
    };
    const Row rows[] = {
        { Qt::Vertical, { 10.0, 10.0 }, false }, // a tie keeps the gesture
        { Qt::Vertical, { 10.1, 10.0 }, true },
        { Qt::Horizontal, { 0.0, 20.0 }, true },
        { Qt::Horizontal, { 20.0, 0.0 }, false },
    };
    for (const Row &row : rows) {
        QList<State> states;
        auto *pan = make<PanGestureRecognizer>(&states);
        pan->lockedAxis = row.axis;
        pan->feed(Phase::began, { 0, 0 }, 0.0);
        pan->feed(Phase::moved, row.step, 0.1);
        pan->feed(Phase::moved, row.step * 2 + QPointF(0, 30), 0.2); // later turns are not tested
        pan->feed(Phase::ended, row.step * 2, 0.3);
        if (row.cancelled)
            EXPECT_TRUE(states.isEmpty()) << row.step.x() << "," << row.step.y();
        else
            EXPECT_EQ(states.first(), State::began) << row.step.x() << "," << row.step.y();
        delete pan;
    }
}

TEST_F(GestureTest, SwipesAndLongPresses)
{
    QList<State> swipes;
    auto *swipe = make<SwipeGestureRecognizer>(&swipes);
    swipe->direction = SwipeGestureRecognizer::down;
    swipe->feed(Phase::began, { 0, 0 }, 0.0);
    swipe->feed(Phase::ended, { 0, 80 }, 0.2);
    swipe->feed(Phase::began, { 0, 0 }, 1.0);
    swipe->feed(Phase::ended, { 80, 0 }, 1.2);
    EXPECT_EQ(swipes, QList<State> { State::ended });

    QList<State> presses;
    auto *press = make<LongPressGestureRecognizer>(&presses);
    press->feed(Phase::began, { 0, 0 });
    advance(0.4);
    press->feed(Phase::ended, { 0, 0 });
    advance(0.2);
    EXPECT_TRUE(presses.isEmpty());
    press->feed(Phase::began, { 0, 0 });
    advance(0.5);
    press->feed(Phase::moved, { 3, 0 });
    press->feed(Phase::ended, { 3, 0 });
    EXPECT_EQ(presses, (QList<State> { State::began, State::changed, State::ended }));
}

// Real presses, moves and releases go through the window, as the display server delivers them.
class WindowGestureTest : public GestureTest
{
protected:
    void SetUp() override
    {
        GestureTest::SetUp();
        top.resize(300, 400);
        view.setParent(&top);
        view.setGeometry(0, 200, 300, 200);
        top.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&top));
    }
    void TearDown() override
    {
        view.setParent(nullptr);
        GestureTest::TearDown();
    }
    QWindow *window() { return top.windowHandle(); }
    QWidget top;
};

TEST_F(WindowGestureTest, ATouchStaysWithItsRecogniserWhenTheViewHidesOrIsCoveredUnderTheFinger)
{
    // A presentation that starts when the pan begins hides the view and covers the window; the
    // rest of the drag must still reach the pan, or its transition is left half-driven.
    QList<State> states;
    auto *pan = make<PanGestureRecognizer>(&states);
    QWidget *cover = nullptr;
    pan->addTarget([&](GestureRecognizer *r) {
        if (r->state() != State::began)
            return;
        view.hide();
        cover = new QWidget(&top);
        cover->setGeometry(top.rect());
        cover->show();
    });
    QTest::mousePress(window(), Qt::LeftButton, {}, QPoint(100, 300));
    QTest::mouseMove(window(), QPoint(100, 280));
    QTest::mouseMove(window(), QPoint(100, 200));
    QTest::mouseRelease(window(), Qt::LeftButton, {}, QPoint(100, 200));
    EXPECT_EQ(states, (QList<State> { State::began, State::changed, State::ended }));
    EXPECT_EQ(pan->state(), State::possible);

    // Afterwards the window's events are the cover's alone: a new drag there is nobody's pan.
    states.clear();
    QTest::mousePress(window(), Qt::LeftButton, {}, QPoint(100, 300));
    QTest::mouseMove(window(), QPoint(100, 250));
    QTest::mouseRelease(window(), Qt::LeftButton, {}, QPoint(100, 200));
    EXPECT_TRUE(states.isEmpty());
    delete cover;
}

TEST_F(WindowGestureTest, ASubviewThatKeepsItsPressesStillFeedsARecogniserThatIncludesSubviews)
{
    // A picture that takes presses for its own taps, and a button.
    struct Picture : QWidget
    {
        using QWidget::QWidget;
        void mousePressEvent(QMouseEvent *event) override { event->accept(); }
    };
    auto *picture = new Picture(&view);
    picture->setGeometry(0, 0, 150, 200);
    auto *button = new QPushButton(&view);
    button->setGeometry(150, 0, 150, 200);
    picture->show();
    button->show();

    QList<State> plain;
    make<PanGestureRecognizer>(&plain);
    QList<State> including;
    auto *pan = make<PanGestureRecognizer>(&including);
    pan->setIncludesSubviews(true);
    const auto dragDown = [this](int x) {
        QTest::mousePress(window(), Qt::LeftButton, {}, QPoint(x, 250));
        QTest::mouseMove(window(), QPoint(x, 280));
        QTest::mouseMove(window(), QPoint(x, 320));
        QTest::mouseRelease(window(), Qt::LeftButton, {}, QPoint(x, 320));
    };
    dragDown(75);
    EXPECT_TRUE(plain.isEmpty());
    EXPECT_EQ(including, (QList<State> { State::began, State::changed, State::ended }));

    including.clear();
    dragDown(225); // the button keeps its drag
    EXPECT_TRUE(including.isEmpty());
}
