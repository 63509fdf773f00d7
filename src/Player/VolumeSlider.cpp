#include "Player/VolumeSlider.h"

#include "Platform/Audio/SystemVolume.h"
#include "Player/PlayerImages.h"
#include "Player/PlayerSlider.h"

#include <QLabel>

namespace tarnik {

VolumeSlider::VolumeSlider(QWidget *parent, SystemVolume *volume)
    : QWidget(parent)
    , m_volume(volume ? volume : &SystemVolume::shared())
    , m_slider(new PlayerSlider(this))
    , m_small(new QLabel(this))
    , m_large(new QLabel(this))
{
    m_slider->setAccessibleName(QStringLiteral("Volume"));
    m_slider->setThumbImage(PlayerImages::image(QStringLiteral("volumeThumb"), QSize(22, 22)));
    m_slider->minimumTrackTintColor = QColor(0x53, 0x53, 0x53);
    m_slider->maximumTrackTintColor = QColor(0xe2, 0xe2, 0xe2);
    m_small->setPixmap(PlayerImages::icon(QStringLiteral("speakerSmall")).pixmap(16, 16));
    m_large->setPixmap(PlayerImages::icon(QStringLiteral("speakerLarge")).pixmap(16, 16));
    m_small->setAccessibleName(QStringLiteral("Quieter"));
    m_large->setAccessibleName(QStringLiteral("Louder"));
    connect(m_slider, &QSlider::valueChanged, this, [this] {
        if (!m_updating && m_volume)
            m_volume->setVolume(m_slider->fraction());
    });
    if (m_volume) {
        connect(m_volume, &SystemVolume::volumeChanged, this, [this](double v) { show(v, m_volume->isMuted()); });
        connect(m_volume, &SystemVolume::mutedChanged, this, [this](bool muted) { show(m_volume->volume(), muted); });
        show(m_volume->volume(), m_volume->isMuted());
    }
}

void VolumeSlider::show(double volume, bool muted)
{
    // A muted sink reads as silence on the slider, as desktop mixers show it.
    m_updating = true;
    m_slider->setFraction(muted ? 0.0 : volume);
    m_updating = false;
}

void VolumeSlider::resizeEvent(QResizeEvent *)
{
    const int h = height();
    m_small->setGeometry(0, (h - 16) / 2, 16, 16);
    m_large->setGeometry(width() - 16, (h - 16) / 2, 16, 16);
    m_slider->setGeometry(24, 0, std::max(0, width() - 48), h);
}

} // namespace tarnik
