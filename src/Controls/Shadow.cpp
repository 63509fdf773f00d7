#include "Controls/Shadow.h"

#include "Platform/UI/VisualEffectView.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace tarnik {

const Shadow &Shadow::defaultShadow()
{
    static const Shadow shadow(QSizeF(2, 2), 8, [] {
        QColor c(Qt::darkGray);
        c.setAlphaF(0.2f);
        return c;
    }());
    return shadow;
}

ResizableImage resizableShadowImage(double s, double r, const Shadow &shadow, bool f)
{
    const double b = shadow.blur;
    const double imageSide = s + 2.0 * b;
    const int side = int(std::ceil(imageSide));
    if (!(imageSide >= 1.0) || side > 4096)
        return {};
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainterPath rounded;
    rounded.addRoundedRect(QRectF(b, b, s, s), r, r);
    {
        // The shape's shadow: the shape filled in the shadow colour, moved by
        // the offset and blurred, then everything inside the shape cut away.
        QImage shape(image.size(), QImage::Format_ARGB32_Premultiplied);
        shape.fill(Qt::transparent);
        QPainter sp(&shape);
        sp.setRenderHint(QPainter::Antialiasing);
        sp.setPen(Qt::NoPen);
        sp.setBrush(shadow.color);
        sp.translate(shadow.offset.width(), shadow.offset.height());
        sp.drawPath(rounded);
        sp.end();
        const QImage blurred = VisualEffectView::blurred(shape, std::max(1, int(std::round(b / 3.0))));
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath outside;
        outside.addRect(QRectF(image.rect()));
        outside.addPath(rounded);
        outside.setFillRule(Qt::OddEvenFill);
        painter.setClipPath(outside);
        painter.drawImage(0, 0, blurred);
    }
    const double capInset = r + b;
    if (f) {
        QPainter painter(&image);
        painter.setPen(QPen(QColor(128, 0, 128), 1));
        painter.drawLine(QLineF(0, capInset, imageSide, capInset));
        painter.drawLine(QLineF(0, imageSide - capInset, imageSide, imageSide - capInset));
        painter.drawLine(QLineF(capInset, 0, capInset, imageSide));
        painter.drawLine(QLineF(imageSide - capInset, 0, imageSide - capInset, imageSide));
        painter.setPen(QPen(Qt::red, 1));
        painter.drawRect(QRectF(0.5, 0.5, imageSide - 1.0, imageSide - 1.0));
    }
    const int inset = int(std::round(capInset));
    return { image, QMargins(inset, inset, inset, inset) };
}

void drawResizableImage(QPainter &painter, const QRect &target, const ResizableImage &resizable)
{
    const QImage &img = resizable.image;
    if (img.isNull() || target.isEmpty())
        return;
    const QMargins m = resizable.capInsets;
    const int l = std::min(m.left(), target.width() / 2), r = std::min(m.right(), target.width() / 2);
    const int t = std::min(m.top(), target.height() / 2), b = std::min(m.bottom(), target.height() / 2);
    const int sw = img.width(), sh = img.height();
    const int xs[4] = { 0, m.left(), sw - m.right(), sw };
    const int ys[4] = { 0, m.top(), sh - m.bottom(), sh };
    const int xd[4] = { target.left(), target.left() + l, target.right() + 1 - r, target.right() + 1 };
    const int yd[4] = { target.top(), target.top() + t, target.bottom() + 1 - b, target.bottom() + 1 };
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            const QRect src(xs[col], ys[row], xs[col + 1] - xs[col], ys[row + 1] - ys[row]);
            const QRect dst(xd[col], yd[row], xd[col + 1] - xd[col], yd[row + 1] - yd[row]);
            if (src.isEmpty() || dst.isEmpty())
                continue;
            if (row != 1 && col != 1) {
                painter.drawImage(dst, img, src);
                continue;
            }
            // Edges and middle are tiled, as the resizing mode asks.
            painter.save();
            painter.setClipRect(dst);
            for (int y = dst.top(); y < dst.bottom() + 1; y += (row == 1 ? src.height() : dst.height()))
                for (int x = dst.left(); x < dst.right() + 1; x += (col == 1 ? src.width() : dst.width()))
                    painter.drawImage(QRect(x, y, col == 1 ? src.width() : dst.width(), row == 1 ? src.height() : dst.height()),
                        img, src);
            painter.restore();
        }
    }
}

} // namespace tarnik
