#include "Controls/CircularSlider/DotView.h"

#include "Controls/CircularSlider/Geometry.h"
#include "Controls/CircularSlider/SliderConstants.h"

#include <QPainter>
#include <climits>
#include <cmath>

namespace tarnik {

namespace {
// A count from a double, with NaN, infinities and out-of-range values held to
// what an int can carry (a NaN count is no count).
int toCount(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= double(INT_MAX))
        return INT_MAX;
    if (value <= double(INT_MIN))
        return INT_MIN;
    return int(value);
}
} // namespace

DotView::DotView(DotType type, bool isClockwise, double startAngle, double endAngle, QWidget *parent)
    : QWidget(parent)
    , m_type(type)
    , m_isClockwise(isClockwise)
    , m_startAngle(startAngle)
    , m_endAngle(endAngle)
    , m_offColor(SliderConstants::dotGrayColor())
    , m_onColor(SliderConstants::dotBlueColor())
    , m_maxColor(SliderConstants::dotRedColor())
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    createDots();
}

void DotView::setIsClockwise(bool clockwise)
{
    m_isClockwise = clockwise;
    resetDots();
}

void DotView::setOuterCircleRadius(std::optional<double> radius)
{
    m_outerCircleRadius = radius;
    resetDots();
}

int DotView::maxDotCount()
{
    if (!m_maxDotCount) {
        const int n = maxiDotCount();
        m_maxDotCount = int(float(n) / 5.0f) + (n % 5 != 0 ? 1 : 0);
    }
    return *m_maxDotCount;
}

double DotView::dotInset()
{
    if (!m_dotInset)
        m_dotInset = m_type == DotType::maxi ? 15.0 : 10.0;
    return *m_dotInset;
}

int DotView::maxiDotCount()
{
    if (!m_maxiDotCount)
        m_maxiDotCount = toCount(angleSpan() / 0.41887902047863906);
    return *m_maxiDotCount;
}

double DotView::dotRadiusMultiplier()
{
    if (!m_dotRadiusMultiplier)
        m_dotRadiusMultiplier = m_type == DotType::maxi ? 0.09 : 0.22;
    return *m_dotRadiusMultiplier;
}

void DotView::setOffColor(const QColor &color)
{
    m_offColor = color;
    resetDots();
}

void DotView::setOnColor(const QColor &color)
{
    m_onColor = color;
    resetDots();
}

void DotView::setMaxColor(const QColor &color)
{
    m_maxColor = color;
    resetDots();
}

void DotView::setHighlightColor(std::optional<QColor> color)
{
    m_highlightColor = color;
    resetDots();
}

void DotView::setRingGeometry(const QPointF &origin, double width)
{
    m_origin = origin;
    m_width = width;
    m_needsLayout = true;
    QWidget::update();
}

double DotView::angleSpan()
{
    return toRadian(angleDifferenceInDegree(toDegree(m_startAngle), toDegree(m_endAngle), m_isClockwise));
}

int DotView::dotCount()
{
    const int maxi = maxiDotCount();
    if (m_type == DotType::maxi)
        return maxi;
    const long long count = (long long)(maxi - 1) * m_dotCountPerSegment + 1;
    return int(std::clamp(count, (long long)INT_MIN, (long long)INT_MAX));
}

double DotView::angleStep()
{
    // A ring of one dot (or none) has no spacing; dividing by zero would place
    // its dot nowhere.
    const int count = dotCount();
    if (count < 2)
        return 0;
    return angleSpan() / (count - 1);
}

double DotView::dotRadius()
{
    return std::sin(angleStep()) * m_width * 0.5 * 0.5 * dotRadiusMultiplier();
}

void DotView::createDots()
{
    const int count = dotCount();
    if (count <= 0)
        return;
    const double shadowMultiplier = m_type == DotType::mini ? 0.18 : 0.1;
    m_dots.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        DotLayer dot(m_offColor, DotLayer::defaultShadowColor(), shadowMultiplier);
        dot.setHighlightColor(m_highlightColor);
        m_dots.push_back(dot);
    }
}

void DotView::resetDots()
{
    m_dots.clear();
    createDots();
    m_needsLayout = true;
    QWidget::update();
}

void DotView::update(float value)
{
    if (m_type != DotType::maxi)
        return;
    const int n = dotCount();
    const float position = float(n - 1) * value;
    const int j = std::isfinite(position) ? toCount(double(position)) : 0;
    if (j == m_currentIndex)
        return;
    m_currentIndex = j;
    m_value = value;
    if (m_dots.empty())
        return;

    float h = 0, s = 0, b = 0;
    m_onColor.toHsv().getHsvF(&h, &s, &b);
    if (h < 0) // achromatic
        h = 0;
    const int m = maxDotCount();
    int k = 0;
    for (size_t index = 0; index < m_dots.size(); ++index) {
        const long long i = (long long)index;
        DotLayer &dot = m_dots[index];
        if (i > j) {
            dot.setColor(m_offColor);
        } else if (i < (long long)n - m) {
            dot.setColor(m_onColor);
        } else {
            // A red zone of one dot has no steps: it keeps the on colour's hue.
            double hue = h;
            if (m > 1)
                hue = h <= 0.5 ? h - k * (h / (m - 1)) : h + k * ((1 - h) / (m - 1));
            hue = std::clamp(hue, 0.0, 1.0);
            if (hue >= 1.0) // hue 1 is red again, as hue 0
                hue = 0.0;
            dot.setColor(QColor::fromHsvF(float(hue), s, b, 1.0f));
            ++k;
        }
    }
    QWidget::update();
}

void DotView::layoutSubviews()
{
    m_needsLayout = false;
    if (!m_dots.empty()) {
        const double r = dotRadius();
        const double radius
            = m_outerCircleRadius ? *m_outerCircleRadius + r + dotInset() : m_width / 2 - r - dotInset();
        const double step = angleStep();
        const double direction = m_isClockwise ? 1.0 : -1.0;
        const int perSegment = std::max(1, m_dotCountPerSegment);
        for (size_t index = 0; index < m_dots.size(); ++index) {
            DotLayer &dot = m_dots[index];
            if (m_type == DotType::mini && index % size_t(perSegment) == 0)
                continue;
            const double theta = m_startAngle + double(index) * step * direction;
            const QRectF frame(radius * std::cos(theta) - r, radius * std::sin(theta) - r, 2 * r, 2 * r);
            dot.setFrame(std::isfinite(frame.x() + frame.y() + frame.width()) ? frame : QRectF());
        }
    }
    m_currentIndex = -1;
    update(m_value);
    QWidget::update();
}

void DotView::layoutIfNeeded()
{
    if (m_needsLayout)
        layoutSubviews();
}

void DotView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_needsLayout = true;
}

void DotView::paintEvent(QPaintEvent *)
{
    layoutIfNeeded();
    QPainter painter(this);
    painter.translate(m_origin);
    for (const DotLayer &dot : m_dots)
        dot.paint(painter);
}

} // namespace tarnik
