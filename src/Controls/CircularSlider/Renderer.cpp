#include "Controls/CircularSlider/Renderer.h"

#include "Controls/CircularSlider/CircularSlider.h"
#include "Controls/CircularSlider/DotView.h"
#include "Controls/CircularSlider/Geometry.h"
#include "Controls/CircularSlider/KnobView.h"
#include "Controls/CircularSlider/PointerView.h"
#include "Controls/CircularSlider/SliderConstants.h"

#include <QEvent>
#include <QFontDatabase>
#include <QGraphicsDropShadowEffect>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpression>
#include <cmath>

namespace tarnik {

namespace {

QFont fontNamed(const QString &name, double size)
{
    QFont font;
    if (QFontDatabase::families().contains(name))
        font.setFamily(name);
    // Qt refuses pixel sizes below 1; NaN and infinities have no size at all.
    const double pixels = std::isfinite(size) ? std::clamp(size, 1.0, 2000.0) : 1.0;
    font.setPixelSize(int(std::lround(pixels)));
    return font;
}

} // namespace

Renderer::Renderer(CircularSlider *circularSlider)
    : QObject(nullptr)
    , m_circularSlider(circularSlider)
{
    m_knobView = new KnobView;
    m_pointerView = new PointerView;
    m_textField = new QLineEdit;
    m_miniDotView = new DotView(DotType::mini, m_isClockwise, m_startAngle, m_endAngle);
    m_maxiDotView = new DotView(DotType::maxi, m_isClockwise, m_startAngle, m_endAngle);

    CircularSlider *slider = m_circularSlider;
    if (slider) {
        m_knobView->setParent(slider);
        m_knobView->setGeometry(slider->rect());
        m_miniDotView->setParent(slider);
        m_maxiDotView->setParent(slider);
        m_pointerView->setParent(slider);
    }

    m_textField->setFrame(false);
    m_textField->setAttribute(Qt::WA_TranslucentBackground);
    m_textField->setStyleSheet(QStringLiteral("QLineEdit { background: transparent; border: none; }"));
    m_textField->setAlignment(Qt::AlignCenter);
    m_textField->setTextMargins(0, 0, 0, 0);
    m_textField->setContentsMargins(0, 0, 0, 0);
    m_textField->setText(QString());
    m_textField->setInputMethodHints(Qt::ImhFormattedNumbersOnly);
    m_textField->setAccessibleName(QStringLiteral("Value"));
    if (slider)
        setTextFont(
            SliderConstants::fontName, SliderConstants::lightTextColor(), slider->height() * m_fontSizeMultiplier);
    setTextShadow(QColor(Qt::white), 1, QSizeF(1, 1), 0);
    m_textField->installEventFilter(this);
    connect(m_textField, &QLineEdit::returnPressed, this, &Renderer::keyboardDoneButtonTapped);
    if (slider)
        m_textField->setParent(slider);

    for (QWidget *view : { static_cast<QWidget *>(m_knobView), static_cast<QWidget *>(m_miniDotView),
             static_cast<QWidget *>(m_maxiDotView), static_cast<QWidget *>(m_pointerView),
             static_cast<QWidget *>(m_textField) }) {
        if (slider) {
            view->raise();
            view->show();
        }
    }
}

Renderer::~Renderer()
{
    // Views that never reached a slider have no parent to delete them.
    for (QWidget *view : { static_cast<QWidget *>(m_knobView), static_cast<QWidget *>(m_miniDotView),
             static_cast<QWidget *>(m_maxiDotView), static_cast<QWidget *>(m_pointerView),
             static_cast<QWidget *>(m_textField) }) {
        if (view && !view->parent())
            delete view;
    }
}

void Renderer::setIsClockwise(bool clockwise)
{
    m_isClockwise = clockwise;
    m_miniDotView->setIsClockwise(clockwise);
}

void Renderer::setStartAngle(double radians)
{
    m_startAngle = radians;
    m_miniDotView->setStartAngle(radians);
}

void Renderer::setEndAngle(double radians)
{
    m_endAngle = radians;
    m_miniDotView->setEndAngle(radians);
}

void Renderer::setValue(float fraction)
{
    m_value = fraction;
    updateText();
    if (m_circularSlider)
        updatePointer(QRectF(m_circularSlider->rect()));
    m_maxiDotView->update(fraction);
    if (m_circularSlider)
        Q_EMIT m_circularSlider->valueChanged();
}

void Renderer::updateText()
{
    CircularSlider *slider = m_circularSlider;
    if (!slider)
        return;
    const double minimum = slider->minimumValue();
    const double maximum = slider->maximumValue();
    const float f = float(slider->value());
    int places = int(std::clamp<qint64>(slider->labelDecimalPlaces(), 0, 18));
    // Values between -1 and 1 would all read 0 without decimals; the start of
    // the range reads as MIN anyway.
    if (m_value != 0 && places == 0 && std::trunc(f) == 0)
        places = 2;
    const float s = roundedDown(f, places);
    QString text;
    if (s == float(minimum))
        text = QStringLiteral("MIN");
    else if (s == float(maximum))
        text = QStringLiteral("MAX");
    else
        text = QString::asprintf("%.*f", places, double(s));
    m_textField->setText(text);
    fitTextToWidth();
    slider->updateAccessibleValue();
}

void Renderer::updatePointer(const QRectF &bounds)
{
    const double s0 = toDegree(m_startAngle);
    const double span = angleDifferenceInDegree(s0, toDegree(m_endAngle), m_isClockwise);
    const double a = m_isClockwise ? s0 + span * double(m_value) : s0 - span * double(m_value);
    const double rIn = bounds.width() * m_knobView->innerCircleMultiplier() * 0.5;
    const double d = rIn * m_pointerViewMultiplier;
    const double h = d * 0.5;
    const double r = rIn - m_pointerViewDistanceFromEdge - h;
    const double radians = toRadian(a);
    m_pointerView->setFrameF(
        QRectF(bounds.center().x() - h + std::cos(radians) * r, bounds.center().y() - h + std::sin(radians) * r, d, d));
}

void Renderer::layoutViews(const QRectF &bounds)
{
    m_knobView->setGeometry(bounds.toAlignedRect());
    updatePointer(bounds);
    layoutTextField(bounds);
    layoutDotViews(bounds);
}

void Renderer::layoutTextField(const QRectF &bounds)
{
    double k = m_fontSizeMultiplier * 0.5;
    k = k < 0.5 ? k : 0.5; // NaN reads as the largest
    k = k > 0.1 ? k : 0.1;
    const double inner = m_knobView->innerCircleMultiplier();
    const double w = bounds.width() * inner * 0.8;
    const double h = k * bounds.height() * inner;
    m_textField->setGeometry(QRectF((bounds.width() - w) * 0.5, (bounds.height() - h) * 0.5, w, h).toRect());
    m_fontSize = h;
    QFont font = fontNamed(m_textField->font().family(), h);
    m_textField->setFont(font);
    m_textField->setHidden(m_textFieldIsHidden);
    fitTextToWidth();
}

void Renderer::layoutDotViews(const QRectF &bounds)
{
    const QPointF centre = bounds.center();
    for (DotView *ring : { static_cast<DotView *>(m_miniDotView), static_cast<DotView *>(m_maxiDotView) }) {
        // The ring's widget covers the whole slider, so a knob drawn smaller than the slider keeps
        // its dots in view.
        const QRect area = ring->parentWidget() ? ring->parentWidget()->rect() : bounds.toAlignedRect();
        ring->setGeometry(area);
        ring->setRingGeometry(centre - QPointF(area.topLeft()), bounds.width());
    }
    const double radius = bounds.width() * 0.5 * m_knobView->outerCircleMultiplier();
    m_miniDotView->setOuterCircleRadius(radius);
    m_maxiDotView->setOuterCircleRadius(radius);
}

// The field shrinks its font, never below a readable size, rather than cut
// off a long number.
void Renderer::fitTextToWidth()
{
    if (m_fontSize <= 0)
        return;
    QFont font = m_textField->font();
    int pixels = int(std::lround(std::clamp(m_fontSize, 1.0, 2000.0)));
    font.setPixelSize(pixels);
    const int width = m_textField->width();
    while (pixels > 8 && QFontMetrics(font).horizontalAdvance(m_textField->text()) > width) {
        pixels = std::max(8, pixels * 9 / 10);
        font.setPixelSize(pixels);
    }
    m_textField->setFont(font);
}

void Renderer::setTextFont(const QString &name, const QColor &textColor, double size)
{
    QPalette palette = m_textField->palette();
    palette.setColor(QPalette::Text, textColor);
    m_textField->setPalette(palette);
    m_textField->setFont(fontNamed(name, size));
}

void Renderer::setTextShadow(std::optional<QColor> color, float opacity, QSizeF offset, double radius)
{
    if (!color) {
        m_textField->setGraphicsEffect(nullptr);
        return;
    }
    auto *effect = new QGraphicsDropShadowEffect;
    QColor shadow = *color;
    shadow.setAlphaF(std::clamp(float(shadow.alphaF()) * opacity, 0.0f, 1.0f));
    effect->setColor(shadow);
    effect->setOffset(offset.width(), offset.height());
    effect->setBlurRadius(std::isfinite(radius) ? std::max(0.0, radius) : 0.0);
    m_textField->setGraphicsEffect(effect);
}

void Renderer::keyboardDoneButtonTapped()
{
    const QString text = m_textField->text();
    m_textField->setProperty("tarnikConfirming", true);
    m_textField->clearFocus();
    m_textField->setProperty("tarnikConfirming", false);
    static const QRegularExpression wholeNumber(QStringLiteral("^[+-]?[0-9]+$"));
    bool ok = false;
    const qlonglong number = wholeNumber.match(text).hasMatch() ? text.toLongLong(&ok) : 0;
    if (!ok) {
        updateText();
        return;
    }
    if (m_circularSlider)
        m_circularSlider->setValue(double(number));
    if (m_circularSlider)
        Q_EMIT m_circularSlider->editingDidEnd();
}

bool Renderer::eventFilter(QObject *watched, QEvent *event)
{
    // A field being destroyed is no QLineEdit any more (it loses its focus on the way out): it is
    // neither compared through the QPointer, which would cast it, nor written to.
    if (qobject_cast<QLineEdit *>(watched) && watched == m_textField) {
        switch (event->type()) {
        case QEvent::FocusIn: {
            // Typing starts from an empty field; a window that hands the field
            // its focus on activation leaves the value shown.
            const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
            if (reason == Qt::MouseFocusReason || reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason
                || reason == Qt::ShortcutFocusReason)
                m_textField->clear();
            break;
        }
        case QEvent::FocusOut:
            // Leaving the field without confirming keeps the value as it was.
            if (!m_textField->property("tarnikConfirming").toBool())
                updateText();
            break;
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
                m_textField->clearFocus();
                return true;
            }
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace tarnik
