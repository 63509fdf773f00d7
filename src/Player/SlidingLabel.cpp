#include "Player/SlidingLabel.h"

#include "Platform/UI/Animation.h"
#include "Platform/UI/AnimationDriver.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QEvent>
#include <QLabel>
#include <QPointer>
#include <algorithm>
#include <utility>

namespace tarnik {

namespace {

// One static text named by the label's text; the two copies inside are not
// read out separately.
class SlidingLabelAccessible : public QAccessibleWidget
{
public:
    explicit SlidingLabelAccessible(SlidingLabel *label)
        : QAccessibleWidget(label, QAccessible::StaticText)
    {
    }
    int childCount() const override { return 0; }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return static_cast<SlidingLabel *>(widget())->text();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface *slidingLabelFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("tarnik::SlidingLabel") && object && object->isWidgetType())
        return new SlidingLabelAccessible(static_cast<SlidingLabel *>(object));
    return nullptr;
}

} // namespace

SlidingLabel::SlidingLabel(QWidget *parent)
    : QWidget(parent)
    , m_label1(new QLabel(this))
    , m_label2(new QLabel(this))
{
    static const bool installed = [] {
        QAccessible::installFactory(&slidingLabelFactory);
        return true;
    }();
    Q_UNUSED(installed);
    // The copies are moved by hand; clip what slides outside.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    for (QLabel *label : { m_label1, m_label2 }) {
        label->setFont(font());
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
}

SlidingLabel::~SlidingLabel()
{
    if (m_task)
        AnimationDriver::shared().cancelScheduled(m_task);
    if (m_pass)
        AnimationDriver::shared().stop(std::exchange(m_pass, 0));
}

QString SlidingLabel::text() const
{
    return m_label1->text();
}

void SlidingLabel::setText(const QString &text)
{
    m_label1->setText(text);
    m_label2->setText(text);
    QAccessibleEvent event(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
    restartAnimation();
}

void SlidingLabel::setFont(const QFont &font)
{
    QWidget::setFont(font);
    m_label1->setFont(font);
    m_label2->setFont(font);
    restartAnimation();
}

void SlidingLabel::setTextColor(const QColor &color)
{
    for (QLabel *label : { m_label1, m_label2 }) {
        QPalette p = label->palette();
        p.setColor(QPalette::WindowText, color);
        label->setPalette(p);
    }
}

void SlidingLabel::setAlignment(Qt::Alignment alignment)
{
    m_label1->setAlignment(alignment);
    m_label2->setAlignment(alignment);
}

void SlidingLabel::layoutLabels()
{
    const int h = height();
    const int w = std::max(m_label1->sizeHint().width(), width());
    m_label1->setGeometry(int(m_offset), 0, w, h);
    m_label2->setGeometry(int(m_offset) + w + int(textGap), 0, w, h);
    // A text that fits keeps the label's alignment; the second copy only shows while sliding.
    m_label2->setVisible(m_label1->sizeHint().width() > width());
}

void SlidingLabel::setOffset(double offset)
{
    m_offset = offset;
    m_label1->move(int(offset), 0);
    m_label2->move(int(offset) + m_label1->width() + int(textGap), 0);
}

void SlidingLabel::restartAnimation()
{
    auto &driver = AnimationDriver::shared();
    if (m_task)
        driver.cancelScheduled(m_task);
    m_task = 0;
    if (m_pass) {
        const quint64 pass = std::exchange(m_pass, 0);
        driver.stop(pass);
    }
    m_offset = 0.0;
    m_isAnimating = false;
    m_duration = 0.0;
    layoutLabels();
    if (m_label1->width() > width()) {
        const QString t = m_label1->text().isEmpty() ? QStringLiteral(" ") : m_label1->text();
        scheduleAnimation(t, true, m_label1->width());
    }
}

void SlidingLabel::scheduleAnimation(const QString &text, bool isFirst, double width)
{
    if (m_isAnimating)
        return;
    // A label without width has no speed to slide at (the pass would never end).
    const double labelWidth = this->width();
    if (labelWidth <= 0.0)
        return;
    m_duration = width / (labelWidth / animationSpeed);
    double longest = m_duration;
    if (QWidget *parent = parentWidget()) {
        for (QObject *child : parent->children()) {
            if (auto *sibling = qobject_cast<SlidingLabel *>(child))
                longest = std::max(longest, sibling->m_duration);
        }
    }
    if (m_label1->text() != text && !(text == QStringLiteral(" ") && m_label1->text().isEmpty()))
        return;
    double delay = animationDelay;
    if (!isFirst)
        delay += std::max(0.0, longest - m_duration);
    QPointer<SlidingLabel> self(this);
    m_task = AnimationDriver::shared().schedule(delay, [self, text, width] {
        if (!self)
            return;
        self->m_task = 0;
        self->runPass(text, width);
    });
}

void SlidingLabel::runPass(const QString &text, double width)
{
    const QString current = m_label1->text().isEmpty() ? QStringLiteral(" ") : m_label1->text();
    if (current != text)
        return;
    m_isAnimating = true;
    QPointer<SlidingLabel> self(this);
    auto slide = BasicAnimation::fromTo(0.0, -(width + textGap), [self](double x) {
        if (self)
            self->setOffset(x);
    });
    slide->duration = m_duration;
    slide->timing = TimingFunction::linear();
    m_pass = AnimationDriver::shared().run(slide, 0.0, [self, text, width](bool) {
        if (!self || !self->m_pass)
            return;
        self->m_pass = 0;
        self->m_isAnimating = false;
        self->setOffset(0.0);
        const QString now = self->m_label1->text().isEmpty() ? QStringLiteral(" ") : self->m_label1->text();
        if (now == text)
            self->scheduleAnimation(text, false, width);
    });
}

void SlidingLabel::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // A label laid out after its text was set (or resized so the text now
    // fits, or no longer fits) starts over; a running pass is left alone.
    if (!m_isAnimating)
        restartAnimation();
}

bool SlidingLabel::event(QEvent *event)
{
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::ParentChange && !m_isAnimating)
        restartAnimation();
    return handled;
}

} // namespace tarnik
