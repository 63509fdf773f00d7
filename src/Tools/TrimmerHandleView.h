#pragma once

#include <QColor>
#include <QWidget>

namespace tarnik {

// A start or end marker of the trimmer: a bar with a grip, drawn in its tint.
// It moves by translation only: its frame stays where the layout put it and
// the translation shifts it sideways. GUI thread only.
class TrimmerHandleView : public QWidget
{
    Q_OBJECT

public:
    explicit TrimmerHandleView(QWidget *parent = nullptr);

    QColor tintColor() const { return m_tint; }
    void setTintColor(const QColor &color);
    int tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }

    QRect restFrame() const { return m_restFrame; }
    void setRestFrame(const QRect &frame);
    double translation() const { return m_translation; }
    void setTranslation(double dx);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void place();

    QColor m_tint;
    int m_tag = -1;
    QRect m_restFrame;
    double m_translation = 0;
};

} // namespace tarnik
