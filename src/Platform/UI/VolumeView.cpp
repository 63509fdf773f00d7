#include "Platform/UI/VolumeView.h"

#include "Platform/UI/Slider.h"

namespace tarnik {

VolumeView::VolumeView(QWidget *parent, SystemVolume *volume)
    : QWidget(parent)
    , m_volume(volume ? volume : &SystemVolume::shared())
    , m_slider(new Slider(this))
{
    m_slider->setAccessibleName(QStringLiteral("Volume"));
    connect(m_slider, &Slider::valueChanged, this, [this] {
        if (!m_updating && m_volume)
            m_volume->setVolume(m_slider->fraction());
    });
    if (m_volume) {
        connect(m_volume, &SystemVolume::volumeChanged, this, [this](double v) { follow(v, m_volume->isMuted()); });
        connect(m_volume, &SystemVolume::mutedChanged, this, [this](bool muted) { follow(m_volume->volume(), muted); });
        follow(m_volume->volume(), m_volume->isMuted());
    }
}

QImage VolumeView::volumeThumbImage() const
{
    return m_slider->thumbImage().value_or(QImage());
}

void VolumeView::setVolumeThumbImage(const QImage &image)
{
    m_slider->setThumbImage(image);
}

void VolumeView::setShowsVolumeSlider(bool shows)
{
    m_showsVolumeSlider = shows;
    m_slider->setVisible(shows);
}

void VolumeView::follow(double volume, bool muted)
{
    m_updating = true;
    m_slider->setFraction(muted ? 0.0 : volume);
    m_updating = false;
}

void VolumeView::resizeEvent(QResizeEvent *)
{
    m_slider->setGeometry(rect());
}

} // namespace tarnik
