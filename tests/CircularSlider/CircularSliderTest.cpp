#include "Controls/CircularSlider/CircularSlider.h"

#include "Controls/CircularSlider/DotView.h"
#include "Controls/CircularSlider/Geometry.h"
#include "Controls/CircularSlider/KnobView.h"
#include "Controls/CircularSlider/PointerView.h"
#include "Controls/CircularSlider/Renderer.h"
#include "Controls/CircularSlider/SliderConstants.h"

#include <QAccessible>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>
#include <memory>

namespace tarnik {
namespace {

struct Recorder
{
    explicit Recorder(CircularSlider *slider)
    {
        QObject::connect(slider, &CircularSlider::editingDidBegin, [this] { events << QStringLiteral("begin"); });
        QObject::connect(slider, &CircularSlider::valueChanged, [this] { events << QStringLiteral("changed"); });
        QObject::connect(slider, &CircularSlider::editingDidEnd, [this] { events << QStringLiteral("end"); });
    }
    QStringList events;
};

std::unique_ptr<CircularSlider> makeSlider(int side = 200)
{
    auto slider = std::make_unique<CircularSlider>();
    slider->resize(side, side);
    slider->layoutSubviews();
    return slider;
}

// A point on the circle of radius 80 around the slider's centre at an angle in degrees.
QPointF at(const CircularSlider &slider, double degrees)
{
    const QPointF centre = QRectF(slider.rect()).center();
    return centre + QPointF(std::cos(toRadian(degrees)), std::sin(toRadian(degrees))) * 80;
}

QString text(const CircularSlider &slider)
{
    return slider.renderer()->textField()->text();
}

TEST(CircularSliderTest, Defaults)
{
    auto slider = makeSlider();
    EXPECT_EQ(slider->minimumValue(), 0);
    EXPECT_EQ(slider->maximumValue(), 100);
    EXPECT_EQ(slider->labelDecimalPlaces(), 0);
    EXPECT_EQ(slider->value(), 0);
    EXPECT_DOUBLE_EQ(slider->startAngle(), 135);
    EXPECT_DOUBLE_EQ(slider->endAngle(), 45);
    EXPECT_TRUE(slider->isClockwise());
    EXPECT_EQ(text(*slider), QStringLiteral("MIN"));
    EXPECT_EQ(slider->maxidotCount(), 11);
    EXPECT_EQ(slider->maxidotMaxDotCount(), 3);
    EXPECT_EQ(slider->renderer()->miniDotView()->dotCount(), 61);
    EXPECT_EQ(slider->maxidotInset(), 15);
    EXPECT_EQ(slider->minidotInset(), 10);
    EXPECT_TRUE(slider->minidotHideHighlight());
}

TEST(CircularSliderTest, ClampsAndAlwaysSendsValueChanged)
{
    struct Case
    {
        double input;
        double value;
        float fraction;
    };
    const Case cases[] = {
        { -5, 0, 0 },
        { 250, 100, 1 },
        { 50, 50, 0.5f },
        { 50, 50, 0.5f }, // unchanged, still an event
        { std::nan(""), 0, 0 },
        { HUGE_VAL, 100, 1 },
        { -HUGE_VAL, 0, 0 },
    };
    auto slider = makeSlider();
    Recorder recorder(slider.get());
    for (const Case &c : cases) {
        recorder.events.clear();
        slider->setValue(c.input);
        EXPECT_EQ(slider->value(), c.value) << c.input;
        EXPECT_FLOAT_EQ(slider->renderer()->value(), c.fraction) << c.input;
        EXPECT_EQ(recorder.events, QStringList { QStringLiteral("changed") }) << c.input;
    }
}

TEST(CircularSliderTest, RangeChangesReadWithoutEvent)
{
    auto slider = makeSlider();
    slider->setMinimumValue(10);
    slider->setMaximumValue(20);
    slider->setNormalizedValue(0.25f);
    EXPECT_DOUBLE_EQ(slider->value(), 12.5);
    EXPECT_FLOAT_EQ(slider->normalizedValue(), 0.25f);
    Recorder recorder(slider.get());
    slider->setMaximumValue(30);
    EXPECT_DOUBLE_EQ(slider->value(), 15);
    EXPECT_TRUE(recorder.events.isEmpty());

    // An empty range has one position: its start, never 0/0.
    slider->setMinimumValue(7);
    slider->setMaximumValue(7);
    slider->setValue(9);
    EXPECT_EQ(slider->value(), 7);
    EXPECT_EQ(slider->normalizedValue(), 0.0f);
    slider->setNormalizedValue(0.5f);
    EXPECT_EQ(slider->value(), 7);
}

TEST(CircularSliderDeathTest, MinimumAboveMaximumStops)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto slider = makeSlider();
    slider->setMinimumValue(5);
    slider->setMaximumValue(1);
    EXPECT_DEATH(slider->setValue(3), "maximumValue` should be greater then `minimumValue");
    slider->setMaximumValue(std::nan(""));
    EXPECT_DEATH(slider->setValue(3), "maximumValue` should be greater then `minimumValue");
}

TEST(CircularSliderDeathTest, KnobMultiplierOrderStops)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto slider = makeSlider();
    EXPECT_DEATH(slider->setKnobMiddleCircleMultiplier(0.9), "innerCircleMultiplier < middleCircleMultiplier");
    slider->setKnobMiddleCircleMultiplier(0.8);
    EXPECT_DOUBLE_EQ(slider->renderer()->knobView()->middleCircle().multiplier(), 0.8);
    EXPECT_DOUBLE_EQ(slider->renderer()->knobView()->glowCircleLayer().multiplier(), 0.8);
}

