#include "Platform/UI/View.h"

#include "Platform/UI/AnimationDriver.h"

#include <QApplication>
#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QPointer>
#include <QRandomGenerator>
#include <QRegion>
#include <QVariant>
#include <QWidget>
#include <cfloat>
#include <vector>

namespace tarnik::View {

namespace {

struct Tween
{
    QPointer<QObject> target;
    std::function<void(double progress)> apply;
};

struct Transaction
{
    std::vector<Tween> tweens;
};

Transaction *g_transaction = nullptr;
int g_withoutAnimation = 0;

bool recording()
{
    return g_transaction && g_withoutAnimation == 0;
}

double lerp(double a, double b, double p)
{
    return a + (b - a) * p;
}

void applyFrame(QWidget *view, const QRect &r)
{
    view->setGeometry(r);
}

void applyAlpha(QWidget *view, double a)
{
    a = std::clamp(a, 0.0, 1.0);
    view->setProperty("tarnikAlpha", a);
    auto *effect = qobject_cast<QGraphicsOpacityEffect *>(view->graphicsEffect());
    if (a >= 1.0) {
        if (effect)
            view->setGraphicsEffect(nullptr);
        return;
    }
    if (!effect) {
        effect = new QGraphicsOpacityEffect(view);
        view->setGraphicsEffect(effect);
    }
    effect->setOpacity(a);
}

void applyTransform(QWidget *view, const QTransform &t)
{
    view->setProperty(kTransformProperty, QVariant::fromValue(t));
    view->update();
}

void runTransaction(
    Transaction &tx, double duration, double delay, TimingFunction timing, std::function<void(bool)> completion)
{
    auto tweens = std::make_shared<std::vector<Tween>>(std::move(tx.tweens));
    auto animation = std::make_shared<BasicAnimation>([tweens](double p) {
        for (const auto &t : *tweens) {
            if (t.target)
                t.apply(p);
        }
    });
    animation->duration = duration;
    animation->timing = timing;
    AnimationDriver::shared().run(animation, delay, std::move(completion));
}

} // namespace

QRect frame(const QWidget *view)
{
    return view ? view->geometry() : QRect();
}

void setFrame(QWidget *view, const QRect &target)
{
    if (!view)
        return;
    if (!recording()) {
        applyFrame(view, target);
        return;
    }
    QPointer<QWidget> guard(view);
    // The start is read when the animation first runs, so a delayed block
    // starts from where the view is then.
    auto from = std::make_shared<std::optional<QRect>>();
    g_transaction->tweens.push_back(
        { view, [guard, from, target](double p) {
             if (!guard)
                 return;
             if (!*from)
                 *from = guard->geometry();
             const QRect &a = **from;
             applyFrame(guard,
                 QRect(qRound(lerp(a.x(), target.x(), p)), qRound(lerp(a.y(), target.y(), p)),
                     qRound(lerp(a.width(), target.width(), p)), qRound(lerp(a.height(), target.height(), p))));
         } });
}

double alpha(const QWidget *view)
{
    if (!view)
        return 0.0;
    const QVariant v = view->property("tarnikAlpha");
    return v.isValid() ? v.toDouble() : 1.0;
}

void setAlpha(QWidget *view, double target)
{
    if (!view)
        return;
    if (!recording()) {
        applyAlpha(view, target);
        return;
    }
    QPointer<QWidget> guard(view);
    auto from = std::make_shared<std::optional<double>>();
    g_transaction->tweens.push_back({ view, [guard, from, target](double p) {
                                         if (!guard)
                                             return;
                                         if (!*from)
                                             *from = alpha(guard);
                                         applyAlpha(guard, lerp(**from, target, p));
                                     } });
}

QTransform transform(const QWidget *view)
{
    if (!view)
        return {};
    const QVariant v = view->property(kTransformProperty);
    return v.isValid() ? v.value<QTransform>() : QTransform();
}

void setTransform(QWidget *view, const QTransform &target)
{
    if (!view)
        return;
    if (!recording()) {
        applyTransform(view, target);
        return;
    }
    QPointer<QWidget> guard(view);
    auto from = std::make_shared<std::optional<QTransform>>();
    g_transaction->tweens.push_back({ view, [guard, from, target](double p) {
                                         if (!guard)
                                             return;
                                         if (!*from)
                                             *from = transform(guard);
                                         const QTransform &a = **from;
                                         applyTransform(guard,
                                             QTransform(lerp(a.m11(), target.m11(), p), lerp(a.m12(), target.m12(), p),
                                                 lerp(a.m21(), target.m21(), p), lerp(a.m22(), target.m22(), p),
                                                 lerp(a.dx(), target.dx(), p), lerp(a.dy(), target.dy(), p)));
                                     } });
}

void setValue(QObject *object, const char *property, double target)
{
    if (!object)
        return;
    if (!recording()) {
        object->setProperty(property, target);
        return;
    }
    QPointer<QObject> guard(object);
    const QByteArray name(property);
    auto from = std::make_shared<std::optional<double>>();
    g_transaction->tweens.push_back({ object, [guard, name, from, target](double p) {
                                         if (!guard)
                                             return;
                                         if (!*from)
                                             *from = guard->property(name.constData()).toDouble();
                                         guard->setProperty(name.constData(), lerp(**from, target, p));
                                     } });
}

void animate(double duration, const std::function<void()> &changes, std::function<void(bool)> completion, double delay,
    TimingFunction timing)
{
    Transaction tx;
    Transaction *outer = g_transaction;
    g_transaction = &tx;
    if (changes)
        changes();
    g_transaction = outer;
    runTransaction(tx, duration, delay, timing, std::move(completion));
}

void animateSpring(double duration, double delay, double dampingRatio, double initialVelocity,
    const std::function<void()> &changes, std::function<void(bool)> completion)
{
    animate(duration, changes, std::move(completion), delay, TimingFunction::spring(dampingRatio, initialVelocity));
}

void performWithoutAnimation(const std::function<void()> &changes)
{
    ++g_withoutAnimation;
    if (changes)
        changes();
    --g_withoutAnimation;
}

void startWiggling(QWidget *view)
{
    if (!view)
        return;
    QPointer<QWidget> guard(view);
    const auto keyframes = [guard](const char *keyPath, double a, double b, double base) {
        auto anim = std::make_shared<KeyframeAnimation>();
        anim->keyPath = QString::fromLatin1(keyPath);
        anim->values = { a, b };
        anim->autoreverses = true;
        const int r = int(QRandomGenerator::global()->bounded(1000));
        anim->duration = base + 0.025 * (r - 500) / 500.0;
        anim->repeatCount = FLT_MAX;
        const QByteArray name(keyPath);
        anim->setter = [guard, name](double v) {
            if (guard) {
                guard->setProperty(name.constData(), v);
                guard->update();
            }
        };
        return anim;
    };
    auto &driver = AnimationDriver::shared();
    performWithoutAnimation([&] {
        driver.addAnimation(view, QStringLiteral("rotation"), keyframes("transform.rotation.z", -0.03, 0.03, 0.1));
        driver.addAnimation(view, QStringLiteral("bounce"), keyframes("transform.translation.y", 2.0, 0.0, 0.12));
        setTransform(view, QTransform());
    });
}

void stopWiggling(QWidget *view)
{
    if (!view)
        return;
    AnimationDriver::shared().removeAllAnimations(view);
}

void mask(QWidget *view, const QRectF &rect, bool invert)
{
    QPainterPath path;
    path.addRect(rect);
    mask(view, path, invert);
}

void mask(QWidget *view, const QPainterPath &path, bool invert)
{
    if (!view)
        return;
    QPainterPath shape = path;
    if (invert) {
        shape.addRect(QRectF(view->rect()));
        shape.setFillRule(Qt::OddEvenFill);
    }
    view->setProperty("tarnikMaskPath", QVariant::fromValue(shape));
    QRegion region(path.toFillPolygon().toPolygon(), path.fillRule());
    if (invert)
        region = QRegion(view->rect()).subtracted(region);
    // An empty region would clear the mask and show the whole view; the shape
    // leaves nothing to show, so keep one pixel outside the view instead.
    if (region.isEmpty())
        region = QRegion(-1, -1, 1, 1);
    view->setMask(region);
}

} // namespace tarnik::View

namespace tarnik::View {

void addSubview(QWidget *parent, QWidget *child)
{
    if (!parent || !child)
        return;
    if (child->parentWidget() != parent)
        child->setParent(parent);
    child->raise();
    child->show();
}

QWidget *snapshotView(QWidget *view)
{
    if (!view)
        return nullptr;
    auto *snapshot = new QLabel;
    snapshot->setObjectName(QStringLiteral("Snapshot"));
    snapshot->setPixmap(view->grab());
    snapshot->resize(view->size());
    return snapshot;
}

void removeFromSuperview(QWidget *view)
{
    if (!view)
        return;
    view->hide();
    view->setParent(nullptr);
}

void focusFirstControl(QWidget *view)
{
    if (!view)
        return;
    for (QWidget *w = view->nextInFocusChain(); w && w != view; w = w->nextInFocusChain()) {
        if (!view->isAncestorOf(w))
            continue;
        if ((w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && w->isVisibleTo(view)) {
            w->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
    view->setFocus(Qt::OtherFocusReason);
}

bool containsFocus(const QWidget *view)
{
    QWidget *focus = QApplication::focusWidget();
    return view && focus && (focus == view || view->isAncestorOf(focus));
}

} // namespace tarnik::View
