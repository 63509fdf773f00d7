#pragma once

#include <QColor>
#include <QImage>
#include <QSlider>

namespace tarnik {

// A horizontal slider with a value from 0 to 1, a thin track in two tints and
// a thumb picture (none for the bars that only show progress). Keyboard and
// accessibility are QSlider's. GUI thread.
class PlayerSlider : public QSlider
{
    Q_OBJECT
public:
    static constexpr int kSteps = 10000;

    explicit PlayerSlider(QWidget *parent = nullptr);

    double fraction() const { return double(value()) / kSteps; }
    // Values outside 0 to 1 are clamped; one that is not a number reads 0.
    void setFraction(double fraction);

    QImage thumbImage() const { return m_thumb; }
    // A null image hides the thumb.
    void setThumbImage(const QImage &image);
    QColor minimumTrackTintColor = QColor(0x53, 0x53, 0x53);
    QColor maximumTrackTintColor = QColor(0xe2, 0xe2, 0xe2);
    int trackHeight = 3;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    int valueAt(double x) const;

    QImage m_thumb;
};

} // namespace tarnik
