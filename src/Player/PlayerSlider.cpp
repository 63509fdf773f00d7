#include "Player/PlayerSlider.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace tarnik {

PlayerSlider::PlayerSlider(QWidget *parent)
    : QSlider(Qt::Horizontal, parent)
{
    setRange(0, kSteps);
    setPageStep(kSteps / 20);
    setSingleStep(kSteps / 100);
    setFocusPolicy(Qt::NoFocus);
}

void PlayerSlider::setFraction(double fraction)
{
    if (!std::isfinite(fraction))
        fraction = 0.0;
    setValue(int(std::lround(std::clamp(fraction, 0.0, 1.0) * kSteps)));
}

void PlayerSlider::setThumbImage(const QImage &image)
{
    m_thumb = image;
    update();
}

int PlayerSlider::valueAt(double x) const
{
    const double inset = m_thumb.isNull() ? 0.0 : m_thumb.width() / 2.0;
    const double span = std::max(1.0, width() - 2 * inset);
    return int(std::lround(std::clamp((x - inset) / span, 0.0, 1.0) * kSteps));
}

void PlayerSlider::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    // A press anywhere on the track picks the thumb up there.
    setSliderDown(true);
    setSliderPosition(valueAt(event->position().x()));
    event->accept();
}

void PlayerSlider::mouseMoveEvent(QMouseEvent *event)
{
    if (!isSliderDown()) {
        event->ignore();
        return;
    }
    setSliderPosition(valueAt(event->position().x()));
    event->accept();
}

void PlayerSlider::mouseReleaseEvent(QMouseEvent *event)
{
    if (!isSliderDown() || event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    setSliderPosition(valueAt(event->position().x()));
    setSliderDown(false);
    event->accept();
}

void PlayerSlider::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const double inset = m_thumb.isNull() ? 0.0 : m_thumb.width() / 2.0;
    const double span = std::max(0.0, width() - 2 * inset);
    const double y = (height() - trackHeight) / 2.0;
    const double x = inset + span * fraction();
    const double r = trackHeight / 2.0;
    p.setPen(Qt::NoPen);
    p.setBrush(maximumTrackTintColor);
    p.drawRoundedRect(QRectF(inset, y, span, trackHeight), r, r);
    p.setBrush(minimumTrackTintColor);
    p.drawRoundedRect(QRectF(inset, y, x - inset, trackHeight), r, r);
    if (!m_thumb.isNull()) {
        const QSizeF s = m_thumb.deviceIndependentSize();
        p.drawImage(QRectF(x - s.width() / 2, (height() - s.height()) / 2, s.width(), s.height()), m_thumb);
    }
}

} // namespace tarnik
