#include "Platform/UI/VisualEffectView.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace tarnik {

namespace {

// Set while a backdrop is rendered, so a frosted view met during the
// rendering (this one, or another above or below) paints nothing of its own
// instead of recursing.
int g_capturing = 0;

// How far the blur reaches, in the view's points: three box passes of
// radius 3 on a quarter-size picture.
constexpr int kScale = 4;
constexpr int kBlurRadius = 3;
constexpr int kReach = 3 * kBlurRadius * kScale;

// Renders the part of the window behind `view` (the widgets painted before
// it) that lies under `area` (in the view's coordinates, as are the painter's).
// Only that part is painted, so a small change costs a small render.
void renderBehind(const QWidget *view, QPainter &painter, const QRect &area)
{
    QList<const QWidget *> chain;
    for (const QWidget *w = view; w; w = w->isWindow() ? nullptr : w->parentWidget())
        chain.prepend(w);
    ++g_capturing;
    for (int level = 0; level + 1 < chain.size(); ++level) {
        auto *ancestor = const_cast<QWidget *>(chain.at(level));
        const QWidget *next = chain.at(level + 1);
        const QPoint origin = ancestor->mapTo(view->window(), QPoint(0, 0)) - view->mapTo(view->window(), QPoint(0, 0));
        // The ancestor's own painting, without its children; only the window
        // fills its background whether or not it asks to. A region's top-left
        // lands on the offset given.
        const QRect own = area.translated(-origin) & ancestor->rect();
        if (!own.isEmpty()) {
            ancestor->render(&painter, origin + own.topLeft(), QRegion(own),
                ancestor->isWindow() ? QWidget::RenderFlags(QWidget::DrawWindowBackground) : QWidget::RenderFlags());
        }
        // Its children stacked below the one that leads to the view.
        for (QObject *object : ancestor->children()) {
            auto *child = qobject_cast<QWidget *>(object);
            if (!child)
                continue;
            if (child == next)
                break;
            if (child->isHidden() || child->isWindow())
                continue;
            const QPoint at = origin + child->pos();
            const QRect part = area.translated(-at) & child->rect();
            if (part.isEmpty())
                continue;
            child->render(&painter, at + part.topLeft(), QRegion(part), QWidget::DrawChildren);
        }
    }
    --g_capturing;
}

} // namespace

VisualEffectView::VisualEffectView(BlurStyle style, QWidget *parent)
    : QWidget(parent)
    , m_style(style)
{
    m_contentView = new QWidget(this);
    m_contentView->setObjectName(QStringLiteral("VisualEffectContentView"));
}

void VisualEffectView::setBlurStyle(BlurStyle style)
{
    m_style = style;
    update();
}

void VisualEffectView::setCornerRadius(double radius)
{
    m_cornerRadius = std::max(0.0, radius);
    update();
}

void VisualEffectView::resizeEvent(QResizeEvent *)
{
    m_contentView->setGeometry(rect());
}

QImage VisualEffectView::backdrop() const
{
    if (width() <= 0 || height() <= 0)
        return {};
    QImage image(size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderBehind(this, painter, rect());
    return image;
}

QColor VisualEffectView::tintColor(BlurStyle style)
{
    switch (style) {
    case BlurStyle::extraLight:
        return QColor(255, 255, 255, 204);
    case BlurStyle::light:
        return QColor(248, 248, 248, 153);
    case BlurStyle::dark:
        return QColor(28, 28, 28, 184);
    }
    return Qt::transparent;
}

QImage VisualEffectView::blurred(const QImage &source, int radius)
{
    if (radius <= 0 || source.isNull())
        return source;
    QImage img = source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QImage tmp(img.size(), img.format());
    const int w = img.width();
    const int h = img.height();
    for (int pass = 0; pass < 3; ++pass) {
        for (int dir = 0; dir < 2; ++dir) {
            const int lines = dir == 0 ? h : w;
            const int len = dir == 0 ? w : h;
            const int div = 2 * radius + 1;
            for (int line = 0; line < lines; ++line) {
                const auto px = [&](int i) -> QRgb {
                    i = std::clamp(i, 0, len - 1);
                    return dir == 0 ? reinterpret_cast<const QRgb *>(img.constScanLine(line))[i]
                                    : reinterpret_cast<const QRgb *>(img.constScanLine(i))[line];
                };
                int a = 0, r = 0, g = 0, b = 0;
                for (int i = -radius; i <= radius; ++i) {
                    const QRgb p = px(i);
                    a += qAlpha(p), r += qRed(p), g += qGreen(p), b += qBlue(p);
                }
                for (int i = 0; i < len; ++i) {
                    const QRgb out = qRgba(r / div, g / div, b / div, a / div);
                    if (dir == 0)
                        reinterpret_cast<QRgb *>(tmp.scanLine(line))[i] = out;
                    else
                        reinterpret_cast<QRgb *>(tmp.scanLine(i))[line] = out;
                    const QRgb add = px(i + radius + 1);
                    const QRgb sub = px(i - radius);
                    a += qAlpha(add) - qAlpha(sub);
                    r += qRed(add) - qRed(sub);
                    g += qGreen(add) - qGreen(sub);
                    b += qBlue(add) - qBlue(sub);
                }
            }
            std::swap(img, tmp);
        }
    }
    return img;
}

void VisualEffectView::paintEvent(QPaintEvent *event)
{
    if (g_capturing > 0 || width() <= 0 || height() <= 0)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (m_cornerRadius > 0.0) {
        QPainterPath clip;
        clip.addRoundedRect(QRectF(rect()), m_cornerRadius, m_cornerRadius);
        painter.setClipPath(clip);
    }
    // Rendering and blurring a quarter-size picture is as soft and sixteen
    // times cheaper. Only the part asked for is made again, with room for the
    // blur's reach around it, on the same grid of quarter-size pixels as the
    // whole view, so a part comes out exactly as it would in the whole: a
    // line of sliding text above the surface costs a strip, not the window.
    const QRect asked = event->region().boundingRect() & rect();
    if (asked.isEmpty())
        return;
    const auto down = [](int v) { return v >= 0 ? v / kScale * kScale : -((-v + kScale - 1) / kScale) * kScale; };
    const QRect limits(0, 0, (width() + kScale - 1) / kScale * kScale, (height() + kScale - 1) / kScale * kScale);
    const int left = std::max(0, down(asked.left() - kReach));
    const int top = std::max(0, down(asked.top() - kReach));
    const int right = std::min(limits.right() + 1, down(asked.right() + 1 + kReach + kScale - 1));
    const int bottom = std::min(limits.bottom() + 1, down(asked.bottom() + 1 + kReach + kScale - 1));
    const QRect area(left, top, right - left, bottom - top);
    QImage behind(area.size() / kScale, QImage::Format_ARGB32_Premultiplied);
    behind.fill(Qt::transparent);
    {
        QPainter scaled(&behind);
        scaled.scale(1.0 / kScale, 1.0 / kScale);
        scaled.translate(-area.topLeft());
        renderBehind(this, scaled, area);
    }
    // Beyond the view's edges the blur repeats the edge, as it does for the whole view.
    const QImage soft = blurred(behind, kBlurRadius);
    painter.drawImage(area, soft);
    painter.fillRect(rect(), tintColor(m_style));
}

} // namespace tarnik
