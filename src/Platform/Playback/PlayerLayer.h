#pragma once

#include "Platform/Playback/PlayerSurface.h"

#include <QColor>
#include <QPointer>
#include <QVideoFrame>
#include <QWidget>

class QVideoSink;

namespace tarnik {

class PlatformPlayer;

// The stand-in for a player layer: a widget that shows the video of the player it is given, fitted
// into its bounds with its aspect kept, over its background colour. It is a PlayerSurface: the app
// delegate takes the player off it in the background and gives it back in the foreground. Giving it a player attaches its
// video output to that player; giving it none (or another player) detaches it. GUI thread only.
class PlayerLayer : public QWidget, public PlayerSurface
{
    Q_OBJECT
public:
    explicit PlayerLayer(QWidget *parent = nullptr);
    ~PlayerLayer() override;

    PlatformPlayer *player() const override { return m_player; }
    void setPlayer(PlatformPlayer *player) override;

    QColor backgroundColor() const { return m_backgroundColor; }
    void setBackgroundColor(const QColor &color);

    // The picture shown now; invalid before the first frame.
    QVideoFrame currentFrame() const { return m_frame; }
    QVideoSink *videoSink() const { return m_sink; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QVideoSink *m_sink;
    QPointer<PlatformPlayer> m_player;
    QColor m_backgroundColor = Qt::transparent;
    QVideoFrame m_frame;
};

} // namespace tarnik
