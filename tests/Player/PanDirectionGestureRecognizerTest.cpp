#include "Player/PanDirectionGestureRecognizer.h"
#include "Support/UiTestSupport.h"

#include <QWidget>
#include <limits>

using namespace tarnik;
using Phase = GestureRecognizer::Phase;
using State = GestureRecognizer::State;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct AxisRow
{
    const char *name;
    PanDirection direction;
    // The first move (crossing the start slop), then a second one; both 0.1 s apart.
    QPointF first;
    QPointF second;
    bool cancelled;
};

} // namespace

class PanDirectionTest : public test::ScreenTest
{
protected:
    QWidget view;
};

TEST_F(PanDirectionTest, AxisRules)
{
    const AxisRow rows[] = {
        // Velocities (100, 100) and (101, 100): a tie keeps the gesture.
        { "vertical tie", PanDirection::vertical, { 10.0, 10.0 }, { 20.0, 60.0 }, false },
        { "vertical, slightly across", PanDirection::vertical, { 10.1, 10.0 }, { 20.0, 60.0 }, true },
        { "vertical along", PanDirection::vertical, { 0.0, 20.0 }, { 0.0, 40.0 }, false },
        { "horizontal along", PanDirection::horizontal, { 20.0, 0.0 }, { 40.0, 0.0 }, false },
        { "horizontal across", PanDirection::horizontal, { 3.0, 20.0 }, { 6.0, 40.0 }, true },
        // Once changed, a turn to the other axis is not tested.
        { "horizontal turning vertical", PanDirection::horizontal, { 20.0, 0.0 }, { 22.0, 200.0 }, false },
        { "vertical turning horizontal", PanDirection::vertical, { 0.0, 20.0 }, { 300.0, 22.0 }, false },
    };
    for (const AxisRow &row : rows) {
        QList<State> states;
        auto *pan = new PanDirectionGestureRecognizer(
            row.direction, [&states](GestureRecognizer *r) { states.append(r->state()); });
        pan->attach(&view);
        pan->feed(Phase::began, { 0, 0 }, 0.0);
        pan->feed(Phase::moved, row.first, 0.1);
        pan->feed(Phase::moved, row.second, 0.2);
        pan->feed(Phase::ended, row.second, 0.3);
        if (row.cancelled)
            EXPECT_TRUE(states.isEmpty()) << row.name;
        else
            EXPECT_EQ(states, (QList<State> { State::began, State::changed, State::ended })) << row.name;
        delete pan;
    }
}

// A move to a point that is not a number gives a velocity component that is
// not a number; it must not cancel the gesture on either axis.
TEST_F(PanDirectionTest, AVelocityThatIsNotANumberNeverCancels)
{
    for (PanDirection direction : { PanDirection::vertical, PanDirection::horizontal }) {
        QList<State> states;
        auto *pan = new PanDirectionGestureRecognizer(
            direction, [&states](GestureRecognizer *r) { states.append(r->state()); });
        pan->attach(&view);
        pan->feed(Phase::began, { 0, 0 }, 0.0);
        pan->feed(Phase::moved, { kNaN, 30 }, 0.1);
        EXPECT_EQ(states, QList<State> { State::began });
        delete pan;
    }
}
