#include "Platform/UI/Animation.h"

#include "Platform/UI/AnimationDriver.h"
#include "Platform/UI/TimingFunction.h"
#include "Platform/UI/View.h"
#include "Support/UiTestSupport.h"

#include <QWidget>
#include <cfloat>

using namespace tarnik;

class AnimationTest : public test::ScreenTest
{
};

TEST_F(AnimationTest, TimingCurvesStartAtZeroEndAtOneAndStayMonotoneExceptSprings)
{
    for (auto f : { TimingFunction::linear(), TimingFunction::easeIn(), TimingFunction::easeOut(),
             TimingFunction::easeInOut(), TimingFunction::spring(1.0, 0.0) }) {
        EXPECT_DOUBLE_EQ(f.value(0.0), 0.0);
        EXPECT_DOUBLE_EQ(f.value(1.0), 1.0);
        double last = 0.0;
        for (int i = 1; i <= 100; ++i) {
            const double v = f.value(i / 100.0);
            EXPECT_GE(v, last - 1e-9);
            last = v;
        }
    }
    EXPECT_NEAR(TimingFunction::easeInOut().value(0.5), 0.5, 1e-6);
    EXPECT_LT(TimingFunction::easeIn().value(0.25), 0.25);
    // An under-damped spring overshoots before it settles.
    const auto spring = TimingFunction::spring(0.3, 0.0);
    double peak = 0.0;
    for (int i = 1; i < 100; ++i)
        peak = std::max(peak, spring.value(i / 100.0));
    EXPECT_GT(peak, 1.0);
    // Nonsense parameters fall back to sane ones instead of producing NaN.
    EXPECT_TRUE(std::isfinite(TimingFunction::spring(std::nan(""), std::nan("")).value(0.5)));
}

TEST_F(AnimationTest, KeyframesHoldTheLastValueAfterTheLastKeyTime)
{
    KeyframeAnimation a;
    a.values = { 0.2, 0.6, 1.0, 0.6, 0.2 };
    a.keyTimes = { 0.0, 0.1, 0.4, 0.6, 0.8 };
    const struct
    {
        double progress, value;
    } rows[] = { { 0.0, 0.2 }, { 0.05, 0.4 }, { 0.1, 0.6 }, { 0.25, 0.8 }, { 0.4, 1.0 }, { 0.7, 0.4 }, { 0.8, 0.2 },
        { 0.95, 0.2 } };
    for (const auto &row : rows)
        EXPECT_NEAR(a.valueAt(row.progress), row.value, 1e-9) << row.progress;
    // Without key times the values are spread evenly.
    KeyframeAnimation even;
    even.values = { -0.03, 0.03 };
    EXPECT_NEAR(even.valueAt(0.5), 0.0, 1e-12);
}

TEST_F(AnimationTest, GroupStaggersChildrenByBeginTimeAndRepeatsWithAutoreverse)
{
    std::vector<double> seen(2, -1.0);
    auto group = std::make_shared<AnimationGroup>();
    group->duration = 1.0;
    for (int i = 0; i < 2; ++i) {
        auto child = std::make_shared<BasicAnimation>([&seen, i](double p) { seen[i] = p; });
        child->duration = 0.5;
        child->beginTime = i * 0.25;
        group->animations.push_back(child);
    }
    group->applyAtTime(0.25);
    EXPECT_NEAR(seen[0], 0.5, 1e-9);
    EXPECT_NEAR(seen[1], 0.0, 1e-9);
    group->applyAtTime(0.9);
    EXPECT_NEAR(seen[0], 1.0, 1e-9); // ended, left at its last state
    EXPECT_NEAR(seen[1], 1.0, 1e-9);

    double value = -1;
    BasicAnimation back([&](double p) { value = p; });
    back.duration = 1.0;
    back.autoreverses = true;
    back.repeatCount = 2;
    EXPECT_DOUBLE_EQ(back.activeDuration(), 4.0);
    back.applyAtTime(1.5);
    EXPECT_NEAR(value, 0.5, 1e-9);
    back.repeatCount = FLT_MAX;
    EXPECT_TRUE(back.repeatsForever());
}

TEST_F(AnimationTest, DriverRunsOnTheManualClockAndReportsHowAnAnimationEnded)
{
    auto &driver = AnimationDriver::shared();
    double value = 0;
    std::vector<bool> ends;
    auto a = BasicAnimation::fromTo(0, 10, [&](double v) { value = v; });
    a->duration = 1.0;
    driver.run(a, 0.5, [&](bool finished) { ends.push_back(finished); });
    advance(0.5);
    EXPECT_DOUBLE_EQ(value, 0.0); // still in its delay
    advance(0.5);
    EXPECT_NEAR(value, 5.0, 1e-9);
    advance(0.6);
    EXPECT_DOUBLE_EQ(value, 10.0);
    ASSERT_EQ(ends, std::vector<bool> { true });

    auto b = BasicAnimation::fromTo(0, 1, [](double) {});
    const auto id = driver.run(b, 0, [&](bool finished) { ends.push_back(finished); });
    driver.stop(id);
    EXPECT_EQ(ends, (std::vector<bool> { true, false }));

    int fired = 0;
    driver.schedule(0.3, [&] { ++fired; });
    const auto cancelled = driver.schedule(0.3, [&] { fired += 10; });
    driver.cancelScheduled(cancelled);
    advance(0.29);
    EXPECT_EQ(fired, 0);
    advance(0.02);
    EXPECT_EQ(fired, 1);
}

