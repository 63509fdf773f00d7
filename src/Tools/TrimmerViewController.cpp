#include "Tools/TrimmerViewController.h"

#include "App/Constants.h"
#include "App/Extensions.h"
#include "App/Globals.h"
#include "App/MainStoryboard.h"
#include "Entries/EntryImages.h"
#include "Platform/Dispatch.h"
#include "Platform/Media/MediaAsset.h"
#include "Platform/Playback/PlayerItem.h"
#include "Platform/UI/NavigationItem.h"
#include "Platform/UI/Storyboard.h"
#include "Platform/UrlOpener.h"
#include "Player/PanDirectionGestureRecognizer.h"
#include "Player/Player.h"

#include <QDesktopServices>
#include <QFocusEvent>
#include <QLocale>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QResizeEvent>
#include <algorithm>
#include <cmath>

namespace tarnik {

namespace {

// The page whose body is the help address: TARNIK_HELP_URL, read on every use.
QString helpPageAddress()
{
    return qEnvironmentVariable("TARNIK_HELP_URL");
}

constexpr int kSliderSteps = 100000;
constexpr int kHandleWidth = 22;
constexpr int kMargin = 20;

std::function<void(const QUrl &)> &urlOpener()
{
    static std::function<void(const QUrl &)> opener;
    return opener;
}

QIcon icon(const QString &name)
{
    return QIcon(QPixmap::fromImage(EntryImages::named(name, 96)));
}

float clamp01(float value)
{
    value = value < 1 ? value : 1; // NaN reads as 1, then stays
    return value >= 0 ? value : 0;
}

// The widget's own tag: the handles, the tracks and the fields carry one.
std::optional<int> tagOf(const QWidget *view)
{
    if (auto *handle = qobject_cast<const TrimmerHandleView *>(view))
        return handle->tag();
    if (auto *track = qobject_cast<const TrimmerTrackView *>(view))
        return track->tag();
    if (auto *field = qobject_cast<const TrimmerTimeField *>(view))
        return field->tag();
    return std::nullopt;
}

// A number the user typed: the whole text in the C locale, finite only.
std::optional<double> typedNumber(const QString &text)
{
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double number = c.toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(number))
        return std::nullopt;
    return number;
}

// The root view lays its parts out whenever its size changes.
class TrimmerRootView : public QWidget
{
public:
    std::function<void()> onResize;

protected:
    void resizeEvent(QResizeEvent *event) override
    {
        QWidget::resizeEvent(event);
        if (onResize)
            onResize();
    }
};

} // namespace

std::optional<TrimmerViewController::Direction> TrimmerViewController::directionFromTag(int tag)
{
    if (tag == 0)
        return Direction::left;
    if (tag == 1)
        return Direction::right;
    return std::nullopt;
}

TrimmerViewController::TrimmerViewController(QObject *parent)
    : ViewController(parent)
{
}

TrimmerViewController::~TrimmerViewController()
{
    removePlaybackObserver();
}

QColor TrimmerViewController::highlightColor()
{
    static const QColor color = colorWithHex(u"eb7601");
    return color;
}

QColor TrimmerViewController::neutralColor()
{
    static const QColor color = colorWithHex(u"b3bbc3");
    return color;
}

void TrimmerViewController::setUrlOpener(std::function<void(const QUrl &)> opener)
{
    urlOpener() = std::move(opener);
}

TrimmerViewController *TrimmerViewController::initialize(
    const QString &path, const MediaTime &startTime, const MediaTime &endTime, TrimmerViewControllerDelegate *delegate)
{
    auto *controller
        = Storyboard(MainStoryboard::kName).instantiate<TrimmerViewController>(QStringLiteral("TrimmerViewController"));
    controller->m_delegate = delegate;
    controller->m_fullDuration = MediaAsset::durationOfFile(path).value_or(0.0);
    if (controller->canTrim()) {
        controller->m_minimumValue = float(startTime.seconds() / controller->m_fullDuration);
        controller->m_maximumValue = float(endTime.seconds() / controller->m_fullDuration);
    }
    // The preview decodes the file itself, so its loop and its moves never flush a media pipeline
    // while it plays.
    controller->m_player = std::make_unique<PlatformPlayer>(PlaybackBackend::makeAudioPreview());
    controller->m_player->replaceCurrentItem(std::make_shared<PlayerItem>(path));
    if (controller->canTrim()) {
        controller->updateLoopRange();
        controller->m_player->seek(controller->timeOf(controller->m_minimumValue));
    }
    return controller;
}

