#include "ImportEditor/ImageActivityIndicatorView.h"

#include "Platform/UI/AnimationDriver.h"

#include <QAccessible>
#include <QPainter>
#include <QPen>
#include <cfloat>

namespace tarnik {

namespace {
const QString kSpinKey = QStringLiteral("spin");
}

ImageActivityIndicatorView::ImageActivityIndicatorView(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAccessibleName(QStringLiteral("In progress"));
    resize(37, 37);
}

ImageActivityIndicatorView::~ImageActivityIndicatorView()
{
    AnimationDriver::shared().removeAllAnimations(this);
}

void ImageActivityIndicatorView::startAnimating()
{
    setVisible(true);
    if (m_animating)
        return;
    m_animating = true;
    QPointer<ImageActivityIndicatorView> guard(this);
    auto spin = std::make_shared<BasicAnimation>([guard](double p) {
        if (guard) {
            guard->m_angle = p * 360.0;
            guard->update();
        }
    });
    spin->duration = 1.0;
    spin->repeatCount = FLT_MAX;
    AnimationDriver::shared().addAnimation(this, kSpinKey, spin);
}

void ImageActivityIndicatorView::stopAnimating()
{
    AnimationDriver::shared().removeAnimation(this, kSpinKey);
    m_animating = false;
    setVisible(false);
}

void ImageActivityIndicatorView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const double side = std::min(width(), height()) - 6.0;
    const QRectF ring((width() - side) / 2.0, (height() - side) / 2.0, side, side);
    painter.setPen(QPen(QColor(255, 255, 255, 70), 3.0));
    painter.drawEllipse(ring);
    painter.setPen(QPen(Qt::white, 3.0, Qt::SolidLine, Qt::RoundCap));
    painter.drawArc(ring, int(-m_angle * 16), 90 * 16);
}

} // namespace tarnik
