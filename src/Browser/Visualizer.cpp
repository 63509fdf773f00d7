#include "Browser/Visualizer.h"

#include "Platform/UI/View.h"

#include <QPalette>
#include <QRandomGenerator>
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <utility>

namespace tarnik {

Visualizer::Visualizer(int numBars, QSizeF barSize, double gap, QWidget *parent)
    : QWidget(parent)
    , m_barWidth(barSize.width())
    , m_gap(gap)
    , m_numBars(std::max(0, numBars))
    , m_maxHeight(barSize.height())
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    const double width = m_numBars * m_barWidth + std::max(0, m_numBars - 1) * m_gap;
    resize(int(std::ceil(width)), int(std::ceil(m_maxHeight)));
    setAccessibleName(QStringLiteral("Playing"));
    double x = 0;
    for (int i = 0; i < m_numBars; ++i) {
        auto *bar = new QWidget(this);
        bar->setAutoFillBackground(true);
        QPalette palette = bar->palette();
        palette.setColor(QPalette::Window, Qt::white);
        bar->setPalette(palette);
        bar->setProperty("barX", x);
        m_bars.append(bar);
        m_scales.append(1.0);
        setBarScale(i, 1.0);
        x += m_barWidth + m_gap;
    }
}

Visualizer::~Visualizer()
{
    stopBarAnimations();
    if (m_fade)
        AnimationDriver::shared().stop(m_fade);
}

double Visualizer::barScale(int index) const
{
    return m_scales.value(index, 1.0);
}

double Visualizer::peakScale(int index) const
{
    const int last = m_numBars - 3;
    if (index < 2)
        return std::min(double(index + 2), 6.0);
    if (index >= last)
        return std::min(4.0 - (index - last), 6.0);
    return 6.0;
}

void Visualizer::setBarScale(int index, double scale)
{
    if (index < 0 || index >= m_bars.size())
        return;
    m_scales[index] = scale;
    const double h = kMinHeight * scale;
    const double x = m_bars[index]->property("barX").toDouble();
    m_bars[index]->setGeometry(QRectF(x, height() - h, m_barWidth, h).toAlignedRect());
}

double Visualizer::randomDuration()
{
    return double(QRandomGenerator::global()->generate() % 90) / 100.0 + 0.3;
}

void Visualizer::stopBarAnimations()
{
    auto &driver = AnimationDriver::shared();
    const QList<AnimationDriver::Id> running = std::exchange(m_running, {});
    for (AnimationDriver::Id id : running)
        driver.stop(id);
}

void Visualizer::start()
{
    if (m_fade) {
        AnimationDriver::shared().stop(std::exchange(m_fade, 0));
        View::setAlpha(this, 1.0);
    }
    setHidden(false);
    stopBarAnimations();
    QPointer<Visualizer> self(this);
    for (int i = 0; i < m_bars.size(); ++i) {
        setBarScale(i, 1.0);
        const double peak = peakScale(i);
        auto animation = BasicAnimation::fromTo(1.0, peak, [self, i](double value) {
            if (self)
                self->setBarScale(i, value);
        });
        animation->duration = randomDuration();
        animation->autoreverses = true;
        animation->repeatCount = FLT_MAX;
        animation->timing = TimingFunction::easeInOut();
        m_running.append(AnimationDriver::shared().run(animation));
    }
}

void Visualizer::stop(bool hide)
{
    stopBarAnimations();
    QPointer<Visualizer> self(this);
    for (int i = 0; i < m_bars.size(); ++i) {
        auto animation = BasicAnimation::fromTo(m_scales[i], 1.0, [self, i](double value) {
            if (self)
                self->setBarScale(i, value);
        });
        animation->duration = randomDuration();
        animation->timing = TimingFunction::easeOut();
        m_running.append(AnimationDriver::shared().run(animation));
    }
    if (!hide)
        return;
    if (m_fade)
        AnimationDriver::shared().stop(std::exchange(m_fade, 0));
    auto fade = BasicAnimation::fromTo(View::alpha(this), 0.0, [self](double value) {
        if (self)
            View::setAlpha(self, value);
    });
    fade->duration = 0.5;
    m_fade = AnimationDriver::shared().run(fade, 0.0, [self](bool finished) {
        // A fade cut short by start() leaves the view shown.
        if (!self || !finished)
            return;
        self->m_fade = 0;
        self->setHidden(true);
        View::setAlpha(self, 1.0);
    });
}

} // namespace tarnik