bool TrimmerViewController::canTrim() const
{
    return m_fullDuration > 0 && std::isfinite(m_fullDuration);
}

Player &TrimmerViewController::sharedPlayer()
{
    if (!m_sharedPlayer)
        m_sharedPlayer = &Player::shared();
    return *m_sharedPlayer;
}

MediaTime TrimmerViewController::timeOf(float fraction) const
{
    return MediaTime::fromSeconds(m_fullDuration * double(fraction), MediaTime::kDefaultTimescale);
}

QString TrimmerViewController::timeText(float fraction) const
{
    return preciseTimeString(timeOf(fraction));
}

float TrimmerViewController::sliderValue() const
{
    return m_slider ? float(m_slider->value()) / kSliderSteps : 0.0f;
}

void TrimmerViewController::setSliderValue(float value)
{
    if (!m_slider)
        return;
    m_settingSlider = true;
    m_slider->setValue(int(std::lround(clamp01(value) * kSliderSteps)));
    m_settingSlider = false;
}

QPushButton *TrimmerViewController::button(ButtonTag tag) const
{
    switch (tag) {
    case startHereTag:
        return m_moveLeftButton;
    case endHereTag:
        return m_moveRightButton;
    case resetTag:
        return m_resetButton;
    case previewTag:
        return m_previewButton;
    }
    return nullptr;
}

