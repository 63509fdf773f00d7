#pragma once

#include <QColor>
#include <QImage>
#include <QSlider>
#include <optional>

namespace tarnik {

// The toolkit's slider: a horizontal value from 0 to 1 on a thin track in two
// tints (left of the thumb, right of it), a thumb picture, and a picture at
// each end of the track (the minimum and maximum value images). Without a
// thumb picture the toolkit's round white thumb shows; an empty picture
// shows no thumb at all (bars that only show progress).
//
// A press anywhere on the track picks the thumb up there, as desktop
// sliders do, and the drag follows the pointer. Editing begins, changes and
// ends through QSlider's sliderPressed, sliderMoved and sliderReleased;
// valueChanged follows every change, the program's included. Keyboard and
// accessibility are QSlider's; like the toolkit's slider it takes no
// keyboard focus. GUI thread only.
class Slider : public QSlider
{
    Q_OBJECT
public:
    static constexpr int kSteps = 10000;

    explicit Slider(QWidget *parent = nullptr);

    double fraction() const { return double(value() - minimum()) / std::max(1, maximum() - minimum()); }
    // Values outside 0 to 1 are clamped; one that is not a number reads 0.
    void setFraction(double fraction);
    // Where the thumb stands while the user drags it (the value follows on release).
    double positionFraction() const
    {
        return double(sliderPosition() - minimum()) / std::max(1, maximum() - minimum());
    }

    // The thumb picture for the normal state: none for the toolkit's thumb,
    // an empty picture for no thumb.
    std::optional<QImage> thumbImage() const { return m_thumb; }
    void setThumbImage(const std::optional<QImage> &image);
    // Set when the thumb picture was made resizable with these cap insets; a
    // new picture drops it.
    std::optional<double> thumbCapInset() const { return m_thumbCapInset; }
    void setThumbCapInset(std::optional<double> inset);

    QColor minimumTrackTintColor() const { return m_minimumTrackTint; }
    void setMinimumTrackTintColor(const QColor &color);
    QColor maximumTrackTintColor() const { return m_maximumTrackTint; }
    void setMaximumTrackTintColor(const QColor &color);
    QImage minimumValueImage() const { return m_minimumValueImage; }
    void setMinimumValueImage(const QImage &image);
    QImage maximumValueImage() const { return m_maximumValueImage; }
    void setMaximumValueImage(const QImage &image);
    double trackHeight() const { return m_trackHeight; }
    void setTrackHeight(double height);

    // Where the track and the thumb are drawn now, in the slider's coordinates.
    QRectF trackRect() const;
    QRectF thumbRect() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QSizeF thumbSize() const;
    double thumbCentre(double fraction) const;
    int valueAt(double x) const;

    std::optional<QImage> m_thumb;
    std::optional<double> m_thumbCapInset;
    QColor m_minimumTrackTint = QColor(0x00, 0x7a, 0xff);
    QColor m_maximumTrackTint = QColor(0xb7, 0xb7, 0xb7);
    QImage m_minimumValueImage;
    QImage m_maximumValueImage;
    double m_trackHeight = 2.0;
};

} // namespace tarnik
