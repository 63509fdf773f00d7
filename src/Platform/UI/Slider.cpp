#include "Platform/UI/Slider.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace tarnik {

namespace {

// The toolkit's own thumb: a white disc with a hairline and a soft shadow.
constexpr double kDefaultThumb = 22.0;
// Room between a value image and the track.
constexpr double kImageGap = 8.0;

} // namespace

Slider::Slider(QWidget *parent)
    : QSlider(Qt::Horizontal, parent)
{
    setRange(0, kSteps);
    setPageStep(kSteps / 20);
    setSingleStep(kSteps / 100);
    setFocusPolicy(Qt::NoFocus);
}

void Slider::setFraction(double fraction)
{
    if (!std::isfinite(fraction))
        fraction = 0.0;
    setValue(minimum() + int(std::lround(std::clamp(fraction, 0.0, 1.0) * (maximum() - minimum()))));
}

void Slider::setThumbImage(const std::optional<QImage> &image)
{
    m_thumb = image;
    m_thumbCapInset.reset();
    update();
}

void Slider::setThumbCapInset(std::optional<double> inset)
{
    m_thumbCapInset = inset;
    update();
}

void Slider::setMinimumTrackTintColor(const QColor &color)
{
    m_minimumTrackTint = color;
    update();
}

void Slider::setMaximumTrackTintColor(const QColor &color)
{
    m_maximumTrackTint = color;
    update();
}

void Slider::setMinimumValueImage(const QImage &image)
{
    m_minimumValueImage = image;
    update();
}

void Slider::setMaximumValueImage(const QImage &image)
{
    m_maximumValueImage = image;
    update();
}

void Slider::setTrackHeight(double height)
{
    m_trackHeight = std::max(0.0, height);
    update();
}

QSizeF Slider::thumbSize() const
{
    if (!m_thumb)
        return { kDefaultThumb, kDefaultThumb };
    return m_thumb->isNull() ? QSizeF(0, 0) : m_thumb->deviceIndependentSize();
}

QRectF Slider::trackRect() const
{
    double left = 0.0;
    double right = width();
    if (!m_minimumValueImage.isNull())
        left += m_minimumValueImage.deviceIndependentSize().width() + kImageGap;
    if (!m_maximumValueImage.isNull())
        right -= m_maximumValueImage.deviceIndependentSize().width() + kImageGap;
    return QRectF(left, (height() - m_trackHeight) / 2.0, std::max(0.0, right - left), m_trackHeight);
}

double Slider::thumbCentre(double fraction) const
{
    const QRectF track = trackRect();
    const double inset = std::min(thumbSize().width() / 2.0, track.width() / 2.0);
    return track.left() + inset + std::max(0.0, track.width() - 2 * inset) * fraction;
}

QRectF Slider::thumbRect() const
{
    const QSizeF size = thumbSize();
    const double x = thumbCentre(positionFraction());
    return QRectF(x - size.width() / 2.0, (height() - size.height()) / 2.0, size.width(), size.height());
}

int Slider::valueAt(double x) const
{
    const QRectF track = trackRect();
    const double inset = std::min(thumbSize().width() / 2.0, track.width() / 2.0);
    const double span = std::max(1.0, track.width() - 2 * inset);
    const double fraction = std::clamp((x - track.left() - inset) / span, 0.0, 1.0);
    return minimum() + int(std::lround(fraction * (maximum() - minimum())));
}

void Slider::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    setSliderDown(true);
    setSliderPosition(valueAt(event->position().x()));
    event->accept();
}

void Slider::mouseMoveEvent(QMouseEvent *event)
{
    if (!isSliderDown()) {
        event->ignore();
        return;
    }
    setSliderPosition(valueAt(event->position().x()));
    event->accept();
}

void Slider::mouseReleaseEvent(QMouseEvent *event)
{
    if (!isSliderDown() || event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    setSliderPosition(valueAt(event->position().x()));
    setSliderDown(false);
    event->accept();
}

void Slider::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const auto drawCentred = [&](const QImage &image, double x) {
        const QSizeF s = image.deviceIndependentSize();
        p.drawImage(QRectF(x, (height() - s.height()) / 2.0, s.width(), s.height()), image);
    };
    if (!m_minimumValueImage.isNull())
        drawCentred(m_minimumValueImage, 0.0);
    if (!m_maximumValueImage.isNull())
        drawCentred(m_maximumValueImage, width() - m_maximumValueImage.deviceIndependentSize().width());

    const QRectF track = trackRect();
    const double x = thumbCentre(positionFraction());
    const double r = m_trackHeight / 2.0;
    p.setPen(Qt::NoPen);
    p.setBrush(m_maximumTrackTint);
    p.drawRoundedRect(track, r, r);
    p.setBrush(m_minimumTrackTint);
    p.drawRoundedRect(QRectF(track.left(), track.top(), std::max(0.0, x - track.left()), track.height()), r, r);

    const QRectF thumb = thumbRect();
    if (thumb.isEmpty())
        return;
    if (m_thumb) {
        p.drawImage(thumb, *m_thumb);
        return;
    }
    p.setBrush(QColor(0, 0, 0, 30));
    p.drawEllipse(thumb.translated(0, 1.5));
    p.setBrush(Qt::white);
    p.setPen(QPen(QColor(0, 0, 0, 40), 0.5));
    p.drawEllipse(thumb.adjusted(0.5, 0.5, -0.5, -0.5));
}

} // namespace tarnik