void TrimmerViewController::loadView()
{
    auto *root = new TrimmerRootView;
    root->setObjectName(QStringLiteral("TrimmerView"));
    root->setAutoFillBackground(true);
    QPalette palette = root->palette();
    palette.setColor(QPalette::Window, QColor(0xf7, 0xf8, 0xfa));
    palette.setColor(QPalette::Base, QColor(0xf7, 0xf8, 0xfa));
    palette.setColor(QPalette::WindowText, QColor(0x4a, 0x4f, 0x57));
    palette.setColor(QPalette::Text, QColor(0x2e, 0x32, 0x38));
    palette.setColor(QPalette::ButtonText, QColor(0x4a, 0x4f, 0x57));
    root->setPalette(palette);

    const auto caption = [&](const QString &text) {
        auto *label = new QLabel(_localizedString(text), root);
        label->setAlignment(Qt::AlignCenter);
        QFont font = label->font();
        font.setPixelSize(12);
        label->setFont(font);
        m_captions.append(label);
        return label;
    };
    caption(QStringLiteral("Start"));
    caption(QStringLiteral("Length"));
    caption(QStringLiteral("End"));
    m_minTextField = new TrimmerTimeField(0, root);
    m_rangeTextField = new TrimmerTimeField(-1, root);
    m_maxTextField = new TrimmerTimeField(1, root);
    // The fields take the focus only from the user, never as the first
    // focusable widget of a window that activates.
    m_minTextField->setFocusPolicy(Qt::ClickFocus);
    m_maxTextField->setFocusPolicy(Qt::ClickFocus);
    m_rangeTextField->setReadOnly(true);
    m_rangeTextField->setFocusPolicy(Qt::NoFocus);
    for (TrimmerTimeField *field : { m_minTextField.data(), m_rangeTextField.data(), m_maxTextField.data() }) {
        QFont font = field->font();
        font.setPixelSize(22);
        font.setWeight(QFont::Light);
        field->setFont(font);
    }
    m_minTextField->setAccessibleName(_localizedString(QStringLiteral("Start")));
    m_rangeTextField->setAccessibleName(_localizedString(QStringLiteral("Length")));
    m_maxTextField->setAccessibleName(_localizedString(QStringLiteral("End")));

    m_gridView = new TrimmerGridView(root);
    m_leftTrack = new TrimmerTrackView(true, root);
    m_rightTrack = new TrimmerTrackView(false, root);
    m_leftTrack->setBackgroundColor(neutralColor());
    m_rightTrack->setBackgroundColor(neutralColor());
    m_slider = new QSlider(Qt::Horizontal, root);
    m_slider->setRange(0, kSliderSteps);
    m_slider->setAccessibleName(_localizedString(QStringLiteral("Position")));
    m_slider->setStyleSheet(QStringLiteral(
        "QSlider::groove:horizontal { height: 2px; background: #8a919b; }"
        "QSlider::handle:horizontal { width: 22px; margin: -40px 0; background: qlineargradient(x1:0, y1:0, x2:1, "
        "y2:0, stop:0 transparent, stop:0.44 transparent, stop:0.45 #2e3238, stop:0.55 #2e3238, stop:0.56 "
        "transparent, stop:1 transparent); }"));
    m_leftHandle = new TrimmerHandleView(root);
    m_rightHandle = new TrimmerHandleView(root);
    m_leftHandle->setAccessibleName(_localizedString(QStringLiteral("Start Handle")));
    m_rightHandle->setAccessibleName(_localizedString(QStringLiteral("End Handle")));
    m_currentTimeLabel = new QLabel(root);
    m_currentTimeLabel->setAlignment(Qt::AlignCenter);
    m_currentTimeLabel->setTextFormat(Qt::RichText);

    const auto controlButton = [&](const QString &image, const QString &name) {
        auto *button = new QPushButton(icon(image), QString(), root);
        button->setFlat(true);
        button->setIconSize(QSize(44, 44));
        button->setFixedSize(52, 52);
        button->setAccessibleName(_localizedString(name));
        button->setStyleSheet(QStringLiteral("QPushButton { border: none; background: transparent; }"));
        return button;
    };
    m_moveLeftButton = controlButton(QStringLiteral("trimmerStartHere"), QStringLiteral("Start Here"));
    m_previewButton = controlButton(QStringLiteral("trimmerPlay"), QStringLiteral("play"));
    m_moveRightButton = controlButton(QStringLiteral("trimmerEndHere"), QStringLiteral("End Here"));
    m_resetButton = controlButton(QStringLiteral("trimmerReset"), QStringLiteral("Reset"));
    m_moveLeftButton->setProperty("tag", int(startHereTag));
    m_moveRightButton->setProperty("tag", int(endHereTag));
    m_resetButton->setProperty("tag", int(resetTag));
    m_previewButton->setProperty("tag", int(previewTag));
    for (QPushButton *b :
        { m_moveLeftButton.data(), m_previewButton.data(), m_moveRightButton.data(), m_resetButton.data() })
        connect(b, &QPushButton::clicked, this, [this, b] { controlButtonTapped(b->property("tag").toInt()); });
    m_previewLabel = caption(QStringLiteral("play"));
    caption(QStringLiteral("Start Here"));
    caption(QStringLiteral("End Here"));
    caption(QStringLiteral("Reset"));
    caption(QStringLiteral("Refine"));
    m_refineSlider = new QSlider(Qt::Horizontal, root);
    m_refineSlider->setRange(0, 1000);
    m_refineSlider->setAccessibleName(_localizedString(QStringLiteral("Refine")));

    root->onResize = [this] {
        layoutStaticViews();
        layoutHandles();
    };
    setView(root);
}

