#include "Tools/VolumeEditorViewController.h"

#include "App/Globals.h"
#include "App/MainStoryboard.h"
#include "Controls/CircularSlider/CircularSlider.h"
#include "Entries/EntryImages.h"
#include "Platform/Audio/SystemVolume.h"
#include "Platform/Playback/AudioPlayer.h"
#include "Platform/Playback/AudioSession.h"
#include "Platform/UI/BarButtonItem.h"
#include "Platform/UI/DeviceProfile.h"
#include "Platform/UI/NavigationItem.h"
#include "Platform/UI/Storyboard.h"
#include "Player/Player.h"

#include <QBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QWidget>

namespace tarnik {

namespace {

constexpr double kMaximumSystemVolume = 1.0;

QIcon icon(const QString &name)
{
    return QIcon(QPixmap::fromImage(EntryImages::named(name, 64)));
}

} // namespace

VolumeEditorViewController::VolumeEditorViewController(QObject *parent)
    : ViewController(parent)
{
}

VolumeEditorViewController::~VolumeEditorViewController() = default;

VolumeEditorViewController *VolumeEditorViewController::initialize(
    const QString &path, float volumeLevel, VolumeEditorViewControllerDelegate *delegate)
{
    auto *controller = Storyboard(MainStoryboard::kName)
                           .instantiate<VolumeEditorViewController>(QStringLiteral("VolumeEditorViewController"));
    controller->m_volumeLevel = volumeLevel;
    controller->m_delegate = delegate;
    QString error;
    controller->m_player = AudioPlayer::make(path, &error);
    if (controller->m_player) {
        controller->m_player->setVolume(volumeLevel);
        controller->m_player->setNumberOfLoops(-1);
    } else {
        _print(QStringLiteral("Failed to create an audio player.\nError: ") + error);
    }
    return controller;
}

Player &VolumeEditorViewController::sharedPlayer()
{
    if (!m_sharedPlayer)
        m_sharedPlayer = &Player::shared();
    return *m_sharedPlayer;
}

SystemVolume &VolumeEditorViewController::systemVolume() const
{
    if (!m_systemVolume)
        m_systemVolume = &SystemVolume::shared();
    return *m_systemVolume;
}

double VolumeEditorViewController::currentSystemVolume() const
{
    return systemVolume().volume();
}

void VolumeEditorViewController::loadView()
{
    auto *root = new QWidget;
    root->setObjectName(QStringLiteral("VolumeEditorView"));
    root->setAutoFillBackground(true);
    QPalette palette = root->palette();
    palette.setColor(QPalette::Window, QColor(0x2b, 0x2f, 0x36));
    palette.setColor(QPalette::WindowText, QColor(0xcc, 0xcc, 0xcc));
    palette.setColor(QPalette::ButtonText, QColor(0xee, 0xee, 0xee));
    root->setPalette(palette);

    auto *column = new QVBoxLayout(root);
    column->setContentsMargins(20, 64, 20, 24);
    column->setSpacing(16);
    m_topStackView = new QBoxLayout(QBoxLayout::TopToBottom);
    m_topStackView->setSpacing(12);
    const auto addKnob = [&](const QString &title) {
        auto *box = new QVBoxLayout;
        box->setSpacing(4);
        auto *knob = new CircularSlider;
        knob->setAccessibleName(_localizedString(title));
        knob->setMinimumSize(120, 120);
        knob->setKeepsRingsInside(true);
        auto *label = new QLabel(_localizedString(title));
        label->setAlignment(Qt::AlignCenter);
        QFont font = label->font();
        font.setPixelSize(16);
        label->setFont(font);
        box->addWidget(knob, 1, Qt::AlignHCenter);
        box->addWidget(label);
        m_topStackView->addLayout(box, 1);
        return knob;
    };
    m_systemVolumeKnob = addKnob(QStringLiteral("System Volume"));
    m_volumeLevelKnob = addKnob(QStringLiteral("Volume Level"));
    column->addLayout(m_topStackView, 1);

    m_previewButton = new QPushButton(icon(QStringLiteral("playSmall")), _localizedString(QStringLiteral("Preview")));
    m_previewButton->setFlat(true);
    m_previewButton->setIconSize(QSize(20, 20));
    m_previewButton->setStyleSheet(QStringLiteral(
        "QPushButton { color: #eeeeee; background: #3b414b; border-radius: 18px; padding: 8px 22px; font-size: 16px; }"
        "QPushButton:disabled { color: #777777; background: #33373e; }"));
    column->addWidget(m_previewButton, 0, Qt::AlignHCenter);
    // The system-volume knob's value goes to the system volume as it turns.
    connect(
        m_systemVolumeKnob, &CircularSlider::valueChanged, this, [this] { setSystemVolumeFrom(m_systemVolumeKnob); });
    connect(m_previewButton, &QPushButton::clicked, this, &VolumeEditorViewController::didTapPreviewButton);
    setView(root);
}

void VolumeEditorViewController::viewDidLoad()
{
    m_isViewFirstAppearance = true;
    // The system volume is always there to mirror, unlike a volume view's slider.
    connect(
        m_systemVolumeKnob, &CircularSlider::editingDidBegin, this, [this] { didBeginEditing(m_systemVolumeKnob); });
    connect(m_systemVolumeKnob, &CircularSlider::editingDidEnd, this, [this] { didEndEditing(m_systemVolumeKnob); });
    connect(m_volumeLevelKnob, &CircularSlider::valueChanged, this, [this] { setVolumeLevel(m_volumeLevelKnob); });
    connect(m_volumeLevelKnob, &CircularSlider::editingDidEnd, this, [this] { didEndEditing(m_volumeLevelKnob); });

    m_systemVolumeKnob->setNormalizedValue(float(currentSystemVolume()));
    m_volumeLevelKnob->setNormalizedValue(m_volumeLevel);

    if (m_player)
        m_player->prepareToPlay();
    else
        m_previewButton->setEnabled(false);

    m_cancelButton = new BarButtonItem(
        _localizedString(QStringLiteral("Cancel")), BarButtonItem::Style::plain, [this](BarButtonItem *) { cancel(); });
    m_doneButton = new BarButtonItem(
        _localizedString(QStringLiteral("Done")), BarButtonItem::Style::done, [this](BarButtonItem *) { done(); });
    navigationItem()->setLeftBarButtonItem(m_cancelButton);
    navigationItem()->setRightBarButtonItem(m_doneButton);
    m_doneButton->setEnabled(false);
}

void VolumeEditorViewController::viewWillAppear(bool)
{
    disconnect(m_outputVolumeObservation);
    m_outputVolumeObservation = connect(
        &systemVolume(), &SystemVolume::volumeChanged, this, &VolumeEditorViewController::outputVolumeChanged);
}

void VolumeEditorViewController::viewWillDisappear(bool)
{
    disconnect(m_outputVolumeObservation);
}

void VolumeEditorViewController::outputVolumeChanged(double volume)
{
    if (m_systemVolumeKnob)
        m_systemVolumeKnob->setNormalizedValue(float(volume));
}

void VolumeEditorViewController::viewDidLayoutSubviews()
{
    updateKnobLayout();
}

void VolumeEditorViewController::updateKnobLayout()
{
    if (!isViewLoaded())
        return;
    const bool pad = DeviceProfile::isPad();
    const bool portrait = DeviceProfile::isPortrait();
    if (pad) {
        m_topStackView->setDirection(portrait ? QBoxLayout::TopToBottom : QBoxLayout::LeftToRight);
        if (portrait) {
            m_knobWidthConstraint.isActive = false;
            m_knobHeightConstraint.isActive = true;
        } else {
            m_knobHeightConstraint.isActive = false;
            m_knobWidthConstraint.isActive = true;
        }
    }
    // Knobs stay round: the side is the smaller of the room each one gets.
    const QSize size = view()->size();
    const bool vertical = m_topStackView->direction() == QBoxLayout::TopToBottom;
    const int room = vertical ? std::min(size.width() - 40, (size.height() - 64 - 24 - 60) / 2 - 30)
                              : std::min((size.width() - 40) / 2 - 12, size.height() - 64 - 24 - 60 - 30);
    const int side = std::clamp(room, 120, 420);
    m_knobHeightConstraint.constant = side;
    m_knobWidthConstraint.constant = side;
    for (CircularSlider *knob : { m_systemVolumeKnob.data(), m_volumeLevelKnob.data() })
        if (knob && knob->size() != QSize(side, side))
            knob->setFixedSize(side, side);
    if (pad && view()->layout())
        view()->layout()->activate();
}

void VolumeEditorViewController::didBeginEditing(CircularSlider *sender)
{
    if (sender == m_systemVolumeKnob)
        activateAudioSession(true);
}

void VolumeEditorViewController::activateAudioSession(bool status)
{
    if (m_audioSessionIsActive)
        return;
    if (sharedPlayer().audioSessionIsActive()) {
        m_audioSessionIsActive = true;
        return;
    }
    QString error;
    if (AudioSession::shared().setActive(status, &error))
        return; // the system volume follows the server by itself
    _print(QStringLiteral("Failed to ") + (status ? QStringLiteral("activate") : QStringLiteral("deactivate"))
        + QStringLiteral(" audio session.\nError: ") + error);
}

void VolumeEditorViewController::setSystemVolumeFrom(CircularSlider *sender)
{
    if (!sender)
        return;
    const double wanted = double(sender->normalizedValue());
    // The knob also moves when the system volume moved it: no need to write that back.
    if (std::abs(wanted - currentSystemVolume()) > 1e-6)
        systemVolume().setVolume(wanted);
}

void VolumeEditorViewController::setVolumeLevel(CircularSlider *sender)
{
    if (m_isViewFirstAppearance) {
        m_isViewFirstAppearance = false;
        return;
    }
    if (presentedViewController())
        return;
    if (currentSystemVolume() < kMaximumSystemVolume) {
        m_systemVolumeKnob->setNormalizedValue(float(currentSystemVolume()));
        return;
    }
    m_doneButton->setEnabled(true);
    m_volumeLevel = sender->normalizedValue();
    if (m_player)
        m_player->setVolume(m_volumeLevel);
    playPreview();
}

void VolumeEditorViewController::didEndEditing(CircularSlider *sender)
{
    if (sender == m_systemVolumeKnob) {
        setSystemVolumeFrom(sender);
        return;
    }
    if (sender == m_volumeLevelKnob && currentSystemVolume() < kMaximumSystemVolume) {
        m_volumeLevelKnob->setNormalizedValue(m_volumeLevel);
        _showTarnikDefaultAlert(_localizedString(QStringLiteral("Warning!")),
            _localizedString(QStringLiteral("For best results, first set `System Volume` to MAX, then adjust this "
                                            "control to your desired level.")),
            {}, this);
    }
}

void VolumeEditorViewController::playPreview()
{
    if (!m_player)
        return;
    Player &shared = sharedPlayer();
    if (shared.isPlaying())
        shared.pause();
    if (!m_player->isPlaying()) {
        m_player->play();
        m_previewButton->setText(_localizedString(QStringLiteral("Pause")));
        m_previewButton->setIcon(icon(QStringLiteral("pauseSmall")));
    }
}

void VolumeEditorViewController::pausePreview()
{
    if (!m_player)
        return;
    m_player->pause();
    m_previewButton->setText(_localizedString(QStringLiteral("Preview")));
    m_previewButton->setIcon(icon(QStringLiteral("playSmall")));
}

void VolumeEditorViewController::didTapPreviewButton()
{
    if (m_player && m_player->isPlaying())
        pausePreview();
    else
        playPreview();
}

void VolumeEditorViewController::cancel()
{
    if (m_player)
        m_player->stop();
    dismiss(true);
}

void VolumeEditorViewController::done()
{
    if (m_delegate)
        m_delegate->volumeEditorViewControllerDidFinish(m_volumeLevel);
    cancel();
}

} // namespace tarnik
