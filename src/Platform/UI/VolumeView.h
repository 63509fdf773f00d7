#pragma once

#include "Platform/Audio/SystemVolume.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

namespace tarnik {

class Slider;

// The system volume view: the system volume as a slider across the view.
// Moving the slider sets the volume; a volume or mute changed elsewhere
// moves it (a muted sink reads as silence, as desktop mixers show it). The
// slider is a direct subview, so owners can style it as they style any
// slider. The phone's output-route button has no counterpart: the desktop
// chooses the output device. GUI thread only.
class VolumeView : public QWidget
{
    Q_OBJECT
public:
    // Follows SystemVolume::shared() unless given another.
    explicit VolumeView(QWidget *parent = nullptr, SystemVolume *volume = nullptr);

    Slider *slider() const { return m_slider; }
    SystemVolume *volume() const { return m_volume; }

    // The slider's thumb picture for the normal state.
    QImage volumeThumbImage() const;
    void setVolumeThumbImage(const QImage &image);
    bool showsVolumeSlider() const { return m_showsVolumeSlider; }
    void setShowsVolumeSlider(bool shows);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void follow(double volume, bool muted);

    QPointer<SystemVolume> m_volume;
    Slider *m_slider;
    bool m_showsVolumeSlider = true;
    bool m_updating = false;
};

} // namespace tarnik