// Fixed places of the parts; the handles, the tracks and the current-time
// label move from there by layoutHandles().
void TrimmerViewController::layoutStaticViews()
{
    QWidget *root = view();
    const int w = root->width();
    const int top = int(topBarHeight()) + 12;
    const int inner = std::max(0, w - 2 * kMargin);
    const int third = inner / 3;
    const QList<TrimmerTimeField *> fields { m_minTextField, m_rangeTextField, m_maxTextField };
    for (int i = 0; i < 3; ++i) {
        m_captions[i]->setGeometry(kMargin + i * third, top, third, 16);
        fields[i]->setGeometry(kMargin + i * third, top + 16, third, 36);
    }
    const int gridTop = top + 16 + 36 + 34;
    const int gridHeight = std::clamp(root->height() / 4, 90, 220);
    m_gridView->setGeometry(0, gridTop, w, gridHeight);
    const int mid = gridTop + gridHeight / 2;
    m_slider->setGeometry(kMargin, mid - 40, inner, 80);
    m_leftHandle->setRestFrame(QRect(kMargin, mid - 34, kHandleWidth, 68));
    m_rightHandle->setRestFrame(QRect(kMargin + inner - kHandleWidth, mid - 34, kHandleWidth, 68));
    m_currentTimeLabel->setFixedSize(96, 20);
    m_currentTimeLabel->move(kMargin + kHandleWidth / 2 - 48, gridTop - 24);

    const int buttonsTop = gridTop + gridHeight + 26;
    const QList<QPushButton *> buttons { m_moveLeftButton, m_previewButton, m_moveRightButton, m_resetButton };
    const QList<QLabel *> labels { m_captions[4], m_previewLabel, m_captions[5], m_captions[6] };
    const int slot = inner / 4;
    for (int i = 0; i < 4; ++i) {
        const int cx = kMargin + slot * i + slot / 2;
        buttons[i]->move(cx - buttons[i]->width() / 2, buttonsTop);
        labels[i]->setGeometry(cx - slot / 2, buttonsTop + 54, slot, 16);
    }
    const int refineTop = buttonsTop + 54 + 16 + 26;
    m_captions.last()->setGeometry(kMargin, refineTop, 60, 24);
    m_refineSlider->setGeometry(kMargin + 64, refineTop, std::max(0, inner - 64), 24);
}

void TrimmerViewController::viewDidLoad()
{
    m_helpButton = new QPushButton(QStringLiteral("  ") + _localizedString(QStringLiteral("Get Help")));
    m_helpButton->setFlat(true);
    m_helpButton->setIcon(icon(QStringLiteral("trimmerHelp")));
    connect(m_helpButton, &QPushButton::clicked, this, &TrimmerViewController::helpButtonTapped);
    m_helpButton->setEnabled(UrlOpener::webAddress(helpPageAddress()).has_value());
    navigationItem()->setTitleView(m_helpButton);

    m_cancelButton = new BarButtonItem(
        _localizedString(QStringLiteral("Cancel")), BarButtonItem::Style::plain, [this](BarButtonItem *) { cancel(); });
    m_doneButton = new BarButtonItem(
        _localizedString(QStringLiteral("Done")), BarButtonItem::Style::done, [this](BarButtonItem *) { done(); });
    navigationItem()->setLeftBarButtonItem(m_cancelButton);
    navigationItem()->setRightBarButtonItem(m_doneButton);
    m_doneButton->setEnabled(false);

    view()->installEventFilter(this); // a tap anywhere dismisses the keyboard
    for (TrimmerTimeField *field : { m_minTextField.data(), m_maxTextField.data() }) {
        field->installEventFilter(this);
        connect(field, &QLineEdit::textEdited, this, [this, field] { textFieldDidChange(field); });
        connect(field, &QLineEdit::returnPressed, this, &TrimmerViewController::dismissKeyboard);
    }

    const auto wire = [this](QWidget *view, bool horizontalOnly) {
        auto *tap = new TapGestureRecognizer([this](GestureRecognizer *g) {
            if (g->state() == GestureRecognizer::State::ended)
                handleTapGesture(g);
        });
        tap->attach(view);
        GestureRecognizer *pan = horizontalOnly
            ? static_cast<GestureRecognizer *>(new PanDirectionGestureRecognizer(
                PanDirection::horizontal, [this](GestureRecognizer *g) { handlePanGesture(g); }))
            : new PanGestureRecognizer([this](GestureRecognizer *g) { handlePanGesture(g); });
        pan->attach(view);
    };
    m_leftHandle->setTag(0);
    m_leftHandle->setTintColor(neutralColor());
    wire(m_leftHandle, true);
    m_rightHandle->setTag(1);
    m_rightHandle->setTintColor(neutralColor());
    wire(m_rightHandle, true);
    m_leftTrack->setTag(0);
    wire(m_leftTrack, false);
    m_rightTrack->setTag(1);
    wire(m_rightTrack, true);

    connect(m_slider, &QSlider::valueChanged, this, [this] {
        if (!m_settingSlider)
            trackSliderValueChanged();
    });
    connect(m_slider, &QSlider::sliderReleased, this, &TrimmerViewController::trackSliderDidEndEditing);
    connect(m_refineSlider, &QSlider::valueChanged, this, &TrimmerViewController::refineSliderValueChanged);

    if (!canTrim()) {
        refuseTrimming();
        return;
    }
    updatePlayhead(m_minimumValue, true);
    addPlaybackObserver();

    if (Device::isIPhone5() || Device::isIPhone4orLess()) {
        QString family = m_minTextField->font().family();
        if (family.isEmpty())
            family = QStringLiteral("HelveticaNeue-Thin");
        QFont font(family);
        font.setPixelSize(DeviceProfile::isPortrait() ? 24 : 20);
        for (TrimmerTimeField *field : { m_minTextField.data(), m_rangeTextField.data(), m_maxTextField.data() })
            field->setFont(font);
    }
}

