#include "Platform/UI/AnimationDriver.h"
#include "Platform/UI/GestureRecognizer.h"
#include "Support/UiTestSupport.h"

#include <QTest>
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