TEST(CircularSliderTest, DragsTurnTheValue)
{
    struct Case
    {
        bool clockwise;
        double from, to;
        float expected; // fraction after starting at 0.5
    };
    const Case cases[] = {
        { true, 270, 297, 0.6f },
        { true, 270, 243, 0.4f },
        // Anticlockwise the span from 135 to 45 degrees is 90: 27 degrees are 0.3.
        { false, 270, 297, 0.2f },
        { false, 270, 243, 0.8f },
    };
    for (const Case &c : cases) {
        auto slider = makeSlider();
        slider->setIsClockwise(c.clockwise);
        slider->setNormalizedValue(0.5f);
        Recorder recorder(slider.get());
        slider->touchesBegan({ at(*slider, c.from) });
        slider->touchesMoved({ at(*slider, c.to) });
        slider->touchesEnded({});
        EXPECT_NEAR(slider->renderer()->value(), c.expected, 1e-4) << c.clockwise << " " << c.to;
        EXPECT_EQ(recorder.events,
            (QStringList { QStringLiteral("begin"), QStringLiteral("changed"), QStringLiteral("end") }));
    }
}

TEST(CircularSliderTest, TouchWithoutMoveAndEmptyTouches)
{
    auto slider = makeSlider();
    slider->setValue(30);
    Recorder recorder(slider.get());
    slider->touchesBegan({});
    slider->touchesMoved({});
    EXPECT_TRUE(recorder.events.isEmpty());
    // A touch on the knob never makes the value jump to the touched angle.
    slider->touchesBegan({ at(*slider, 0) });
    slider->touchesEnded({ at(*slider, 0) });
    EXPECT_EQ(recorder.events, (QStringList { QStringLiteral("begin"), QStringLiteral("end") }));
    EXPECT_NEAR(slider->value(), 30, 1e-5);
}