// Without a duration there are no fractions to work with: everything but
// Cancel is switched off and the user is told why.
void TrimmerViewController::refuseTrimming()
{
    for (QWidget *w : std::initializer_list<QWidget *> { m_slider, m_refineSlider, m_leftHandle, m_rightHandle,
             m_leftTrack, m_rightTrack, m_minTextField, m_maxTextField, m_rangeTextField, m_previewButton,
             m_moveLeftButton, m_moveRightButton, m_resetButton })
        w->setEnabled(false);
    m_minimumValue = 0;
    m_maximumValue = 0;
    _showTarnikDefaultAlert(_localizedString(QStringLiteral("Cannot Trim")),
        _localizedString(QStringLiteral("The length of this file cannot be read, so it cannot be trimmed.")), {}, this);
}

void TrimmerViewController::viewWillLayoutSubviews()
{
    if (!m_viewDidAppear)
        adjustLayout();
}

void TrimmerViewController::viewWillTransition(const QSizeF &size)
{
    ViewController::viewWillTransition(size);
    QPointer<TrimmerViewController> self(this);
    Dispatch::main([self] {
        if (self)
            self->adjustLayout();
    });
}

void TrimmerViewController::viewDidAppear(bool)
{
    m_viewDidAppear = true;
}

void TrimmerViewController::viewWillDisappear(bool)
{
    sharedPlayer().addEndOfItemObserver();
}

void TrimmerViewController::adjustLayout()
{
    if (!isViewLoaded())
        return;
    if (Device::isIPhone5() || Device::isIPhone4orLess()) {
        for (QPushButton *b :
            { m_previewButton.data(), m_moveLeftButton.data(), m_moveRightButton.data(), m_resetButton.data() })
            b->setIconSize(QSize(35, 35));
    }
    layoutStaticViews();
    m_gridView->update();
    m_availableWidth = double(m_slider->width() - m_leftHandle->width());
    layoutHandles();
}

