#pragma once

#include "Platform/UI/AnimationDriver.h"

#include <QList>
#include <QSizeF>
#include <QWidget>

namespace tarnik {

// The small equaliser a browser row shows over its picture while its entry plays: white bars
// standing on the bottom edge that rise and sink endlessly, each at its own random pace, sink back
// to rest on a pause and fade out when another entry plays.
//
// The bars are the view's children, left to right, 3 points high at rest; scaling a bar grows it
// upwards from the bottom edge. Every animation runs on the AnimationDriver. GUI thread only.
class Visualizer : public QWidget
{
    Q_OBJECT
public:
    static constexpr double kMinHeight = 3.0;

    explicit Visualizer(int numBars = 10, QSizeF barSize = QSizeF(2, 20), double gap = 2, QWidget *parent = nullptr);
    ~Visualizer() override;

    double barWidth() const { return m_barWidth; }
    double gap() const { return m_gap; }
    int numBars() const { return m_numBars; }
    double maxHeight() const { return m_maxHeight; }
    double minHeight() const { return kMinHeight; }
    bool isAnimating() const { return m_isAnimating; }

    QList<QWidget *> bars() const { return m_bars; }
    // A bar's vertical scale now (1 at rest).
    double barScale(int index) const;
    // The highest scale a bar reaches while playing: lower at both ends.
    double peakScale(int index) const;

    // Shows the view and starts every bar from rest.
    void start();
    // Brings the bars back to rest; with hide, also fades the view out and hides it (its alpha
    // then returns to 1).
    void stop(bool hide = false);

private:
    void setBarScale(int index, double scale);
    void stopBarAnimations();
    static double randomDuration();

    double m_barWidth;
    double m_gap;
    int m_numBars;
    double m_maxHeight;
    bool m_isAnimating = false;
    QList<QWidget *> m_bars;
    QList<double> m_scales;
    QList<AnimationDriver::Id> m_running;
    AnimationDriver::Id m_fade = 0;
};

} // namespace tarnik
