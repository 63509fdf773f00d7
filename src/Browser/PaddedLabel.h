#pragma once

#include <QLabel>

namespace tarnik {

// A label with inner margins: the browser rows' file-extension badge. Its text is drawn inside
// the rectangle reduced by the insets, and it asks for at least 22 points of text width plus the
// insets, so a one-letter badge is still a comfortable pill. GUI thread only.
class PaddedLabel : public QLabel
{
    Q_OBJECT
public:
    static constexpr double kMinimumTextWidth = 22.0;

    PaddedLabel(double top, double bottom, double left, double right, QWidget *parent = nullptr);
    explicit PaddedLabel(QWidget *parent = nullptr)
        : PaddedLabel(0, 0, 0, 0, parent)
    {
    }

    double topInset = 0;
    double bottomInset = 0;
    double leftInset = 0;
    double rightInset = 0;

    // The rectangle the text is drawn in, for a given bounds rectangle.
    QRectF textRect(const QRectF &rect) const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace tarnik
