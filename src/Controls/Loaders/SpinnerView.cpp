#include "Controls/Loaders/SpinnerView.h"

#include "App/Globals.h"
#include "Controls/ImageView.h"
#include "Controls/Loaders/Sector.h"

#include <QPainter>
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <numbers>

namespace tarnik {

namespace {
const QString kPulseKey = QStringLiteral("pulse");
constexpr double kPictureCycle = 1.75;
} // namespace

SpinnerView::SpinnerView(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    animationImages = DEFAULT_ANIMATION_IMAGES();
}

SpinnerView::SpinnerView(const QRect &frame, QWidget *parent)
    : SpinnerView(parent)
{
    setGeometry(frame);
}

SpinnerView::SpinnerView(const std::optional<QList<QImage>> &images, QWidget *parent)
    : SpinnerView(parent)
{
    animationImages = images;
    useAnimationImages = true;
}

SpinnerView::~SpinnerView()
{
    for (AnimationDriver::Id id : std::as_const(m_pendingStarts))
        AnimationDriver::shared().cancelScheduled(id);
}

void SpinnerView::build()
{
    stopAnimating();
    const QPointF center(width() / 2.0, height() / 2.0);
    if (!useAnimationImages) {
        QList<Sector *> layers;
        const int n = std::max(0, numberofSectors);
        const double radius = height() / 2.0;
        for (int i = 1; i <= n; ++i) {
            const double step = 2.0 * std::numbers::pi / n;
            const double start = step * (i - 1);
            const double end = step * i - spacing;
            auto *sector = new Sector(this);
            // Screen angles grow clockwise; Qt's arcTo counts anticlockwise in degrees.
            QPainterPath path;
            const QRectF box(-radius, -radius, 2 * radius, 2 * radius);
            path.arcMoveTo(box, -start * 180.0 / std::numbers::pi);
            path.arcTo(box, -start * 180.0 / std::numbers::pi, -(end - start) * 180.0 / std::numbers::pi);
            sector->path = path;
            sector->position = center;
            sector->fillColor = Qt::transparent;
            sector->lineWidth = lineWidth;
            sector->strokeColor = sectorColor;
            sector->setOpacity(0.2);
            layers.append(sector);
        }
        m_shapes = layers;
        startAnimating(duration, layers, animationType);
        m_zPosition = 1000.0;
        raise();
    } else {
        auto *view = new ImageView(this);
        view->setGeometry(0, 0, width(), height());
        view->move(qRound(center.x() - width() / 2.0), qRound(center.y() - height() / 2.0));
        view->setContentMode(ImageView::ContentMode::scaleAspectFit);
        const std::optional<QList<QImage>> images = animationImages ? animationImages : DEFAULT_ANIMATION_IMAGES();
        view->setAnimationImages(images.value_or(QList<QImage>()));
        view->animationDuration = kPictureCycle;
        view->animationRepeatCount = 0;
        view->show();
        view->startAnimating();
        m_imageView = view;
    }
    update();
}

void SpinnerView::startAnimating(double cycle, const QList<Sector *> &layers, AnimationType type)
{
    if (layers.isEmpty())
        return;
    QList<Sector *> ordered = layers;
    if (type == AnimationType::anticlockwise)
        std::reverse(ordered.begin(), ordered.end());
    const auto makeGroup = [cycle](Sector *sector) {
        auto pulse = std::make_shared<KeyframeAnimation>();
        pulse->keyPath = QStringLiteral("opacity");
        pulse->keyTimes = { 0.0, 0.1, 0.4, 0.6, 0.8 };
        pulse->values = { 0.2, 0.6, 1.0, 0.6, 0.2 };
        pulse->duration = cycle;
        QPointer<Sector> guard(sector);
        pulse->setter = [guard](double v) {
            if (guard)
                guard->setOpacity(v);
        };
        auto group = std::make_shared<AnimationGroup>();
        group->animations = { pulse };
        group->timing = TimingFunction::linear();
        group->duration = cycle;
        group->repeatCount = FLT_MAX;
        group->removedOnCompletion = false;
        return group;
    };
    // Each sector's cycle begins d/n later than its predecessor's: the pulse
    // moves on by one sector every d/n seconds.
    const double stagger = cycle / double(ordered.size());
    for (int k = 0; k < ordered.size(); ++k) {
        QPointer<Sector> guard(ordered.at(k));
        auto group = makeGroup(ordered.at(k));
        if (k == 0) {
            AnimationDriver::shared().addAnimation(ordered.at(k), kPulseKey, group);
            continue;
        }
        const AnimationDriver::Id id = AnimationDriver::shared().schedule(stagger * k, [guard, group] {
            if (guard)
                AnimationDriver::shared().addAnimation(guard, kPulseKey, group);
        });
        m_pendingStarts.append(id);
    }
}

void SpinnerView::stopAnimating()
{
    for (AnimationDriver::Id id : std::as_const(m_pendingStarts))
        AnimationDriver::shared().cancelScheduled(id);
    m_pendingStarts.clear();
    if (m_shapes) {
        for (Sector *sector : std::as_const(*m_shapes)) {
            AnimationDriver::shared().removeAllAnimations(sector);
            delete sector;
        }
        m_shapes = QList<Sector *>();
        update();
    }
    if (m_imageView) {
        m_imageView->stopAnimating();
        m_imageView->hide();
        m_imageView->setParent(nullptr);
        m_imageView->deleteLater();
    }
}

bool SpinnerView::isRunning() const
{
    return (m_shapes && !m_shapes->isEmpty()) || (m_imageView && m_imageView->isAnimating());
}

void SpinnerView::paintEvent(QPaintEvent *)
{
    if (!m_shapes || m_shapes->isEmpty())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    for (const Sector *sector : std::as_const(*m_shapes)) {
        painter.save();
        painter.translate(sector->position);
        painter.setOpacity(sector->opacity());
        QPen pen(sector->strokeColor, sector->lineWidth);
        pen.setCapStyle(Qt::FlatCap);
        painter.setPen(pen);
        painter.setBrush(sector->fillColor);
        painter.drawPath(sector->path);
        painter.restore();
    }
}

} // namespace tarnik
