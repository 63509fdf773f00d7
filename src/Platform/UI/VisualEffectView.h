#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

namespace tarnik {

// The platform's frosted surface: it paints, blurred and tinted, whatever
// the window shows behind it (the widgets stacked below it, never those
// above), and holds content in contentView() on top. The blur is our own:
// the covered part is rendered into a downscaled picture, box-blurred three
// times and tinted per style. Because the widget is not opaque, Qt repaints
// it whenever something behind it changes, so the picture follows the
// content that moves behind. A corner radius rounds and clips it. GUI thread
// only.
class VisualEffectView : public QWidget
{
    Q_OBJECT
public:
    enum class BlurStyle { extraLight, light, dark };

    explicit VisualEffectView(BlurStyle style = BlurStyle::light, QWidget *parent = nullptr);

    BlurStyle blurStyle() const { return m_style; }
    void setBlurStyle(BlurStyle style);
    double cornerRadius() const { return m_cornerRadius; }
    void setCornerRadius(double radius);
    QWidget *contentView() const { return m_contentView; }

    // The window's content behind this view, in this view's coordinates,
    // unblurred (for tests and for callers that blur on their own).
    QImage backdrop() const;

    // Blurs an image with three box passes of the given radius.
    static QImage blurred(const QImage &image, int radius);
    // The tint laid over the blurred backdrop for a style.
    static QColor tintColor(BlurStyle style);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    BlurStyle m_style;
    double m_cornerRadius = 0.0;
    QWidget *m_contentView = nullptr;
};

} // namespace tarnik
