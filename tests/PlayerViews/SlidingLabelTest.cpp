#include "Player/SlidingLabel.h"

#include "Platform/UI/AnimationDriver.h"
#include "Support/UiTestSupport.h"

#include <QLabel>

using namespace tarnik;

class SlidingLabelTest : public test::ScreenTest
{
protected:
    // A label 100 wide whose text needs about `textWidth`.
    SlidingLabel *make(QWidget *into, int width = 100)
    {
        auto *label = new SlidingLabel(into);
        label->resize(width, 20);
        label->show();
        return label;
    }
    static QString textWiderThan(const SlidingLabel *label, int width)
    {
        QString text = QStringLiteral("A long title");
        while (label->label1()->fontMetrics().horizontalAdvance(text) <= width)
            text += QStringLiteral(" that goes on");
        return text;
    }
    QWidget parent;
};

TEST_F(SlidingLabelTest, AShortTextStaysStill)
{
    SlidingLabel *label = make(&parent);
    label->setText(QStringLiteral("Hi"));
    EXPECT_FALSE(label->isScheduled());
    advance(20.0);
    EXPECT_EQ(label->offset(), 0.0);
}

TEST_F(SlidingLabelTest, ALongTextPausesSlidesAndPausesAgain)
{
    SlidingLabel *label = make(&parent);
    const QString text = textWiderThan(label, 150);
    label->setText(text);
    const double w = label->label1()->width();
    ASSERT_GT(w, 100.0);
    // The pass takes animationSpeed seconds per label width of text.
    EXPECT_DOUBLE_EQ(label->duration(), w / (100.0 / label->animationSpeed));
    advance(3.4);
    EXPECT_FALSE(label->isAnimating());
    EXPECT_EQ(label->offset(), 0.0);
    advance(0.2);
    EXPECT_TRUE(label->isAnimating());
    advance(label->duration() / 2);
    EXPECT_NEAR(label->offset(), -(w + label->textGap) / 2, (w + label->textGap) * 0.05);
    EXPECT_EQ(label->label2()->x() - label->label1()->x(), int(w) + int(label->textGap));
    advance(label->duration() / 2);
    // Back at the start, and a new pause before the next pass.
    EXPECT_FALSE(label->isAnimating());
    EXPECT_EQ(label->offset(), 0.0);
    advance(3.4);
    EXPECT_FALSE(label->isAnimating());
    advance(0.2);
    EXPECT_TRUE(label->isAnimating());

    // A new text starts over from the first pause.
    label->setText(textWiderThan(label, 300));
    EXPECT_FALSE(label->isAnimating());
    EXPECT_EQ(label->offset(), 0.0);
    EXPECT_TRUE(label->isScheduled());
}

TEST_F(SlidingLabelTest, SiblingsWaitForTheLongestPass)
{
    SlidingLabel *shortOne = make(&parent);
    SlidingLabel *longOne = make(&parent);
    shortOne->setText(textWiderThan(shortOne, 150));
    longOne->setText(textWiderThan(longOne, 400));
    ASSERT_GT(longOne->duration(), shortOne->duration() + 1.0);
    advance(3.5 + 0.01);
    EXPECT_TRUE(shortOne->isAnimating());
    EXPECT_TRUE(longOne->isAnimating());
    advance(shortOne->duration());
    EXPECT_FALSE(shortOne->isAnimating());
    // The short one waits for the long one's pass, then its own pause.
    const double extra = longOne->duration() - shortOne->duration();
    advance(extra + 3.5 - 0.05);
    EXPECT_FALSE(shortOne->isAnimating());
    advance(0.1);
    EXPECT_TRUE(shortOne->isAnimating());
}

TEST_F(SlidingLabelTest, ALabelWithoutWidthDoesNotSlide)
{
    parent.show();
    for (int width : { 0, -5 }) {
        SlidingLabel *label = make(&parent, 10);
        label->resize(std::max(width, 0), 20);
        label->setText(QStringLiteral("Some text that cannot fit a label of no width"));
        EXPECT_FALSE(label->isScheduled());
        advance(10.0);
        EXPECT_FALSE(label->isAnimating());
        // Laid out later with room to slide, it starts.
        label->resize(60, 20);
        EXPECT_TRUE(label->isScheduled());
        delete label;
    }
}
