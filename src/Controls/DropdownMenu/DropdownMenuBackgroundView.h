#pragma once

#include <QWidget>

namespace tarnik {

// The gradient background of a dropdown menu: opaque at the top fading to
// 70 % at the bottom, in white or black. Each assignment of isWhite redraws
// it for the current size. GUI thread only.
class DropdownMenuBackgroundView : public QWidget
{
    Q_OBJECT
public:
    explicit DropdownMenuBackgroundView(const QRect &frame = QRect(), QWidget *parent = nullptr);

    bool isWhite() const { return m_isWhite; }
    void setIsWhite(bool white);
    void updateGradient();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_isWhite = false;
    bool m_hasGradient = false;
};

} // namespace tarnik
