#pragma once

#include "Platform/Audio/SystemVolume.h"

#include <QPointer>
#include <QWidget>

class QLabel;

namespace tarnik {

class PlayerSlider;


// The system volume as a slider between a small and a large speaker: moving
// it sets the volume, and a volume changed elsewhere moves it. There is no
// output-route button: the desktop chooses the output device. GUI thread.
class VolumeSlider : public QWidget
{
    Q_OBJECT
public:
    // Follows SystemVolume::shared() unless given another.
    explicit VolumeSlider(QWidget *parent = nullptr, SystemVolume *volume = nullptr);

    PlayerSlider *slider() const { return m_slider; }
    SystemVolume *volume() const { return m_volume; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void show(double volume, bool muted);

    QPointer<SystemVolume> m_volume;
    PlayerSlider *m_slider;
    QLabel *m_small;
    QLabel *m_large;
    bool m_updating = false;
};

} // namespace tarnik