TEST(CircularSliderTest, SeamIsIgnoredAndEndsHold)
{
    auto slider = makeSlider();
    slider->setNormalizedValue(0.5f);
    slider->touchesBegan({ at(*slider, 359) });
    slider->touchesMoved({ at(*slider, 1) }); // across the seam: dropped
    EXPECT_FLOAT_EQ(slider->renderer()->value(), 0.5f);
    slider->touchesMoved({ at(*slider, 28) }); // measured from 1 degree
    EXPECT_NEAR(slider->renderer()->value(), 0.6f, 1e-4);

    // Past the end the fraction holds at 1, and turning back moves it at once.
    slider->setNormalizedValue(0.95f);
    slider->touchesBegan({ at(*slider, 100) });
    slider->touchesMoved({ at(*slider, 127) });
    EXPECT_FLOAT_EQ(slider->renderer()->value(), 1.0f);
    slider->touchesMoved({ at(*slider, 100) });
    EXPECT_NEAR(slider->renderer()->value(), 0.9f, 1e-4);
    // Dragging below the start holds at 0.
    slider->setValue(0);
    slider->touchesMoved({ at(*slider, 50) });
    EXPECT_FLOAT_EQ(slider->renderer()->value(), 0.0f);
}

TEST(CircularSliderTest, MouseDrivesTheTouches)
{
    auto slider = makeSlider();
    slider->setNormalizedValue(0.5f);
    Recorder recorder(slider.get());
    const QPointF start = at(*slider, 270);
    const QPointF end = at(*slider, 297);
    QMouseEvent press(QEvent::MouseButtonPress, start, start, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(slider.get(), &press);
    QMouseEvent move(QEvent::MouseMove, end, end, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(slider.get(), &move);
    QMouseEvent release(QEvent::MouseButtonRelease, end, end, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(slider.get(), &release);
    EXPECT_NEAR(slider->renderer()->value(), 0.6f, 1e-4);
    EXPECT_EQ(
        recorder.events, (QStringList { QStringLiteral("begin"), QStringLiteral("changed"), QStringLiteral("end") }));
}

TEST(CircularSliderTest, ValueText)
{
    struct Case
    {
        double minimum, maximum;
        qint64 places;
        double value;
        QString text;
    };
    const Case cases[] = {
        { 0, 100, 0, 0, QStringLiteral("MIN") }, { 0, 100, 0, 100, QStringLiteral("MAX") },
        { 0, 100, 0, 42.7, QStringLiteral("42") }, { 0, 100, 0, 99.99, QStringLiteral("99") },
        { 0, 100, 0, 0.5, QStringLiteral("0.50") }, { 0, 100, 0, 0.004, QStringLiteral("MIN") },
        { 0, 100, 1, 0.5, QStringLiteral("0.5") }, { 0, 100, 1, 42.75, QStringLiteral("42.7") },
        { -50, 50, 0, -0.5, QStringLiteral("-0.50") }, { -50, 50, 0, -50, QStringLiteral("MIN") },
        { 0, 100, -3, 42.7, QStringLiteral("42") }, // negative places read as none
    };
    for (const Case &c : cases) {
        auto slider = makeSlider();
        slider->setMinimumValue(c.minimum);
        slider->setMaximumValue(c.maximum);
        slider->setLabelDecimalPlaces(c.places);
        slider->setValue(c.value);
        EXPECT_EQ(text(*slider), c.text) << c.value;
    }
}

TEST(CircularSliderTest, TypedInput)
{
    struct Case
    {
        QString typed;
        double value;
        QString text;
        QStringList events;
    };
    const QStringList taken { QStringLiteral("changed"), QStringLiteral("end") };
    const Case cases[] = {
        { QStringLiteral("37"), 37, QStringLiteral("37"), taken },
        { QStringLiteral("250"), 100, QStringLiteral("MAX"), taken },
        { QStringLiteral("-5"), 0, QStringLiteral("MIN"), taken },
        { QStringLiteral("99999999999999999999999"), 20, QStringLiteral("20"), {} },
        { QStringLiteral("12.5"), 20, QStringLiteral("20"), {} },
        { QString(), 20, QStringLiteral("20"), {} },
        { QStringLiteral("abc"), 20, QStringLiteral("20"), {} },
        { QStringLiteral("nan"), 20, QStringLiteral("20"), {} },
        { QStringLiteral("1e3"), 20, QStringLiteral("20"), {} },
    };
    for (const Case &c : cases) {
        auto slider = makeSlider();
        slider->setValue(20);
        Recorder recorder(slider.get());
        QLineEdit *field = slider->renderer()->textField();
        field->setText(c.typed);
        QTest::keyClick(field, Qt::Key_Return);
        EXPECT_NEAR(slider->value(), c.value, 1e-5) << c.typed.toStdString();
        EXPECT_EQ(text(*slider), c.text) << c.typed.toStdString();
        EXPECT_EQ(recorder.events, c.events) << c.typed.toStdString();
    }
}

TEST(CircularSliderTest, PointerAndTextFieldLayout)
{
    auto slider = makeSlider();
    PointerView *pointer = slider->renderer()->pointerView();
    struct Case
    {
        float fraction;
        QPointF centre;
    };
    const Case cases[] = {
        { 0, { 71.752, 128.248 } },
        { 0.5f, { 100, 60.05 } },
        { 1, { 128.248, 128.248 } },
    };
    for (const Case &c : cases) {
        slider->setNormalizedValue(c.fraction);
        EXPECT_NEAR(pointer->frameF().width(), 8.1, 1e-9);
        EXPECT_NEAR(pointer->frameF().center().x(), c.centre.x(), 1e-3) << c.fraction;
        EXPECT_NEAR(pointer->frameF().center().y(), c.centre.y(), 1e-3) << c.fraction;
    }
    QLineEdit *field = slider->renderer()->textField();
    EXPECT_EQ(field->geometry(), QRect(57, 87, 86, 27)); // (56.8, 86.5, 86.4, 27) on whole pixels
    slider->setTextFontSizeMultiplier(2);
    slider->layoutSubviews();
    EXPECT_EQ(field->height(), 54);
    slider->setTextFontSizeMultiplier(0.1);
    slider->layoutSubviews();
    EXPECT_EQ(field->height(), 11);
    slider->setTextIsHidden(true);
    slider->layoutSubviews();
    EXPECT_TRUE(field->isHidden());

    // Start angle -45 reads back as 315 and moves the pointer at the next refresh;
    // only the mini ring follows it.
    slider->setStartAngle(-45);
    EXPECT_DOUBLE_EQ(slider->startAngle(), 315);
    EXPECT_DOUBLE_EQ(toDegree(slider->renderer()->miniDotView()->startAngle()), 315);
    EXPECT_DOUBLE_EQ(toDegree(slider->renderer()->maxiDotView()->startAngle()), 135);
}

TEST(CircularSliderTest, ForwardingProperties)
{
    auto slider = makeSlider();
    Renderer *r = slider->renderer();
    slider->setMaxidotCount(4);
    EXPECT_EQ(slider->maxidotCount(), 5);
    EXPECT_EQ(r->miniDotView()->maxiDotCount(), 5);
    EXPECT_EQ(r->maxiDotView()->dots().size(), 5u);
    EXPECT_EQ(r->miniDotView()->dots().size(), 25u);
    slider->setMaxidotCount(7);
    EXPECT_EQ(slider->maxidotCount(), 7);

    slider->setMinidotHideHighlight(false);
    EXPECT_FALSE(slider->minidotHideHighlight());
    EXPECT_EQ(slider->minidotHighlightColor(), QColor(Qt::white));
    slider->setHighlightColor(Qt::yellow);
    slider->setMinidotHideHighlight(true);
    EXPECT_TRUE(slider->minidotHideHighlight());
    EXPECT_EQ(r->miniDotView()->highlightColor(), QColor(Qt::yellow));
    EXPECT_EQ(r->maxiDotView()->highlightColor(), QColor(Qt::yellow));
    EXPECT_EQ(r->knobView()->highlightColor(), QColor(Qt::yellow));

    slider->setColor4(Qt::green);
    EXPECT_EQ(r->pointerView()->color1(), QColor(Qt::green));
    EXPECT_EQ(r->knobView()->innerCircle().colors().at(1), QColor(Qt::green));
    slider->setColor2(Qt::cyan);
    EXPECT_EQ(r->knobView()->outerCircle().colors().at(1), QColor(Qt::cyan));
    EXPECT_EQ(r->knobView()->middleCircle().colors().at(0), QColor(Qt::cyan));
    EXPECT_EQ(r->knobView()->innerCircle().colors().at(0), QColor(Qt::cyan));
    slider->setMaxidotOnColor(Qt::magenta);
    EXPECT_EQ(r->knobView()->onColor(), QColor(Qt::magenta));
    EXPECT_NEAR(r->knobView()->glowCircleLayer().colors().at(1).alphaF(), 0.7f, 1e-3);

    slider->setKnobOuterCircleMultiplier(0.9);
    EXPECT_DOUBLE_EQ(*r->maxiDotView()->outerCircleRadius(), 90);
    EXPECT_DOUBLE_EQ(*r->miniDotView()->outerCircleRadius(), 90);
    slider->setMinidotCountPerSegment(3);
    EXPECT_EQ(r->miniDotView()->dots().size(), 19u);
    slider->setMaxidotViewIsHidden(true);
    slider->setMinidotViewIsHidden(true);
    EXPECT_TRUE(slider->maxidotViewIsHidden());
    EXPECT_TRUE(slider->minidotViewIsHidden());

    // Settable by name, as a screen's set-up does.
    EXPECT_TRUE(slider->setProperty("pointerSizeMultiplier", 0.3));
    EXPECT_DOUBLE_EQ(r->pointerViewMultiplier(), 0.3);
    EXPECT_TRUE(slider->setProperty("normalizedValue", 0.25f));
    EXPECT_DOUBLE_EQ(slider->value(), 25);
}

TEST(DotViewTest, LightsDotsAndRedZone)
{
    DotView ring(DotType::maxi, true, toRadian(135.0), toRadian(45.0));
    ring.resize(200, 200);
    ring.setRingGeometry(QPointF(100, 100), 200);
    ring.setOuterCircleRadius(86);
    ring.layoutSubviews();
    EXPECT_NEAR(ring.dotRadius(), 2.043, 1e-3);
    EXPECT_NEAR(ring.dots()[0].frame().width() / 2 + 86 + 15, 103.043, 1e-3);

    ring.update(0.5f);
    EXPECT_EQ(ring.currentIndex(), 5);
    for (size_t i = 0; i < ring.dots().size(); ++i)
        EXPECT_EQ(ring.dots()[i].color(), i <= 5 ? ring.onColor() : ring.offColor()) << i;

    ring.update(1.0f);
    const auto &dots = ring.dots();
    EXPECT_EQ(dots[7].color(), ring.onColor());
    EXPECT_NEAR(dots[8].color().hsvHueF(), ring.onColor().hsvHueF(), 0.01);
    EXPECT_NEAR(dots[9].color().hsvHueF(), 0.767, 0.01);
    EXPECT_EQ(dots[10].color().hsvHue(), 0); // red

    // A mini ring ignores values and leaves every multiple of its segment unplaced.
    DotView mini(DotType::mini, true, toRadian(135.0), toRadian(45.0));
    mini.setRingGeometry(QPointF(100, 100), 200);
    mini.setOuterCircleRadius(86);
    mini.layoutSubviews();
    mini.update(1.0f);
    EXPECT_EQ(mini.dots().size(), 61u);
    EXPECT_TRUE(mini.dots()[6].frame().isEmpty());
    EXPECT_FALSE(mini.dots()[7].frame().isEmpty());
    for (const DotLayer &dot : mini.dots())
        EXPECT_EQ(dot.color(), mini.offColor());
}

TEST(DotViewTest, SmallRingsDoNotDivideByZero)
{
    // 144 degrees: 6 dots, a red zone of 2.
    DotView six(DotType::maxi, true, 0, toRadian(144.0));
    EXPECT_EQ(six.maxiDotCount(), 6);
    EXPECT_EQ(six.maxDotCount(), 2);
    six.setRingGeometry(QPointF(100, 100), 200);
    six.layoutSubviews();
    six.update(1.0f);
    EXPECT_EQ(six.dots()[5].color().hsvHue(), 0);

    // 100 degrees: 4 dots with a red zone of one, which keeps the on hue.
    DotView four(DotType::maxi, true, 0, toRadian(100.0));
    EXPECT_EQ(four.maxDotCount(), 1);
    four.setRingGeometry(QPointF(100, 100), 200);
    four.layoutSubviews();
    four.update(1.0f);
    EXPECT_NEAR(four.dots()[3].color().hsvHueF(), four.onColor().hsvHueF(), 0.01);

    // 30 degrees: one dot, no spacing; none at all for 0 and fewer.
    for (int count : { 1, 0, -4 }) {
        DotView ring(DotType::maxi, true, 0, toRadian(30.0));
        ring.setMaxiDotCount(count);
        ring.resetDots();
        ring.setRingGeometry(QPointF(100, 100), 200);
        ring.layoutSubviews();
        ring.update(0.7f);
        EXPECT_EQ(ring.angleStep(), 0);
        EXPECT_EQ(ring.dots().size(), size_t(std::max(count, 0)));
        QImage image(200, 200, QImage::Format_ARGB32_Premultiplied);
        ring.render(&image);
    }
    DotView mini(DotType::mini, true, 0, toRadian(90.0));
    mini.setDotCountPerSegment(0);
    mini.resetDots();
    mini.setRingGeometry(QPointF(100, 100), 200);
    mini.layoutSubviews();
}

QImage grab(CircularSlider &slider)
{
    QImage image(slider.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    slider.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

bool near(const QColor &a, const QColor &b, int tolerance = 40)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
        && std::abs(a.blue() - b.blue()) <= tolerance;
}

// A widget shows nothing outside itself: a slider that keeps its rings inside draws its knob just
// small enough that every dot shows, and a slider with room to spare keeps its full-size knob.
TEST(CircularSliderTest, RingsKeptInsideShowEveryDot)
{
    const auto dotsOutside = [](CircularSlider &slider) {
        int outside = 0;
        for (DotView *ring : { slider.renderer()->miniDotView(), slider.renderer()->maxiDotView() }) {
            ring->layoutIfNeeded();
            for (const DotLayer &dot : ring->dots()) {
                const QRectF frame = dot.frame().translated(ring->ringOrigin() + QPointF(ring->pos()));
                if (!frame.isEmpty() && !QRectF(slider.rect()).contains(frame))
                    ++outside;
            }
        }
        return outside;
    };
    const struct
    {
        int side;
        bool overhangs;
    } cases[] = { { 150, true }, { 229, true }, { 320, false } };
    for (const auto &c : cases) {
        auto slider = makeSlider(c.side);
        EXPECT_EQ(dotsOutside(*slider) > 0, c.overhangs) << c.side;
        slider->setKeepsRingsInside(true);
        EXPECT_EQ(dotsOutside(*slider), 0) << c.side;
        const QRect knob = slider->renderer()->knobView()->geometry();
        EXPECT_EQ(knob.center(), slider->rect().center()) << c.side;
        if (c.overhangs)
            EXPECT_LT(knob.width(), c.side);
        else
            EXPECT_EQ(knob.width(), c.side);
    }
}

TEST(CircularSliderRenderingTest, DotsPointerAndKnob)
{
    auto slider = makeSlider(300);
    slider->setValue(100);
    const QImage image = grab(*slider);
    DotView *maxi = slider->renderer()->maxiDotView();
    const auto dotCentre
        = [&](int i) { return (maxi->dots()[size_t(i)].frame().center() + maxi->ringOrigin()).toPoint(); };
    // Lit dots in the on colour, the last of the red zone red.
    EXPECT_TRUE(near(image.pixelColor(dotCentre(0)), SliderConstants::dotBlueColor()))
        << image.pixelColor(dotCentre(0)).name().toStdString();
    EXPECT_TRUE(near(image.pixelColor(dotCentre(10)), QColor(Qt::red), 70))
        << image.pixelColor(dotCentre(10)).name().toStdString();

    slider->setValue(0);
    const QImage low = grab(*slider);
    EXPECT_TRUE(near(low.pixelColor(dotCentre(0)), SliderConstants::dotBlueColor()));
    EXPECT_TRUE(near(low.pixelColor(dotCentre(10)), SliderConstants::dotGrayColor()))
        << low.pixelColor(dotCentre(10)).name().toStdString();

    // The pointer sits on the inner disc toward the start angle (lower left).
    slider->setNormalizedValue(0.5f);
    const QImage mid = grab(*slider);
    const QPoint pointerCentre = slider->renderer()->pointerView()->frameF().center().toPoint();
    EXPECT_EQ(pointerCentre, QPoint(150, 85));
    // The pointer is lighter at its bottom (white) than the inner disc around it.
    EXPECT_GT(mid.pixelColor(pointerCentre + QPoint(0, 3)).lightness(), mid.pixelColor(150, 108).lightness() - 5);

    // The inner disc runs from light at the top left to darker at the bottom right.
    const QColor topLeft = mid.pixelColor(150 - 50, 150 - 50);
    const QColor bottomRight = mid.pixelColor(150 + 50, 150 + 50);
    EXPECT_GT(topLeft.lightness(), bottomRight.lightness());
    // Outside the knob and the rings: the black background.
    EXPECT_EQ(mid.pixelColor(2, 2), QColor(Qt::black));
}

TEST(CircularSliderTest, BadInputDoesNotCrash)
{
    for (QSize size : { QSize(0, 0), QSize(1, 1), QSize(3, 500) }) {
        auto slider = makeSlider();
        slider->resize(size);
        slider->layoutSubviews();
        slider->setValue(50);
        grab(*slider);
    }
    auto slider = makeSlider();
    for (double angle : { std::nan(""), HUGE_VAL, -HUGE_VAL, 1e300 }) {
        slider->setStartAngle(angle);
        slider->setEndAngle(angle);
        slider->setValue(40);
        slider->touchesBegan({ QPointF(10, 10) });
        slider->touchesMoved({ QPointF(190, 10) });
        slider->layoutSubviews();
        grab(*slider);
    }
    slider->setStartAngle(135);
    slider->setEndAngle(45);
    slider->setMaxidotCount(10'000);
    EXPECT_EQ(slider->renderer()->maxiDotView()->dots().size(), 10'001u);
    slider->layoutSubviews();
    slider->setValue(99);
    slider->setPointerSizeMultiplier(std::nan(""));
    slider->setTextFontSizeMultiplier(HUGE_VAL);
    slider->layoutSubviews();
    grab(*slider);
}

TEST(CircularSliderTest, Accessible)
{
    auto slider = makeSlider();
    slider->setAccessibleName(QStringLiteral("Volume Level"));
    slider->setValue(42);
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(slider.get());
    ASSERT_TRUE(accessible);
    EXPECT_EQ(accessible->role(), QAccessible::Dial);
    EXPECT_EQ(accessible->text(QAccessible::Name), QStringLiteral("Volume Level"));
    EXPECT_EQ(accessible->text(QAccessible::Value), QStringLiteral("42"));
    ASSERT_TRUE(accessible->valueInterface());
    accessible->valueInterface()->setCurrentValue(70.0);
    EXPECT_NEAR(slider->value(), 70, 1e-5);
}

} // namespace
} // namespace tarnik

namespace tarnik {
namespace {

TEST(CircularSliderTextFieldTest, OnlyTheUsersFocusClearsTheText)
{
    auto slider = makeSlider();
    slider->setValue(35);
    slider->show();
    QLineEdit *field = slider->renderer()->textField();
    QFocusEvent activation(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(field, &activation);
    EXPECT_EQ(field->text(), QStringLiteral("35"));
    QFocusEvent click(QEvent::FocusIn, Qt::MouseFocusReason);
    QApplication::sendEvent(field, &click);
    EXPECT_TRUE(field->text().isEmpty());
    field->setText(QStringLiteral("4"));
    QFocusEvent leave(QEvent::FocusOut, Qt::MouseFocusReason);
    QApplication::sendEvent(field, &leave); // left without confirming
    EXPECT_EQ(field->text(), QStringLiteral("35"));
    EXPECT_NEAR(slider->value(), 35, 1e-5);
}

} // namespace
} // namespace tarnik
