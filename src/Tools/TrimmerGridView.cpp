#include "Tools/TrimmerGridView.h"

#include "App/Extensions.h"
#include "Platform/UI/DeviceProfile.h"
#include "Platform/UI/FatalError.h"

#include <QPainter>

namespace tarnik {

namespace {

QList<double> linePositions(int count, double length, double padding, double lineWidth)
{
    if (count < 0)
        fatalError(QStringLiteral("A grid line count must not be negative."));
    QList<double> positions;
    // One line has no spacing: it stands at the first position.
    const double spacing = count > 1 ? (length - 2 * padding - lineWidth) / (count - 1) : 0;
    for (int i = 0; i < count; ++i)
        positions.append(padding + lineWidth / 2 + i * spacing);
    return positions;
}

} // namespace

TrimmerGridView::TrimmerGridView(QWidget *parent)
    : QWidget(parent)
    , m_colorHorizontal(colorWithHex(u"c2c2c2"))
    , m_colorVertical(colorWithHex(u"d7d7d7"))
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TrimmerGridView::setHorizontalLineCount(int count)
{
    m_horizontalLineCount = count;
    update();
}

void TrimmerGridView::setVerticalLineCount(int count)
{
    m_verticalLineCount = count;
    update();
}

void TrimmerGridView::setVerticalPadding(double padding)
{
    m_verticalPadding = padding;
    update();
}

void TrimmerGridView::setHorizontalPadding(double padding)
{
    m_horizontalPadding = padding;
    update();
}

void TrimmerGridView::setHorizontalLineWidth(double width)
{
    m_horizontalLineWidth = width;
    update();
}

void TrimmerGridView::setVerticalLineWidth(double width)
{
    m_verticalLineWidth = width;
    update();
}

void TrimmerGridView::setColorHorizontal(const QColor &color)
{
    m_colorHorizontal = color;
    update();
}

void TrimmerGridView::setColorVertical(const QColor &color)
{
    m_colorVertical = color;
    update();
}

QList<double> TrimmerGridView::horizontalLinePositions(double height) const
{
    return linePositions(m_horizontalLineCount, height, m_verticalPadding, m_horizontalLineWidth);
}

QList<double> TrimmerGridView::verticalLinePositions(double width, bool portrait) const
{
    const int count = portrait ? m_verticalLineCount / 2 : m_verticalLineCount;
    return linePositions(count, width, m_horizontalPadding, m_verticalLineWidth);
}

void TrimmerGridView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const double w = width();
    const double h = height();
    painter.setPen(QPen(m_colorHorizontal, 1));
    for (double y : horizontalLinePositions(h))
        painter.drawLine(QPointF(0, y), QPointF(w, y));
    painter.setPen(QPen(m_colorVertical, 1));
    for (double x : verticalLinePositions(w, DeviceProfile::isPortrait()))
        painter.drawLine(QPointF(x, 0), QPointF(x, h));
}

} // namespace tarnik