void TrimmerViewController::layoutHandles()
{
    if (!isViewLoaded())
        return;
    if (!m_availableWidth)
        return;
    const double w = *m_availableWidth;
    m_leftHandle->setTranslation(w * double(m_minimumValue));
    m_rightHandle->setTranslation(w * double(m_maximumValue) - w);
    const QPoint labelRest(kMargin + kHandleWidth / 2 - m_currentTimeLabel->width() / 2, m_currentTimeLabel->y());
    m_currentTimeLabel->move(labelRest + QPoint(int(std::lround(w * double(sliderValue()))), 0));

    const QRect sliderFrame = m_slider->geometry();
    const double y = m_gridView->geometry().center().y() - 5;
    m_leftTrack->setFrame(QRectF(sliderFrame.left(), y, w * double(m_minimumValue) + 8, 10));
    const double rightWidth = w * (1 - double(m_maximumValue)) + 8;
    m_rightTrack->setFrame(QRectF(sliderFrame.left() + sliderFrame.width() - rightWidth, y, rightWidth, 10));
    m_leftHandle->raise();
    m_rightHandle->raise();

    if (canTrim()) {
        if (m_minTextField && !m_minTextField->hasFocus())
            m_minTextField->setText(timeText(m_minimumValue));
        if (m_maxTextField && !m_maxTextField->hasFocus())
            m_maxTextField->setText(timeText(m_maximumValue));
        if (m_rangeTextField)
            m_rangeTextField->setText(timeText(m_maximumValue - m_minimumValue));
    }
}

void TrimmerViewController::updatePlayhead(float value, bool seek)
{
    if (!isViewLoaded())
        return;
    const float p = std::clamp(value, m_minimumValue, std::max(m_minimumValue, m_maximumValue));
    setSliderValue(std::isnan(value) ? m_minimumValue : p);
    const float position = sliderValue();
    if (seek && m_player)
        m_player->seek(timeOf(position));
    const QString text = timeText(position);
    const int digits = TrimmerTimeField::accentLength();
    m_currentTimeLabel->setText(
        QStringLiteral("<span style=\"color:#4a4f57\">%1</span><span style=\"color:%2\">%3</span>")
            .arg(text.left(text.size() - digits).toHtmlEscaped(), TrimmerTimeField::accentColor().name(),
                text.right(digits).toHtmlEscaped()));
    if (m_availableWidth) {
        const int rest = kMargin + kHandleWidth / 2 - m_currentTimeLabel->width() / 2;
        m_currentTimeLabel->move(
            rest + int(std::lround(*m_availableWidth * double(position))), m_currentTimeLabel->y());
    }
}

void TrimmerViewController::moveStart(float value)
{
    const float v = clamp01(value);
    m_minimumValue = std::min(v, m_maximumValue);
    updateLoopRange();
    if (sliderValue() <= m_minimumValue)
        updatePlayhead(m_minimumValue, true);
    layoutHandles();
}

void TrimmerViewController::moveEnd(float value)
{
    const float v = clamp01(value);
    m_maximumValue = std::max(v, m_minimumValue);
    updateLoopRange();
    if (m_maximumValue <= sliderValue())
        updatePlayhead(m_maximumValue, true);
    layoutHandles();
}

void TrimmerViewController::updateLoopRange()
{
    // The preview turns back at the range's end the moment it gets there: what is heard is what
    // the import keeps, and nothing past it. The periodic observer still turns it back when the
    // end is moved before the playhead.
    if (m_player && canTrim())
        m_player->setLoopRange(MediaTimeRange::fromTimeToTime(timeOf(m_minimumValue), timeOf(m_maximumValue)));
}

void TrimmerViewController::selectDirection(std::optional<Direction> direction)
{
    m_direction = direction;
    if (!direction)
        return;
    colorSides();
}

void TrimmerViewController::colorSides()
{
    if (!isViewLoaded())
        return;
    const bool left = m_direction == Direction::left;
    const bool right = m_direction == Direction::right;
    m_leftHandle->setTintColor(left ? highlightColor() : neutralColor());
    m_leftTrack->setBackgroundColor(left ? highlightColor() : neutralColor());
    m_rightHandle->setTintColor(right ? highlightColor() : neutralColor());
    m_rightTrack->setBackgroundColor(right ? highlightColor() : neutralColor());
}

void TrimmerViewController::handleTapGesture(GestureRecognizer *recognizer)
{
    if (recognizer && recognizer->view()) {
        const std::optional<int> tag = tagOf(recognizer->view());
        m_direction = tag ? directionFromTag(*tag) : std::nullopt;
    }
    if (!m_direction)
        return;
    colorSides();
}

