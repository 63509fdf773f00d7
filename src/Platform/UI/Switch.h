#pragma once

#include <QCheckBox>

namespace tarnik {

// The toolkit's on/off switch: a checkable control drawn as a rounded track
// with a sliding knob. It is a check box underneath, so assistive
// technologies see a checkable control with its state and name. GUI thread.
class Switch : public QCheckBox
{
    Q_OBJECT
public:
    explicit Switch(QWidget *parent = nullptr);

    QSize sizeHint() const override { return { 51, 31 }; }
    QSize minimumSizeHint() const override { return sizeHint(); }
    bool isOn() const { return isChecked(); }
    void setOn(bool on) { setChecked(on); }

protected:
    void paintEvent(QPaintEvent *event) override;
    bool hitButton(const QPoint &pos) const override { return rect().contains(pos); }
};

} // namespace tarnik
