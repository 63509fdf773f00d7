#pragma once

#include <QPointer>
#include <QWidget>

class QLabel;

namespace tarnik {

// A label whose text scrolls sideways in an endless loop when it is wider
// than the label: two copies, one behind the other with a gap, slide left
// until the second stands where the first began, snap back, pause, and go
// again. Sliding labels that share a parent keep their passes in step: after
// a pass a label waits for the longest pass among its siblings.
//
// Passes and pauses run on the AnimationDriver (tests step them). The label
// reports its text to accessibility once, as static text. GUI thread only.
class SlidingLabel : public QWidget
{
    Q_OBJECT
public:
    explicit SlidingLabel(QWidget *parent = nullptr);
    ~SlidingLabel() override;

    double textGap = 40.0;
    // Seconds of pass time per label width of text.
    double animationSpeed = 8.0;
    // Pause before every pass, in seconds.
    double animationDelay = 3.5;

    QString text() const;
    void setText(const QString &text);
    void setFont(const QFont &font);
    void setTextColor(const QColor &color);
    void setAlignment(Qt::Alignment alignment);

    QLabel *label1() const { return m_label1; }
    QLabel *label2() const { return m_label2; }
    bool isAnimating() const { return m_isAnimating; }
    // Seconds of this label's pass; 0 when it does not slide.
    double duration() const { return m_duration; }
    // A pass or its pause is pending or running.
    bool isScheduled() const { return m_task != 0 || m_isAnimating; }
    // The copies' horizontal offset now (0 at rest, negative while sliding).
    double offset() const { return m_offset; }

    void restartAnimation();

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool event(QEvent *event) override;

private:
    void layoutLabels();
    void scheduleAnimation(const QString &text, bool isFirst, double width);
    void runPass(const QString &text, double width);
    void setOffset(double offset);

    QLabel *m_label1;
    QLabel *m_label2;
    bool m_isAnimating = false;
    quint64 m_task = 0;
    quint64 m_pass = 0;
    double m_duration = 0.0;
    double m_offset = 0.0;
};

} // namespace tarnik