void TrimmerViewController::handlePanGesture(GestureRecognizer *recognizer)
{
    auto *pan = qobject_cast<PanGestureRecognizer *>(recognizer);
    if (!pan || !pan->view())
        return;
    const std::optional<int> tag = tagOf(pan->view());
    this->pan(tag.value_or(-1), pan->state(), pan->translation(view()).x());
    if (pan->state() == GestureRecognizer::State::began || pan->state() == GestureRecognizer::State::changed)
        pan->setTranslation(QPointF(0, 0), view());
}

void TrimmerViewController::pan(int tag, GestureRecognizer::State state, double dx)
{
    if (!isViewLoaded())
        return;
    if (state != GestureRecognizer::State::began && state != GestureRecognizer::State::changed)
        return;
    if (!canTrim())
        return;
    m_direction = directionFromTag(tag);
    if (m_direction)
        colorSides();
    if (!m_availableWidth || !m_direction || !(*m_availableWidth > 0))
        return;
    m_doneButton->setEnabled(true);
    const float delta = float(dx / *m_availableWidth / double(m_refineFactor));
    if (*m_direction == Direction::right)
        moveEnd(m_maximumValue + delta);
    else
        moveStart(m_minimumValue + delta);
}

void TrimmerViewController::refineSliderValueChanged()
{
    if (!m_availableWidth)
        return;
    const float a = float(*m_availableWidth);
    const float value = float(m_refineSlider->value()) / float(m_refineSlider->maximum());
    m_refineFactor = std::max(1.0f, std::min(value * a, a));
}

void TrimmerViewController::controlButtonTapped(int tag)
{
    if (!isViewLoaded())
        return;
    if (!canTrim())
        return;
    switch (tag) {
    case startHereTag:
        m_direction = Direction::left;
        moveStart(sliderValue());
        break;
    case endHereTag:
        m_direction = Direction::right;
        moveEnd(sliderValue());
        break;
    case resetTag:
        m_direction = std::nullopt;
        moveStart(0);
        moveEnd(1);
        updatePlayhead(0, true);
        colorSides();
        break;
    case previewTag:
        if (m_player && m_player->isPlaying()) {
            m_player->pause();
            showPreviewPlaying(false);
        } else {
            startPreview();
        }
        break;
    default:
        break;
    }
}

void TrimmerViewController::trackSliderValueChanged()
{
    removePlaybackObserver();
    updatePlayhead(sliderValue(), true);
    startPreview();
}

void TrimmerViewController::trackSliderDidEndEditing()
{
    addPlaybackObserver();
}

void TrimmerViewController::startPreview()
{
    if (!isViewLoaded())
        return;
    if (!m_player || !canTrim())
        return;
    Player &shared = sharedPlayer();
    shared.removeEndOfItemObserver();
    if (shared.isPlaying())
        shared.pause();
    m_player->play();
    showPreviewPlaying(true);
}

void TrimmerViewController::showPreviewPlaying(bool playing)
{
    // The caption, the symbol and what screen readers hear name the same action.
    const QString action = _localizedString(playing ? QStringLiteral("pause") : QStringLiteral("play"));
    m_previewLabel->setText(action);
    m_previewButton->setIcon(icon(playing ? QStringLiteral("trimmerPause") : QStringLiteral("trimmerPlay")));
    m_previewButton->setAccessibleName(action);
}

void TrimmerViewController::addPlaybackObserver()
{
    if (!m_player || !canTrim())
        return;
    // One observer at most: the slider's end events can come more than once per touch.
    removePlaybackObserver();
    QPointer<TrimmerViewController> self(this);
    m_timeObserverToken
        = m_player->addPeriodicTimeObserver(MediaTime::make(500'000'000, 1'000'000'000), [self](const MediaTime &time) {
              if (self)
                  self->observe(time);
          });
}

void TrimmerViewController::removePlaybackObserver()
{
    if (m_timeObserverToken && m_player)
        m_player->removeTimeObserver(*m_timeObserverToken);
    m_timeObserverToken.reset();
}