TEST_F(AnimationTest, BlockAnimationMovesViewsFromWhereTheyAreToTheNewValues)
{
    QWidget parent;
    auto *view = new QWidget(&parent);
    View::setFrame(view, QRect(0, 0, 100, 100));
    bool finished = false;
    View::animate(
        1.0,
        [&] {
            View::setFrame(view, QRect(100, 0, 100, 100));
            View::setAlpha(view, 0.0);
        },
        [&](bool f) { finished = f; }, 0.0, TimingFunction::linear());
    EXPECT_EQ(View::frame(view).x(), 0); // nothing jumps
    advance(0.5);
    EXPECT_EQ(View::frame(view).x(), 50);
    EXPECT_NEAR(View::alpha(view), 0.5, 1e-9);
    advance(0.6);
    EXPECT_EQ(View::frame(view), QRect(100, 0, 100, 100));
    EXPECT_DOUBLE_EQ(View::alpha(view), 0.0);
    EXPECT_TRUE(finished);

    // A spring lands exactly on its target; a view deleted mid-way is skipped.
    View::animateSpring(0.8, 0.0, 0.6, 1.0, [&] { View::setFrame(view, QRect(10, 10, 50, 50)); });
    auto *doomed = new QWidget(&parent);
    View::animate(1.0, [&] { View::setFrame(doomed, QRect(5, 5, 5, 5)); });
    advance(0.1);
    delete doomed;
    settle();
    EXPECT_EQ(View::frame(view), QRect(10, 10, 50, 50));
}

TEST_F(AnimationTest, WiggleAddsRotationAndBounceAndStopRemovesEverything)
{
    QWidget view;
    View::startWiggling(&view);
    auto &driver = AnimationDriver::shared();
    const QStringList keys = driver.animationKeys(&view);
    EXPECT_TRUE(keys.contains(QStringLiteral("rotation")));
    EXPECT_TRUE(keys.contains(QStringLiteral("bounce")));
    auto rotation = std::dynamic_pointer_cast<KeyframeAnimation>(driver.animation(&view, QStringLiteral("rotation")));
    auto bounce = std::dynamic_pointer_cast<KeyframeAnimation>(driver.animation(&view, QStringLiteral("bounce")));
    ASSERT_TRUE(rotation && bounce);
    EXPECT_EQ(rotation->keyPath, QStringLiteral("transform.rotation.z"));
    EXPECT_EQ(rotation->values, (std::vector<double> { -0.03, 0.03 }));
    EXPECT_EQ(bounce->values, (std::vector<double> { 2.0, 0.0 }));
    EXPECT_GE(rotation->duration, 0.075);
    EXPECT_LT(rotation->duration, 0.125);
    EXPECT_GE(bounce->duration, 0.095);
    EXPECT_LT(bounce->duration, 0.145);
    EXPECT_TRUE(rotation->autoreverses && rotation->repeatsForever());
    advance(0.05);
    EXPECT_TRUE(view.property("transform.rotation.z").isValid());

    View::stopWiggling(&view);
    EXPECT_TRUE(driver.animationKeys(&view).isEmpty());

    // Animations of a view that goes away go with it.
    auto *gone = new QWidget;
    View::startWiggling(gone);
    delete gone;
    advance(0.1);
    EXPECT_TRUE(driver.animationKeys(gone).isEmpty());
}

TEST_F(AnimationTest, MaskShowsTheShapeOrEverythingButIt)
{
    QWidget view;
    view.resize(100, 100);
    View::mask(&view, QRectF(10, 10, 20, 20), false);
    EXPECT_TRUE(view.mask().contains(QPoint(15, 15)));
    EXPECT_FALSE(view.mask().contains(QPoint(50, 50)));
    View::mask(&view, QRectF(10, 10, 20, 20), true);
    EXPECT_FALSE(view.mask().contains(QPoint(15, 15)));
    EXPECT_TRUE(view.mask().contains(QPoint(50, 50)));
    // A shape that leaves nothing to show hides the whole view (an empty
    // widget mask would show all of it).
    for (const bool invert : { false, true }) {
        View::mask(&view, invert ? QRectF(0, 0, 100, 100) : QRectF(), invert);
        EXPECT_FALSE(view.mask().isEmpty()) << invert;
        EXPECT_FALSE(view.mask().intersects(view.rect())) << invert;
    }
}
