#include "Platform/UI/VisualEffectView.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace tarnik {

namespace {

// Set while a backdrop is rendered, so a frosted view met during the
// rendering (this one, or another above or below) paints nothing of its own
// instead of recursing.
int g_capturing = 0;

// Renders the part of the window behind `view` (the widgets painted before
// it) into `image`, which covers `view`'s rectangle.
void renderBehind(const QWidget *view, QImage &image)
{
    QList<const QWidget *> chain;
    for (const QWidget *w = view; w; w = w->isWindow() ? nullptr : w->parentWidget())
        chain.prepend(w);
    QPainter painter(&image);
    ++g_capturing;
    for (int level = 0; level + 1 < chain.size(); ++level) {
        auto *ancestor = const_cast<QWidget *>(chain.at(level));
        const QWidget *next = chain.at(level + 1);
        const QPoint origin = ancestor->mapTo(view->window(), QPoint(0, 0)) - view->mapTo(view->window(), QPoint(0, 0));
        // The ancestor's own painting, without its children; only the window
        // fills its background whether or not it asks to.
        ancestor->render(&painter, origin, QRegion(),
            ancestor->isWindow() ? QWidget::RenderFlags(QWidget::DrawWindowBackground) : QWidget::RenderFlags());
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
            if (!QRect(at, child->size()).intersects(image.rect()))
                continue;
            child->render(&painter, at, QRegion(), QWidget::DrawChildren);
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
    renderBehind(this, image);
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

void VisualEffectView::paintEvent(QPaintEvent *)
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
    // Blurring a quarter-size picture is as soft and sixteen times cheaper.
    const QImage behind = backdrop();
    const QSize small((width() + 3) / 4, (height() + 3) / 4);
    const QImage soft = blurred(behind.scaled(small, Qt::IgnoreAspectRatio, Qt::SmoothTransformation), 3);
    painter.drawImage(QRect(rect()), soft);
    painter.fillRect(rect(), tintColor(m_style));
}

} // namespace tarnik
