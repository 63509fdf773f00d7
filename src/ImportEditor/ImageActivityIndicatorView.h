#pragma once

#include <QWidget>

namespace tarnik {

// The result cell's busy indicator: a small spinning ring that is visible
// exactly while it animates. Its motion runs on the AnimationDriver.
class ImageActivityIndicatorView : public QWidget
{
    Q_OBJECT
public:
    explicit ImageActivityIndicatorView(QWidget *parent = nullptr);
    ~ImageActivityIndicatorView() override;

    void startAnimating();
    void stopAnimating();
    bool isAnimating() const { return m_animating; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_animating = false;
    double m_angle = 0.0;
};

} // namespace tarnik
