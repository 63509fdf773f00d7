#pragma once

#include <QColor>
#include <QWidget>

namespace tarnik {

// A bar outside the trimmed range, left of the start or right of the end,
// with its outer corners rounded. GUI thread only.
class TrimmerTrackView : public QWidget
{
    Q_OBJECT

public:
    explicit TrimmerTrackView(bool roundsLeftCorners, QWidget *parent = nullptr);

    QColor backgroundColor() const { return m_color; }
    void setBackgroundColor(const QColor &color);
    int tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }
    // Fractional frames are kept to whole pixels.
    void setFrame(const QRectF &frame);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_color;
    int m_tag = -1;
    bool m_roundsLeftCorners;
};

} // namespace tarnik