void TrimmerViewController::observe(const MediaTime &time)
{
    const std::shared_ptr<PlayerItem> item = m_player ? m_player->currentItem() : nullptr;
    if (!item || item->status() != PlayerItem::Status::readyToPlay || !canTrim())
        return;
    updatePlayhead(float(time.seconds() / m_fullDuration), false);
    if (m_player->currentTime().seconds() >= m_fullDuration * double(m_maximumValue)) {
        m_player->seek(timeOf(m_minimumValue));
        startPreview();
    }
}

void TrimmerViewController::cancel()
{
    dismiss(true);
}

void TrimmerViewController::done()
{
    if (m_delegate && canTrim())
        m_delegate->trimmerViewControllerDidFinish(timeOf(m_minimumValue), timeOf(m_maximumValue));
    cancel();
}

void TrimmerViewController::helpButtonTapped()
{
    const std::optional<QUrl> address = UrlOpener::webAddress(helpPageAddress());
    if (!address)
        return;
    auto *session = new QNetworkAccessManager(this);
    QNetworkReply *reply = session->get(QNetworkRequest(*address));
    connect(reply, &QNetworkReply::finished, session, [reply, session] {
        reply->deleteLater();
        session->deleteLater();
        if (reply->error() != QNetworkReply::NoError) {
            _print(QStringLiteral("Failed to open `Help Guide`.\nError: ") + reply->errorString());
            return;
        }
        const QByteArray body = reply->readAll();
        if (body.isEmpty()) {
            _print(QStringLiteral("Failed to open `Help Guide`. No data found."));
            return;
        }
        const QUrl url(QString::fromUtf8(body).trimmed(), QUrl::StrictMode);
        // Only web pages: a reply naming a local file or another scheme is not opened.
        if (!url.isValid() || (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https")))
            return;
        Dispatch::main([url] {
            if (urlOpener())
                urlOpener()(url);
            else
                QDesktopServices::openUrl(url);
        });
    });
}

void TrimmerViewController::dismissKeyboard()
{
    m_minTextField->clearFocus();
    m_maxTextField->clearFocus();
}

void TrimmerViewController::textFieldDidBeginEditing(TrimmerTimeField *field)
{
    m_direction = directionFromTag(field->tag());
    const float fraction = field->tag() != 0 ? m_maximumValue : m_minimumValue;
    field->setText(QString::asprintf("%.4f", double(fraction) * m_fullDuration));
    handleTapGesture(nullptr);
    field->selectAll();
}

void TrimmerViewController::textFieldDidChange(TrimmerTimeField *field)
{
    const std::optional<double> number = typedNumber(field->text());
    if (number && *number > m_fullDuration)
        field->setText(QString::asprintf("%.4f", m_fullDuration));
}

void TrimmerViewController::textFieldDidEndEditing(TrimmerTimeField *field)
{
    const std::optional<double> number = typedNumber(field->text());
    if (!number || !canTrim())
        return;
    const float f = clamp01(float(*number / m_fullDuration));
    if (field->tag() == 0)
        moveStart(f);
    else if (field->tag() == 1)
        moveEnd(f);
}

bool TrimmerViewController::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == view() && event->type() == QEvent::MouseButtonPress)
        dismissKeyboard();
    auto *field = qobject_cast<TrimmerTimeField *>(watched);
    if (field && (field == m_minTextField || field == m_maxTextField)) {
        // Only the user's own focusing starts an edit, not a window handing
        // its first field the focus when it activates.
        const auto userFocus = [](QEvent *e) {
            const Qt::FocusReason reason = static_cast<QFocusEvent *>(e)->reason();
            return reason == Qt::MouseFocusReason || reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason
                || reason == Qt::ShortcutFocusReason;
        };
        if (event->type() == QEvent::FocusIn && userFocus(event))
            QMetaObject::invokeMethod(
                this,
                [this, field = QPointer<TrimmerTimeField>(field)] {
                    if (field && field->hasFocus())
                        textFieldDidBeginEditing(field);
                },
                Qt::QueuedConnection);
        else if (event->type() == QEvent::FocusOut)
            textFieldDidEndEditing(field);
    }
    return ViewController::eventFilter(watched, event);
}

} // namespace tarnik
